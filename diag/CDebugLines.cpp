#include "diag/CDebugLines.h"

#include "diag/LocalSystem.h"

#include <ctime>

namespace {

constexpr int kMsPerSecond = 1000;
constexpr int kSecondsPerMinute = 60;
constexpr int kMinutesPerHour = 60;

void AppendDigits(std::string& out, int value, int digits)
{
    char text[8];
    for (int i = digits - 1; i >= 0; --i) {
        text[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(text, static_cast<std::size_t>(digits));
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The number that starts at pos (digits only; -1 when none) and where it ends.
long ReadNumber(std::string_view text, std::size_t& pos)
{
    if (pos >= text.size() || !IsDigit(text[pos]))
        return -1;
    long value = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        if (value < 1000000)
            value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    return value;
}

// Replaces the token (up to a blank, ',' or ')') at pos by the mask; returns
// the position after the mask.
std::size_t MaskToken(std::string& out, std::size_t pos)
{
    std::size_t end = pos;
    while (end < out.size() && !IsBlank(out[end]) && out[end] != ',' && out[end] != ')')
        ++end;
    if (end == pos)
        return pos;
    out.replace(pos, end - pos, CDebugLines::kMask);
    return pos + CDebugLines::kMask.size();
}

std::size_t SkipBlanks(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    return pos;
}

// A write command "Mw<first> v1 v2 ..." (also "Ms", "Xw"): masks the value
// that lands in the PIN register.
void MaskWriteCommand(std::string& out, std::size_t start)
{
    std::size_t pos = start;
    const long first = ReadNumber(out, pos);
    if (first < 0 || first > CDebugLines::kPinRegister)
        return;
    for (long address = first; pos < out.size(); ++address) {
        if (!IsBlank(out[pos]))
            return;
        pos = SkipBlanks(out, pos);
        if (address == CDebugLines::kPinRegister) {
            MaskToken(out, pos);
            return;
        }
        while (pos < out.size() && !IsBlank(out[pos]))
            ++pos;
    }
}

} // namespace

std::string CDebugLines::Masked(std::string_view text)
{
    std::string out(text);
    std::size_t start = 0;
    if (out.size() >= 2 && (out[0] == '>' || out[0] == '<') && out[1] == ' ')
        start = 2;
    start = SkipBlanks(out, start);
    // The unlock line: "u <pin>".
    if (start + 1 < out.size() && out[start] == 'u' && IsBlank(out[start + 1])) {
        out.replace(start + 1, std::string::npos, " ");
        out += kMask;
        return out;
    }
    // A write of the PIN register: "Mw2008 42", "Xw2008 42", "Mw2005 1 2 3 42".
    if (start + 2 < out.size() && (out[start] == 'M' || out[start] == 'X') && out[start + 1] == 'w')
        MaskWriteCommand(out, start + 2);
    // Replies: "0 = mbReadHoldingReg(2008): 4711", "0 = mbWriteHoldingReg(2008,42)".
    const std::string reg = "(" + std::to_string(kPinRegister);
    for (std::size_t at = out.find(reg); at != std::string::npos; at = out.find(reg, at + 1)) {
        std::size_t pos = at + reg.size();
        // Only the holding registers' replies (the coils and inputs of the
        // same number are no secret).
        const std::size_t word = out.rfind(' ', at);
        const std::size_t name = word == std::string::npos ? 0 : word + 1;
        if (out.substr(name, at - name).find("Holding") == std::string::npos)
            continue;
        if (pos < out.size() && IsDigit(out[pos]))
            continue; // (20080...)
        if (pos < out.size() && out[pos] == ',') {
            MaskToken(out, pos + 1);
        } else if (pos + 1 < out.size() && out[pos] == ')' && out[pos + 1] == ':') {
            MaskToken(out, SkipBlanks(out, pos + 2));
        }
    }
    // A failed read's line: "Error:   -10 - Addr:  2008 Val:  4711".
    for (std::size_t at = out.find("Addr:"); at != std::string::npos; at = out.find("Addr:", at + 1)) {
        std::size_t pos = SkipBlanks(out, at + 5);
        if (ReadNumber(out, pos) != kPinRegister)
            continue;
        pos = SkipBlanks(out, pos);
        if (out.compare(pos, 4, "Val:") == 0)
            MaskToken(out, SkipBlanks(out, pos + 4));
    }
    return out;
}

int CDebugLines::LocalMsOfDay(std::chrono::system_clock::time_point when)
{
    using namespace std::chrono;
    const auto sinceEpoch = duration_cast<milliseconds>(when.time_since_epoch()).count();
    const std::time_t seconds = static_cast<std::time_t>(sinceEpoch / kMsPerSecond);
    const std::tm local = LocalSystem::LocalTime(seconds);
    return ((local.tm_hour * kMinutesPerHour + local.tm_min) * kSecondsPerMinute + local.tm_sec) * kMsPerSecond +
           static_cast<int>(sinceEpoch % kMsPerSecond);
}

std::string CDebugLines::TimeText(int msOfDay)
{
    int ms = msOfDay % kMsPerDay;
    if (ms < 0)
        ms += kMsPerDay;
    const int seconds = ms / kMsPerSecond;
    std::string out;
    out.reserve(12);
    AppendDigits(out, seconds / (kSecondsPerMinute * kMinutesPerHour), 2);
    out += ':';
    AppendDigits(out, seconds / kSecondsPerMinute % kMinutesPerHour, 2);
    out += ':';
    AppendDigits(out, seconds % kSecondsPerMinute, 2);
    out += '.';
    AppendDigits(out, ms % kMsPerSecond, 3);
    return out;
}

CDebugLines::Change CDebugLines::Add(std::string_view text, int msOfDay)
{
    text = text.substr(0, kMaxText);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);

    const std::string masked = Masked(text);
    Change change;
    if (!m_lines.empty() && m_lines.back().text == masked) {
        ++m_lines.back().count;
        change.folded = true;
        return change;
    }
    while (m_lines.size() >= kMaxLines) {
        m_lines.pop_front();
        ++change.dropped;
    }
    m_lines.push_back({masked, msOfDay, 1});
    return change;
}

void CDebugLines::Clear() { m_lines.clear(); }

std::string CDebugLines::Shown(std::size_t index) const
{
    const Line& line = m_lines[index];
    std::string out = TimeText(line.msOfDay);
    out += ' ';
    out += line.text;
    if (line.count > 1) {
        out += " (x";
        out += std::to_string(line.count);
        out += ')';
    }
    return out;
}

std::string CDebugLines::AllText(std::string_view lineEnd) const
{
    std::string out;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        out += Shown(i);
        out += lineEnd;
    }
    return out;
}
