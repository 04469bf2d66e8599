#include "tools/cli/CliCommon.h"

#include "tools/cli/CliConsole.h"

#include <charconv>
#include <cstdio>

namespace cli {

std::optional<long long> ParseInt(const std::string& text)
{
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    long long value = 0;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last || first == last)
        return std::nullopt;
    return value;
}

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "tavemo-cli: %s\n", message.c_str());
    return kExitUsage;
}

std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

CancelOnSignal::CancelOnSignal() { CatchCancel(); }
CancelOnSignal::~CancelOnSignal() { ReleaseCancel(); }

} // namespace cli
