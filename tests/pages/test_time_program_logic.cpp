// The Time Program page and its event dialog against a fake unit: the
// button labels, the dialog's checks and messages, the orders of reading and
// saving, the scene's shared time, a unit without scenes, no unit, demo
// mode, and a program that could be read only in part.
#include "tests/support/PageFakes.h"

#include "model/RegisterCatalogue.h"
#include "pages/core/CTimeProgramDialogLogic.h"
#include "pages/core/CTimeProgramLogic.h"
#include "tools/report/CChangeJournal.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Page;
namespace Dlg = TimeProgramDialogId;
namespace Field = TimeProgramField;

namespace {

class TimeProgram : public ::testing::Test
{
protected:
    void SetUp() override
    {
        catalogue.Build();
        useDeviceType(2050);
        for (int n = 1; n <= CTimeProgramLogic::kPrograms; ++n)
            page.add(TimeProgramId::FirstProgram + n - 1, ControlKind::Button);
        for (const Page::ControlId id : {Dlg::Heading, Dlg::Unread, Dlg::EventDay, Dlg::Info})
            dialog.add(id, ControlKind::Other);
        dialog.add(Dlg::Activate, ControlKind::Button);
        for (ControlId id = Dlg::Monday; id <= Dlg::Sunday; ++id)
            dialog.add(id, ControlKind::Button);
        for (const Page::ControlId id : {Dlg::EventHour, Dlg::EventMinute, Dlg::RegisterAddress, Dlg::RegisterNewValue})
            dialog.add(id, ControlKind::Edit);
        dialog.add(Dlg::Scene, ControlKind::ComboBox);
        dialog.add(Dlg::FindRegister, ControlKind::ComboBox);
        for (const Page::ControlId id : {Dlg::AddressName, Dlg::ValueShown})
            dialog.add(id, ControlKind::Other);
    }
    void useDeviceType(int type)
    {
        unit.type = unit.typeAfterIdentify = type;
        catalogue.ApplyDeviceProfile(type, 1, 0);
    }
    // A program on the fake unit, by field.
    void onUnit(int program, std::array<int, Field::Count> words)
    {
        for (int f = 0; f < Field::Count; ++f)
            unit.registers[static_cast<uint16_t>(CTimeProgramLogic::Base(program) + f)] =
                static_cast<uint16_t>(words[static_cast<std::size_t>(f)]);
    }
    // The user types into a field of the dialog.
    void type(CTimeProgramDialogLogic& d, ControlId id, const char* text)
    {
        dialog[id].text = text;
        d.userChanged(id);
    }
    std::vector<std::string> reads() const
    {
        std::vector<std::string> r;
        for (const std::string& s : unit.log)
            if (s.rfind("Mr", 0) == 0)
                r.push_back(s);
        return r;
    }

    RegisterCatalogue catalogue;
    FakeUnit unit{catalogue};
    FakeHost host;
    FakeControls page;
    FakeControls dialog;
    CTimeProgramLogic logic{catalogue, unit, host, page};
};

} // namespace

TEST_F(TimeProgram, ButtonsSitInSixColumnsOfEightAndShowWhichProgramsAreActive)
{
    catalogue.Holding(7080).value = 1; // program 5
    logic.rebuildLabels();
    EXPECT_EQ(page[TimeProgramId::FirstProgram + 4].text, "*  Time Progam 5  *");
    EXPECT_EQ(page[TimeProgramId::FirstProgram + 5].text, "   Time Progam 6   ");
    EXPECT_TRUE(unit.log.empty()); // the labels come from the catalogue

    const Row* nine = logic.rowOf(TimeProgramId::FirstProgram + 8);
    const Row* last = logic.rowOf(TimeProgramId::LastProgram);
    ASSERT_TRUE(nine && last);
    EXPECT_EQ(std::pair(nine->row, nine->column), std::pair(1, 1));
    EXPECT_EQ(std::pair(last->row, last->column), std::pair(8, 5));
    EXPECT_EQ(CTimeProgramLogic::ProgramOf(TimeProgramId::LastProgram), 48);
    EXPECT_EQ(CTimeProgramLogic::Base(48), 7510);
}

