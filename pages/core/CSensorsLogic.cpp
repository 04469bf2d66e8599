#include "pages/core/CSensorsLogic.h"

#include "model/RegisterCatalogue.h"
#include "pages/core/CConfiguration.h"
#include "pages/core/PageText.h"

using namespace Page;
using namespace SensorsId;

namespace {

// Temperatures in signed tenths (-420 = no sensor), humidities in unsigned
// tenths, the rest as integers; 0xFFFF = no sensor.
constexpr RegisterBinding kReadOrder[] = {
    {.control = TempInt, .address = 100, .display = Display::TenthsSigned, .marker = Marker::Signed420},
    {.control = TempExt, .address = 106, .display = Display::TenthsSigned, .marker = Marker::Signed420},
    {.control = TempBus, .address = 120, .display = Display::TenthsSigned, .marker = Marker::Signed420},
    {.control = HumInt, .address = 101, .display = Display::TenthsUnsigned, .marker = Marker::Word0xFFFF},
    {.control = HumBus, .address = 121, .display = Display::TenthsUnsigned, .marker = Marker::Word0xFFFF},
    {.control = Co2Int, .address = 102, .marker = Marker::Word0xFFFF},
    {.control = Co2Bus, .address = 122, .marker = Marker::Word0xFFFF},
    {.control = VocInt, .address = 104, .marker = Marker::Word0xFFFF},
    {.control = VocBus, .address = 123, .marker = Marker::Word0xFFFF},
    {.control = PmBus, .address = 124, .marker = Marker::Word0xFFFF},
    {.control = PressureBus, .address = 125, .marker = Marker::Word0xFFFF},
    {.control = AutoCal, .address = 302},
    {.address = CSensorsLogic::kVocUnitRegister},
};

constexpr ChangeEntry kChangeMap[] = {
    {.control = AutoCal, .address = 302, .take = Take::CheckState},
};

constexpr HoverRegion kHoverRegions[] = {
    {ConfigureFirst + 0, 2300}, {ConfigureFirst + 1, 2900}, {ConfigureFirst + 2, 2400}, {ConfigureFirst + 3, 2500},
    {ConfigureFirst + 4, 2600}, {ConfigureFirst + 5, 3000}, {ConfigureFirst + 6, 3100}, {ConfigureFirst + 7, 3200},
    {ConfigureFirst + 8, 3300}, {ConfigureFirst + 9, 3400}, {ConfigureFirst + 10, 3500}, {ResetAutozero, 300},
    {AutoCal, 302},             {TempInt, 100},             {TempExt, 106},             {HumInt, 101},
    {Co2Int, 102},              {VocInt, 104},              {TempBus, 120},             {HumBus, 121},
    {Co2Bus, 122},              {VocBus, 123},              {PmBus, 124},               {PressureBus, 125},
    {PressureBusUnit, CSensorsLogic::kPressureUnitRegister},
};

constexpr ControlId kCommonButtons[] = {ReadTarget, SaveToNvram};

constexpr PageTables kTables = {
    .readOrder = kReadOrder,
    .changeMap = kChangeMap,
    .hoverRegions = kHoverRegions,
    .defaultPicture = Picture::UnitFront,
    .commonButtons = kCommonButtons,
    .readPauseMs = CSensorsLogic::kSensorReadPauseMs,
    .statusForTypeZero = true,
};

using O = unsigned;
constexpr SensorInfo kSensors[CSensorsLogic::kSensorCount] = {
    {ConfigureFirst + 0, "Temp Sensor 1 Int", 2300, O{SensorOptions::Offset | SensorOptions::Averaging}, 10,
     SensorUnit::Temperature, Picture::ScreenTemperature},
    {ConfigureFirst + 1, "Temp Sensor 2 Ext", 2900, O{SensorOptions::Offset | SensorOptions::Averaging}, 10,
     SensorUnit::Temperature, Picture::ScreenTemperature},
    {ConfigureFirst + 2, "Humidity Sensor 1 Int", 2400, O{SensorOptions::Offset | SensorOptions::Averaging}, 10,
     SensorUnit::Humidity, Picture::ScreenHumidity},
    {ConfigureFirst + 3, "CO2 Sensor 1 Int", 2500, O{SensorOptions::Offset | SensorOptions::Averaging}, 1,
     SensorUnit::Co2, Picture::ScreenCo2},
    {ConfigureFirst + 4, "VOC Sensor 1 Int", 2600, O{SensorOptions::Averaging}, 1, SensorUnit::VocPercent,
     Picture::ScreenVoc},
    {ConfigureFirst + 5, "Temp Sensor 3 Bus", 3000, O{0}, 10, SensorUnit::Temperature, Picture::ScreenTemperature},
    {ConfigureFirst + 6, "Humidity Sensor 2 Bus", 3100, O{0}, 10, SensorUnit::Humidity, Picture::ScreenHumidity},
    {ConfigureFirst + 7, "CO2 Sensor 2 Bus", 3200, O{0}, 1, SensorUnit::Co2, Picture::ScreenCo2},
    {ConfigureFirst + 8, "VOC Sensor 2 Bus", 3300, O{SensorOptions::Unit}, 1, SensorUnit::VocBus,
     Picture::ScreenVoc},
    {ConfigureFirst + 9, "PM Sensor 2 Bus", 3400, O{0}, 1, SensorUnit::Particulate, Picture::ScreenParticulate},
    {ConfigureFirst + 10, "Pressure Sensor 2 Bus", 3500, O{SensorOptions::Unit}, 1, SensorUnit::Pressure,
     Picture::ScreenPressure},
};

} // namespace

