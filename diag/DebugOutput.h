// The debug window's outlet for the serial port and the protocol client.
// Writers call DebugPrint; the line (at most 239 characters) goes to the
// attached IDebugOutput, or nowhere when none is attached. The window that
// implements IDebugOutput marshals lines from other threads itself.
//
// Thread rules: DebugPrint may be called from any thread. Attach and detach
// only while no other thread writes (at start-up and shut-down).
#pragma once

#include <string>

class IDebugOutput
{
public:
    virtual ~IDebugOutput() = default;
    virtual void debugLine(const std::string& line) = 0;
};

namespace DebugOutput {
constexpr std::size_t kMaxLine = 239;
// Attaches the outlet (null detaches); returns the previous one.
IDebugOutput* Attach(IDebugOutput* output);
bool Attached();
} // namespace DebugOutput

// printf-style; result 0, as the debug window's own print.
int DebugPrint(const char* format, ...) __attribute__((format(printf, 1, 2)));
