#include "tools/cli/CliConsole.h"

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace cli {

std::vector<std::string> CommandLineWords(int argc, char** argv)
{
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

namespace {

volatile std::sig_atomic_t g_cancel = 0;
struct sigaction g_oldInt = {}, g_oldTerm = {};

void OnSignal(int) { g_cancel = 1; }

} // namespace

bool StdoutIsTerminal() { return ::isatty(::fileno(stdout)) != 0; }
bool StderrIsTerminal() { return ::isatty(::fileno(stderr)) != 0; }

void CatchCancel()
{
    g_cancel = 0;
    struct sigaction sa = {};
    sa.sa_handler = &OnSignal;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, &g_oldInt);
    ::sigaction(SIGTERM, &sa, &g_oldTerm);
}

void ReleaseCancel()
{
    ::sigaction(SIGINT, &g_oldInt, nullptr);
    ::sigaction(SIGTERM, &g_oldTerm, nullptr);
}

bool CancelRequested() { return g_cancel != 0; }

} // namespace cli
