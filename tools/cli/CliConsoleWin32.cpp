#include "tools/cli/CliConsole.h"

#include <windows.h>

#include <atomic>

namespace cli {

namespace {

std::atomic<bool> g_cancel{false};

// Runs on a thread of its own that the console starts for the event.
BOOL WINAPI OnConsoleEvent(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
        g_cancel.store(true);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

bool StdoutIsTerminal()
{
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    return out != INVALID_HANDLE_VALUE && out != nullptr && GetConsoleMode(out, &mode);
}

void CatchCancel()
{
    g_cancel.store(false);
    SetConsoleCtrlHandler(&OnConsoleEvent, TRUE);
}

void ReleaseCancel() { SetConsoleCtrlHandler(&OnConsoleEvent, FALSE); }

bool CancelRequested() { return g_cancel.load(); }

} // namespace cli
