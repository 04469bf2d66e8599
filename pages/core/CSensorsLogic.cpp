#include "pages/core/CSensorsLogic.h"

#include "model/RegisterCatalogue.h"
#include "pages/core/CConfiguration.h"
#include "pages/core/PageText.h"

#include <algorithm>

using namespace Page;
using namespace SensorsId;

namespace {

// One row per sensor: its reading, its unit and its "Configure" button,
// which names the sensor's configuration block on mouse-over. Temperatures
// in signed tenths (-420 = no sensor), humidities in unsigned tenths, the
// rest as integers; 0xFFFF = no sensor.
constexpr std::array<Row, 3> SensorRows(ControlId value, const char* title, uint16_t reading, Display shown,
                                        Marker missing, ControlId unitLabel, const char* unitText,
                                        ControlId configure, uint16_t block, int r)
{
    return {
        Row{.id = value, .kind = Kind::ReadOnly, .caption = title, .row = r, .address = reading, .display = shown,
            .marker = missing},
        Row{.id = unitLabel, .kind = Kind::UnitLabel, .caption = unitText, .row = r, .column = 2},
        Row{.id = configure, .kind = Kind::Button, .caption = "Configure", .row = r, .column = 3, .address = block},
    };
}

constexpr Display Signed = Display::TenthsSigned;
constexpr Display Unsigned = Display::TenthsUnsigned;
constexpr Display Plain = Display::Number;
constexpr Marker No420 = Marker::Signed420;
constexpr Marker NoFFFF = Marker::Word0xFFFF;

constexpr auto kRows = Join(
    SensorRows(TempInt, "Temp Sensor 1 Int.", 100, Signed, No420, TempIntUnit, "\u00b0C", ConfigureFirst + 0, 2300, 0),
    SensorRows(TempExt, "Temp Sensor 2 Ext.", 106, Signed, No420, TempExtUnit, "\u00b0C", ConfigureFirst + 1, 2900, 1),
    SensorRows(TempBus, "Temp Sensor 3 Bus", 120, Signed, No420, TempBusUnit, "\u00b0C", ConfigureFirst + 5, 3000, 2),
    SensorRows(HumInt, "Humidity Sensor 1 Int.", 101, Unsigned, NoFFFF, HumIntUnit, "% r.H.", ConfigureFirst + 2,
               2400, 3),
    SensorRows(HumBus, "Humidity Sensor 2 Bus", 121, Unsigned, NoFFFF, HumBusUnit, "% r.H.", ConfigureFirst + 6,
               3100, 4),
    SensorRows(Co2Int, "CO2 Sensor 1 Int.", 102, Plain, NoFFFF, Co2IntUnit, "ppm", ConfigureFirst + 3, 2500, 5),
    SensorRows(Co2Bus, "CO2 Sensor 2 Bus", 122, Plain, NoFFFF, Co2BusUnit, "ppm", ConfigureFirst + 7, 3200, 6),
    std::array{
        Row{.id = ResetAutozero, .kind = Kind::Button, .caption = "Reset (Autozero)", .row = 7, .column = 1,
            .address = CSensorsLogic::kAutozeroRegister},
        Row{.id = AutoCal, .kind = Kind::Check, .caption = "Auto cal", .row = 7, .column = 2, .span = 2,
            .address = 302},
    },
    SensorRows(VocInt, "VOC Sensor 1 Int.", 104, Plain, NoFFFF, VocIntUnit, "%", ConfigureFirst + 4, 2600, 8),
    SensorRows(VocBus, "VOC Sensor 2 Bus", 123, Plain, NoFFFF, VocBusUnit, "ppb", ConfigureFirst + 8, 3300, 9),
    SensorRows(PmBus, "PM Sensor 2 Bus", 124, Plain, NoFFFF, PmBusUnit, "g/m", ConfigureFirst + 9, 3400, 10),
    std::array{
        // The pressure unit label names the pressure unit register on
        // mouse-over (3516, read after the readings, see afterReads).
        Row{.id = PressureBus, .kind = Kind::ReadOnly, .caption = "Pressure Sensor 2 Bus", .row = 11,
            .address = 125, .marker = NoFFFF},
        Row{.id = PressureBusUnit, .kind = Kind::UnitLabel, .caption = "----", .row = 11, .column = 2,
            .address = CSensorsLogic::kPressureUnitRegister},
        Row{.id = ConfigureFirst + 10, .kind = Kind::Button, .caption = "Configure", .row = 11, .column = 3,
            .address = 3500},
        // The VOC bus sensor's unit, for its unit label.
        Row{.address = CSensorsLogic::kVocUnitRegister},
        Page::ReadTargetButton("Read target"),
        Page::SaveToNvramButton(),
    });

// The readings first, then the calibration flag and the VOC unit.
constexpr uint16_t kReadOrder[] = {100, 106, 120, 101, 121, 102, 122, 104, 123, 124, 125, 302,
                                   CSensorsLogic::kVocUnitRegister};

constexpr Description kPage = {
    .rows = kRows,
    .readOrder = kReadOrder,
    .defaultPicture = Picture::UnitFront,
    .readPauseMs = CSensorsLogic::kSensorReadPauseMs,
    .statusForTypeZero = true,
};
static_assert(OrdersMatchRows(kPage));

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
    : CPageEngine(kPage, catalogue, unit, host, controls), m_configuration(configuration)
{
}

const Description& CSensorsLogic::PageDescription()
{
    return kPage;
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
    // A unit says itself in which unit it measures (2010, 0 = °F); the
    // choice made on the Common page stands only without one (demo mode).
    const std::string text = readsFromUnit()
                                 ? std::string(catalogue().Holding(Reg::TempUnit).value != 0 ? "\u00b0C" : "\u00b0F")
                                 : m_configuration.text(CConfiguration::kTempUnitKey);
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
    showTemperatureUnit(); // the unit identified may measure in another unit
    controls().setText(VocBusUnit, catalogue().Holding(kVocUnitRegister).value != 0 ? "%" : "ppb");
    if (connected && result == 0)
        result = readRegister(kPressureUnitRegister);
    controls().setText(PressureBusUnit, PressureLabel(catalogue().Holding(kPressureUnitRegister).value));
    return result;
}

int CSensorsLogic::resetAutozero()
{
    return onUnit({.sameDevice = true, .report = true}, [this] { return unit().writeHolding(kAutozeroRegister, 1); });
}

int CSensorsLogic::readBlock(const SensorInfo& s)
{
    m_blockRead.clear();
    m_blockFromUnit = false;
    const int identified = unit().identifyDevice();
    if (identified == Result::AnotherUnit || identified == Result::PinNotAccepted)
        return refuseUnit(identified);
    checkReady(); // only the status line; the dialog opens in every case
    // Without a unit the dialog shows what the catalogue holds.
    const bool known = unitKnown();
    m_blockFromUnit = known && !unit().demoMode();
    const int result = onUnit({.running = known, .overlay = known, .sameDevice = known, .report = known}, [&] {
        for (const uint16_t address : BlockRegisters(s)) {
            if (const int r = readRegister(address); r != 0)
                return r;
            m_blockRead.insert(address);
        }
        return 0;
    });
    return result;
}

std::vector<uint16_t> CSensorsLogic::blockNotRead(const SensorInfo& s) const
{
    std::vector<uint16_t> missing;
    if (!m_blockFromUnit)
        return missing;
    for (const uint16_t address : BlockRegisters(s))
        if (!m_blockRead.count(address))
            missing.push_back(address);
    return missing;
}

int CSensorsLogic::writeBlock(const SensorInfo& s)
{
    const bool known = unitKnown();
    int result = 0;
    if (unit().demoMode()) {
        // nothing goes to a unit
    } else if (known) {
        result = onUnit({.running = true, .overlay = true, .sameDevice = true, .report = true},
                        [&] { return transferBlock(s); });
        if (result == 0)
            if (const std::vector<uint16_t> missing = blockNotRead(s); !missing.empty())
                host().setStatus(notReadText(missing), Result::ReadFailed);
    } else {
        result = transferBlock(s);
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
    // Only what the dialog's read got from this unit goes back to it.
    const std::vector<uint16_t> missing = blockNotRead(s);
    const auto unread = [&](uint16_t address) {
        return std::find(missing.begin(), missing.end(), address) != missing.end();
    };
    for (int k = 0; k < PageText::kTextRegisters; ++k)
        readOnly = readOnly || unread(static_cast<uint16_t>(s.base + k));
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
        if (address < s.base + PageText::kTextRegisters || unread(address))
            continue;
        if (const int r = writeFromStore(address, kNoControl); r != 0)
            return r;
    }
    return 0;
}
