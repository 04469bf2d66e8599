// The commissioning report of one unit: who took it and when, which unit,
// every exportable register of the chosen categories with its value, and the
// changes written to the unit over this connection. One model, rendered as
// JSON and HTML (ReportJson, ReportHtml) and as PDF by the Qt layer
// (tools/report/ui).
//
// The unit's PIN (holding 2008) is never held as a value: the report goes to
// the building owner. Its register row carries only whether a PIN is set.
//
// Thread rules: plain values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ReportUnit
{
    int deviceType = 0;        // holding 2000; 0 or less: no unit known
    std::string deviceName;    // the device type's display name ("" when unknown)
    uint16_t firmware = 0;     // holding 2001
    uint16_t productionDate = 0; // holding 2002
    uint16_t operationDays = 0;  // holding 2003
    uint16_t busAddress = 0;     // holding 2004
    int protocol = -1;           // holding 2045: 0 Modbus, 1 BACnet, -1 unknown
    std::string port;            // the port the unit was reached on
    bool fromUnit = false;       // false: the values are the catalogue's (demo mode, no unit)
};

struct ReportRegister
{
    uint16_t address = 0;
    std::string name;        // the catalogue's name
    std::string category;    // the export category's caption
    bool read = false;       // false: the unit did not give it
    bool secret = false;     // the PIN: value and default are never written out
    uint16_t value = 0;      // the raw word (meaningless when !read or secret)
    uint16_t defaultValue = 0;
    int32_t min = 0;         // the catalogue limits (signed when min < 0)
    int32_t max = 0;
    std::string shown;       // the value as its page shows it; "set"/"none" for the PIN
    std::string shownDefault;
    // The value differs from the factory default.
    bool changed() const { return read && !secret && value != defaultValue; }
};

struct ReportChange
{
    std::string time;        // local time with its offset (ReportClock::Iso8601)
    uint16_t address = 0;
    std::string name;
    uint16_t before = 0;
    uint16_t after = 0;
    int result = 0;          // the write's result code (0 written)
};

struct Report
{
    std::string created;     // ISO 8601 local time with its UTC offset
    std::string technician;
    std::string note;
    std::string toolName;    // "tavemo-config" or "tavemo-cli"
    std::string toolVersion;
    ReportUnit unit;
    std::vector<ReportRegister> registers; // ascending addresses, grouped by category
    std::vector<ReportChange> changes;
    // Commissioning: the file that holds what the attempt overwrote (its
    // name in the report's folder; "" when it wrote nothing).
    std::string beforeFile;
    // Why the registers were not all asked for (the link was lost, the run
    // was stopped); "" for a whole report.
    std::string incomplete;
    // The registers the unit did not give.
    int unreadCount() const
    {
        int n = 0;
        for (const ReportRegister& r : registers)
            n += r.read ? 0 : 1;
        return n;
    }
};

// The words shown for the PIN's row.
namespace ReportText {
inline constexpr const char* kPinSet = "set";
inline constexpr const char* kPinNone = "none";
inline constexpr const char* kNotRead = "not read";
} // namespace ReportText