TEST_F(TimeProgram, OkChecksTheNumbersInOrderAndRewritesThoseInRange)
{
    const struct
    {
        const char* hour;
        const char* minute;
        const char* address;
        const char* value;
        ControlId failed; // kNoControl: accepted
        const char* message;
        const char* hourAfter;
    } rows[] = {
        {"24", "0", "1", "0", Dlg::EventHour, "Value of Event Hour is out of range (0 - 23)", "24"},
        {"07", "60", "1", "0", Dlg::EventMinute, "Value of Event Minute is out of range (0 - 59)", "7"},
        {"7", "0", "0", "0", Dlg::RegisterAddress, "Value of Register Address is out of range (1 - 32767)", "7"},
        {"7", "0", "32768", "0", Dlg::RegisterAddress, "Value of Register Address is out of range (1 - 32767)", "7"},
        {"7", "0", "1", "-32768", Dlg::RegisterNewValue,
         "Value of Register New Value is out of range (-32767 - 32767)", "7"},
        {"99999999999", "0", "1", "0", Dlg::EventHour, "Value of Event Hour is out of range (0 - 23)", "99999999999"},
        {"23", "59", "32767", "-32767", kNoControl, "", "23"},
        {"", "x", "1", "32767", kNoControl, "", "0"}, // no number is 0
    };
    for (const auto& r : rows) {
        CTimeProgramDialogLogic d(3, true, catalogue, host, dialog);
        d.show(TimeProgramData{.known = Field::kAll});
        type(d, Dlg::EventHour, r.hour);
        type(d, Dlg::EventMinute, r.minute);
        type(d, Dlg::RegisterAddress, r.address);
        type(d, Dlg::RegisterNewValue, r.value);
        const std::string typed = std::string(r.hour) + " " + r.minute + " " + r.address + " " + r.value;
        EXPECT_EQ(d.confirm(), r.failed == kNoControl) << typed;
        EXPECT_EQ(d.failedControl(), r.failed) << typed;
        EXPECT_EQ(dialog[Dlg::Info].text, r.message) << typed;
        EXPECT_EQ(dialog[Dlg::EventHour].text, r.hourAfter) << typed;
    }

    // Leaving the hour field checks it alone; a good hour takes its message away.
    CTimeProgramDialogLogic d(3, true, catalogue, host, dialog);
    d.show(TimeProgramData{.known = Field::kAll});
    type(d, Dlg::EventHour, "24");
    EXPECT_FALSE(d.checkHour());
    EXPECT_EQ(dialog[Dlg::Info].text, "Value of Event Hour is out of range (0 - 23)");
    type(d, Dlg::EventHour, "08");
    EXPECT_TRUE(d.checkHour());
    EXPECT_EQ(dialog[Dlg::EventHour].text, "8");
    EXPECT_EQ(dialog[Dlg::Info].text, "");
}

TEST_F(TimeProgram, TheDayBoxesAreTheEventDaysBits)
{
    CTimeProgramDialogLogic d(1, true, catalogue, host, dialog);
    TimeProgramData shown{.known = Field::kAll};
    shown.words[Field::EventDay] = 96; // Sa, Su
    shown.words[Field::RegisterNewValue] = static_cast<uint16_t>(-45);
    d.show(shown);
    EXPECT_FALSE(dialog[Dlg::Friday].checked);
    EXPECT_TRUE(dialog[Dlg::Saturday].checked && dialog[Dlg::Sunday].checked);
    EXPECT_EQ(dialog[Dlg::RegisterNewValue].text, "-45");
    EXPECT_EQ(dialog[Dlg::Heading].text, "Time Program 1");

    for (ControlId id = Dlg::Monday; id <= Dlg::Sunday; ++id)
        dialog[id].checked = id == Dlg::Monday || id == Dlg::Wednesday || id == Dlg::Sunday;
    ASSERT_TRUE(d.confirm());
    EXPECT_EQ(d.result().words[Field::EventDay], 69);
    EXPECT_EQ(d.result().words[Field::RegisterNewValue], static_cast<uint16_t>(-45));
}

