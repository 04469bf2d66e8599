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

} // namespace

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

    Change change;
    if (!m_lines.empty() && m_lines.back().text == text) {
        ++m_lines.back().count;
        change.folded = true;
        return change;
    }
    while (m_lines.size() >= kMaxLines) {
        m_lines.pop_front();
        ++change.dropped;
    }
    m_lines.push_back({std::string(text), msOfDay, 1});
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
