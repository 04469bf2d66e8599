#include "tools/commission/CCommissionRun.h"

#include "diag/LocalSystem.h"
#include "diag/Result.h"

#include <cstdio>

#include <thread>

namespace Commission {

CCommissionRun::CCommissionRun(const Plan& plan, std::vector<std::string> ports, CStatusFile& status)
    : m_plan(plan), m_ports(std::move(ports)), m_status(status), m_claims(m_status.path().parent_path())
{
}

CCommissionRun::Selection CCommissionRun::select(bool take) const
{
    // Done rooms and claims are judged, and claims taken, holding the
    // folder: a room another run ends meanwhile is seen either claimed or
    // done, never free.
    const auto held = m_claims.hold();
    const auto rooms = CStatusFile::ReadRooms(m_status.path());
    Selection selection;
    for (const PlanRow& row : m_plan.rows) {
        if (selection.rows.size() == m_ports.size())
            break;
        const bool redo = m_redo.count(row.room) > 0;
        if (const auto state = rooms.find(row.room); state != rooms.end() && state->second.done && !redo)
            continue;
        if (const std::optional<Claim> claim = m_claims.read(row.room); claim && CClaims::Holds(*claim, redo)) {
            selection.heldElsewhere.emplace_back(row.room, *claim);
            continue;
        }
        if (take && m_claims.take(row.room, m_ports[selection.rows.size()]) != Result::Ok) {
            selection.problem = "the claim " + LocalSystem::Utf8String(m_claims.path(row.room)) + " cannot be written";
            break;
        }
        selection.rows.push_back(&row);
    }
    return selection;
}

std::vector<const PlanRow*> CCommissionRun::pendingRows() const
{
    return select(false).rows;
}

std::vector<const PlanRow*> CCommissionRun::claim()
{
    if (!m_claimed) {
        Selection selection = select(true);
        m_claimed = std::move(selection.rows);
        m_heldElsewhere = std::move(selection.heldElsewhere);
        if (!selection.problem.empty()) {
            const std::lock_guard lock(m_mutex);
            m_recordProblem = selection.problem;
        }
    }
    return *m_claimed;
}

std::string CCommissionRun::recordProblem() const
{
    const std::lock_guard lock(m_mutex);
    return m_recordProblem;
}

std::string CheckOutputFolder(const std::filesystem::path& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder, error))
        return "cannot be created";
    // A file of our own, made and removed: the records and claims are new
    // files too.
    const std::filesystem::path probe =
        folder / ("write-check." + std::to_string(LocalSystem::ProcessId()) + ".tmp");
    std::FILE* file = LocalSystem::CreateNewFile(probe);
    const bool created = file != nullptr;
    if (file)
        std::fclose(file);
    std::filesystem::remove(probe, error);
    if (!created)
        return "cannot be written: no new file can be made in it";
    if (CStatusFile(folder / "status.csv").checkWritable() != Result::Ok)
        return "cannot be written: status.csv cannot be appended to";
    if (!CClaims(folder).hold()->held())
        return "cannot be written: claims.lock cannot be held";
    return {};
}

UnitOutcome RunAndRecord(CStatusFile& status, const PlanRow& row, const std::string& port, const UnitJob& job,
                         const std::function<void(const Progress&)>& progress, const std::atomic<bool>& stop)
{
    StatusRecord record{.room = row.room, .port = port, .started = IsoTimeNow()};
    UnitOutcome outcome = job(row, port, progress, stop);
    // A stopped unit's reads and writes fail at once; the failure they
    // cause is the stop. A job that tells what the stop left keeps its words.
    if (!outcome.ok && stop && outcome.reason.rfind(kInterrupted, 0) != 0)
        outcome.reason = kInterrupted;
    record.finished = IsoTimeNow();
    record.deviceType = outcome.identity.deviceType;
    record.firmware = outcome.identity.firmware;
    record.productionDate = outcome.identity.productionDate;
    record.operationDays = outcome.identity.operationDays;
    record.written = outcome.written;
    record.result = outcome.ok ? "ok" : "failed: " + outcome.reason;
    // A status file that cannot be written leaves the room pending: the
    // unit is commissioned, but a later run does it again.
    outcome.recorded = status.Append(record) == Result::Ok;
    if (!outcome.recorded) {
        const std::string lost = "the status file " + LocalSystem::Utf8String(status.path()) + " cannot be written";
        outcome.reason = outcome.ok ? lost : outcome.reason + "; " + lost;
        outcome.ok = false;
    }
    return outcome;
}

std::vector<UnitResult> CCommissionRun::run(const UnitJob& job, ICommissionOutput& output)
{
    const std::vector<const PlanRow*> rows = claim();
    std::vector<UnitResult> results(rows.size());
    std::vector<std::thread> threads;
    threads.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        threads.emplace_back([this, &job, &output, &results, row = rows[i], port = m_ports[i], i] {
            const auto progress = [&](const Progress& p) {
                const std::lock_guard lock(m_mutex);
                output.progress(port, row->room, p);
            };
            UnitOutcome outcome = RunAndRecord(m_status, *row, port, job, progress, m_stop);
            m_claims.release(row->room);
            {
                const std::lock_guard lock(m_mutex);
                if (!outcome.recorded) {
                    // Nothing more is done that could not be recorded.
                    if (m_recordProblem.empty())
                        m_recordProblem =
                            "the status file " + LocalSystem::Utf8String(m_status.path()) + " cannot be written";
                    m_stop = true;
                }
                output.finished(port, row->room, outcome);
            }
            results[i] = {port, row->room, std::move(outcome)};
        });
    }
    for (std::thread& t : threads)
        t.join();
    return results;
}

} // namespace Commission
