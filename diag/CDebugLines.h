// The debug window's lines without the window: each line carries the local
// time it was written ("hh:mm:ss.zzz") and folds with identical lines that
// follow it into one line with a count, so that a unit that stops answering
// does not wash everything else out of the list. At most 1000 lines are
// kept; the oldest goes first. A line's text is cut to 239 characters (the
// outlet's cut) and loses a trailing CR or LF (refused reply lines come with
// theirs).
//
// A folded line keeps the time of its first occurrence and shows its count:
//   "10:04:17.250 CComPort::getArray(len =     0) (x3)"
//
// The unit's PIN never shows: Masked replaces the PIN sent to unlock the
// unit ("> u 1234") and every value of the PIN register (holding 2008) in a
// command, a reply or a failed read's line by "****". Add masks each line
// before it keeps it, so the window, its copy and its saved file never hold
// one; the log writer masks its lines the same way.
//
// Thread rules: not synchronised; one thread (the window's) uses an
// instance. LocalMsOfDay may be called from any thread, so a writer can take
// the time when it writes and hand it over with the text.
#pragma once

#include "diag/DebugOutput.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

class CDebugLines
{
public:
    static constexpr std::size_t kMaxLines = 1000;
    static constexpr std::size_t kMaxText = DebugOutput::kMaxLine;
    static constexpr int kMsPerDay = 24 * 60 * 60 * 1000;
    static constexpr uint16_t kPinRegister = 2008;
    static constexpr std::string_view kMask = "****";

    struct Line
    {
        std::string text;
        int msOfDay = 0; // local time of the first occurrence
        int count = 1;   // how many identical lines in a row it stands for
    };

    // What Add did, for a view that mirrors the lines: dropped lines went
    // from the front; then either the last line's count went up (folded)
    // or a new last line came.
    struct Change
    {
        bool folded = false;
        std::size_t dropped = 0;
    };

    // Milliseconds since local midnight.
    static int LocalMsOfDay(std::chrono::system_clock::time_point when);
    // "hh:mm:ss.zzz"; a value outside the day is wrapped into it.
    static std::string TimeText(int msOfDay);

    // The line with the PIN replaced (see above); any thread.
    static std::string Masked(std::string_view text);

    Change Add(std::string_view text, int msOfDay);
    void Clear();

    std::size_t Size() const { return m_lines.size(); }
    const Line& At(std::size_t index) const { return m_lines[index]; }
    // The line as shown: time, a space, the text, and " (xN)" when folded.
    std::string Shown(std::size_t index) const;
    // Every shown line, each followed by lineEnd.
    std::string AllText(std::string_view lineEnd) const;

private:
    std::deque<Line> m_lines;
};
