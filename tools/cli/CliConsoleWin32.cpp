#include "tools/cli/CliConsole.h"

#include "diag/Win32Text.h"

#include <windows.h>
#include <shellapi.h>

#include <atomic>

namespace cli {

namespace {

std::atomic<bool> g_cancel{false};
// Set by ReleaseCancel: the command has ended its work in order.
std::atomic<bool> g_released{false};

// Windows ends the process as soon as the handler returns from a close,
// log-off or shut-down event (and at the latest after about 5 s), so the
// handler waits there for the command to cancel in order (the port closed,
// a temporary file removed) rather than returning at once.
constexpr DWORD kCloseWaitMs = 4500;
constexpr DWORD kCloseWaitStepMs = 50;

// Runs on a thread of its own that the console starts for the event.
BOOL WINAPI OnConsoleEvent(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        g_cancel.store(true);
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        g_cancel.store(true);
        for (DWORD waited = 0; waited < kCloseWaitMs && !g_released.load(); waited += kCloseWaitStepMs)
            Sleep(kCloseWaitStepMs);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

namespace {

bool IsConsole(DWORD which)
{
    const HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode);
}

} // namespace

std::vector<std::string> CommandLineWords(int argc, char** argv)
{
    std::vector<std::string> words;
    int count = 0;
    if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            words.push_back(Win32Text::Narrow(wide[i]));
        LocalFree(wide);
    } else {
        words.assign(argv + (argc > 0 ? 1 : 0), argv + argc);
    }
    SetConsoleOutputCP(CP_UTF8);
    return words;
}

bool StdoutIsTerminal() { return IsConsole(STD_OUTPUT_HANDLE); }
bool StderrIsTerminal() { return IsConsole(STD_ERROR_HANDLE); }

void CatchCancel()
{
    g_cancel.store(false);
    g_released.store(false);
    SetConsoleCtrlHandler(&OnConsoleEvent, TRUE);
}

void ReleaseCancel()
{
    // A close event waiting in the handler may let the process end now.
    g_released.store(true);
    SetConsoleCtrlHandler(&OnConsoleEvent, FALSE);
}

bool CancelRequested() { return g_cancel.load(); }

} // namespace cli
