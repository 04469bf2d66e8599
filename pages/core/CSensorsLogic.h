// The Sensors page's tables and actions, free of any toolkit: the readings
// of the unit's eleven sensors with their formats and missing-value
// markers, the unit labels, the CO2 sensor's "Reset (Autozero)" and "Auto
// cal", and the sensor configuration blocks that the sensor dialog edits.
// CTabSensors is the thin Qt page over it.
//
// A sensor block is 19 registers at the sensor's base: a 12-register label,
// offset, averaging time, colour scale start and end, display unit, and the
// two enables. Which of offset, averaging time and unit a sensor has is its
// option set; the registers outside it are neither read nor written.
//
// Result codes: those of CPageEngine.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/core/CPageEngine.h"

#include <set>
#include <string>
#include <vector>

class CConfiguration;

namespace SensorsId {
enum : Page::ControlId {
    TempInt = 1,
    TempExt,
    TempBus,
    HumInt,
    HumBus,
    Co2Int,
    Co2Bus,
    VocInt,
    VocBus,
    PmBus,
    PressureBus,
    // Unit labels, in the same order as the rows.
    TempIntUnit,
    TempExtUnit,
    TempBusUnit,
    HumIntUnit,
    HumBusUnit,
    Co2IntUnit,
    Co2BusUnit,
    VocIntUnit,
    VocBusUnit,
    PmBusUnit,
    PressureBusUnit,
    // "Configure" buttons, in the order of the sensor table.
    ConfigureFirst,
    ConfigureLast = ConfigureFirst + 10,
    ResetAutozero,
    AutoCal,
};
} // namespace SensorsId

// Option set of a sensor block.
namespace SensorOptions {
constexpr unsigned Offset = 1;
constexpr unsigned Averaging = 2;
constexpr unsigned Unit = 4;
} // namespace SensorOptions

// How the unit text handed to the sensor dialog is found.
enum class SensorUnit : uint8_t { Temperature, Humidity, Co2, VocPercent, VocBus, Particulate, Pressure };

// One row of the sensor table.
struct SensorInfo
{
    Page::ControlId configure;
    const char* title; // the dialog's header
    uint16_t base;
    unsigned options;
    int scale; // 10: shown in tenths
    SensorUnit unit;
    Page::Picture picture;
};

class CSensorsLogic : public CPageEngine
{
public:
    static constexpr int kSensorCount = 11;
    static constexpr int kBlockRegisters = 19;
    static constexpr uint16_t kAutozeroRegister = 300;
    static constexpr uint16_t kVocUnitRegister = 3316;
    static constexpr uint16_t kPressureUnitRegister = 3516;
    // The sensor readings need a longer quiet time than settings.
    static constexpr int kSensorReadPauseMs = 20;

    CSensorsLogic(RegisterCatalogue& catalogue, IUnitAccess& unit, IPageHost& host, IPageControls& controls,
                  CConfiguration& configuration);

    // The page's rows and orders.
    static const Page::Description& PageDescription();
    static const SensorInfo (&Sensors())[kSensorCount];
    // The sensor of a "Configure" button, or null.
    static const SensorInfo* SensorOf(Page::ControlId configureButton);
    // The registers of a block that are read and written, in order.
    static std::vector<uint16_t> BlockRegisters(const SensorInfo& sensor);

    // The three temperature unit labels take the Common page's text.
    void showTemperatureUnit();
    // The VOC bus and pressure unit labels from the catalogue (3316, 3516).
    void showBusUnits();
    // The unit text the sensor dialog shows for a sensor.
    std::string unitText(const SensorInfo& sensor) const;
    static const char* PressureLabel(uint16_t unit); // "Pa", "hPa", "mbar", "inWC"

    // "Reset (Autozero)": 1 to 300 after the identity check; "Done." or
    // "Error: %i".
    int resetAutozero();

    // "Configure", before the dialog: identification, the identity check,
    // then the block read into the catalogue ("Done." or the first failure
    // when a unit is known). AnotherUnit or PinNotAccepted: nothing was
    // read (the status says why).
    int readBlock(const SensorInfo& sensor);
    // The block registers the last readBlock did not get from the unit (none
    // without a unit): they are not written back.
    std::vector<uint16_t> blockNotRead(const SensorInfo& sensor) const;
    // After the dialog's "OK": the identity check, then the block written
    // from the catalogue (only what readBlock read; the rest is named as not
    // read), the unit labels set again. "Done." or the first failure.
    int writeBlock(const SensorInfo& sensor);

protected:
    int afterReads(int result, bool connected) override;

private:
    int transferBlock(const SensorInfo& sensor);

    CConfiguration& m_configuration;
    std::set<uint16_t> m_blockRead; // the block registers readBlock got from the unit
    bool m_blockFromUnit = false;   // readBlock read from a unit
};
