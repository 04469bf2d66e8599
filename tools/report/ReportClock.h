// Times in the report: local time with its offset from UTC, written the same
// way whatever the process locale ("2026-05-04T09:30:00+02:00").
//
// Thread rules: pure functions.
#pragma once

#include <ctime>
#include <string>

namespace ReportClock {

// The moment as local ISO 8601 with the offset.
std::string Iso8601(std::time_t moment);
// The same from a broken-down local time and its offset east of UTC in
// seconds (the testable core of Iso8601).
std::string Iso8601(const std::tm& local, long offsetSeconds);
// "2026-05-04 09:30 (UTC+02:00)": the form a reader sees in the document.
std::string Readable(const std::string& iso8601);

} // namespace ReportClock
