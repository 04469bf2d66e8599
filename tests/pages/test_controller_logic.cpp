// The Controller page's and its dialogs' rules against fakes: the tables
// (which registers a launch reads and writes, which rows a mode shows and
// checks), what "OK" hands back and what it refuses, and the output values
// view's formats and its refresh that never runs twice at once.
#include "tests/support/PageFakes.h"

#include "model/RegisterCatalogue.h"
#include "pages/core/CControllerDialogLogic.h"
#include "pages/core/CControllerLogic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>

using namespace Page;

namespace {

struct Catalogue
{
    Catalogue() { c.Build(); }
    RegisterCatalogue c;
};

struct Dialog : Catalogue
{
    explicit Dialog(DialogRequest r) : request(std::move(r)) {}
    DialogRequest request;
    FakeHost host;
    FakeControls controls;
    std::unique_ptr<CControllerDialogLogic> logic;

    CControllerDialogLogic& open(IUnitAccess* unit = nullptr)
    {
        logic = std::make_unique<CControllerDialogLogic>(request, c, host, controls, unit);
        logic->open();
        return *logic;
    }
    FakeControl& field(uint16_t address) { return controls[logic->fieldId(address)]; }
};

DialogRequest Request(ControllerDialog dialog, bool pi, int type, std::map<uint16_t, uint16_t> values,
                      uint16_t fanMapping = 1)
{
    DialogRequest r;
    r.dialog = dialog;
    r.pi = pi;
    r.deviceType = type;
    r.values = std::move(values);
    r.fanMapping = fanMapping;
    return r;
}

} // namespace

TEST(ControllerLogic, ChangeOverByInputSetsOneInputAndReleasesTheOther)
{
    const struct
    {
        int selection;
        uint16_t in1, in2, want1, want2;
    } kCases[] = {
        {1, 3, 18, 17, 2}, {2, 17, 7, 18, 7}, {3, 17, 3, 2, 17}, {4, 18, 17, 2, 18},
        {5, 17, 18, 1, 2}, {6, 17, 18, 2, 2}, {0, 3, 17, 3, 2},
    };
    for (const auto& c : kCases) {
        uint16_t in1 = c.in1;
        uint16_t in2 = c.in2;
        CControllerLogic::AdjustInputs(c.selection, in1, in2);
        EXPECT_EQ(in1, c.want1) << c.selection;
        EXPECT_EQ(in2, c.want2) << c.selection;
    }
}

TEST(ControllerLogic, LaunchListsFollowDeviceTypeAndPi)
{
    Catalogue cat;
    FakeUnit unit(cat.c);
    FakeHost host;
    FakeControls controls;
    CControllerLogic logic(cat.c, unit, host, controls);
    const ControllerLaunch& cooling = *CControllerLogic::LaunchOf(ControllerId::CoolingConfig);

    const struct
    {
        int type;
        bool pi;
        std::vector<uint16_t> tail; // after 8005
    } kCases[] = {
        {1000, true, {8028, 8026}},  {1001, true, {8026}},  {1001, false, {}},
        {1006, false, {8028, 8026}}, {1004, false, {8028}},
    };
    for (const auto& c : kCases) {
        unit.type = c.type;
        controls.add(ControllerId::CoolingPi, ControlKind::Button).checked = c.pi;
        std::vector<uint16_t> want{8009, 8010, 8011, 8012, 8018, 8019, 8008, 8005};
        want.insert(want.end(), c.tail.begin(), c.tail.end());
        EXPECT_EQ(logic.writeList(cooling), want) << c.type << " " << c.pi;
        want.insert(want.begin(), Reg::TempUnit);
        EXPECT_EQ(logic.readList(cooling), want) << c.type << " " << c.pi;
    }
    // The fan controller's registers by mapping, PI flag and device type.
    EXPECT_EQ(CControllerLogic::FanRegisters(2, true, 1000).size(), 7u);
    EXPECT_EQ(CControllerLogic::FanRegisters(6, true, 1003),
              (std::vector<uint16_t>{8200, 8202, 8203, 8209, 8034, 8035, 8036}));
    EXPECT_EQ(CControllerLogic::FanRegisters(6, true, 1004),
              (std::vector<uint16_t>{8200, 8204, 8205, 8206, 8207}));
    EXPECT_TRUE(CControllerLogic::FanRegisters(0, true, 1000).empty());
}