TEST_F(TimeProgram, OpeningReadsTheProgramInOrderAndTheSceneOnlyFromDeviceType2000)
{
    onUnit(3, {1, 31, 6, 30, 400, 215, 12}); // a scene above 8 is shown as 8
    TimeProgramData data = logic.openProgram(3);
    EXPECT_EQ(reads(), (std::vector<std::string>{"Mr7060", "Mr7061", "Mr7062", "Mr7063", "Mr7064", "Mr7065",
                                                 "Mr7066"}));
    EXPECT_EQ(data.known, Field::kAll);
    EXPECT_EQ(data.words, (std::array<uint16_t, Field::Count>{1, 31, 6, 30, 400, 215, 8}));
    EXPECT_EQ(catalogue.Holding(7064).value, 400); // what was read is what the unit holds
    EXPECT_EQ(host.status, "Done.");
    EXPECT_EQ(unit.log.front(), "identify");
    EXPECT_EQ(unit.log.back(), "disconnect");

    useDeviceType(1004);
    unit.log.clear();
    data = logic.openProgram(3);
    EXPECT_FALSE(logic.scenesUsed());
    EXPECT_EQ(reads().size(), 6u);
    EXPECT_EQ(reads().back(), "Mr7065");
    EXPECT_EQ(data.words[Field::Scene], 0);

    // Saving on that unit neither writes nor stores the scene.
    data.words[Field::Scene] = 2;
    unit.log.clear();
    catalogue.Holding(7066).value = 5;
    CChangeJournal::Instance().clear();
    EXPECT_EQ(logic.saveProgram(3, data), 0);
    // The dialog's writes are noted, each with the value read before.
    const std::vector<JournalEntry> noted = CChangeJournal::Instance().entries();
    ASSERT_EQ(noted.size(), 6u);
    EXPECT_EQ(noted[1].address, 7061);
    EXPECT_EQ(noted[1].before, 31);
    EXPECT_EQ(noted[1].after, 31);
    EXPECT_EQ(noted[5].address, 7065);
    CChangeJournal::Instance().clear();
    EXPECT_EQ(unit.writes(), (std::vector<std::string>{"Mw7060 1", "Mw7061 31", "Mw7062 6", "Mw7063 30",
                                                       "Mw7064 400", "Mw7065 215"}));
    EXPECT_TRUE(reads().empty()); // no scene, no sharing
    EXPECT_EQ(catalogue.Holding(7066).value, 5);
}

TEST_F(TimeProgram, SavingAProgramOfASceneGivesItsTimeToTheScenesOtherProgramsOnly)
{
    onUnit(5, {1, 31, 7, 0, 721, 0, 2});
    onUnit(6, {1, 31, 7, 0, 1121, 80, 1});
    onUnit(7, {1, 31, 7, 0, 731, 0, 2});
    onUnit(48, {0, 1, 9, 9, 1, 0, 2});
    TimeProgramData edited{.words = {1, 69, 6, 45, 400, static_cast<uint16_t>(-5), 2}, .known = Field::kAll};
    EXPECT_EQ(logic.saveProgram(3, edited), 0);
    EXPECT_EQ(unit.writes(), (std::vector<std::string>{"Mw7060 1", "Mw7061 69", "Mw7062 6", "Mw7063 45",
                                                       "Mw7064 400", "Mw7065 65531", "Mw7066 2",
                                                       "Mw7081 69", "Mw7082 6", "Mw7083 45",
                                                       "Mw7101 69", "Mw7102 6", "Mw7103 45",
                                                       "Mw7511 69", "Mw7512 6", "Mw7513 45"}));
    const auto r = reads();
    EXPECT_EQ(r.size(), 47u); // every other program's scene, its own not
    EXPECT_FALSE(std::find(r.begin(), r.end(), "Mr7066") != r.end());
    EXPECT_EQ(unit.registers[7091], 31); // scene 1 keeps its own time
    EXPECT_EQ(unit.registers[7092], 7);
    EXPECT_EQ(host.status, "Done.");
    EXPECT_EQ(catalogue.Holding(7061).value, 69);
    EXPECT_EQ(catalogue.Holding(7081).value, 0); // the others are not stored
    EXPECT_EQ(page[TimeProgramId::FirstProgram + 2].text, "*  Time Progam 3  *");
}

