// The page machinery against a fake unit: read and undo cycles, changes,
// the typed-number range check, "Save To NVRAM", demo mode, the register
// information line and the picture marks.
#include "tests/support/PageFakes.h"

#include "model/RegisterCatalogue.h"
#include "pages/core/CHoverInfo.h"
#include "pages/core/CPageEngine.h"
#include "pages/core/PageText.h"
#include "tools/report/CChangeJournal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

using namespace Page;

namespace {

enum : ControlId {
    kFirmware = 1, // read-only number, 2001
    kLanguage,     // list 0..5, 2009
    kSetpoint,     // tenths 0..1220, 400
    kDark,         // check box, 2024
    kBaud,         // special list, 2005
    kLock0,        // bits of 409 (0..7)
    kLock1,
    kLock2,
    kScreenSaver,  // number 0..60, 2012
};
constexpr ControlId kRead = Page::kReadTarget;
constexpr ControlId kUndo = Page::kUndoChanges;
constexpr ControlId kSave = Page::kSaveToNvram;

constexpr Row kRows[] = {
    {.id = kFirmware, .kind = Kind::ReadOnly, .address = 2001, .uses = Use::Read | Use::Hover},
    {.id = kLanguage, .kind = Kind::List, .address = 2009,
     .mark = {Picture::DisplayNormal, {FramePercent{0, 16, 40, 35}}, 1}},
    {.id = kSetpoint, .kind = Kind::Number, .address = 400, .display = Display::TenthsSigned},
    {.id = kDark, .kind = Kind::Check, .address = 2024},
    {.id = kBaud, .kind = Kind::List, .address = 2005, .access = Access::Special},
    {.address = 409},
    {.id = kScreenSaver, .kind = Kind::Number, .address = 2012},
    {.id = kLock0, .kind = Kind::Check, .address = 409, .bit = 0, .uses = Use::Change},
    {.id = kLock1, .kind = Kind::Check, .address = 409, .bit = 1, .hoverName = "RCBBMS_Fan_Lock_409_bit1"},
    {.id = kLock2, .kind = Kind::Check, .address = 409, .bit = 2},
    Page::ReadTargetButton(),
    Page::UndoChangesButton(),
    Page::SaveToNvramButton(),
};
// Not the rows' order: the screen saver is left out, the read-only
// firmware is passed over.
constexpr uint16_t kUndoOrder[] = {2001, 2009, 400, 2024, 2005};
constexpr Description kPage = {.rows = kRows, .undoOrder = kUndoOrder, .defaultPicture = Picture::DisplayDark};

class PageEngineTest : public ::testing::Test
{
protected:
    PageEngineTest() : unit(catalogue), engine(kPage, catalogue, unit, host, controls), hover(kRows, kPage.defaultPicture, catalogue, host, controls)
    {
        catalogue.Build();
        for (ControlId id : {kFirmware, kSetpoint, kScreenSaver})
            controls.add(id, ControlKind::Edit, "old");
        for (ControlId id : {kLanguage, kBaud})
            controls.add(id, ControlKind::ComboBox).index = 0;
        for (ControlId id : std::initializer_list<ControlId>{kDark, kLock0, kLock1, kLock2, kRead, kUndo, kSave})
            controls.add(id, ControlKind::Button);
        unit.registers = {{2001, 1042}, {2009, 3}, {400, 215}, {2024, 1}, {2005, 4}, {409, 5}, {2012, 30}};
    }

    RegisterCatalogue catalogue;
    FakeUnit unit;
    FakeHost host;
    FakeControls controls;
    CPageEngine engine;
    CHoverInfo hover;
};

} // namespace

