// tavemo-cli link commands: the port list, and identify, read and write on a
// unit through the adapter (--port NAME or a device path, --pin N).
//
// Every command that talks to a unit first passes the unlock step
// (UnlockUnit): the tool must never be a way around a unit's PIN.
#include "diag/Result.h"
#include "link/CModbus.h"
#include "link/CPassword.h"
#include "link/CUnitState.h"
#include "link/PortDiscovery.h"
#include "link/PortOpenProblem.h"
#include "model/RegisterCatalogue.h"
#include "tools/cli/CliCommands.h"

#include <cstdio>
#include <string>
#include <vector>

namespace cli {

namespace {

int Failure(const std::string& what, int code)
{
    std::fprintf(stderr, "tavemo-cli: %s: error %d: %s\n", what.c_str(), code, ResultText(code).c_str());
    return kExitFailure;
}

// A command's result counts as success when the adapter answered for the
// number asked with a status of 0 or more.
bool Accepted(int result, const CModbus& modbus, uint16_t number)
{
    return result >= 0 && modbus.replyStatus() >= 0 && modbus.replyAddress() == number;
}

// Explains a failed command; a positive result is a reply the adapter gave
// with a negative status or for another number.
int CommandFailure(const std::string& what, int result, const CModbus& modbus, uint16_t number)
{
    if (result > 0 || (result == 0 && !Accepted(result, modbus, number))) {
        if (modbus.replyAddress() != number)
            std::fprintf(stderr, "tavemo-cli: %s: the adapter answered for %u instead of %u\n", what.c_str(),
                         modbus.replyAddress(), number);
        else
            std::fprintf(stderr, "tavemo-cli: %s: the adapter refused with status %d\n", what.c_str(),
                         modbus.replyStatus());
        return kExitFailure;
    }
    return Failure(what, result);
}

struct Unit
{
    CModbus modbus; // its own client: nothing of one port is shared with another
    RegisterCatalogue catalogue;
    CUnitState state;
    ~Unit()
    {
        modbus.setUnitState(nullptr);
        modbus.setCatalogue(nullptr);
    }
};

// The unlock step before any read or write: sends "u <pin>" (0 without
// --pin), then reads the unit's PIN register; a unit with a PIN is refused
// unless --pin named it. Returns kExitOk when the unit may be used.
// The PIN lockout is the configuration tool's (same file, same steps): a
// locked tool sends no PIN at all, a wrong --pin counts as a wrong try and
// a right one clears the count.
int UnlockUnit(Unit& unit, const GlobalOptions& global)
{
    CPassword lockout;
    int wrongPins = 0;
    if (!lockout.isUnlocked(&wrongPins)) {
        const long long left = lockout.remainingSeconds();
        if (left < 0)
            std::fprintf(stderr, "tavemo-cli: Too many wrong tries - locked! (the lockout file %s cannot be "
                                 "used: it is no regular file of yours, or its folder cannot be written; remove "
                                 "it)\n", lockout.path().string().c_str());
        else
            std::fprintf(stderr, "tavemo-cli: Too many wrong tries - locked! Try again in %lld s.\n", left);
        return kExitFailure;
    }
    unit.modbus.sendUnlock(global.pin.value_or(0));
    uint16_t pin = 0;
    const int r = unit.modbus.readHolding(Reg::Pin, &pin);
    if (!Accepted(r, unit.modbus, Reg::Pin))
        return CommandFailure("reading the PIN register", r, unit.modbus, Reg::Pin);
    if (pin != 0 && (!global.pin || *global.pin != pin)) {
        if (global.pin) {
            const int count = lockout.recordWrongPin(wrongPins);
            const int block = CPassword::BlockSecondsFor(count);
            std::fprintf(stderr, "tavemo-cli: the unit has a PIN: the PIN given with --pin is wrong (%d wrong %s",
                         count, count == 1 ? "try" : "tries");
            if (block > 0)
                std::fprintf(stderr, "; locked for %d s", block);
            std::fprintf(stderr, ")\n");
        } else {
            std::fprintf(stderr, "tavemo-cli: the unit has a PIN: give it with --pin N\n");
        }
        return kExitFailure;
    }
    if (pin != 0 && wrongPins != 0)
        lockout.recordRightPin();
    return kExitOk;
}

// Opens the port and passes the unlock step; on failure the port is closed.
int OpenUnit(Unit& unit, const GlobalOptions& global, const char* command)
{
    if (global.port.empty())
        return UsageError(std::string(command) + " needs --port NAME (see 'tavemo-cli ports')");
    unit.modbus.setUnitState(&unit.state);
    unit.modbus.setCatalogue(&unit.catalogue);
    const int r = unit.modbus.connect(global.port);
    if (r != 0) {
        // With the device's details: its group, the program holding it.
        std::fprintf(stderr, "tavemo-cli: opening port '%s': error %d: %s\n", global.port.c_str(), r,
                     OpenFailureText(r, unit.modbus.openProblem()).c_str());
        return kExitFailure;
    }
    const int status = UnlockUnit(unit, global);
    if (status != kExitOk)
        unit.modbus.disconnect();
    return status;
}

// Reads the device type and units and adapts the catalogue to them, so that
// writes are checked against this unit's limits.
int LearnUnit(Unit& unit)
{
    uint16_t type = 0, temp = 0, pressure = 0;
    const int r = unit.modbus.readHolding(Reg::DeviceType, &type);
    if (!Accepted(r, unit.modbus, Reg::DeviceType))
        return CommandFailure("reading the device type", r, unit.modbus, Reg::DeviceType);
    const int tempUnit = Accepted(unit.modbus.readHolding(Reg::TempUnit, &temp), unit.modbus, Reg::TempUnit) ? temp : -1;
    const int pressureUnit =
        Accepted(unit.modbus.readHolding(Reg::PressureUnit, &pressure), unit.modbus, Reg::PressureUnit) ? pressure
                                                                                                         : -1;
    unit.state.deviceType = type;
    unit.catalogue.Build();
    unit.catalogue.ApplyDeviceProfile(type, tempUnit, pressureUnit);
    // Temperatures are shown in the unit's own temperature unit.
    if (tempUnit >= 0)
        unit.catalogue.Holding(Reg::TempUnit).value = static_cast<uint16_t>(tempUnit);
    return kExitOk;
}

bool ParseAddress(const std::string& text, uint16_t* out)
{
    const auto v = ParseInt(text);
    if (!v || *v < 1 || *v > 65535)
        return false;
    *out = static_cast<uint16_t>(*v);
    return true;
}

} // namespace

int WithUnit(const GlobalOptions& global, const char* command, const UnitWork& work)
{
    Unit unit;
    if (const int s = OpenUnit(unit, global, command); s != kExitOk)
        return s;
    int status = LearnUnit(unit);
    if (status == kExitOk) {
        // The protocol selector answers only to the special read on older units.
        uint16_t protocol = 0;
        if (!Accepted(unit.modbus.readHoldingSpecial(Reg::Protocol, &protocol), unit.modbus, Reg::Protocol) &&
            !Accepted(unit.modbus.readHolding(Reg::Protocol, &protocol), unit.modbus, Reg::Protocol))
            protocol = 0;
        unit.catalogue.Holding(Reg::Protocol).value = protocol;
        status = work(unit.modbus, unit.catalogue, unit.state);
    }
    unit.modbus.disconnect();
    return status;
}

int CheckUnitAccess(const GlobalOptions& global, const char* command)
{
    Unit unit;
    const int status = OpenUnit(unit, global, command);
    if (status == kExitOk)
        unit.modbus.disconnect();
    return status;
}

int RunPorts(const GlobalOptions&, const Args& args)
{
    if (!args.empty())
        return UsageError("ports takes no arguments");
    for (const PortListItem& item : PortListItems(EnumeratePorts()))
        std::printf("%s\n", item.text.c_str());
    return kExitOk;
}

int RunIdentify(const GlobalOptions& global, const Args& args)
{
    if (!args.empty())
        return UsageError("identify takes no arguments");
    Unit unit;
    if (const int s = OpenUnit(unit, global, "identify"); s != kExitOk)
        return s;
    CModbus& m = unit.modbus;
    uint16_t type = 0;
    int r = m.readHolding(Reg::DeviceType, &type);
    if (!Accepted(r, m, Reg::DeviceType)) {
        m.disconnect();
        return CommandFailure("reading the device type", r, m, Reg::DeviceType);
    }
    std::printf("device-type=%u %s\n", type, DeviceTypeText(type));
    // The protocol selector answers only to the special read on older units.
    uint16_t protocol = 0;
    const bool special = Accepted(m.readHoldingSpecial(Reg::Protocol, &protocol), m, Reg::Protocol);
    const struct
    {
        const char* key;
        uint16_t address;
    } kIdentity[] = {{"firmware", Reg::Firmware},
                     {"production-date", Reg::ProdDate},
                     {"operation-days", Reg::OperationDays},
                     {"bus-address", Reg::BusAddress}};
    for (const auto& item : kIdentity) {
        uint16_t v = 0;
        r = item.address == Reg::BusAddress && special ? m.readHoldingSpecial(item.address, &v)
                                                       : m.readHolding(item.address, &v);
        if (!Accepted(r, m, item.address)) {
            m.disconnect();
            return CommandFailure(std::string("reading ") + item.key, r, m, item.address);
        }
        std::printf("%s=%u\n", item.key, v);
    }
    if (special)
        std::printf("protocol=%u %s\n", protocol, protocol == 1 ? "BACnet" : (protocol == 0 ? "Modbus" : ""));
    else
        std::printf("protocol=unknown\n");
    m.disconnect();
    return kExitOk;
}

int RunRead(const GlobalOptions& global, const Args& args)
{
    bool special = false, input = false, coil = false;
    std::vector<uint16_t> addresses;
    for (const std::string& a : args) {
        if (a == "--special")
            special = true;
        else if (a == "--input")
            input = true;
        else if (a == "--coil")
            coil = true;
        else {
            uint16_t address = 0;
            if (!ParseAddress(a, &address))
                return UsageError("read: '" + a + "' is no register address (1 to 65535)");
            addresses.push_back(address);
        }
    }
    if (input && coil)
        return UsageError("read: --input and --coil exclude each other");
    if (special && (input || coil))
        return UsageError("read: --special reads holding registers only");
    if (addresses.empty())
        return UsageError("read needs at least one register address");
    Unit unit;
    if (const int s = OpenUnit(unit, global, "read"); s != kExitOk)
        return s;
    CModbus& m = unit.modbus;
    // The unit's profile tells which holding registers hold signed numbers
    // (their minimum is negative): those are shown as the pages show them.
    if (!input && !coil) {
        if (const int s = LearnUnit(unit); s != kExitOk) {
            m.disconnect();
            return s;
        }
    }
    const RegisterTableKind kind = coil ? RegisterTableKind::Coil
                                        : (input ? RegisterTableKind::Input : RegisterTableKind::Holding);
    for (uint16_t address : addresses) {
        int r = 0;
        long long shown = 0;
        if (coil) {
            bool v = false;
            r = m.readCoil(address, &v);
            shown = v ? 1 : 0;
        } else if (input) {
            int16_t v = 0;
            r = m.readInput(address, &v);
            shown = v;
        } else {
            uint16_t v = 0;
            r = special ? m.readHoldingSpecial(address, &v) : m.readHolding(address, &v);
            const RegisterEntry* e = unit.catalogue.Entry(kind, address);
            const bool isSigned = e && unit.catalogue.IsUsed(kind, address) && e->min < 0;
            shown = isSigned ? static_cast<int16_t>(v) : v;
        }
        if (!Accepted(r, m, address)) {
            m.disconnect();
            // A register the unit's map does not have is no cable fault.
            if (!unit.catalogue.IsUsed(kind, address) && !input && !coil) {
                std::fprintf(stderr, "tavemo-cli: read %u: there is no such register on this unit (the unit did "
                                     "not answer for it)\n", address);
                return kExitFailure;
            }
            return CommandFailure("read " + std::to_string(address), r, m, address);
        }
        std::printf("%u=%lld\n", address, shown);
        std::fflush(stdout);
    }
    m.disconnect();
    return kExitOk;
}

int RunWrite(const GlobalOptions& global, const Args& args)
{
    bool special = false, coil = false, save = false;
    struct Item
    {
        std::string text;
        uint16_t address;
        long long value;
    };
    std::vector<Item> items;
    for (const std::string& a : args) {
        if (a == "--special") {
            special = true;
            continue;
        }
        if (a == "--coil") {
            coil = true;
            continue;
        }
        if (a == "--save") {
            save = true;
            continue;
        }
        const std::size_t eq = a.find('=');
        uint16_t address = 0;
        const auto value = eq == std::string::npos ? std::nullopt : ParseInt(a.substr(eq + 1));
        if (eq == std::string::npos || !ParseAddress(a.substr(0, eq), &address) || !value)
            return UsageError("write: '" + a + "' is not ADDR=VALUE");
        items.push_back({a, address, *value});
    }
    if (special && coil)
        return UsageError("write: --special writes holding registers only");
    if (items.empty())
        return UsageError("write needs at least one ADDR=VALUE");
    for (const Item& item : items) {
        if (coil ? (item.value != 0 && item.value != 1) : (item.value < -32768 || item.value > 65535))
            return UsageError("write: the value of '" + item.text + "' is not a " +
                              (coil ? "coil state (0 or 1)" : "16-bit number"));
    }

    Unit unit;
    if (const int s = OpenUnit(unit, global, "write"); s != kExitOk)
        return s;
    CModbus& m = unit.modbus;
    if (const int s = LearnUnit(unit); s != kExitOk) {
        m.disconnect();
        return s;
    }
    // Every value is checked before the first is sent: a refused command
    // line changes nothing on the unit.
    const RegisterTableKind kind = coil ? RegisterTableKind::Coil : RegisterTableKind::Holding;
    const char* noun = coil ? "coil " : "register ";
    for (const Item& item : items) {
        const RegisterEntry* e = unit.catalogue.Entry(kind, item.address);
        std::string problem;
        if (!unit.catalogue.IsUsed(kind, item.address))
            problem = noun + std::to_string(item.address) + " does not exist on this unit";
        else if (e->readOnly && !special)
            problem = noun + std::to_string(item.address) + " (" + e->name + ") is read-only";
        else if (!coil && !unit.catalogue.InRange(item.address, static_cast<int32_t>(item.value)))
            problem = "value " + std::to_string(item.value) + " out of range [" + std::to_string(e->min) +
                      ";" + std::to_string(e->max) + "] of register " + std::to_string(item.address) + " (" +
                      e->name + ")";
        if (!problem.empty()) {
            m.disconnect();
            std::fprintf(stderr, "tavemo-cli: write %s: %s; nothing was written\n", item.text.c_str(),
                         problem.c_str());
            return kExitFailure;
        }
    }
    std::string written;
    for (const Item& item : items) {
        const auto value = static_cast<int32_t>(item.value);
        const int r = coil      ? m.writeCoil(item.address, value != 0)
                      : special ? m.writeHoldingSpecialChecked(item.address, value)
                                : m.writeHoldingChecked(item.address, value);
        if (!Accepted(r, m, item.address)) {
            m.disconnect();
            const int status = CommandFailure("write " + item.text, r, m, item.address);
            // A script must know what the unit already took.
            std::fprintf(stderr, "tavemo-cli: write: %s; the rest was not written\n",
                         written.empty() ? "nothing was written" : ("already written: " + written).c_str());
            return status;
        }
        written += (written.empty() ? "" : " ") + item.text;
    }
    // Written values live until the unit restarts; Save To NVRAM keeps them.
    if (save) {
        const int r = m.writeHoldingChecked(Reg::SaveToNvram, 1);
        if (!Accepted(r, m, Reg::SaveToNvram)) {
            m.disconnect();
            const int status = CommandFailure("write --save (Save To NVRAM)", r, m, Reg::SaveToNvram);
            std::fprintf(stderr, "tavemo-cli: write: written but not stored: %s\n", written.c_str());
            return status;
        }
    }
    m.disconnect();
    return kExitOk;
}

} // namespace cli
