// The Common and Sensors pages' own rules and the sensor dialog, against a
// fake unit: what the simulator cannot easily show (a unit without the
// special read, device type 0, the factory reset's restart wait) and the
// dialog's option sets.
#include "tests/support/PageFakes.h"

#include "model/RegisterCatalogue.h"
#include "pages/core/CCommonLogic.h"
#include "pages/core/CConfiguration.h"
#include "pages/core/CSensorDialogLogic.h"
#include "pages/core/CSensorsLogic.h"
#include "pages/core/PageText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace Page;

namespace {

class CommonLogicTest : public ::testing::Test
{
protected:
    CommonLogicTest() : unit(catalogue), logic(catalogue, unit, host, controls, configuration)
    {
        catalogue.Build();
        using namespace CommonId;
        for (ControlId id : {DeviceType, Firmware, ProdDate, OperationDays, BusAddress, InternalError, Pin,
                             Brightness, ScreenSaver, DateTime})
            controls.add(id, ControlKind::Edit, "old");
        for (ControlId id : {Baudrate, Parity, Language, TempUnit, TimeFormat, DateFormat, Dls, Protocol})
            controls.add(id, ControlKind::ComboBox).index = 0;
        for (ControlId id : std::initializer_list<ControlId>{Darkmode, Page::kReadTarget, Page::kUndoChanges, Page::kSaveToNvram, FactoryReset})
            controls.add(id, ControlKind::Button);
        unit.registers = {{2000, 2050}, {2001, 1042}, {2008, 42}, {2025, 26}, {2045, 1},
                          {2023, 24},   {2022, 3},    {2021, 9},  {2018, 7},  {2019, 5}, {2020, 0}};
    }

    RegisterCatalogue catalogue;
    CConfiguration configuration;
    FakeUnit unit;
    FakeHost host;
    FakeControls controls;
    CCommonLogic logic;
};

} // namespace

TEST(CommonTexts, DisplayFormats)
{
    EXPECT_EQ(CCommonLogic::DeviceTypeDisplay(2050), "ORVELANT E2, 24V Regler, 3AO, Temp- und Lüfter-Regler");
    EXPECT_EQ(CCommonLogic::DeviceTypeDisplay(7), "7");
    EXPECT_EQ(CCommonLogic::InternalErrorDisplay(26), "x1A");
    EXPECT_EQ(CCommonLogic::PinDisplay(42), "0042");
    EXPECT_EQ(CCommonLogic::DateTimeText({2024, 3, 9, 7, 5, 0}), "2024/03/09 07:05:00");
}

TEST_F(CommonLogicTest, ProtocolStaysDisabledForAUnitWithoutTheSpecialRead)
{
    unit.specialWorks = false;
    EXPECT_EQ(logic.readCycle(), 0);
    EXPECT_FALSE(controls[CommonId::Protocol].enabled);
    EXPECT_EQ(std::count(unit.log.begin(), unit.log.end(), "Xr2045"), 0);
    unit.specialWorks = true;
    EXPECT_EQ(logic.readCycle(), 0);
    EXPECT_TRUE(controls[CommonId::Protocol].enabled);
    EXPECT_EQ(controls[CommonId::Protocol].index, 1);
    EXPECT_EQ(controls[CommonId::DateTime].text, "2024/03/09 07:05:00");
}

TEST_F(CommonLogicTest, AFailedPinReadKeepsItsMarker)
{
    unit.failRead[2008] = -10;
    EXPECT_EQ(logic.readCycle(), -10);
    EXPECT_EQ(controls[CommonId::Pin].text, "---");
    EXPECT_EQ(controls[CommonId::DateTime].text, "---"); // the clock was not read: no made-up moment
    EXPECT_EQ(controls[CommonId::Language].state, EditState::Stale);
    EXPECT_FALSE(logic.unitClock().has_value());
}