CSensorsLogic::CSensorsLogic(RegisterCatalogue& catalogue, IUnitAccess& unit, IPageHost& host,
                             IPageControls& controls, CConfiguration& configuration)
    : CPageEngine(kTables, catalogue, unit, host, controls), m_configuration(configuration)
{
}

const PageTables& CSensorsLogic::Tables()
{
    return kTables;
}

const SensorInfo (&CSensorsLogic::Sensors())[CSensorsLogic::kSensorCount]
{
    return kSensors;
}

const SensorInfo* CSensorsLogic::SensorOf(ControlId configureButton)
{
    for (const SensorInfo& s : kSensors)
        if (s.configure == configureButton)
            return &s;
    return nullptr;
}

std::vector<uint16_t> CSensorsLogic::BlockRegisters(const SensorInfo& s)
{
    std::vector<uint16_t> list;
    for (int k = 0; k < PageText::kTextRegisters; ++k)
        list.push_back(static_cast<uint16_t>(s.base + k));
    if (s.options & SensorOptions::Offset)
        list.push_back(static_cast<uint16_t>(s.base + 12));
    if (s.options & SensorOptions::Averaging)
        list.push_back(static_cast<uint16_t>(s.base + 13));
    list.push_back(static_cast<uint16_t>(s.base + 14));
    list.push_back(static_cast<uint16_t>(s.base + 15));
    if (s.options & SensorOptions::Unit)
        list.push_back(static_cast<uint16_t>(s.base + 16));
    list.push_back(static_cast<uint16_t>(s.base + 17));
    list.push_back(static_cast<uint16_t>(s.base + 18));
    return list;
}

const char* CSensorsLogic::PressureLabel(uint16_t unit)
{
    switch (unit) {
    case 0: return "Pa";
    case 2: return "mbar";
    case 3: return "inWC";
    default: return "hPa";
    }
}

void CSensorsLogic::showTemperatureUnit()
{
    const std::string text = m_configuration.text(CConfiguration::kTempUnitKey);
    for (const ControlId id : {TempIntUnit, TempExtUnit, TempBusUnit})
        controls().setText(id, text);
}

void CSensorsLogic::showBusUnits()
{
    controls().setText(VocBusUnit, catalogue().Holding(kVocUnitRegister).value != 0 ? "%" : "ppb");
    controls().setText(PressureBusUnit, PressureLabel(catalogue().Holding(kPressureUnitRegister).value));
}