TEST_F(TimeProgram, AFailedWriteStopsTheSaveButTheCatalogueTakesTheProgram)
{
    onUnit(5, {1, 31, 7, 0, 721, 0, 2});
    unit.failWrite[7063] = -4;
    const TimeProgramData edited{.words = {1, 69, 6, 45, 400, 7, 2}, .known = Field::kAll};
    EXPECT_EQ(logic.saveProgram(3, edited), -4);
    EXPECT_EQ(unit.writes().back(), "Mw7063 45");
    EXPECT_EQ(unit.writes().size(), 4u);
    EXPECT_TRUE(reads().empty()); // no sharing after a failure
    EXPECT_EQ(host.status, "Error: -4");
    EXPECT_EQ(catalogue.Holding(7065).value, 7);
    EXPECT_EQ(catalogue.Holding(7066).value, 2);

    // A scene read that fails ends the sharing with its code.
    unit.failWrite.clear();
    unit.failRead[7086] = -10;
    unit.log.clear();
    EXPECT_EQ(logic.saveProgram(3, edited), -10);
    EXPECT_EQ(reads().back(), "Mr7086");
    EXPECT_EQ(host.status, "Error: -10");
}

TEST_F(TimeProgram, WithoutAUnitTheStoredProgramIsShownAndOkOnlyStoresIt)
{
    unit.type = unit.typeAfterIdentify = -1;
    catalogue.Holding(7062).value = 5;
    TimeProgramData data = logic.openProgram(3);
    EXPECT_EQ(data.words[Field::EventHour], 5);
    EXPECT_EQ(data.known & ~Field::Bit(Field::Scene), Field::kAll & ~Field::Bit(Field::Scene));
    EXPECT_EQ(host.status, "Error: No device connected or PIN wrong.");

    host.statusHistory.clear();
    data.words[Field::EventHour] = 9;
    EXPECT_EQ(logic.saveProgram(3, data), Result::NoLink);
    EXPECT_EQ(catalogue.Holding(7062).value, 9);
    EXPECT_TRUE(unit.writes().empty());
    EXPECT_TRUE(host.statusHistory.empty());
}

TEST_F(TimeProgram, DemoModeShowsAndStoresTheCatalogueWithoutTouchingAUnit)
{
    unit.demo = true;
    catalogue.Holding(7066).value = 4;
    catalogue.Holding(7063).value = 20;
    TimeProgramData data = logic.openProgram(3);
    EXPECT_EQ(data.words[Field::Scene], 4);
    EXPECT_EQ(data.words[Field::EventMinute], 20);
    EXPECT_EQ(data.known, Field::kAll);
    data.words[Field::Activate] = 1;
    EXPECT_EQ(logic.saveProgram(3, data), 0);
    EXPECT_TRUE(unit.log.empty()); // not even an identification
    EXPECT_EQ(catalogue.Holding(7060).value, 1);
}