TEST(ControllerLogic, UndoWritesTheSecondControllerTypeTheRadiosShow)
{
    Catalogue cat;
    FakeUnit unit(cat.c);
    FakeHost host;
    FakeControls controls;
    CControllerLogic logic(cat.c, unit, host, controls);
    controls.add(ControllerId::SecondOnOff, ControlKind::Button);
    logic.readCycle(); // undo writes what was read from the unit
    controls[ControllerId::SecondOnOff].checked = true;
    cat.c.Holding(8044).value = 0;
    logic.undoChanges();
    const auto w = unit.writes();
    ASSERT_GE(w.size(), 3u);
    EXPECT_EQ(w[2], "Mw8044 1");
}

TEST(ControllerLogic, FanGroupFollowsFanControlAndDeviceType)
{
    const struct
    {
        int type;
        uint16_t fanControl, mapping;
        bool list, radios, fanOutput;
    } kCases[] = {
        {2050, 1, 6, true, true, true},   {2050, 1, 3, true, false, true}, {2050, 0, 6, false, false, true},
        {1004, 1, 6, true, false, false}, {1000, 1, 9, true, true, false},
    };
    for (const auto& c : kCases) {
        Catalogue cat;
        FakeUnit unit(cat.c);
        unit.type = c.type;
        unit.registers = {{3749, c.fanControl}, {8031, c.mapping}, {2000, static_cast<uint16_t>(c.type)}};
        cat.c.Holding(2000).value = static_cast<uint16_t>(c.type);
        FakeHost host;
        FakeControls controls;
        controls.add(ControllerId::FanMapping, ControlKind::ComboBox);
        CControllerLogic logic(cat.c, unit, host, controls);
        EXPECT_EQ(logic.readCycle(), 0);
        EXPECT_EQ(controls[ControllerId::FanMapping].index, c.mapping);
        EXPECT_EQ(controls[ControllerId::FanMapping].enabled, c.list) << c.type << " " << c.fanControl;
        EXPECT_EQ(controls[ControllerId::FanConfig].enabled, c.list) << c.type;
        EXPECT_EQ(controls[ControllerId::FanPi].enabled, c.radios) << c.type << " " << c.mapping;
        EXPECT_EQ(controls[ControllerId::FanOnOff].enabled, c.radios) << c.type << " " << c.mapping;
        EXPECT_EQ(controls[ControllerId::FanOutputButton].enabled, c.fanOutput) << c.type;
    }
}

