#include "tools/report/ReportClock.h"

#include "diag/LocalSystem.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

long long SecondsOf(const std::tm& t)
{
    return DaysFromCivil(t.tm_year + 1900LL, static_cast<unsigned>(t.tm_mon + 1), static_cast<unsigned>(t.tm_mday)) *
               86400 +
           t.tm_hour * 3600LL + t.tm_min * 60LL + t.tm_sec;
}

} // namespace

namespace ReportClock {

std::string Iso8601(std::time_t moment)
{
    const std::tm local = LocalSystem::LocalTime(moment);
    // The offset is what the local clock reads minus UTC; no tm_gmtoff on
    // every system, so it is worked out from the calendar fields.
    const long offset = static_cast<long>(SecondsOf(local) - static_cast<long long>(moment));
    return Iso8601(local, offset);
}

std::string Iso8601(const std::tm& local, long offsetSeconds)
{
    const long minutes = std::labs(offsetSeconds) / 60;
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  offsetSeconds < 0 ? '-' : '+', minutes / 60, minutes % 60);
    return text;
}

std::string Readable(const std::string& iso8601)
{
    // "YYYY-MM-DDTHH:MM:SS+HH:MM"
    if (iso8601.size() != 25 || iso8601[10] != 'T')
        return iso8601;
    return iso8601.substr(0, 10) + " " + iso8601.substr(11, 5) + " (UTC" + iso8601.substr(19) + ")";
}

} // namespace ReportClock