// A program read only in part must not be written back with the start
// values of the fields that were never read.
TEST_F(TimeProgram, FieldsThatCouldNotBeReadAreNamedAndWrittenOnlyWhenChanged)
{
    onUnit(3, {1, 31, 6, 30, 400, 215, 2});
    onUnit(5, {1, 31, 7, 0, 721, 0, 2});
    catalogue.Holding(7064).value = 999; // from an earlier read
    unit.failRead[7062] = -10;
    const TimeProgramData read = logic.openProgram(3);
    EXPECT_EQ(read.known, Field::Bit(Field::Activate) | Field::Bit(Field::EventDay));
    EXPECT_EQ(reads().back(), "Mr7062");
    EXPECT_EQ(host.status, "Done.");

    CTimeProgramDialogLogic d(3, true, catalogue, host, dialog);
    d.show(read);
    EXPECT_EQ(dialog[Dlg::Unread].text, "Not read from the unit: Event Hour, Event Minute, Register Address, "
                                        "Register New Value, Assignment To Scene. The unit keeps its values for "
                                        "these unless you change them.");
    EXPECT_TRUE(dialog[Dlg::Unread].visible);
    EXPECT_EQ(dialog[Dlg::EventHour].state, EditState::Stale);
    EXPECT_EQ(dialog[Dlg::Monday].state, EditState::Clean);

    // "OK" without touching them: only what was read goes back.
    type(d, Dlg::RegisterNewValue, "-3");
    EXPECT_EQ(dialog[Dlg::RegisterNewValue].state, EditState::Clean);
    ASSERT_TRUE(d.confirm());
    unit.log.clear();
    unit.failRead.clear();
    EXPECT_EQ(logic.saveProgram(3, d.result()), 0);
    EXPECT_EQ(unit.writes(), (std::vector<std::string>{"Mw7060 1", "Mw7061 31", "Mw7065 65533"}));
    EXPECT_EQ(unit.registers[7062], 6);
    EXPECT_EQ(catalogue.Holding(7064).value, 999);

    // A scene chosen by the user, with the time not read: the scene's other
    // programs keep their time.
    dialog[Dlg::Scene].index = 2;
    d.userChanged(Dlg::Scene);
    unit.log.clear();
    EXPECT_EQ(logic.saveProgram(3, d.result()), 0);
    EXPECT_TRUE(std::find(unit.log.begin(), unit.log.end(), "Mw7066 2") != unit.log.end());
    EXPECT_TRUE(reads().empty());

    // Once every field is set the note goes.
    for (const ControlId id : {Dlg::EventHour, Dlg::EventMinute, Dlg::RegisterAddress})
        type(d, id, "1");
    EXPECT_FALSE(dialog[Dlg::Unread].visible);
}

// The dialog's picture shows the program as the fields hold it, the value in
// the form of the register's page; what is not a valid number, or was not
// read, shows as "--".
TEST_F(TimeProgram, ThePictureShowsTheFieldsAsTheyStand)
{
    const struct
    {
        const char* what;
        unsigned known;
        const char* hour;
        const char* address;
        const char* value;
        const char* time;
        const char* shownAddress;
        const char* name;
        const char* shownValue;
        const char* scene;
    } rows[] = {
        {"as read", Field::kAll, "6", "400", "215", "06:30", "400", "Setpoint Temp", "21.5 \u00b0C", "Scene 2"},
        {"hour typed", Field::kAll, "17", "400", "215", "17:30", "400", "Setpoint Temp", "21.5 \u00b0C", "Scene 2"},
        {"hour out of range", Field::kAll, "24", "400", "215", "--:30", "400", "Setpoint Temp", "21.5 \u00b0C",
         "Scene 2"},
        {"hour no number", Field::kAll, "", "400", "215", "--:30", "400", "Setpoint Temp", "21.5 \u00b0C", "Scene 2"},
        {"list register", Field::kAll, "6", "404", "2", "06:30", "404", "OpMode Status", "2 = heating", "Scene 2"},
        {"register not in the catalogue", Field::kAll, "6", "9999", "-5", "06:30", "9999", "no such register", "-5",
         "Scene 2"},
        {"value out of range", Field::kAll, "6", "400", "-32768", "06:30", "400", "Setpoint Temp", "--", "Scene 2"},
        {"address, value and scene not read", Field::kAll & ~(Field::Bit(Field::RegisterAddress) |
                                                               Field::Bit(Field::RegisterNewValue) |
                                                               Field::Bit(Field::Scene)),
         "6", "400", "215", "06:30", "--", "not read", "--", "not read"},
    };
    catalogue.Holding(Reg::TempUnit).value = 1;
    for (const auto& r : rows) {
        CTimeProgramDialogLogic d(5, true, catalogue, host, dialog);
        TimeProgramData program{.words = {1, 31, 6, 30, 400, 215, 2}, .known = r.known};
        d.show(program);
        dialog[Dlg::EventHour].text = r.hour;
        dialog[Dlg::RegisterAddress].text = r.address;
        dialog[Dlg::RegisterNewValue].text = r.value;
        const TimeProgramScreen s = d.screen();
        EXPECT_EQ(s.title, "Time program 5") << r.what;
        EXPECT_TRUE(s.active) << r.what;
        EXPECT_EQ(s.days, (std::array<bool, 7>{true, true, true, true, true, false, false})) << r.what;
        EXPECT_EQ(s.time, r.time) << r.what;
        EXPECT_EQ(s.address, r.shownAddress) << r.what;
        EXPECT_EQ(s.registerName, r.name) << r.what;
        EXPECT_EQ(s.value, r.shownValue) << r.what;
        EXPECT_TRUE(s.scenes) << r.what;
        EXPECT_EQ(s.scene, r.scene) << r.what;
    }
}