// A change-over write the unit refuses leaves the page and the catalogue at
// what the unit holds: the lists, the mode radios and what they enable, and
// the input functions (3900, 3901) of a "by DI / Temp" choice. What the unit
// did take before the refusal stays taken.
TEST(ControllerLogic, ARefusedChangeOverWriteShowsWhatTheUnitHolds)
{
    using namespace ControllerId;
    constexpr int kRefused = 2; // an adapter status: the unit did not take it
    const struct
    {
        const char* what;
        Page::ControlId changed;
        int chosen; // the list entry the user chose (-1: a radio was clicked)
        uint16_t refused;
        int opMode, coDi, coModbus; // the lists afterwards
        uint16_t input1, input2;    // the catalogue afterwards
        bool opModeListOn, coDiListOn;
    } kCases[] = {
        {"by DI / Temp list", CoDiList, 1, 8054, 1, 0, 3, 3, 17, true, false},
        {"input 1 of it", CoDiList, 1, 3900, 1, 1, 3, 3, 17, false, true},
        {"input 2 of it", CoDiList, 1, 3901, 1, 1, 3, 17, 17, false, true},
        {"by Modbus list", CoModbusList, 1, 1602, 1, 0, 3, 3, 17, true, false},
        {"OPMode list", OpModeList, 2, 1607, 1, 0, 3, 3, 17, true, false},
        {"by DI / Temp radio", CoDiRadio, -1, 8054, 1, 0, 3, 3, 17, true, false},
        {"by Modbus radio", CoModbusRadio, -1, 1602, 1, 0, 3, 3, 17, true, false},
    };
    for (const auto& c : kCases) {
        Catalogue cat;
        FakeUnit unit(cat.c);
        unit.registers = {{8054, 0}, {1602, 3}, {1607, 1}, {1600, 0}, {3900, 3}, {3901, 17}};
        cat.c.Holding(3900).value = 3; // as the Inputs page read them
        cat.c.Holding(3901).value = 17;
        FakeHost host;
        FakeControls controls;
        for (const Page::ControlId list : {OpModeList, CoDiList, CoModbusList})
            controls.add(list, ControlKind::ComboBox);
        for (const Page::ControlId radio : {OpModeRadio, CoDiRadio, CoModbusRadio})
            controls.add(radio, ControlKind::Button);
        CControllerLogic logic(cat.c, unit, host, controls);
        ASSERT_EQ(logic.readCycle(), 0);
        unit.failWrite[c.refused] = kRefused;
        if (c.chosen >= 0)
            controls[c.changed].index = c.chosen;
        else
            controls[c.changed].checked = true;
        logic.changed(c.changed);

        EXPECT_EQ(host.status, "Error: 2") << c.what;
        EXPECT_EQ(controls[OpModeList].index, c.opMode) << c.what;
        EXPECT_EQ(controls[CoDiList].index, c.coDi) << c.what;
        EXPECT_EQ(controls[CoModbusList].index, c.coModbus) << c.what;
        EXPECT_EQ(controls[OpModeList].enabled, c.opModeListOn) << c.what;
        EXPECT_EQ(controls[CoDiList].enabled, c.coDiListOn) << c.what;
        EXPECT_EQ(cat.c.Holding(3900).value, c.input1) << c.what;
        EXPECT_EQ(cat.c.Holding(3901).value, c.input2) << c.what;
        EXPECT_EQ(cat.c.Holding(3900).value, unit.registers[3900]) << c.what;
        EXPECT_EQ(cat.c.Holding(3901).value, unit.registers[3901]) << c.what;
        EXPECT_FALSE(logic.changeOverPending()) << c.what << ": no re-read waits for a refused change";
    }
}

// ---- Dialogs --------------------------------------------------------------------

TEST(ControllerDialog, RefusedValueLeavesTheCatalogueAndNamesTheLimits)
{
    Dialog d(Request(ControllerDialog::Cooling, false, 1002, {{8011, 0}, {8012, 100}, {8008, 10}}));
    d.c.Holding(8012).value = 90;
    d.open();
    d.field(8012).text = "150";
    ControlId focus = kNoControl;
    EXPECT_FALSE(d.logic->accept(&focus));
    EXPECT_EQ(d.controls[ControllerDialogId::Info].text, "Error: selected value out of range [0 - 100]");
    EXPECT_EQ(focus, d.logic->fieldId(8012));
    EXPECT_EQ(d.c.Holding(8012).value, 90);
    EXPECT_EQ(d.request.values.at(8012), 100);

    // Hysteresis is checked first, in its own format (tenths).
    d.field(8008).text = "27.1";
    EXPECT_FALSE(d.logic->accept(&focus));
    EXPECT_EQ(focus, d.logic->fieldId(8008));
    EXPECT_EQ(d.controls[ControllerDialogId::Info].text, "Error: selected value out of range [0 - 270]  (0.0 - 27.0 \u00b0C)");
}

TEST(ControllerDialog, OkTakesShownRowsAndHandsHiddenOnesBack)
{
    // Heating PI: the PWM cycle time is taken too; 8027, 8050, 8051 are not
    // shown and come back as given.
    Dialog d(Request(ControllerDialog::Heating, true, 1000,
                     {{8013, 20},
                      {8014, 20},
                      {8015, 0},
                      {8016, 100},
                      {8008, 10},
                      {8018, 2},
                      {8051, 340},
                      {8005, 30},
                      {8019, 0},
                      {8027, 1},
                      {8050, 2},
                      {8025, 0}}));
    d.open();
    EXPECT_EQ(d.field(8013).text, "2.0");
    EXPECT_EQ(d.field(8018).text, "0.2");
    d.field(8013).text = "3,5";
    d.field(8005).text = "45";
    d.field(8019).index = 1;
    ASSERT_TRUE(d.logic->accept());
    EXPECT_EQ(d.request.values.at(8013), 35);
    EXPECT_EQ(d.request.values.at(8005), 45);
    EXPECT_EQ(d.request.values.at(8019), 1);
    EXPECT_EQ(d.request.values.at(8027), 1);
    EXPECT_EQ(d.request.values.at(8050), 2);
    EXPECT_EQ(d.request.values.at(8051), 340);
    EXPECT_EQ(d.c.Holding(8013).value, 20); // the page stores, not the dialog

    // A PWM cycle time outside its limits is refused like any other.
    d.field(8005).text = "2";
    ControlId focus = kNoControl;
    EXPECT_FALSE(d.logic->accept(&focus));
    EXPECT_EQ(focus, d.logic->fieldId(8005));
}

