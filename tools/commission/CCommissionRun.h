// One commissioning run over several ports: each port has one unit on the
// bench, the next pending rooms of the plan (in file order) go to the ports
// in the order given, and all ports work at once, one thread each, sharing
// nothing but the status file and the output. A room the status file has
// as done is skipped unless it is to be redone; a room another run has
// claimed is skipped (CommissionClaims.h); a port left without a room is
// not touched. Each room is claimed before its unit is touched and freed
// once its line is in the status file.
//
// What happens to one unit is the job's (CCommissionJob for a real port; a
// test gives its own): the run hands each thread its room and port, passes
// the job's progress on to the output, and appends the job's outcome to the
// status file as the unit ends.
//
// Stopping (Ctrl-C): stop() raises a flag that the jobs read after each
// register; a unit stopped so ends failed ("interrupted"). A status line
// that cannot be written stops the run the same way (recordProblem()): a
// run that cannot record what it did must not go on.
//
// Result codes: none; each unit's outcome carries its own.
// Thread rules: run() blocks until every port's unit has ended; the output
// is called from the ports' threads (one call at a time: the run
// serialises them); stop() may be called from any thread or a signal
// handler's thread.
#pragma once

#include "tools/commission/CommissionClaims.h"
#include "tools/commission/CommissionPlan.h"
#include "tools/commission/CommissionStatus.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace Commission {

// What a unit told about itself (the status file's columns).
struct UnitIdentity
{
    int deviceType = -1;
    int firmware = -1;
    int productionDate = -1;
    int operationDays = -1;
};

struct UnitOutcome
{
    bool ok = false;
    std::string reason; // why it failed ("link lost", "device type 1002, the plan wants 1004", ...)
    UnitIdentity identity;
    int written = 0; // registers written (and verified)
    bool recorded = false; // its line is in the status file
};

// A step of a unit as the live line shows it: "comparing", 40.
struct Progress
{
    std::string step;
    int percent = 0;
};

// What the run tells: a unit's step, and each unit's end.
class ICommissionOutput
{
public:
    virtual ~ICommissionOutput() = default;
    virtual void progress(const std::string& port, const std::string& room, const Progress& progress) = 0;
    virtual void finished(const std::string& port, const std::string& room, const UnitOutcome& outcome) = 0;
};

// The work on one unit: its room, its port, where to report progress, and
// the flag to read after each register.
using UnitJob = std::function<UnitOutcome(const PlanRow& row, const std::string& port,
                                          const std::function<void(const Progress&)>& progress,
                                          const std::atomic<bool>& stop)>;

struct UnitResult
{
    std::string port;
    std::string room;
    UnitOutcome outcome;
};

class CCommissionRun
{
public:
    CCommissionRun(const Plan& plan, std::vector<std::string> ports, CStatusFile& status);

    // Rooms to run again although they are done, or claimed by a run on
    // another computer.
    void redo(std::set<std::string> rooms) { m_redo = std::move(rooms); }

    // The rooms this run would take, one per port, in the ports' order
    // (nothing is claimed).
    std::vector<const PlanRow*> pendingRows() const;

    // Claims the rooms this run takes, one per port, in the ports' order.
    std::vector<const PlanRow*> claim();
    // The rooms claim() left to other runs, each with its claim.
    const std::vector<std::pair<std::string, Claim>>& heldElsewhere() const { return m_heldElsewhere; }

    // Runs every claimed room at once (claiming first when claim() was not
    // called); the units' results in the ports' order.
    std::vector<UnitResult> run(const UnitJob& job, ICommissionOutput& output);

    // Ctrl-C.
    void stop() { m_stop = m_userStop = true; }
    bool stopped() const { return m_userStop; }
    // Why the run stopped by itself ("the status file ... cannot be
    // written"); empty when it did not.
    std::string recordProblem() const;

private:
    struct Selection
    {
        std::vector<const PlanRow*> rows;
        std::vector<std::pair<std::string, Claim>> heldElsewhere;
        std::string problem; // a claim that could not be written
    };
    Selection select(bool take) const;

    const Plan& m_plan;
    std::vector<std::string> m_ports;
    CStatusFile& m_status;
    CClaims m_claims;
    std::set<std::string> m_redo;
    std::optional<std::vector<const PlanRow*>> m_claimed;
    std::vector<std::pair<std::string, Claim>> m_heldElsewhere;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_userStop{false};
    mutable std::mutex m_mutex; // the output and the record problem
    std::string m_recordProblem;
};

inline constexpr const char* kInterrupted = "interrupted";

// Makes the output folder if needed and checks that the run can write its
// claims, status lines and records there: "" when it can, else what is
// wrong ("cannot be created", "cannot be written: ...").
std::string CheckOutputFolder(const std::filesystem::path& folder);

// One unit: the job, then its line in the status file (a stopped unit that
// did not end well counts as interrupted). What a run does on each port,
// and the window on its one unit.
UnitOutcome RunAndRecord(CStatusFile& status, const PlanRow& row, const std::string& port, const UnitJob& job,
                         const std::function<void(const Progress&)>& progress, const std::atomic<bool>& stop);

} // namespace Commission
