// What every button of the Modbus and BACnet test pages does around its one
// command, free of any toolkit. The test pages bypass the register
// catalogue: no range check against its limits, no stored value touched;
// the unit's reply alone decides.
//
// The steps of an action:
//   - in demo mode nothing happens: no unit is there to test (the demo
//     device stays chosen);
//   - a number typed that does not fit the 16 bits it goes out as stops
//     the action with BeyondSixteenBits: "70000" would otherwise reach
//     register 4464;
//   - the unit is identified anew; without one the status line says "Error:
//     No device connected or PIN wrong." and nothing is sent;
//   - "Running...", the link opened, the command, its line in the test log,
//     the link closed, "Done." or "Error: %i" with the command's result.
//
// Result codes (diag/Result.h): those of the protocol client (CModbus.h; a
// positive number is a write or single read the adapter did not confirm);
// DemoMode in demo mode; NoLink no unit identified; BeyondSixteenBits a
// number that does not fit.
//
// Thread rules: user-interface thread only; each action blocks it for its
// exchange with the unit.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class CConnection;
class CModbus;
class CTestLog;
class IPageHost;

class CBusTestLogic
{
public:
    // What an action did.
    struct Outcome
    {
        bool ran = false; // the command went to the unit
        int result = 0;
        // A read's text for the row's "Value (in)" field (the value, or
        // "---" when it failed); nothing for a write or an action that did
        // not run.
        std::optional<std::string> shown;
    };

    // Register, coil and object numbers: the 16 bits of the command.
    static constexpr int32_t kNumberMin = 0;
    static constexpr int32_t kNumberMax = 0xFFFF;
    // A 16-bit value typed signed or unsigned.
    static constexpr int32_t kWordMin = -32768;
    static constexpr int32_t kWordMax = 0xFFFF;

    // log may be null: nothing is logged.
    CBusTestLogic(CConnection& connection, IPageHost& host, CTestLog* log);
    virtual ~CBusTestLogic() = default;
    CBusTestLogic(const CBusTestLogic&) = delete;
    CBusTestLogic& operator=(const CBusTestLogic&) = delete;

    // Demo mode is active: the buttons have nothing to talk to.
    bool demoMode() const;

protected:
    // The steps above around command, which runs over the open link and
    // returns its result; logLine(result) is its line in the test log.
    Outcome run(const std::function<int(CModbus&)>& command, const std::function<std::string(int)>& logLine);
    // A typed number as a 16-bit word within min..max; nothing (and the
    // status line says so) when it does not fit.
    std::optional<uint16_t> word(std::string_view text, int32_t min, int32_t max);
    // The outcome of an action refused before it ran.
    static Outcome Refused(int result) { return {.ran = false, .result = result, .shown = std::nullopt}; }

private:
    CConnection& m_connection;
    IPageHost& m_host;
    CTestLog* m_log;
};