TEST(ControllerDialog, ValveVoltagesCountOnlyForTheGeneralValve)
{
    Dialog d(Request(ControllerDialog::Valve, false, 1000,
                     {{8020, 3}, {8021, 200}, {8022, 500}, {8023, 700}, {8024, 1000}}));
    d.open();
    EXPECT_FALSE(d.field(8021).enabled);
    EXPECT_EQ(d.field(8021).text, "2.00");
    EXPECT_EQ(d.logic->upperPicture(), Picture::ValveChart3);
    d.field(8022).text = "99"; // disabled and not taken
    ASSERT_TRUE(d.logic->accept());
    EXPECT_EQ(d.request.values.at(8020), 3);
    EXPECT_EQ(d.request.values.at(8022), 500);

    d.field(8020).index = 1;
    d.logic->valveChosen();
    EXPECT_TRUE(d.field(8021).enabled);
    EXPECT_EQ(d.logic->upperPicture(), Picture::None);
    d.field(8022).text = "5.55";
    ASSERT_TRUE(d.logic->accept());
    EXPECT_EQ(d.request.values.at(8022), 555);
}

TEST(ControllerDialog, ModesShowAndEnableRowsByDeviceType)
{
    // The fan controller on an air quantity: a 1004 uses the ON/OFF set even with PI.
    Dialog fan(Request(ControllerDialog::Fan, true, 1004, {}, 6));
    fan.open();
    EXPECT_NE(fan.logic->fieldId(8204), kNoControl);
    EXPECT_EQ(fan.logic->fieldId(8202), kNoControl);
    EXPECT_EQ(fan.logic->unitText(FieldUnit::Quantity), "ppm");
    EXPECT_EQ(fan.logic->upperPicture(), Picture::FanLevels);
    // ... and a 1005 has no relay levels.
    Dialog fan1005(Request(ControllerDialog::Fan, false, 1005, {}, 4));
    fan1005.open();
    EXPECT_FALSE(fan1005.field(8205).visible);
    EXPECT_TRUE(fan1005.field(8204).visible);

    Dialog outputs(Request(ControllerDialog::Outputs, false, 1001, {}));
    outputs.open();
    for (const uint16_t a : {8027, 8028, 8029, 8030})
        EXPECT_FALSE(outputs.field(a).enabled) << a;
    for (const uint16_t a : {8025, 8026})
        EXPECT_TRUE(outputs.field(a).enabled) << a;

    // Temperature-mapped fan: the gradient is off when the mapped controller is PI.
    Dialog temp(Request(ControllerDialog::Fan, false, 1000, {{8003, 0}, {8004, 1}}, 3));
    temp.open();
    EXPECT_FALSE(temp.field(8037).enabled);
    EXPECT_FALSE(temp.field(8038).enabled);
    EXPECT_TRUE(temp.field(8034).enabled);

    // The second controller's sensor mapping shows register value - 1 and gives it back + 1.
    Dialog second(
        Request(ControllerDialog::Second, false, 1000, {{8043, 2}, {8049, static_cast<uint16_t>(-10)}}));
    second.open();
    EXPECT_EQ(second.field(8043).index, 1);
    EXPECT_EQ(second.field(8049).text, "-1.0");
    ASSERT_TRUE(second.logic->accept());
    EXPECT_EQ(second.request.values.at(8043), 2);
    EXPECT_EQ(second.logic->caption(), "Configure");
}

TEST(ControllerDialog, GlobalStoresIntoTheCatalogueItself)
{
    Dialog d(Request(ControllerDialog::Global, false, 1000, {{8000, 10}, {8052, 3}, {8005, 30}}));
    d.open();
    d.field(8052).text = "7";
    ASSERT_TRUE(d.logic->accept());
    EXPECT_EQ(d.c.Holding(8052).value, 7);
    EXPECT_EQ(d.logic->caption(), "Global Controller Configuration");
    EXPECT_EQ(d.request.values.at(8005), 30);
}

