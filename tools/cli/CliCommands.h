// The commands of tavemo-cli. Each takes the global options and the words
// after the command name and returns the process exit status.
#pragma once

#include "tools/cli/CliCommon.h"

#include <cstdio>

class RegisterCatalogue;

namespace cli {

int RunCatalogue(const GlobalOptions& global, const Args& args);
int RunUpdate(const GlobalOptions& global, const Args& args);
void PrintCatalogueCsv(const RegisterCatalogue& catalogue, std::FILE* out);

// The device link (CliLink.cpp).
int RunPorts(const GlobalOptions& global, const Args& args);
int RunIdentify(const GlobalOptions& global, const Args& args);
int RunRead(const GlobalOptions& global, const Args& args);
int RunWrite(const GlobalOptions& global, const Args& args);
// Opens the unit on --port, passes the same lockout and PIN check as the
// other unit commands, and closes the port again. Returns kExitOk when the
// unit may be used, else the exit status (the reason is on standard error).
int CheckUnitAccess(const GlobalOptions& global, const char* command);

} // namespace cli
