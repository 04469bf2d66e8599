// tavemo-cli's console: whether the progress line can redraw itself, and the
// cancel request of Ctrl-C. One implementation per system
// (CliConsolePosix.cpp: SIGINT and SIGTERM; CliConsoleWin32.cpp: the
// console's control handler).
//
// Result codes: none.
// Thread rules: CatchCancel and ReleaseCancel on the main thread, in pairs;
// CancelRequested from any thread.
#pragma once

#include <string>
#include <vector>

namespace cli {

// The command's words after the program name, in UTF-8. Windows gives
// main() the words in the ANSI code page, where "Łódź.csv" turns into
// "Lódz.csv"; there they come from the wide command line instead, and the
// console is set to show UTF-8 output.
std::vector<std::string> CommandLineWords(int argc, char** argv);

bool StdoutIsTerminal();
bool StderrIsTerminal();

// From CatchCancel to ReleaseCancel, Ctrl-C (and a request to terminate)
// only sets the cancel request instead of ending the program; ReleaseCancel
// restores what was there before.
void CatchCancel();
void ReleaseCancel();
bool CancelRequested();

} // namespace cli
