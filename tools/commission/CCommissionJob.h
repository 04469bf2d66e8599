// What happens to one unit of a commissioning plan:
//   identify it, and refuse a unit whose device type is not the row's
//   (nothing is written);
//   compare it with the row's template plus its overrides (only the
//   registers they name are read);
//   save what is about to be overwritten as ROOM.before.csv (an export file
//   that a plain import puts back);
//   write only what differs, and read each write back to verify it; the
//   registers that change how the unit talks on its bus last, with the
//   special commands;
//   "Save To NVRAM" when anything was written (nothing differing writes
//   nothing, not even that);
//   write the unit's report (ROOM.json and ROOM.html) with the changes.
// A failure ends the unit at once, naming the register and the reason.
//
// The unit is an ICommissionUnit: CPortUnit's on a port for the real run
// (MakeUnitJob), a fake in the tests. The stop flag is read after each
// register: once it is raised the unit's reads and writes fail at once.
//
// Result codes: none; the outcome carries the reason in words.
// Thread rules: one unit per thread; nothing shared but the settings (read
// only) and the report writer (thread-safe).
#pragma once

#include "tools/commission/CCommissionRun.h"
#include "tools/config/CConfigExport.h"
#include "tools/config/ConfigCompare.h"
#include "tools/config/ConfigFile.h"
#include "tools/config/ConfigSource.h"
#include "tools/config/IConfigUnit.h"
#include "tools/report/CChangeJournal.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class RegisterCatalogue;

namespace Commission {

// The unit as the pipeline sees it: the configuration reads and writes
// (IConfigUnit: open passes the unlock step and learns the unit), the
// special commands for the bus settings, its identity and the catalogue
// adapted to it.
class ICommissionUnit : public IConfigUnit
{
public:
    virtual int readIdentity(UnitIdentity& identity) = 0;
    virtual int readSpecial(uint16_t address, uint16_t* value) = 0;
    virtual int writeSpecial(uint16_t address, uint16_t value) = 0;
    virtual RegisterCatalogue& catalogue() = 0;
    // Why the last step failed, in words ("the unit has a PIN: give it with --pin N").
    virtual std::string problem() const = 0;
};

// A bus setting to be written with the special command.
struct SpecialChange
{
    uint16_t address = 0;
    uint16_t before = 0;
    uint16_t after = 0;
};

// The unit compared with its row: the plan's registers against the unit's
// values, the plain writes that would bring it there, and the bus settings.
struct UnitPlan
{
    ConfigSource current;          // the unit's values of the registers the plan names
    ConfigComparison comparison;   // unit (left) against plan (right)
    std::vector<ConfigFile::Value> changes;
    std::vector<SpecialChange> special;
};

// What commissioning the unit would do, without writing anything.
struct Preview
{
    bool ok = false;
    std::string reason; // why the unit cannot take its row
    UnitIdentity identity;
    UnitPlan plan;
};

// What the report of a unit is made from.
struct UnitRecord
{
    const PlanRow* row = nullptr;
    std::string port;
    UnitIdentity identity;
    std::vector<JournalEntry> changes; // the writes of this unit, in order
};

struct JobSettings
{
    std::optional<int> pin;
    std::string technician;
    std::filesystem::path outDir;
    std::filesystem::path lockoutFolder; // empty: the user's state folder
    ExportPacing pacing;
    // Writes ROOM.json and ROOM.html; Ok, or a code with the reason in
    // *problem. Empty: no report.
    std::function<int(ICommissionUnit& unit, const UnitRecord& record, std::string* problem)> writeReport;
};

// Opens the unit, identifies it, compares it with the row and closes it.
Preview PreviewUnit(ICommissionUnit& unit, const PlanRow& row, const JobSettings& settings,
                    const std::function<void(const Progress&)>& progress, const std::atomic<bool>& stop);

UnitOutcome CommissionUnit(ICommissionUnit& unit, const PlanRow& row, const std::string& port,
                           const JobSettings& settings, const std::function<void(const Progress&)>& progress,
                           const std::atomic<bool>& stop);

// Writes ROOM.json and ROOM.html into the output folder: the unit's
// commissioning report of the categories' registers, with the changes the
// run wrote (JobSettings::writeReport).
std::function<int(ICommissionUnit&, const UnitRecord&, std::string*)>
UnitReportWriter(const JobSettings& settings, std::vector<ConfigFile::Range> categories);

// The job for a real run: each port its own CPortUnit.
UnitJob MakeUnitJob(const JobSettings& settings);

} // namespace Commission
