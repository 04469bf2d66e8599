// What happens to one unit of a commissioning plan:
//   identify it, and refuse a unit whose device type is not the row's
//   (nothing is written);
//   compare it with the row's template plus its overrides (only the
//   registers they name are read);
//   save what is about to be overwritten in the attempt's own undo record,
//   ROOM.before.csv, or ROOM.before.2.csv and so on when an earlier attempt
//   left one (never overwritten): an export file whose plain records a
//   plain import puts back, and whose bus settings (2004 to 2006, which an
//   import skips as read-only) "tavemo-cli write --special --save" puts back;
//   write only what differs, and read each write back to verify it; the
//   registers that change how the unit talks on its bus last, with the
//   special commands;
//   "Save To NVRAM" when anything was written (nothing differing writes
//   nothing, not even that);
//   write the unit's report (ROOM.json and ROOM.html) with the changes.
// A failure ends the unit at once, naming the register and the reason, and
// what had been written and saved by then. An attempt that wrote anything
// still gets its report, whatever ended it: the changes, and the registers
// read so far (the rest marked unread).
//
// The unit is an ICommissionUnit: CPortUnit's on a port for the real run
// (MakeUnitJob), a fake in the tests. The stop flag is read after each
// register, in every step: once it is raised the unit's reads and writes
// fail at once.
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

class IConfigProgress;
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
    std::string beforeFile;            // the attempt's undo record ("" none)
    // Why nothing more is read from the unit for the report (the attempt
    // ended early); "" when the report reads the unit.
    std::string incomplete;
};

// How the report step ended.
struct ReportOutcome
{
    bool written = false; // ROOM.json and ROOM.html are there
    int built = 0;        // the report builder's code (Ok, ReportUnread, LinkLost, JobCancelled)
    std::string problem;  // why they could not be written
};

struct JobSettings
{
    std::optional<int> pin;
    std::string technician;
    std::filesystem::path outDir;
    std::filesystem::path lockoutFolder; // empty: the user's state folder
    ExportPacing pacing;
    // Writes ROOM.json and ROOM.html, reading the unit through link and
    // showing and stopping through progress. Empty: no report.
    std::function<ReportOutcome(ICommissionUnit& unit, IConfigUnit& link, IConfigProgress& progress,
                                const UnitRecord& record)>
        writeReport;
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
std::function<ReportOutcome(ICommissionUnit&, IConfigUnit&, IConfigProgress&, const UnitRecord&)>
UnitReportWriter(const JobSettings& settings, std::vector<ConfigFile::Range> categories);

// The job for a real run: each port its own CPortUnit.
UnitJob MakeUnitJob(const JobSettings& settings);

} // namespace Commission