TEST_F(PageEngineTest, ReadCycleShowsEachRegisterInItsControlAndPausesAfterEachRead)
{
    EXPECT_EQ(engine.readCycle(), 0);
    EXPECT_EQ(controls[kFirmware].text, "1042");
    EXPECT_FALSE(controls[kFirmware].enabled); // read-only register
    EXPECT_EQ(controls[kLanguage].index, 3);
    EXPECT_EQ(controls[kSetpoint].text, "21.5");
    EXPECT_TRUE(controls[kDark].checked);
    EXPECT_EQ(controls[kBaud].index, 4);
    EXPECT_EQ(catalogue.Holding(2005).lastReadValue, 4); // special: both copies
    EXPECT_TRUE(controls[kLock0].checked);
    EXPECT_FALSE(controls[kLock1].checked);
    EXPECT_TRUE(controls[kLock2].checked);
    EXPECT_EQ(host.statusHistory, (std::vector<std::string>{"Running...", "Done."}));
    EXPECT_EQ(host.pauses, std::vector<int>(7, 10));
    EXPECT_EQ(unit.log.front(), "connect");
    EXPECT_EQ(unit.log[5], "Xr2005");
    EXPECT_EQ(unit.log.back(), "disconnect");
}

TEST_F(PageEngineTest, ReadCycleStopsAtTheFirstFailure)
{
    unit.failRead[400] = -10;
    EXPECT_EQ(engine.readCycle(), -10);
    EXPECT_EQ(controls[kFirmware].text, "1042");
    EXPECT_EQ(controls[kLanguage].index, 3);
    EXPECT_EQ(controls[kSetpoint].text, "---");
    EXPECT_FALSE(controls[kDark].checked); // not reached: keeps what it showed
    EXPECT_EQ(controls[kScreenSaver].text, "old");
    EXPECT_EQ(host.status, "Error: -10");
    EXPECT_EQ(unit.log.back(), "disconnect");
}

TEST_F(PageEngineTest, ReadLeavesAFieldTheUserIsTypingInButUpdatesTheCatalogue)
{
    controls[kSetpoint].focus = true;
    controls[kSetpoint].text = "22,";
    engine.readCycle();
    EXPECT_EQ(controls[kSetpoint].text, "22,");
    EXPECT_EQ(catalogue.Holding(400).value, 215);
}

TEST_F(PageEngineTest, WithoutAUnitReadTargetChangesNothing)
{
    unit.type = -1;
    host.status = "Ready.";
    EXPECT_EQ(engine.readTargetButton(), -1);
    EXPECT_EQ(controls[kSetpoint].text, "old");
    EXPECT_TRUE(host.statusHistory.empty());
    EXPECT_TRUE(unit.log.empty());
}

TEST_F(PageEngineTest, DemoModeDisablesTheButtonsAndTalksToNobody)
{
    unit.demo = true;
    engine.enableCommonButtons();
    EXPECT_FALSE(controls[kRead].enabled);
    EXPECT_FALSE(controls[kUndo].enabled);
    EXPECT_FALSE(controls[kSave].enabled);
    EXPECT_EQ(engine.readCycle(), 0);
    EXPECT_EQ(engine.undoCycle(), 0);
    EXPECT_EQ(engine.saveToNvram(), 0);
    controls[kLanguage].index = 2;
    EXPECT_EQ(engine.writeOnChange(kLanguage), 0);
    EXPECT_TRUE(unit.log.empty());
    unit.demo = false;
    engine.enableCommonButtons();
    EXPECT_TRUE(controls[kSave].enabled);
}

TEST_F(PageEngineTest, AChangeIsNotedInTheJournalWithTheValueBeforeAndItsResult)
{
    CChangeJournal::Instance().clear();
    catalogue.Holding(2009).value = 3; // as read
    controls[kLanguage].index = 2;
    EXPECT_EQ(engine.writeOnChange(kLanguage), 0);
    controls[kScreenSaver].text = "45";
    EXPECT_EQ(engine.writeOnChange(kScreenSaver), 0);
    const std::vector<JournalEntry> noted = CChangeJournal::Instance().entries();
    ASSERT_EQ(noted.size(), 2u);
    EXPECT_EQ(noted[0].address, 2009);
    EXPECT_EQ(noted[0].name, catalogue.Holding(2009).name);
    EXPECT_EQ(noted[0].before, 3);
    EXPECT_EQ(noted[0].after, 2);
    EXPECT_EQ(noted[0].result, 0);
    EXPECT_GT(noted[0].time, 0);
    EXPECT_EQ(noted[1].address, 2012);
    EXPECT_EQ(noted[1].after, 45);
    CChangeJournal::Instance().clear();
}

