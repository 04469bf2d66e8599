// The register catalogue: the unit's register map and, at the same time, the
// value store. Three flat tables indexed by address (holding 10000 entries,
// input and coil 400 each), filled at start-up from the built-in rows and
// adapted to the identified unit by ApplyDeviceProfile.
//
// Every lookup is a plain array index. No function here reads or writes
// outside a table, whatever address it is given.
//
// Thread rules: the catalogue belongs to the user-interface thread (or the
// command-line tool's only thread); it has no lock.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class RegisterTableKind : int { Holding = 0, Input = 1, Coil = 2 };

struct RegisterEntry
{
    uint16_t value = 0;          // current value: what was read, imported or typed
    uint16_t lastReadValue = 0;  // second copy, kept by the Common page
    uint8_t readOnly = 0;        // 1 = never written to the unit, not exported
    int32_t min = 0;             // lower limit; negative => signed comparison
    int32_t max = 0;             // upper limit
    uint16_t used = 0;           // 1 = the register exists on this unit
    uint16_t defaultValue = 0;   // factory default
    std::string name;            // description, also written into exports
    uint16_t textPart = 0;       // 0 value; 1 first, 2 inner, 3 last of a 12-register text
};

// Fields handed to SetEntry; the mask says which of them are taken.
struct RegisterFields
{
    uint8_t readOnly = 0;
    uint16_t value = 0;
    uint16_t defaultValue = 0;
    int32_t min = 0;
    int32_t max = 0;
    std::string name;
    uint16_t textPart = 0;
};

namespace RegisterMask {
constexpr unsigned Used = 0x01;
constexpr unsigned ReadOnly = 0x02;
constexpr unsigned Value = 0x04;
constexpr unsigned Default = 0x08;
constexpr unsigned Min = 0x10;
constexpr unsigned Max = 0x20;
constexpr unsigned Name = 0x40;
constexpr unsigned TextPart = 0x80;
constexpr unsigned All = 0xFFFF;
// What a device profile adapts: access, default and limits, never the
// current value, presence, name or text role.
constexpr unsigned Profile = ReadOnly | Default | Min | Max; // 0x3A
constexpr unsigned Limits = Min | Max;                       // 0x30
} // namespace RegisterMask

// Device types (holding 2000) and their family (type / 1000).
constexpr int kNoDevice = -1;
inline int DeviceFamily(int deviceType) { return deviceType / 1000; }
// Display text of a device type code ("ORVELANT E2, 24V Regler, ..."), ""
// for an unknown code.
const char* DeviceTypeText(int deviceType);
// The unit's name alone ("ORVELANT E2"), "" for an unknown code.
const char* DeviceTypeName(int deviceType);
// The entries of the demo device list, "<code> = <name>, <description>".
const std::vector<std::string>& DemoDeviceEntries();

// What the unit speaks on its bus, by holding 2045: Modbus for 0, BACnet
// for any other value. Every part of the tool that goes by the protocol asks
// here.
constexpr int kProtocolModbus = 0;
constexpr int kProtocolBacnet = 1;
constexpr int ProtocolOf(uint16_t protocolRegister)
{
    return protocolRegister != 0 ? kProtocolBacnet : kProtocolModbus;
}

// Addresses the rest of the system names directly.
namespace Reg {
constexpr uint16_t DeviceType = 2000;
constexpr uint16_t Firmware = 2001;
constexpr uint16_t ProdDate = 2002;
constexpr uint16_t OperationDays = 2003;
constexpr uint16_t BusAddress = 2004;
constexpr uint16_t Pin = 2008;
constexpr uint16_t TempUnit = 2010;
constexpr uint16_t SaveToNvram = 2013;
constexpr uint16_t Protocol = 2045;
constexpr uint16_t PressureUnit = 3516;
} // namespace Reg

class RegisterCatalogue
{
public:
    static constexpr int kHoldingCount = 10000;
    static constexpr int kInputCount = 400;
    static constexpr int kCoilCount = 400;

    RegisterCatalogue();

    // Enters every built-in row (all fields, used = 1; a later row for the
    // same address wins), then initialises the address maps.
    void Build();

    // The single writer. Addresses outside the table (holding 0 or >= 10000,
    // input or coil >= 400) are ignored.
    void SetEntry(RegisterTableKind kind, uint32_t address, const RegisterFields& fields, unsigned mask);

    // Adapts presence, access, defaults and limits to the identified unit;
    // -1 means unknown (a deviceType of -1 makes the units unknown too).
    void ApplyDeviceProfile(int deviceType, int tempUnit, int pressureUnit);
    // Instead of one profile, every device type's together, for values of a
    // unit whose type is not known (two files compared): a register is
    // present when any type has it, writable when any type writes it, and
    // its limits are the widest any type gives it, so that nothing a unit
    // of some type would take is called unknown, read-only or outside the
    // limits. Names, defaults and text roles come from the first type that
    // has the register; the current values stay.
    void ApplyEveryDeviceType();

    // True for an address inside the table (holding 1..9999, input and coil
    // 1..399) whose entry exists; false for anything else.
    bool IsUsed(RegisterTableKind kind, uint32_t address) const;
    bool IsUsed(int kind, uint32_t address) const;

    // True when 0 < address < count and value lies within the entry's limits
    // (signed 16-bit comparison when min < 0, else unsigned).
    static bool InRange(uint32_t address, int32_t value, const RegisterEntry* table, int count);
    // InRange, and otherwise forces the value into the limits. The result goes
    // to *out, or into the entry's value when out is null. Never touches an
    // entry outside the table; a null table gives false.
    static bool Clamp(uint32_t address, int32_t value, RegisterEntry* table, int count, int32_t* out);

    // Convenience forms on the holding table.
    bool InRange(uint32_t address, int32_t value) const;
    bool Clamp(uint32_t address, int32_t value, int32_t* out);

    // Converts tenths of a degree Celsius to tenths of a degree Fahrenheit for
    // the temperature registers; other addresses keep their value.
    static void ToFahrenheitX10(uint32_t address, int32_t& value);

    // Access to the tables. Entry(kind, address) returns null outside a table.
    RegisterEntry* Table(RegisterTableKind kind);
    const RegisterEntry* Table(RegisterTableKind kind) const;
    static int Count(RegisterTableKind kind);
    RegisterEntry* Entry(RegisterTableKind kind, uint32_t address);
    const RegisterEntry* Entry(RegisterTableKind kind, uint32_t address) const;
    RegisterEntry& Holding(uint16_t address) { return m_holding[address < kHoldingCount ? address : 0]; }
    const RegisterEntry& Holding(uint16_t address) const
    {
        return m_holding[address < kHoldingCount ? address : 0];
    }

    // Address maps: per customized address, low 16 bits that address, high
    // 16 bits the catalogue address exposed there (0xFFFF = nothing).
    uint32_t* Map(RegisterTableKind kind);
    const uint32_t* Map(RegisterTableKind kind) const;

private:
    void InitAddressMaps();

    std::unique_ptr<RegisterEntry[]> m_holding;
    std::unique_ptr<RegisterEntry[]> m_input;
    std::unique_ptr<RegisterEntry[]> m_coil;
    std::unique_ptr<uint32_t[]> m_holdingMap;
    std::unique_ptr<uint32_t[]> m_inputMap;
    std::unique_ptr<uint32_t[]> m_coilMap;
};

// The key name of a holding register ("Setpoint_Temp_400"), shown in the
// register information line; "" when the address has none. A stored "%%"
// comes out as one percent sign.
std::string RegisterKeyName(uint32_t address);
