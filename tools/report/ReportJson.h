// The report as JSON, for programs and for comparing a unit with its report
// later:
//   {"format": "tavemo-report", "version": 1, "created": "...+02:00",
//    "technician", "note", "tool", "tool_version",
//    "unit": {"device_type", "device_name", "firmware", "production_date",
//             "operation_days", "bus_address", "protocol", "port"},
//    "registers": [{"address", "name", "category", "value", "default",
//                   "shown", "read"}],
//    "changes": [{"time", "address", "name", "before", "after", "result"}]}
// Numbers are plain decimals (the raw words unsigned); a register not read
// has "value": null and "read": false; the PIN has "value" and "default"
// null and "shown" "set" or "none". Text is UTF-8 with JSON escapes.
//
// ReadReportJson takes such a file back: the registers with their values,
// for comparing a unit against it. A file that lists an address twice is
// refused, naming it.
//
// Result codes (diag/Result.h): ReadReportJson gives Ok, ImportNotOpened
// (the file cannot be read) or NotAReport with the reason in *problem.
//
// Thread rules: pure functions.
#pragma once

#include "tools/config/ConfigSource.h"
#include "tools/report/Report.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ReportJson {

std::string Render(const Report& report);

// A register of a report file: value is meaningful only when read is true
// (a register not read, and the PIN, carry none).
struct StoredRegister
{
    uint16_t address = 0;
    uint16_t value = 0;
    bool read = false;
};

// Parses a report's text; Ok, or NotAReport with the reason in *problem.
int Parse(std::string_view text, std::vector<StoredRegister>& registers, std::string* problem);
// Reads and parses a report file.
int ReadFile(const std::string& path, std::vector<StoredRegister>& registers, std::string* problem);
// A report file as one side of a comparison: the value of each register
// that was read (a register not read and the PIN have none and are left
// out). Ok, or NotAReport / ImportNotOpened with the reason in *problem.
int ReadSource(const std::string& path, ConfigSource& source, std::string* problem);

// A JSON string literal of UTF-8 text (quotes included).
std::string Quote(std::string_view text);

} // namespace ReportJson
