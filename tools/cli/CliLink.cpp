// tavemo-cli link commands: the port list, and identify, read and write on a
// unit through the adapter (--port NAME or a device path, --pin N).
//
// Every command that talks to a unit first passes the unlock step
// (UnlockUnit): the tool must never be a way around a unit's PIN.
#include "diag/Result.h"
#include "link/CModbus.h"
#include "link/CPortUnit.h"
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

// A command's result counts as success when the adapter answered for the
// number asked with a status of 0 or more.
bool Accepted(int result, const CPortUnit& unit, uint16_t number)
{
    return unit.accepted(result, number);
}

// Explains a failed command on standard error.
int CommandFailure(const std::string& what, int result, CPortUnit& unit, uint16_t number)
{
    unit.failed(what, result, number);
    std::fprintf(stderr, "tavemo-cli: %s\n", unit.problem().c_str());
    return kExitFailure;
}

// Opens the port and passes the unlock step (CPortUnit::open: the lockout,
// the PIN); on failure the port is closed and the reason printed.
int OpenUnit(CPortUnit& unit, const char* command)
{
    if (unit.port().empty())
        return UsageError(std::string(command) + " needs --port NAME (see 'tavemo-cli ports')");
    if (unit.open() != Result::Ok) {
        std::fprintf(stderr, "tavemo-cli: %s\n", unit.problem().c_str());
        return kExitFailure;
    }
    return kExitOk;
}

// Reads the device type and units and adapts the catalogue to them, so that
// writes are checked against this unit's limits.
int LearnUnit(CPortUnit& unit)
{
    if (unit.learn() != Result::Ok) {
        std::fprintf(stderr, "tavemo-cli: %s\n", unit.problem().c_str());
        return kExitFailure;
    }
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
    if (global.port.empty())
        return UsageError(std::string(command) + " needs --port NAME (see 'tavemo-cli ports')");
    CPortUnit unit(global.port, global.pin);
    // The unit session's steps: open and unlock, learn the unit, the work,
    // close. A unit of device type 0 is served too: the commands read and
    // write registers, whatever the unit is.
    const UnitActionResult r = RunUnitAction(
        unit, {.requireDevice = false},
        [&] { return work(unit.modbus(), unit.catalogue(), unit.state()); });
    if (!r.ran()) {
        std::fprintf(stderr, "tavemo-cli: %s\n", unit.problem().c_str());
        return kExitFailure;
    }
    return r.result;
}

int CheckUnitAccess(const GlobalOptions& global, const char* command)
{
    CPortUnit unit(global.port, global.pin);
    const int status = OpenUnit(unit, command);
    unit.close();
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
    CPortUnit unit(global.port, global.pin);
    if (const int s = OpenUnit(unit, "identify"); s != kExitOk)
        return s;
    CPortUnit::Identity id;
    const int r = unit.readIdentity(id);
    unit.close();
    // What was read before a failure is still shown.
    if (id.deviceType >= 0)
        std::printf("device-type=%d %s\n", id.deviceType, DeviceTypeText(id.deviceType));
    const std::pair<const char*, int> items[] = {{"firmware", id.firmware},
                                                 {"production-date", id.productionDate},
                                                 {"operation-days", id.operationDays},
                                                 {"bus-address", id.busAddress}};
    for (const auto& [key, value] : items)
        if (value >= 0)
            std::printf("%s=%d\n", key, value);
    if (r != Result::Ok) {
        std::fprintf(stderr, "tavemo-cli: %s\n", unit.problem().c_str());
        return kExitFailure;
    }
    if (id.protocol >= 0)
        std::printf("protocol=%d %s\n", id.protocol, id.protocol == 1 ? "BACnet" : (id.protocol == 0 ? "Modbus" : ""));
    else
        std::printf("protocol=unknown\n");
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
    CPortUnit unit(global.port, global.pin);
    if (const int s = OpenUnit(unit, "read"); s != kExitOk)
        return s;
    CModbus& m = unit.modbus();
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
            const RegisterEntry* e = unit.catalogue().Entry(kind, address);
            const bool isSigned = e && unit.catalogue().IsUsed(kind, address) && e->min < 0;
            shown = isSigned ? static_cast<int16_t>(v) : v;
        }
        if (!Accepted(r, unit, address)) {
            m.disconnect();
            // A register the unit's map does not have is no cable fault.
            if (!unit.catalogue().IsUsed(kind, address) && !input && !coil) {
                std::fprintf(stderr, "tavemo-cli: read %u: there is no such register on this unit (the unit did "
                                     "not answer for it)\n", address);
                return kExitFailure;
            }
            return CommandFailure("read " + std::to_string(address), r, unit, address);
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

    CPortUnit unit(global.port, global.pin);
    if (const int s = OpenUnit(unit, "write"); s != kExitOk)
        return s;
    CModbus& m = unit.modbus();
    if (const int s = LearnUnit(unit); s != kExitOk) {
        m.disconnect();
        return s;
    }
    // Every value is checked before the first is sent: a refused command
    // line changes nothing on the unit.
    const RegisterTableKind kind = coil ? RegisterTableKind::Coil : RegisterTableKind::Holding;
    const char* noun = coil ? "coil " : "register ";
    for (const Item& item : items) {
        const RegisterEntry* e = unit.catalogue().Entry(kind, item.address);
        std::string problem;
        if (!unit.catalogue().IsUsed(kind, item.address))
            problem = noun + std::to_string(item.address) + " does not exist on this unit";
        else if (e->readOnly && !special)
            problem = noun + std::to_string(item.address) + " (" + e->name + ") is read-only";
        else if (!coil && !unit.catalogue().InRange(item.address, static_cast<int32_t>(item.value)))
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
        if (!Accepted(r, unit, item.address)) {
            m.disconnect();
            const int status = CommandFailure("write " + item.text, r, unit, item.address);
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
        if (!Accepted(r, unit, Reg::SaveToNvram)) {
            m.disconnect();
            const int status = CommandFailure("write --save (Save To NVRAM)", r, unit, Reg::SaveToNvram);
            std::fprintf(stderr, "tavemo-cli: write: written but not stored: %s\n", written.c_str());
            return status;
        }
    }
    m.disconnect();
    return kExitOk;
}

} // namespace cli