namespace {

// A host whose pause lets another refresh try to start (a timer tick while
// the event loop turns).
class ReentrantHost : public FakeHost
{
public:
    CControllerDialogLogic* logic = nullptr;
    int nested = 0;
    void pause(int ms) override
    {
        FakeHost::pause(ms);
        if (logic && nested++ == 0)
            logic->refreshOutputValues(false);
    }
};

} // namespace

TEST(ControllerDialog, OutputValuesFormatAndNeverRefreshTwiceAtOnce)
{
    Catalogue cat;
    FakeUnit unit(cat.c);
    unit.registers = {{402, 210}, {8049, static_cast<uint16_t>(-10)}, {8044, 0}, {1617, 350}, {8031, 1}};
    ReentrantHost host;
    FakeControls controls;
    DialogRequest request = Request(ControllerDialog::OutputValues, false, 2050, {});
    CControllerDialogLogic logic(request, cat.c, host, controls, &unit);
    host.logic = &logic;
    logic.open();
    EXPECT_EQ(logic.refreshOutputValues(false), 0);
    const auto reads =
        std::count_if(unit.log.begin(), unit.log.end(), [](const std::string& s) { return s == "Mr1617"; });
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(controls[logic.fieldId(8044)].text, "20.0");
    EXPECT_EQ(controls[logic.fieldId(1617)].text, "3.50");
    EXPECT_EQ(controls[logic.fieldId(8200)].text, "---");
    EXPECT_EQ(controls[ControllerDialogId::Info].text, "Ready.");
    EXPECT_EQ(logic.setPointInfo(), "Second Controller curr. SetPoint 402 + 8049:   200");

    unit.registers[8044] = 2;
    logic.refreshOutputValues(false);
    EXPECT_EQ(controls[logic.fieldId(8044)].text, "---");
    EXPECT_EQ(logic.setPointInfo(), "Second Controller curr. SetPoint 402 + 8049: ---");
}

// The ON/OFF limits are not the 1004's (it drives no outputs of its own):
// whatever their fields hold, "OK" goes through and hands their values back.
TEST(ControllerDialog, ARowDisabledForTheUnitNeverBlocksOk)
{
    const struct
    {
        ControllerDialog dialog;
        uint16_t address;
    } kRows[] = {{ControllerDialog::Heating, 8015}, {ControllerDialog::Heating, 8016},
                 {ControllerDialog::Cooling, 8011}, {ControllerDialog::Cooling, 8012}};
    for (const auto& r : kRows) {
        Dialog d(Request(r.dialog, false, 1004, {{8008, 10}, {r.address, 50}}));
        d.open();
        ASSERT_FALSE(d.field(r.address).enabled) << r.address;
        d.field(r.address).text = "999";
        EXPECT_TRUE(d.logic->accept()) << r.address << ": " << d.controls[ControllerDialogId::Info].text;
        EXPECT_EQ(d.request.values.at(r.address), 50) << r.address;
    }
}

TEST(ControllerLogic, ATypeRadioClickedDuringAReadIsWrittenWhenTheReadEnds)
{
    Catalogue cat;
    struct Reentering : FakeUnit
    {
        using FakeUnit::FakeUnit;
        std::function<void()> click;
        int readHolding(uint16_t a, uint16_t* v) override
        {
            if (a == 8031 && click) // the event loop ran the click in the middle of the cycle
                std::exchange(click, nullptr)();
            return FakeUnit::readHolding(a, v);
        }
    } unit(cat.c);
    FakeHost host;
    FakeControls controls;
    CControllerLogic logic(cat.c, unit, host, controls);
    controls.add(ControllerId::CoolingOnOff, ControlKind::Button).checked = true;
    unit.click = [&] { logic.changed(ControllerId::CoolingOnOff); };
    logic.readCycle();
    const auto& log = unit.log;
    const auto write = std::find(log.begin(), log.end(), "Mw8004 1");
    ASSERT_NE(write, log.end());
    // Not between the cycle's reads: after the cycle has closed the link.
    EXPECT_GT(write - log.begin(), std::find(log.begin(), log.end(), "disconnect") - log.begin());
    EXPECT_EQ(std::count(log.begin(), log.end(), "Mw8004 1"), 1);
}