TEST_F(CommonLogicTest, ChoosingFahrenheitWithoutAUnitResetsTheTemperatureRegisters)
{
    unit.type = 0; // a unit of no known type: the catalogue takes the change
    catalogue.Holding(400).value = 235;
    controls[CommonId::TempUnit].index = 0;
    logic.chooseTempUnit();
    EXPECT_EQ(configuration.text(CConfiguration::kTempUnitKey), "\u00b0F");
    EXPECT_EQ(catalogue.Holding(400).value, 700); // default 21.0 °C as °F
    EXPECT_EQ(catalogue.Holding(3014).value, 610);
    EXPECT_EQ(catalogue.Holding(2010).value, 0);
    controls[CommonId::TempUnit].index = 1;
    logic.chooseTempUnit();
    EXPECT_EQ(configuration.text(CConfiguration::kTempUnitKey), "\u00b0C");
    EXPECT_EQ(catalogue.Holding(400).value, 210);
    EXPECT_TRUE(unit.log.empty());
}

TEST_F(CommonLogicTest, FactoryResetWaitsForTheRestartAndReadsAgain)
{
    EXPECT_EQ(logic.factoryReset(), 0);
    EXPECT_EQ(unit.writes().front(), "Xw2014 1");
    EXPECT_NE(std::find(host.pauses.begin(), host.pauses.end(), CCommonLogic::kFactoryResetWaitMs),
              host.pauses.end());
    EXPECT_EQ(controls[CommonId::Firmware].text, "1042");
    EXPECT_EQ(host.busyShown, 1);
    EXPECT_EQ(host.busyHidden, 1);

    unit.log.clear();
    host.pauses.clear();
    unit.failWrite[2014] = -4;
    EXPECT_EQ(logic.factoryReset(), -4);
    EXPECT_TRUE(host.pauses.empty()); // no wait, no re-read
    EXPECT_EQ(host.status, "Error: -4"); // a refused reset is no "Ready."

    // Another unit behind the port: the reset is not sent.
    unit.log.clear();
    unit.failWrite.clear();
    unit.same = false;
    EXPECT_EQ(logic.factoryReset(), Result::AnotherUnit);
    EXPECT_TRUE(unit.writes().empty());
    EXPECT_EQ(host.status, PageText::kAnotherUnit);
}

TEST_F(CommonLogicTest, DateAndTimeGoOutInTheUnitsOrder)
{
    EXPECT_EQ(logic.writeDateTime({2025, 12, 31, 23, 59, 30}), 0);
    EXPECT_EQ(unit.writes(), (std::vector<std::string>{"Mw2023 25", "Mw2022 12", "Mw2021 31", "Mw2018 23",
                                                       "Mw2019 59", "Mw2020 30"}));
    EXPECT_EQ(controls[CommonId::DateTime].text, "2025/12/31 23:59:30");
    unit.type = -1;
    EXPECT_EQ(logic.writeDateTime({2025, 1, 2, 3, 4, 5}), -1);
    EXPECT_EQ(host.status, "Error: -1");

    // Another unit behind the port gets no clock; the field keeps the unit's.
    unit.type = 2050;
    unit.same = false;
    unit.log.clear();
    EXPECT_EQ(logic.writeDateTime({2026, 1, 2, 3, 4, 5}), Result::AnotherUnit);
    EXPECT_TRUE(unit.writes().empty());
    EXPECT_EQ(host.status, PageText::kAnotherUnit);
    EXPECT_EQ(controls[CommonId::DateTime].text, "2025/01/02 03:04:05");
}

namespace {

class SensorsLogicTest : public ::testing::Test
{
protected:
    SensorsLogicTest() : unit(catalogue), logic(catalogue, unit, host, controls, configuration)
    {
        catalogue.Build();
        for (ControlId id = SensorsId::TempInt; id <= SensorsId::PressureBus; ++id)
            controls.add(id, ControlKind::Edit);
        for (ControlId id = SensorsId::TempIntUnit; id <= SensorsId::PressureBusUnit; ++id)
            controls.add(id, ControlKind::Other);
        controls.add(SensorsId::AutoCal, ControlKind::Button);
    }

    RegisterCatalogue catalogue;
    CConfiguration configuration;
    FakeUnit unit;
    FakeHost host;
    FakeControls controls;
    CSensorsLogic logic;
};

} // namespace