TEST_F(PageEngineTest, ChangesWriteTheControlsValue)
{
    const struct
    {
        ControlId control;
        void (*set)(FakeControl&);
        const char* written;
    } rows[] = {
        {kLanguage, [](FakeControl& c) { c.index = 2; }, "Mw2009 2"},
        {kDark, [](FakeControl& c) { c.checked = false; }, "Mw2024 0"},
        {kSetpoint, [](FakeControl& c) { c.text = "21,5"; }, "Mw400 215"},
        {kBaud, [](FakeControl& c) { c.index = 1; }, "Xw2005 1"},
        {kLock1, [](FakeControl& c) { c.checked = true; }, "Mw409 2"}, // box 0, 2 off: the whole register
    };
    for (const auto& r : rows) {
        unit.log.clear();
        r.set(controls[r.control]);
        EXPECT_EQ(engine.writeOnChange(r.control), 0) << r.written;
        EXPECT_EQ(unit.writes(), std::vector<std::string>{r.written});
        EXPECT_EQ(host.status, "Done.");
        EXPECT_EQ(host.pauses.back(), CPageEngine::kChangePauseMs);
    }
    // The value written is not read back: the catalogue keeps the last read
    // value for "Undo changes" (the special commands excepted).
    EXPECT_EQ(catalogue.Holding(2009).value, 1);
    EXPECT_EQ(catalogue.Holding(2005).value, 1);
}

TEST_F(PageEngineTest, AListEntryOutsideTheLimitsIsRefusedAndClamped)
{
    controls[kLanguage].index = 7; // limits 0..5
    EXPECT_EQ(engine.writeOnChange(kLanguage), -2);
    EXPECT_TRUE(unit.writes().empty());
    EXPECT_EQ(catalogue.Holding(2009).value, 5);
    EXPECT_EQ(host.status, "Error: -2");
}

TEST_F(PageEngineTest, ATypedNumberOutsideTheLimitsShowsTheRangeMessageAndSendsNothing)
{
    controls[kScreenSaver].text = "61";
    EXPECT_EQ(engine.writeOnChange(kScreenSaver), CPageEngine::kTypedOutOfRange);
    EXPECT_TRUE(unit.writes().empty());
    EXPECT_EQ(host.status, "Error: selected value out of range [0;60] !");
    controls[kScreenSaver].text = "65566"; // wraps to 30 in 16 bits: still refused
    EXPECT_EQ(engine.writeOnChange(kScreenSaver), CPageEngine::kTypedOutOfRange);
    EXPECT_TRUE(unit.writes().empty());
    // The field shows what it showed before, marked until the next edit.
    EXPECT_EQ(controls[kScreenSaver].text, "old");
    EXPECT_EQ(controls[kScreenSaver].state, EditState::Refused);
}

TEST_F(PageEngineTest, ANumberFieldWithoutANumberWritesNothing)
{
    // Read as 0 these would write 0; with or without a unit nothing goes.
    for (const int type : {2050, -1})
        for (const char* text : {"", " ", "-", ",", "abc"}) {
            unit.type = type;
            controls[kScreenSaver].text = text;
            const int r = engine.writeOnChange(kScreenSaver);
            if (type > 0) {
                EXPECT_EQ(r, CPageEngine::kNoNumberTyped) << text;
            }
            EXPECT_EQ(host.status, PageText::kNoNumber) << text;
            EXPECT_EQ(controls[kScreenSaver].text, "old") << text;
        }
    EXPECT_TRUE(unit.writes().empty());
    EXPECT_EQ(catalogue.Holding(2012).value, catalogue.Holding(2012).defaultValue);
}

