// Shared pieces of the command-line companion: argument handling, number
// parsing that ignores the process locale, and CSV quoting.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cli {

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1; // the unit or the file said no
constexpr int kExitUsage = 2;   // the command line is wrong
constexpr int kExitCanceled = 130; // as a shell reports a command ended by Ctrl-C

// Catches Ctrl-C and termination while it lives (CancelRequested tells);
// restores the old handlers.
class CancelOnSignal
{
public:
    CancelOnSignal();
    ~CancelOnSignal();
    CancelOnSignal(const CancelOnSignal&) = delete;
    CancelOnSignal& operator=(const CancelOnSignal&) = delete;
};

// Options that stand before or after the command.
struct GlobalOptions
{
    std::string port;
    std::optional<int> pin;
};

using Args = std::vector<std::string>;

// A whole decimal integer (optional sign), nothing else; locale-independent.
std::optional<long long> ParseInt(const std::string& text);

// Prints "tavemo-cli: <message>" on standard error; returns kExitUsage.
int UsageError(const std::string& message);

// Quotes a CSV field when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text);

} // namespace cli
