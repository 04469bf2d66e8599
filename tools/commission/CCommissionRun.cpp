#include "tools/commission/CCommissionRun.h"

#include "diag/Result.h"

#include <thread>

namespace Commission {

CCommissionRun::CCommissionRun(const Plan& plan, std::vector<std::string> ports, CStatusFile& status)
    : m_plan(plan), m_ports(std::move(ports)), m_status(status)
{
}

std::vector<const PlanRow*> CCommissionRun::pendingRows() const
{
    const auto last = CStatusFile::ReadLastResults(m_status.path());
    std::vector<const PlanRow*> rows;
    for (const PlanRow& row : m_plan.rows) {
        if (rows.size() == m_ports.size())
            break;
        const auto done = last.find(row.room);
        if (done == last.end() || done->second != "ok" || m_redo.count(row.room))
            rows.push_back(&row);
    }
    return rows;
}

UnitOutcome RunAndRecord(CStatusFile& status, const PlanRow& row, const std::string& port, const UnitJob& job,
                         const std::function<void(const Progress&)>& progress, const std::atomic<bool>& stop)
{
    StatusRecord record{.room = row.room, .port = port, .started = IsoTimeNow()};
    UnitOutcome outcome = job(row, port, progress, stop);
    if (!outcome.ok && stop)
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
    if (status.Append(record) != Result::Ok && outcome.ok) {
        outcome.ok = false;
        outcome.reason = "the status file " + status.path().string() + " cannot be written";
    }
    return outcome;
}

std::vector<UnitResult> CCommissionRun::run(const UnitJob& job, ICommissionOutput& output)
{
    const std::vector<const PlanRow*> rows = pendingRows();
    std::vector<UnitResult> results(rows.size());
    std::vector<std::thread> threads;
    threads.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        threads.emplace_back([this, &job, &output, &results, row = rows[i], port = m_ports[i], i] {
            const auto progress = [&](const Progress& p) {
                const std::lock_guard lock(m_outputMutex);
                output.progress(port, row->room, p);
            };
            UnitOutcome outcome = RunAndRecord(m_status, *row, port, job, progress, m_stop);
            {
                const std::lock_guard lock(m_outputMutex);
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