TEST_F(PageEngineTest, AnotherUnitAttachedGetsNothingAndTheUserGoesBackToTheFirstTab)
{
    unit.same = false;
    controls[kLanguage].index = 2;
    engine.writeOnChange(kLanguage);
    EXPECT_TRUE(unit.writes().empty());
    EXPECT_EQ(host.firstTab, 1);
    EXPECT_EQ(host.status, PageText::kAnotherUnit); // says why the page went away
    EXPECT_EQ(unit.log.back(), "disconnect");
}

TEST_F(PageEngineTest, AUnitOfNoKnownTypeKeepsAChangeInTheValueStore)
{
    unit.type = 0;
    controls[kLanguage].index = 4;
    engine.writeOnChange(kLanguage);
    controls[kSetpoint].text = "19.5";
    engine.writeOnChange(kSetpoint);
    EXPECT_TRUE(unit.writes().empty());
    EXPECT_EQ(catalogue.Holding(2009).value, 4);
    EXPECT_EQ(catalogue.Holding(400).value, 195);
}

TEST_F(PageEngineTest, AfterAFailedIdentificationAChangeStaysUnwrittenAndSaveIsRefused)
{
    const uint16_t before = catalogue.Holding(400).value;
    unit.type = -1;
    controls[kSetpoint].text = "19.5";
    EXPECT_EQ(engine.writeOnChange(kSetpoint), Result::NoUnitIdentified);
    EXPECT_EQ(host.status, "not written: no unit identified - connect again");
    EXPECT_EQ(controls[kSetpoint].state, EditState::Edited);
    EXPECT_EQ(catalogue.Holding(400).value, before);
    EXPECT_TRUE(unit.log.empty());

    // The unit is back, the edit is still not on it: never "Done.".
    unit.type = 2050;
    EXPECT_EQ(engine.saveToNvram(), Result::EditsUnwritten);
    EXPECT_EQ(host.status, StatusLineText(Result::EditsUnwritten));
    EXPECT_TRUE(unit.writes().empty());
}

TEST_F(PageEngineTest, AnotherUnitFoundByTheIdentificationGetsNothingFromUndoOrSave)
{
    struct OtherUnit : FakeUnit
    {
        using FakeUnit::FakeUnit;
        int identifyDevice() override
        {
            log.push_back("identify");
            return Result::AnotherUnit;
        }
    } other(catalogue);
    FakeHost otherHost;
    CPageEngine e(kPage, catalogue, other, otherHost, controls);
    for (const auto& action : {std::function<int()>([&] { return e.undoCycle(); }),
                               std::function<int()>([&] { return e.saveToNvram(); })}) {
        otherHost.firstTab = 0;
        EXPECT_EQ(action(), Result::AnotherUnit);
        EXPECT_TRUE(other.writes().empty());
        EXPECT_EQ(otherHost.status, PageText::kAnotherUnit);
        EXPECT_EQ(otherHost.firstTab, 1);
    }
}

TEST_F(PageEngineTest, UndoAfterACycleThatStoppedWritesOnlyWhatWasReadAndNamesTheRest)
{
    unit.failRead[400] = Result::ReadFailed; // the cycle stops at the set point
    EXPECT_EQ(engine.readCycle(), Result::ReadFailed);
    unit.failRead.clear();
    unit.log.clear();
    engine.undoCycle();
    const auto w = unit.writes();
    ASSERT_FALSE(w.empty());
    EXPECT_EQ(w.front(), "Mw2009 3");
    for (const std::string& line : w)
        EXPECT_EQ(line.rfind("Mw2009", 0), 0u) << line; // 400, 2024, 2005 were never read
    EXPECT_EQ(host.status.rfind("Not read from the unit: ", 0), 0u) << host.status;
    for (const char* name : {"400", "2024", "2005"})
        EXPECT_NE(host.status.find(catalogue.Holding(static_cast<uint16_t>(std::stoi(name))).name.empty()
                                       ? std::string(name)
                                       : catalogue.Holding(static_cast<uint16_t>(std::stoi(name))).name),
                  std::string::npos)
            << name << ": " << host.status;
}

