// The commissioning plan: which room of a building gets which settings. An
// installer keeps it in a spreadsheet and saves it as CSV: a header line,
// then one line per unit. Columns are found by their header name, in any
// order; unknown columns are ignored, lines starting with '#' and blank
// lines are skipped, and the separator is the one the header line uses
// (comma or semicolon). Fields may be quoted as spreadsheets write them.
//
//   room         the unit's name in the building (required, unique)
//   device_type  the device type code the unit must report (empty: any)
//   template     an export file, relative to the plan's folder (empty: none)
//   set          space-separated ADDR=VALUE overrides, applied after the
//                template
//
// A plan with any fault is refused as a whole, before a unit is touched,
// naming the line (the header is line 1 when it is the file's first line:
// lines count as the file has them) and the reason. The overrides are
// checked as "tavemo-cli write" checks its values against the register
// catalogue. The registers that change how the unit talks on its bus (bus
// address, baud rate, parity and stop bits) are marked: they are written
// with the special commands, after everything else, because the unit may
// answer differently afterwards. The protocol selector is refused: switching
// it reboots the unit into another protocol.
//
// Result codes: none; a refused plan carries its line and reason.
// Thread rules: pure functions; the result is plain data.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class RegisterCatalogue;

namespace Commission {

struct Override
{
    uint16_t address = 0;
    int32_t value = 0;
    bool special = false; // written with the special command, after the rest
};

struct PlanRow
{
    int line = 0; // the row's line in the file
    std::string room;
    int deviceType = -1; // -1: any
    std::filesystem::path templatePath; // empty: none
    std::vector<Override> overrides;    // in the order the row gives them
};

struct PlanProblem
{
    int line = 0; // 0: the file as a whole (it cannot be read)
    std::string reason;
};

struct Plan
{
    std::vector<PlanRow> rows;
    std::optional<PlanProblem> problem; // set: the plan is refused, rows is empty
};

// The plan in text; templates are looked up relative to folder and must be
// readable files.
Plan ParsePlan(std::string_view text, const std::filesystem::path& folder, const RegisterCatalogue& catalogue);

// The plan file at path (UTF-8).
Plan ReadPlan(const std::string& path, const RegisterCatalogue& catalogue);

// Whether the register is a bus setting (bus address, baud rate, parity and
// stop bits): written with the special command, and read-only to a plain
// import.
bool IsBusSetting(uint16_t address);

// The room's name as the name of its files (ROOM.json, ROOM.before.csv):
// characters that no file system takes become '_', and so do dots at the
// start (no hidden file) and dots and blanks at the end; a name Windows
// keeps for a device gets a '_' in front. A plan whose rooms come to the
// same name (the case folded) is refused.
std::string RoomFileName(const std::string& room);

// "line 4: room \"2.14\" is already on line 2".
std::string ProblemText(const PlanProblem& problem);

} // namespace Commission