TEST_F(SensorsLogicTest, ADeviceOfTypeZeroStillGetsItsStatus)
{
    unit.type = 0;
    EXPECT_EQ(logic.readCycle(), -1);
    EXPECT_EQ(host.statusHistory, (std::vector<std::string>{"Running...", "Error: -1"}));
}

TEST_F(SensorsLogicTest, BusUnitLabelsFollowTheirRegisters)
{
    unit.registers = {{3316, 0}, {3516, 2}};
    logic.readCycle();
    EXPECT_EQ(controls[SensorsId::VocBusUnit].text, "ppb");
    EXPECT_EQ(controls[SensorsId::PressureBusUnit].text, "mbar");
    EXPECT_EQ(logic.unitText(*CSensorsLogic::SensorOf(SensorsId::ConfigureLast)), "mBar");
    EXPECT_EQ(host.pauses, std::vector<int>(14, CSensorsLogic::kSensorReadPauseMs));
}

TEST_F(SensorsLogicTest, TemperatureLabelsFollowTheUnitAndTheChoiceOnlyInDemoMode)
{
    // A °F unit after a °C choice, then a °C unit after a °F choice in demo mode.
    const struct
    {
        bool demo;
        const char* chosen;
        uint16_t unitRegister;
        const char* shown;
    } rows[] = {{false, "\u00b0C", 0, "\u00b0F"}, {true, "\u00b0F", 1, "\u00b0F"}, {false, "\u00b0F", 1, "\u00b0C"}};
    for (const auto& r : rows) {
        unit.demo = r.demo;
        configuration.setText(CConfiguration::kTempUnitKey, r.chosen);
        catalogue.Holding(2010).value = r.unitRegister;
        logic.showTemperatureUnit();
        for (const ControlId id : {SensorsId::TempIntUnit, SensorsId::TempExtUnit, SensorsId::TempBusUnit})
            EXPECT_EQ(controls[id].text, r.shown) << r.demo << " " << r.unitRegister;
    }
}

TEST(SensorBlocks, OptionSetsDecideWhichRegistersTravel)
{
    const auto list = [](int row) { return CSensorsLogic::BlockRegisters(CSensorsLogic::Sensors()[row]); };
    const auto has = [](const std::vector<uint16_t>& l, int a) { return std::count(l.begin(), l.end(), a) > 0; };
    const auto voc1 = list(4); // "VOC Sensor 1 Int.": averaging only
    EXPECT_TRUE(has(voc1, 2613));
    EXPECT_FALSE(has(voc1, 2612));
    EXPECT_FALSE(has(voc1, 2616));
    const auto temp3 = list(5); // "Temp Sensor 3 Bus": none
    EXPECT_EQ(temp3.size(), 16u);
    EXPECT_FALSE(has(temp3, 3012));
    EXPECT_FALSE(has(temp3, 3013));
    const auto temp1 = list(0);
    EXPECT_EQ(temp1, (std::vector<uint16_t>{2300, 2301, 2302, 2303, 2304, 2305, 2306, 2307, 2308, 2309, 2310,
                                            2311, 2312, 2313, 2314, 2315, 2317, 2318}));
}

namespace {

class SensorDialogTest : public ::testing::Test
{
protected:
    SensorDialogTest() : unit(catalogue)
    {
        catalogue.Build();
        using namespace SensorDialogId;
        for (ControlId id : {Header, Label, Offset, ScaleStart, ScaleEnd, ScaleStartUnit, ScaleEndUnit, Info})
            controls.add(id, ControlKind::Edit);
        for (ControlId id : {Averaging, Unit})
            controls.add(id, ControlKind::ComboBox);
        for (ControlId id : {EnableMenu, EnableScale, OffsetSpin})
            controls.add(id, ControlKind::Button);
    }
    CSensorDialogLogic& open(int row, const std::string& unitText)
    {
        dialog = std::make_unique<CSensorDialogLogic>(CSensorsLogic::Sensors()[row], unitText, catalogue, host,
                                                      controls);
        dialog->open();
        return *dialog;
    }

    RegisterCatalogue catalogue;
    FakeUnit unit;
    FakeHost host;
    FakeControls controls;
    std::unique_ptr<CSensorDialogLogic> dialog;
};

} // namespace