TEST_F(PageEngineTest, AUnitOfDeviceTypeZeroGetsNothingWritten)
{
    struct ZeroAfterCheck : FakeUnit
    {
        using FakeUnit::FakeUnit;
        bool isSameDevice() override
        {
            type = 0;
            return true;
        }
    } zero(catalogue);
    CPageEngine e(kPage, catalogue, zero, host, controls);
    controls[kLanguage].index = 4;
    e.writeOnChange(kLanguage);
    EXPECT_TRUE(zero.writes().empty());
    EXPECT_EQ(catalogue.Holding(2009).value, 4);
}

TEST_F(PageEngineTest, UndoWritesTheLastReadValuesBackThenReadsAgain)
{
    engine.readCycle();
    unit.registers[2009] = 0; // changed on the unit since
    unit.registers[400] = 100;
    unit.log.clear();
    EXPECT_EQ(engine.undoChangesButton(), 0);
    EXPECT_EQ(unit.writes(), (std::vector<std::string>{"Mw2009 3", "Mw400 215", "Mw2024 1", "Xw2005 4"}));
    EXPECT_EQ(unit.log.front(), "identify");
    EXPECT_EQ(controls[kLanguage].index, 3);
    EXPECT_EQ(host.status, "Done.");
    EXPECT_EQ(host.busyShown, 1);
    EXPECT_EQ(host.busyHidden, 1);
}

TEST_F(PageEngineTest, UndoReportsAFailedWriteEvenThoughTheReadAfterItWorks)
{
    engine.readCycle();
    unit.failWrite[400] = 19; // the adapter did not confirm
    EXPECT_EQ(engine.undoCycle(), 19);
    EXPECT_EQ(unit.writes(), (std::vector<std::string>{"Mw2009 3", "Mw400 215"}));
    EXPECT_EQ(host.status, "Error: 19");
}

TEST_F(PageEngineTest, UndoWithTheUnitUnpluggedWritesNothing)
{
    unit.typeAfterIdentify = -1;
    EXPECT_LT(engine.undoCycle(), 0);
    EXPECT_TRUE(unit.writes().empty());
    EXPECT_EQ(host.status, "Error: No device connected or PIN wrong.");
}

TEST_F(PageEngineTest, SaveToNvramWritesOneTo2013)
{
    EXPECT_EQ(engine.saveToNvram(), 0);
    EXPECT_EQ(unit.writes(), std::vector<std::string>{"Mw2013 1"});
    EXPECT_EQ(host.status, "Done.");
    unit.connectResult = -2;
    EXPECT_EQ(engine.saveToNvram(), -2);
    EXPECT_EQ(host.status, "Error: -2");
}

TEST_F(PageEngineTest, AChangeDuringACycleWaitsUntilTheCycleEnds)
{
    struct Reentering : FakeUnit
    {
        using FakeUnit::FakeUnit;
        CPageEngine* engine = nullptr;
        int readHolding(uint16_t a, uint16_t* v) override
        {
            if (a == 2024 && engine) { // the event loop ran a click in the middle of the cycle
                CPageEngine* e = engine;
                engine = nullptr;
                e->writeOnChange(kLanguage);
            }
            return FakeUnit::readHolding(a, v);
        }
    } reentering(catalogue);
    reentering.registers = unit.registers;
    CPageEngine e(kPage, catalogue, reentering, host, controls);
    reentering.engine = &e;
    controls[kLanguage].focus = true; // the user is choosing there
    controls[kLanguage].index = 2;
    e.readCycle();
    const auto& log = reentering.log;
    const auto write = std::find(log.begin(), log.end(), "Mw2009 2");
    ASSERT_NE(write, log.end());
    EXPECT_GT(write - log.begin(), std::find(log.begin(), log.end(), "disconnect") - log.begin());
}