// Beside "Register Address" the register's name, beside "Register New
// Value" the value as the register's page shows it, for the fields as typed;
// nothing for a field the unit did not give.
TEST_F(TimeProgram, TheRegisterIsNamedAndItsValueShownInItsPagesForm)
{
    const struct
    {
        const char* what;
        unsigned known;
        const char* address;
        const char* value;
        const char* name;
        const char* shown;
    } rows[] = {
        {"set-point on a Celsius unit", Field::kAll, "400", "215", "400 - Setpoint Temp", "21.5 \u00b0C"},
        {"list entry", Field::kAll, "404", "2", "404 - OpMode Status", "2 = heating"},
        {"not in the catalogue", Field::kAll, "9999", "5", "no such register", ""},
        {"address beyond the table", Field::kAll, "32767", "5", "no such register", ""},
        {"address being typed", Field::kAll, "", "215", "no such register", ""},
        {"value out of range", Field::kAll, "400", "-32768", "400 - Setpoint Temp", ""},
        {"value not read", Field::kAll & ~Field::Bit(Field::RegisterNewValue), "400", "215", "400 - Setpoint Temp",
         ""},
        {"address not read", Field::kAll & ~Field::Bit(Field::RegisterAddress), "400", "215", "", ""},
    };
    catalogue.Holding(Reg::TempUnit).value = 1;
    for (const auto& r : rows) {
        CTimeProgramDialogLogic d(5, true, catalogue, host, dialog);
        d.show(TimeProgramData{.words = {1, 31, 6, 30, 400, 215, 0}, .known = r.known});
        dialog[Dlg::RegisterAddress].text = r.address;
        dialog[Dlg::RegisterNewValue].text = r.value;
        d.showRegister();
        EXPECT_EQ(dialog[Dlg::AddressName].text, r.name) << r.what;
        EXPECT_EQ(dialog[Dlg::ValueShown].text, r.shown) << r.what;
    }
}

// "Find Register" offers the registers a program can write, by name; the
// one picked becomes the address (the user's, also where it was not read).
TEST_F(TimeProgram, FindRegisterPutsThePickedRegistersAddressInPlace)
{
    catalogue.Holding(Reg::TempUnit).value = 1;
    CTimeProgramDialogLogic d(5, true, catalogue, host, dialog);
    d.show(TimeProgramData{.words = {1, 31, 6, 30, 1, 215, 0},
                           .known = Field::kAll & ~Field::Bit(Field::RegisterAddress)});
    const auto picks = d.pickableRegisters();
    const auto at = [&picks](uint16_t address) { return std::find(picks.begin(), picks.end(), address); };
    ASSERT_NE(at(400), picks.end());
    EXPECT_EQ(at(100), picks.end()) << "a reading the unit does not take";
    EXPECT_EQ(at(2000), picks.end()) << "the device type";
    EXPECT_TRUE(std::is_sorted(picks.begin(), picks.end()));

    dialog[Dlg::FindRegister].index = static_cast<int>(at(400) - picks.begin());
    d.userChanged(Dlg::FindRegister);
    EXPECT_EQ(dialog[Dlg::RegisterAddress].text, "400");
    EXPECT_EQ(dialog[Dlg::AddressName].text, "400 - Setpoint Temp");
    EXPECT_EQ(dialog[Dlg::ValueShown].text, "21.5 \u00b0C");
    ASSERT_TRUE(d.confirm());
    EXPECT_TRUE(d.result().knows(Field::RegisterAddress));
    EXPECT_EQ(d.result().words[Field::RegisterAddress], 400);
}

