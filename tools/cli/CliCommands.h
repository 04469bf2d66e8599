// The commands of tavemo-cli. Each takes the global options and the words
// after the command name and returns the process exit status.
#pragma once

#include "tools/cli/CliCommon.h"
#include "tools/config/ConfigFile.h"

#include <cstdio>
#include <functional>

class CModbus;
class CUnitState;
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

// Opens the unit on --port, passes the same lockout and PIN check as the
// other unit commands, and closes the port again. Returns kExitOk when the
// unit may be used, else the exit status (the reason is on standard error).
int CheckUnitAccess(const GlobalOptions& global, const char* command);
// Opens the unit on --port, passes the lockout and PIN check, learns the
// unit (device type and units, the catalogue adapted to them, the protocol
// into the catalogue's register 2045), runs work on the open link and closes
// the port. Returns work's exit status, or the failure's (the reason is on
// standard error).
using UnitWork = std::function<int(CModbus& modbus, RegisterCatalogue& catalogue, CUnitState& state)>;
int WithUnit(const GlobalOptions& global, const char* command, const UnitWork& work);

// The configuration file commands (CliConfig.cpp).
int RunExport(const GlobalOptions& global, const Args& args);
int RunImport(const GlobalOptions& global, const Args& args);
// The comparison of two configurations (CliDiff.cpp).
int RunDiff(const GlobalOptions& global, const Args& args);
// Commissioning from a plan on several ports at once (CliCommission.cpp).
int RunCommission(const GlobalOptions& global, const Args& args);
// The export categories of a comma list of their words ("all" for every
// one), in the categories' order; false with the unknown word in bad.
bool SplitCategories(const std::string& list, std::vector<ConfigFile::Range>& ranges, std::string& bad);
// "COMMAND: unknown category 'BAD' (common, sensors, ..., all)".
std::string UnknownCategoryText(const std::string& command, const std::string& bad);
// The commissioning report (CliReport.cpp).
int RunReport(const GlobalOptions& global, const Args& args);

} // namespace cli
