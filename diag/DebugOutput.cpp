#include "diag/DebugOutput.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace {
std::atomic<IDebugOutput*> g_output{nullptr};
}

IDebugOutput* DebugOutput::Attach(IDebugOutput* output) { return g_output.exchange(output); }

bool DebugOutput::Attached() { return g_output.load() != nullptr; }

int DebugPrint(const char* format, ...)
{
    IDebugOutput* out = g_output.load();
    if (!out)
        return 0;
    char buf[DebugOutput::kMaxLine + 1];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    out->debugLine(buf);
    return 0;
}