TEST_F(TimeProgram, TheOverviewWritesDaysAndTimesAsTheUnitShowsThem)
{
    const struct
    {
        uint16_t eventDay;
        const char* days;
    } rows[] = {
        {0x1F, "Mo-Fr"}, {0x60, "Sa Su"}, {0x7F, "Mo-Su"},       {0x15, "Mo We Fr"},
        {0x67, "Mo-We Sa Su"}, {0x40, "Su"}, {0x00, "none"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(CTimeProgramLogic::DayList(r.eventDay), r.days) << r.eventDay;
    EXPECT_EQ(CTimeProgramLogic::TimeText(6, 30), "06:30");
    EXPECT_EQ(CTimeProgramLogic::TimeText(17, 5), "17:05");
}

// "Read Target" reads every program in the dialog's order into the
// catalogue; a register the unit refuses ends that program's read only and
// shows "---" for what it left; the status names the first failure.
TEST_F(TimeProgram, ReadTargetReadsEveryProgramAndTheOverviewShowsThem)
{
    catalogue.Holding(Reg::TempUnit).value = 1;
    for (int n = 1; n <= CTimeProgramLogic::kPrograms; ++n)
        onUnit(n, {0, 0, 0, 0, 1, 0, 0});
    onUnit(5, {1, 0x1F, 6, 30, 400, 215, 2});
    unit.failRead[static_cast<uint16_t>(CTimeProgramLogic::Base(45) + Field::RegisterAddress)] = -10;
    int rebuilt = 0;
    logic.setRebuilt([&rebuilt] { ++rebuilt; });

    EXPECT_TRUE(logic.overviewRow(5).stale) << "not read from the unit yet";
    EXPECT_EQ(logic.readTargetButton(), -10);
    EXPECT_EQ(host.status, "Error: -10");
    EXPECT_EQ(rebuilt, 1);
    const std::vector<std::string> r = reads();
    EXPECT_EQ(r.size(), 48u * 7u - 2u); // program 45 stops at its address
    EXPECT_EQ(std::vector<std::string>(r.begin(), r.begin() + 8),
              (std::vector<std::string>{"Mr7040", "Mr7041", "Mr7042", "Mr7043", "Mr7044", "Mr7045", "Mr7046",
                                        "Mr7050"}));
    EXPECT_EQ(r.back(), "Mr7516");

    const TimeProgramOverviewRow five = logic.overviewRow(5);
    EXPECT_EQ(five.active, "on");
    EXPECT_EQ(five.days, "Mo-Fr");
    EXPECT_EQ(five.time, "06:30");
    EXPECT_EQ(five.registerName, "400 - Setpoint Temp");
    EXPECT_EQ(five.value, "21.5 \u00b0C");
    EXPECT_EQ(five.scene, "Scene 2");
    EXPECT_FALSE(five.stale);
    EXPECT_EQ(page[TimeProgramId::FirstProgram + 4].text, "*  Time Progam 5  *");

    const TimeProgramOverviewRow partly = logic.overviewRow(45);
    EXPECT_EQ(partly.time, "00:00");
    EXPECT_EQ(partly.registerName, "---");
    EXPECT_EQ(partly.value, "---");
    EXPECT_EQ(partly.scene, "---");
    EXPECT_EQ(logic.overviewRow(46).registerName, "no such register"); // read after 45 all the same

    // Opening the program again and saving it puts its fields back.
    unit.failRead.clear();
    const TimeProgramData data = logic.openProgram(45);
    logic.saveProgram(45, data);
    EXPECT_EQ(logic.overviewRow(45).value, "0");
}

// A unit that stops answering ends the read at once, also after a register
// it refused: the programs after it are not asked for and are marked as not
// read; the status keeps the first failure.
TEST_F(TimeProgram, ReadTargetEndsWhenTheLinkIsLost)
{
    for (const int lost : {Result::NoReply, Result::PortGone}) {
        unit.log.clear();
        unit.failRead = {{static_cast<uint16_t>(CTimeProgramLogic::Base(2) + Field::EventHour), Result::ReadFailed},
                         {static_cast<uint16_t>(CTimeProgramLogic::Base(3) + Field::EventHour), lost}};
        EXPECT_EQ(logic.readTargetButton(), Result::ReadFailed);
        EXPECT_EQ(host.status, "Error: -10");
        const std::vector<std::string> r = reads();
        EXPECT_EQ(r.back(), "Mr7062") << lost;
        EXPECT_EQ(r.size(), 7u + 3u + 3u) << lost;
        EXPECT_FALSE(logic.overviewRow(2).stale);
        EXPECT_EQ(logic.overviewRow(2).time, "---");
        EXPECT_EQ(logic.overviewRow(3).time, "---");
        EXPECT_TRUE(logic.overviewRow(4).stale);
        EXPECT_TRUE(logic.overviewRow(48).stale);
    }
    // Another unit: nothing is read from it yet.
    logic.forgetReads();
    EXPECT_TRUE(logic.overviewRow(2).stale);
    EXPECT_NE(logic.overviewRow(3).time, "---");
}

// Before "Read Target" the catalogue holds only the activate flags the
// connection read; the rest of a program are start values that must not
// pass for the unit's. A program once read keeps its values (grey) when a
// later read does not reach it; demo mode shows what the catalogue holds.
TEST_F(TimeProgram, TheOverviewSaysWhatWasNotReadYet)
{
    catalogue.Holding(Reg::TempUnit).value = 1;
    catalogue.Holding(CTimeProgramLogic::Base(5)).value = 1; // the connection's read of the flag
    const auto cells = [this](int program) {
        const TimeProgramOverviewRow r = logic.overviewRow(program);
        return std::vector<std::string>{r.active, r.days, r.time, r.registerName, r.value, r.scene};
    };
    const std::vector<std::string> unread = {"on", "not read", "not read", "not read", "not read", "not read"};
    EXPECT_EQ(cells(5), unread);
    EXPECT_TRUE(logic.overviewRow(5).stale);
    EXPECT_EQ(cells(6)[0], "off");

    // A read that ends after program 2: 1 and 2 show the unit's values, the
    // rest still says nothing was read.
    onUnit(1, {1, 0x1F, 6, 30, 400, 215, 0});
    unit.failRead = {{static_cast<uint16_t>(CTimeProgramLogic::Base(3)), Result::NoReply}};
    logic.readTargetButton();
    EXPECT_EQ(cells(1), (std::vector<std::string>{"on", "Mo-Fr", "06:30", "400 - Setpoint Temp", "21.5 \u00b0C",
                                                  "No assignment"}));
    EXPECT_EQ(cells(4)[1], "not read");

    // The next read gets no answer at program 1: program 2 keeps what was
    // read of it before, marked as possibly out of date.
    unit.failRead = {{static_cast<uint16_t>(CTimeProgramLogic::Base(1)), Result::NoReply}};
    logic.readTargetButton();
    EXPECT_TRUE(logic.overviewRow(2).stale);
    EXPECT_EQ(cells(2)[2], "00:00");

    // Another unit: nothing of it read yet.
    logic.forgetReads();
    EXPECT_EQ(cells(1)[2], "not read");

    // Demo mode has no unit to read: the catalogue's programs are the ones shown.
    unit.demo = true;
    EXPECT_EQ(cells(1)[2], "06:30");
}

TEST_F(TimeProgram, ReadTargetSendsNothingInDemoModeOrWithoutAUnit)
{
    unit.demo = true;
    EXPECT_EQ(logic.readTargetButton(), 0);
    unit.demo = false;
    unit.type = -1;
    host.status = "Ready.";
    logic.readTargetButton();
    EXPECT_TRUE(reads().empty());
    EXPECT_EQ(host.status, "Ready.");
    EXPECT_EQ(logic.overviewRow(1).scene, "") << "no scenes without a unit of device type 2000";
}