TEST_F(PageEngineTest, HoverShowsTheKeyNameOrTheAddressWithTheValue)
{
    catalogue.Holding(2009).value = 1;
    catalogue.Holding(409).value = 5;
    EXPECT_TRUE(hover.hoverAt(50, kLanguage * 20 + 5)); // over the label
    EXPECT_EQ(host.info, PageText::RegisterInfo(2009, 1, RegisterKeyName(2009)));
    EXPECT_FALSE(RegisterKeyName(2009).empty());
    EXPECT_EQ(hover.currentMark().frameCount, 1);
    EXPECT_EQ(hover.currentMark().picture, Picture::DisplayNormal);

    hover.hoverAt(150, kLock1 * 20 + 5); // over the control: bit 1 of 409, the whole word
    EXPECT_EQ(host.info, "RCBBMS_Fan_Lock_409_bit1:     5");
    hover.hoverAt(150, kLock2 * 20 + 5); // a bit without a name
    EXPECT_EQ(host.info, "Modbus Adress =   409 - Value =     5");

    const int updates = host.infoUpdates;
    EXPECT_TRUE(hover.hoverNone());
    EXPECT_EQ(host.info, "");
    EXPECT_FALSE(hover.hoverNone());
    EXPECT_EQ(host.infoUpdates, updates + 1); // an unchanged text is not sent again
    EXPECT_EQ(hover.currentMark().picture, Picture::DisplayDark);
    EXPECT_EQ(hover.currentMark().frameCount, 0);
}

// ---- A page whose unit wants its own order, in two read passes ----------------

namespace {

enum : ControlId { kTwoScreenSaver = 1, kTwoLabel, kTwoLanguage, kTwoDark, kTwoFirmware };

// The rows' order is not the read order; the language only shows what the
// unit set, the dark mode box only the unit's state; the dark mode and the
// screen saver are read in the page's own pass after the cycle.
constexpr Row kTwoPassRows[] = {
    {.id = kTwoScreenSaver, .kind = Kind::Number, .address = 2012, .readGroup = 1},
    {.id = kTwoLabel, .kind = Kind::Text, .address = 3750, .display = Display::Text},
    {.id = kTwoLanguage, .kind = Kind::List, .address = 2009, .showOnly = true},
    {.id = kTwoDark, .kind = Kind::Check, .address = 2024, .readGroup = 1, .statusOnly = true},
    {.id = kTwoFirmware, .kind = Kind::ReadOnly, .address = 2001},
};
constexpr uint16_t kTwoPassOrder[] = {2001, 2009, 3750, 2024, 2012};
constexpr Description kTwoPass = {.rows = kTwoPassRows, .readOrder = kTwoPassOrder};
static_assert(OrdersMatchRows(kTwoPass));

class TwoPassPage : public CPageEngine
{
public:
    using CPageEngine::CPageEngine;
    std::vector<uint16_t> secondPass;

protected:
    int afterReads(int result, bool connected) override
    {
        return readGroup(1, connected && result == 0, result,
                         [this](const Row& row) { secondPass.push_back(row.address); });
    }
};

class TwoPassTest : public ::testing::Test
{
protected:
    TwoPassTest() : unit(catalogue), page(kTwoPass, catalogue, unit, host, controls)
    {
        catalogue.Build();
        for (ControlId id : {kTwoScreenSaver, kTwoLabel, kTwoFirmware})
            controls.add(id, ControlKind::Edit, "old");
        controls.add(kTwoLanguage, ControlKind::ComboBox).index = 0;
        controls.add(kTwoDark, ControlKind::Button);
        unit.registers = {{2001, 1042}, {2009, 3}, {2024, 1}, {2012, 30}, {3750, 0x4142}};
    }
    std::vector<std::string> logOf(char kind) const
    {
        std::vector<std::string> out;
        for (const std::string& line : unit.log)
            if (line.size() > 2 && line[0] == 'M' && line[1] == kind)
                out.push_back(line);
        return out;
    }
    static std::vector<std::string> LabelReads()
    {
        std::vector<std::string> out;
        for (int k = 0; k < 12; ++k)
            out.push_back("Mr" + std::to_string(3750 + k));
        return out;
    }

    RegisterCatalogue catalogue;
    FakeUnit unit;
    FakeHost host;
    FakeControls controls;
    TwoPassPage page;
};

} // namespace