std::string CSensorsLogic::unitText(const SensorInfo& s) const
{
    const RegisterCatalogue& c = catalogue();
    switch (s.unit) {
    case SensorUnit::Temperature: return c.Holding(Reg::TempUnit).value != 0 ? "\u00b0C" : "\u00b0F";
    case SensorUnit::Humidity: return "% r.H.";
    case SensorUnit::Co2: return "ppm";
    case SensorUnit::VocPercent: return "%";
    case SensorUnit::VocBus: return c.Holding(kVocUnitRegister).value != 0 ? "%" : "ppb";
    case SensorUnit::Particulate: return "\u00b5g/m\u00b3";
    case SensorUnit::Pressure:
        switch (c.Holding(kPressureUnitRegister).value) {
        case 0: return "Pa";
        case 2: return "mBar";
        case 3: return "inWC";
        default: return "hPa";
        }
    }
    return {};
}

int CSensorsLogic::afterReads(int result, bool connected)
{
    controls().setText(VocBusUnit, catalogue().Holding(kVocUnitRegister).value != 0 ? "%" : "ppb");
    if (connected && result == 0)
        result = readRegister(kPressureUnitRegister);
    controls().setText(PressureBusUnit, PressureLabel(catalogue().Holding(kPressureUnitRegister).value));
    return result;
}

int CSensorsLogic::resetAutozero()
{
    if (unit().demoMode())
        return 0;
    int result = unit().connectUnit();
    if (result == 0)
        result = unit().writeHolding(kAutozeroRegister, 1);
    if (unitKnown())
        unit().disconnect();
    host().setStatusText(PageText::StatusFor(result));
    return result;
}

void CSensorsLogic::readBlock(const SensorInfo& s)
{
    unit().identifyDevice();
    checkReady(); // only the status line; the dialog opens in every case
    const bool known = unitKnown();
    if (known) {
        host().setStatusText(PageText::kRunning);
        host().showBusyOverlay();
    }
    const bool demo = unit().demoMode();
    if (!demo)
        unit().connectUnit();
    for (const uint16_t address : BlockRegisters(s))
        if (readRegister(address) != 0)
            break;
    if (!demo && known)
        unit().disconnect();
    if (known) {
        host().setStatusText(PageText::kDone);
        host().hideBusyOverlay();
    }
}

int CSensorsLogic::writeBlock(const SensorInfo& s)
{
    const bool known = unitKnown();
    int result = 0;
    if (known) {
        host().setStatusText(PageText::kRunning);
        host().showBusyOverlay();
    }
    if (!unit().demoMode()) {
        unit().connectUnit();
        result = transferBlock(s);
        if (known)
            unit().disconnect();
    }
    if (known) {
        host().setStatusText(PageText::kDone);
        host().hideBusyOverlay();
    }
    // The dialog may have changed the unit of these two.
    if (s.base == 3300 || s.base == 3500)
        showBusUnits();
    return result;
}

int CSensorsLogic::transferBlock(const SensorInfo& s)
{
    // The label goes in one command; a label register the unit does not let
    // us write leaves the whole label alone.
    uint16_t label[PageText::kTextRegisters];
    bool readOnly = false;
    for (int k = 0; k < PageText::kTextRegisters; ++k) {
        const auto address = static_cast<uint16_t>(s.base + k);
        const RegisterEntry& e = catalogue().Holding(address);
        int32_t clamped = 0;
        catalogue().Clamp(address, e.value, &clamped);
        label[k] = static_cast<uint16_t>(clamped);
        readOnly = readOnly || e.readOnly;
    }
    if (!readOnly) {
        int r = 0;
        if (!readsFromUnit()) {
            for (int k = 0; k < PageText::kTextRegisters; ++k)
                catalogue().Holding(static_cast<uint16_t>(s.base + k)).value = label[k];
        } else {
            r = unit().writeMultiHoldings(s.base, label);
            if (r == kWriteAcceptedStatus)
                r = 0;
        }
        if (r != 0)
            return r;
        for (int k = 0; k < PageText::kTextRegisters; ++k)
            if ((r = readRegister(static_cast<uint16_t>(s.base + k))) != 0)
                return r;
    }
    for (const uint16_t address : BlockRegisters(s)) {
        if (address < s.base + PageText::kTextRegisters)
            continue;
        if (const int r = writeFromStore(address, kNoControl); r != 0)
            return r;
    }
    return 0;
}
