// The Common page's tables and actions, free of any toolkit: the unit's
// identity (device type, firmware, production date, operating days,
// internal error), its bus settings read and written with the special
// commands, PIN, language, temperature unit, display settings, protocol,
// date and time, and "Factory Reset". CTabCommon is the thin Qt page over it.
//
// The bus address, baud rate, parity and protocol change how the unit talks
// on its bus; the unit takes them only through the special commands ("Xr",
// "Xw"). Their last read values also live in lastReadValue, which the page
// shows while no unit is connected.
//
// Result codes: those of CPageEngine.
//
// Thread rules: user-interface thread only.
#pragma once

#include "model/RegisterCatalogue.h"
#include "pages/core/CPageEngine.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

class CConfiguration;

namespace CommonId {
enum : Page::ControlId {
    DeviceType = 1,
    Firmware,
    ProdDate,
    OperationDays,
    BusAddress,
    Baudrate,
    Parity,
    InternalError,
    Pin,
    Language,
    TempUnit,
    Brightness,
    ScreenSaver,
    TimeFormat,
    DateFormat,
    Dls,
    Darkmode,
    Protocol,
    DateTime,
    FactoryReset,
    ConfigureDateTime,
};
} // namespace CommonId

// A moment as the unit keeps it (year with century).
struct UnitDateTime
{
    int year = 2000;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class CCommonLogic : public CPageEngine
{
public:
    // The unit restarts after a factory reset; it answers again after this.
    static constexpr int kFactoryResetWaitMs = 10000;
    static constexpr uint16_t kFactoryResetRegister = 2014;
    static constexpr uint16_t kProtocolRegister = Reg::Protocol;
    // The temperature registers that a change of the temperature unit resets
    // to their defaults while no unit is connected.
    static constexpr uint16_t kTemperatureRegisters[26] = {400,  403,  1616, 2314, 1315, 2914, 2915, 3014, 3015,
                                                           3600, 3603, 3604, 8006, 8007, 8008, 8009, 8013, 8037,
                                                           8039, 8040, 8045, 8041, 8042, 8051, 8055, 8056};

    CCommonLogic(RegisterCatalogue& catalogue, IUnitAccess& unit, IPageHost& host, IPageControls& controls,
                 CConfiguration& configuration);

    // The page's rows and orders.
    static const Page::Description& PageDescription();

    // "Temp Unit": the temperature-unit text for the other pages, the
    // defaults of the temperature registers while no unit is connected,
    // then the change is written.
    int chooseTempUnit();
    // "Configure Date / Time" confirmed: shows the moment and writes it to
    // the unit (2023 year - 2000, 2022 month, 2021 day, 2018 hour, 2019
    // minute, 2020 second), stopping at the first failure.
    int writeDateTime(const UnitDateTime& moment);
    // "Protocol" chosen: the unit switches to Modbus (0) or BACnet (1) and
    // restarts; the protocol tab follows. Nothing when nothing is chosen.
    void chooseProtocol();
    // "Factory Reset": 1 to 2014, then the unit restarts and is read again.
    int factoryReset();
    // The unit's date and time as the last read cycle read it (none when
    // it was not read).
    const std::optional<UnitDateTime>& unitClock() const { return m_unitClock; }
    // Seconds since unitClock was read or written (0 without one): the
    // unit's clock has gone on by as much.
    int64_t unitClockAgeSeconds() const;
    // How long the factory reset waits for the unit (tests shorten it).
    void setRestartWaitMs(int ms) { m_restartWaitMs = ms; }

    // Display texts.
    static std::string DeviceTypeDisplay(uint16_t value); // its name, or the number
    static std::string InternalErrorDisplay(uint16_t value); // "x%02X"
    static std::string PinDisplay(uint16_t value);           // "%04i"
    static std::string DateTimeText(const UnitDateTime& moment);

protected:
    int afterReads(int result, bool connected) override;
    void afterCycle(int result) override;

private:
    CConfiguration& m_configuration;
    int m_restartWaitMs = kFactoryResetWaitMs;
    std::optional<UnitDateTime> m_unitClock;
    std::chrono::steady_clock::time_point m_unitClockReadAt;
};
