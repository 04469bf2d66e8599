// The commands of tavemo-cli. Each takes the global options and the words
// after the command name and returns the process exit status.
#pragma once

#include "tools/cli/CliCommon.h"

#include <cstdio>
#include <functional>

class CModbus;
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
// The custom addressing tables (CliReMa.cpp).
int RunReMa(const GlobalOptions& global, const Args& args);

// Opens the unit on --port, passes the unlock step, learns the unit (device
// type, units, protocol into the catalogue's register 2045) and runs work on
// the open link; closes the port afterwards. Returns work's exit status, or
// the failure's (the reason is on standard error).
using UnitWork = std::function<int(CModbus& modbus, RegisterCatalogue& catalogue, int deviceType)>;
int WithUnit(const GlobalOptions& global, const char* command, const UnitWork& work);
// Opens the unit on --port, passes the same lockout and PIN check as the
// other unit commands, and closes the port again. Returns kExitOk when the
// unit may be used, else the exit status (the reason is on standard error).
int CheckUnitAccess(const GlobalOptions& global, const char* command);

} // namespace cli