TEST(PageOrders, APagesOwnOrderMustNameItsRowsExactly)
{
    constexpr uint16_t kStray[] = {2001, 2009, 3750, 2024, 2012, 999};
    constexpr uint16_t kMissing[] = {2001, 2009, 3750, 2024};
    constexpr uint16_t kTwice[] = {2001, 2009, 2009, 3750, 2024, 2012};
    constexpr uint16_t kTextRegister[] = {2009, 3755};
    constexpr uint16_t kPastTheText[] = {2009, 3762};
    const struct
    {
        const char* what;
        bool matches;
        bool expected;
    } kCases[] = {
        {"the page's order", OrdersMatchRows(kTwoPass), true},
        {"an address without a reading row", OrdersMatchRows({.rows = kTwoPassRows, .readOrder = kStray}), false},
        {"a reading row left out", OrdersMatchRows({.rows = kTwoPassRows, .readOrder = kMissing}), false},
        {"an address twice", OrdersMatchRows({.rows = kTwoPassRows, .readOrder = kTwice}), false},
        {"undo: a register of a text", OrdersMatchRows({.rows = kTwoPassRows, .undoOrder = kTextRegister}), true},
        {"undo: past the text", OrdersMatchRows({.rows = kTwoPassRows, .undoOrder = kPastTheText}), false},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(c.matches, c.expected) << c.what;
}

TEST_F(TwoPassTest, TheCycleReadsItsGroupInTheUnitsOrderAndThePageReadsTheRest)
{
    // Before any read only the status box is off.
    page.disableAlwaysDisabled();
    EXPECT_FALSE(controls[kTwoDark].enabled);
    EXPECT_TRUE(controls[kTwoLanguage].enabled);

    EXPECT_EQ(page.readCycle(), 0);
    std::vector<std::string> expected = {"Mr2001", "Mr2009"};
    for (const std::string& r : LabelReads())
        expected.push_back(r);
    expected.push_back("Mr2024");
    expected.push_back("Mr2012");
    EXPECT_EQ(logOf('r'), expected);
    EXPECT_EQ(page.secondPass, (std::vector<uint16_t>{2024, 2012}));
    EXPECT_EQ(controls[kTwoScreenSaver].text, "30");
    EXPECT_FALSE(controls[kTwoLanguage].enabled); // show-only: off after the read
    EXPECT_FALSE(controls[kTwoDark].enabled);
}

TEST_F(TwoPassTest, AFailureInEitherPassLeavesTheRestMarkedAsPossiblyOutOfDate)
{
    unit.failRead[2024] = -10;
    EXPECT_EQ(page.readCycle(), -10);
    EXPECT_EQ(controls[kTwoScreenSaver].state, EditState::Stale);
    EXPECT_EQ(controls[kTwoScreenSaver].text, "old");
    EXPECT_EQ(host.status, "Error: -10");

    unit.failRead = {{2009, -11}};
    unit.log.clear();
    page.secondPass.clear();
    EXPECT_EQ(page.readCycle(), -11);
    EXPECT_TRUE(page.secondPass.empty());
    EXPECT_EQ(logOf('r'), (std::vector<std::string>{"Mr2001", "Mr2009"}));
    EXPECT_EQ(controls[kTwoLabel].state, EditState::Stale);
    EXPECT_EQ(controls[kTwoDark].state, EditState::Stale);
    EXPECT_EQ(controls[kTwoScreenSaver].state, EditState::Stale);
}

TEST_F(TwoPassTest, UndoWritesBackWhatWasReadInTheReadOrderATextRegisterByRegister)
{
    ASSERT_EQ(page.readCycle(), 0);
    unit.log.clear();
    EXPECT_EQ(page.undoCycle(), 0);
    std::vector<std::string> expected = {"Mw2009 3", "Mw3750 16706"};
    for (int k = 1; k < 12; ++k)
        expected.push_back("Mw" + std::to_string(3750 + k) + " 0");
    expected.push_back("Mw2024 1");
    expected.push_back("Mw2012 30");
    // The read-only firmware is not written.
    EXPECT_EQ(logOf('w'), expected);
}