TEST_F(SensorDialogTest, OpeningShowsWhatTheSensorHas)
{
    using namespace SensorDialogId;
    catalogue.Holding(2312).value = static_cast<uint16_t>(-15);
    catalogue.Holding(2300).value = 'K';
    catalogue.Holding(2301).value = 0xFC;
    open(0, "\u00b0C");
    EXPECT_EQ(controls[Header].text, "Temp Sensor 1 Int");
    EXPECT_EQ(controls[Label].text, "K\u00fc");
    EXPECT_EQ(controls[Offset].text, "-1.5 \u00b0C");
    EXPECT_TRUE(controls[Offset].visible);
    EXPECT_FALSE(controls[Unit].visible);
    EXPECT_EQ(controls[ScaleStart].text, "16.0");
    EXPECT_EQ(controls[ScaleEndUnit].text, "\u00b0C");

    auto& voc = open(8, "ppb"); // "VOC Sensor 2 Bus": unit only
    EXPECT_FALSE(controls[Offset].visible);
    EXPECT_FALSE(controls[Averaging].visible);
    EXPECT_TRUE(controls[Unit].visible);
    EXPECT_EQ(controls[Unit].items, (std::vector<std::string>{"ppb", "%"}));
    EXPECT_EQ(controls[Unit].index, 1); // 3316 defaults to 1
    controls[Unit].index = 0;
    voc.unitChosen();
    EXPECT_EQ(controls[ScaleStartUnit].text, "ppb");

    open(10, "hPa");
    EXPECT_EQ(controls[Unit].items, (std::vector<std::string>{"Pa", "hPa", "mBar", "inWC"}));
}

TEST_F(SensorDialogTest, SpinnerStaysWithinTheOffsetLimits)
{
    catalogue.Holding(2512).value = 499; // CO2 offset -500..500, integers
    auto& co2 = open(3, "ppm");
    co2.spin(+1);
    EXPECT_EQ(controls[SensorDialogId::Offset].text, "500 ppm");
    co2.spin(+1);
    EXPECT_EQ(co2.offset(), 500);
    co2.spin(-1);
    EXPECT_EQ(co2.offset(), 499);
}

TEST_F(SensorDialogTest, OkStoresTheValuesClampedIntoTheCatalogue)
{
    using namespace SensorDialogId;
    auto& temp = open(0, "\u00b0C");
    controls[Label].text = "Living room north"; // more than 12
    controls[ScaleStart].text = "130,5";        // above the maximum 122.0
    controls[ScaleEnd].text = "70000";          // would wrap in 16 bits
    controls[Averaging].index = 3;
    controls[EnableMenu].checked = true;
    temp.spin(-2);
    temp.accept();
    uint16_t label[12];
    for (int k = 0; k < 12; ++k)
        label[k] = catalogue.Holding(2300 + k).value;
    EXPECT_EQ(PageText::RegistersToText(label), "Living room ");
    EXPECT_EQ(catalogue.Holding(2314).value, 1220);
    EXPECT_EQ(controls[ScaleStart].text, "122.0");
    EXPECT_EQ(catalogue.Holding(2315).value, 1220);
    EXPECT_EQ(catalogue.Holding(2313).value, 3);
    EXPECT_EQ(static_cast<int16_t>(catalogue.Holding(2312).value), -2);
    EXPECT_EQ(catalogue.Holding(2317).value, 1);
}

TEST_F(SensorDialogTest, TheUnitListShowsThePressureScreenWithItsFrame)
{
    auto& voc = open(8, "ppb");
    controls.c[SensorDialogId::Unit].label = PageRect{0, 500, 50, 520};
    voc.hover().hoverAt(10, 510);
    const PictureMark mark = voc.hover().currentMark();
    EXPECT_EQ(mark.picture, Picture::ScreenPressure);
    EXPECT_EQ(mark.frames[0].left, 80);
    EXPECT_EQ(host.info, PageText::RegisterInfo(3316, catalogue.Holding(3316).value, RegisterKeyName(3316)));
    voc.hover().hoverNone();
    EXPECT_EQ(voc.hover().currentMark().picture, Picture::ScreenVoc);
}
