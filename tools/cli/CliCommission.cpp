// tavemo-cli commission: a plan's rooms onto the units on several ports at
// once (one thread per port), each unit with its record in the output
// folder and its line in the status file.
//
// On a terminal each port has a live line (room, step, percent) that is
// redrawn in place; otherwise every event is one line "[PORT] ROOM: ...",
// written whole. At the end one summary line per unit goes to standard
// output.
#include "diag/LocalSystem.h"
#include "diag/Result.h"
#include "link/PortDiscovery.h"
#include "model/RegisterCatalogue.h"
#include "tools/cli/CliCommands.h"
#include "tools/cli/CliConsole.h"
#include "tools/commission/CCommissionJob.h"
#include "tools/commission/CCommissionRun.h"
#include "tools/commission/CommissionClaims.h"
#include "tools/commission/CommissionPlan.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

namespace cli {

namespace {

std::string PortName(const std::string& port)
{
    return "[" + port + "]";
}

// One line per event, for logs and pipes.
class EventLines : public Commission::ICommissionOutput
{
public:
    void progress(const std::string& port, const std::string& room, const Commission::Progress& p) override
    {
        if (p.step == m_lastStep[port])
            return; // the percent alone is no event
        m_lastStep[port] = p.step;
        print(PortName(port) + " " + room + ": " + p.step);
    }
    void finished(const std::string& port, const std::string& room, const Commission::UnitOutcome& o) override
    {
        print(PortName(port) + " " + room + ": " + (o.ok ? "ok" : "failed: " + o.reason));
    }

private:
    static void print(const std::string& line)
    {
        // One call per line: lines of several ports never mix.
        std::fprintf(stderr, "%s\n", line.c_str());
        std::fflush(stderr);
    }
    std::map<std::string, std::string> m_lastStep;
};

// A live line per port, redrawn in place on the terminal.
class LiveLines : public Commission::ICommissionOutput
{
public:
    explicit LiveLines(const std::vector<std::string>& ports) : m_ports(ports), m_lines(ports.size())
    {
        for (std::size_t i = 0; i < ports.size(); ++i)
            m_lines[i] = PortName(ports[i]) + " -";
        draw(false);
    }
    void progress(const std::string& port, const std::string& room, const Commission::Progress& p) override
    {
        set(port, room + ": " + p.step + " " + std::to_string(p.percent) + " %");
    }
    void finished(const std::string& port, const std::string& room, const Commission::UnitOutcome& o) override
    {
        set(port, room + ": " + (o.ok ? "ok" : "failed: " + o.reason));
    }

private:
    void set(const std::string& port, const std::string& text)
    {
        for (std::size_t i = 0; i < m_ports.size(); ++i)
            if (m_ports[i] == port)
                m_lines[i] = PortName(port) + " " + text;
        draw(true);
    }
    void draw(bool again)
    {
        std::string out;
        if (again) // back to the first port's line
            out += "\x1b[" + std::to_string(m_lines.size()) + "F";
        for (const std::string& line : m_lines)
            out += line + "\x1b[K\n";
        std::fputs(out.c_str(), stderr);
        std::fflush(stderr);
    }
    std::vector<std::string> m_ports;
    std::vector<std::string> m_lines;
};

std::vector<std::string> SplitPorts(const std::string& list)
{
    std::vector<std::string> ports;
    std::size_t at = 0;
    while (at <= list.size()) {
        std::size_t end = list.find(',', at);
        if (end == std::string::npos)
            end = list.size();
        ports.push_back(list.substr(at, end - at));
        at = end + 1;
    }
    return ports;
}

} // namespace

int RunCommission(const GlobalOptions& global, const Args& args)
{
    std::string planPath, portList, technician, outDir, categories = "all";
    std::set<std::string> redo;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string* target = a == "--plan"         ? &planPath
                              : a == "--ports"      ? &portList
                              : a == "--technician" ? &technician
                              : a == "--out"        ? &outDir
                              : a == "--categories" ? &categories
                                                    : nullptr;
        if (!target && a != "--redo")
            return UsageError("commission: unknown option '" + a + "'");
        if (i + 1 >= args.size())
            return UsageError("commission: " + a + " needs a value");
        if (target)
            *target = args[++i];
        else
            redo.insert(args[++i]);
    }
    std::vector<ConfigFile::Range> ranges;
    if (std::string bad; !SplitCategories(categories, ranges, bad))
        return UsageError(UnknownCategoryText("commission", bad));
    if (planPath.empty() || outDir.empty())
        return UsageError("commission needs --plan PLAN.csv and --out DIR");
    std::vector<std::string> ports = portList.empty() ? std::vector<std::string>{} : SplitPorts(portList);
    if (ports.empty() && !global.port.empty())
        ports.push_back(global.port);
    if (ports.empty())
        return UsageError("commission needs --ports P1[,P2...]");
    for (const std::string& port : ports)
        if (port.empty() || std::count(ports.begin(), ports.end(), port) > 1)
            return UsageError("commission: --ports names each port once, not '" + portList + "'");

    RegisterCatalogue catalogue;
    catalogue.Build();
    const Commission::Plan plan = Commission::ReadPlan(planPath, catalogue);
    if (plan.problem)
        return UsageError("commission: the plan is refused: " + Commission::ProblemText(*plan.problem));
    for (const std::string& room : redo)
        if (std::none_of(plan.rows.begin(), plan.rows.end(),
                         [&room](const Commission::PlanRow& r) { return r.room == room; }))
            return UsageError("commission: --redo names room '" + room + "', which the plan does not have");

    // A misspelt port is no unplugged adapter: refused before anything starts.
    for (const std::string& port : ports)
        if (!PortExists(port))
            return UsageError("commission: no such port '" + port + "' (tavemo-cli ports lists them)");

    // The output folder takes the claims, the status lines and the records:
    // one that cannot is refused before any unit is touched.
    const std::filesystem::path out = LocalSystem::Utf8Path(outDir);
    if (const std::string problem = Commission::CheckOutputFolder(out); !problem.empty())
        return UsageError("commission: the output folder '" + outDir + "' " + problem);

    Commission::CStatusFile status(out / "status.csv");
    Commission::CCommissionRun run(plan, ports, status);
    run.redo(redo);
    Commission::JobSettings settings{.pin = global.pin, .technician = technician, .outDir = out};
    // Each unit's report: the registers of the categories, and what the run wrote.
    settings.writeReport = Commission::UnitReportWriter(settings, ranges);

    const std::size_t busy = run.claim().size();
    for (const auto& [room, claim] : run.heldElsewhere())
        std::fprintf(stderr, "tavemo-cli: commission: room %s is skipped: another run has it (%s)%s\n",
                     room.c_str(), Commission::CClaims::Describe(claim).c_str(),
                     Commission::CClaims::StateOf(claim) == Commission::ClaimState::OtherHost
                         ? "; --redo ROOM takes it, or remove its .claim file"
                         : "");
    std::unique_ptr<Commission::ICommissionOutput> output;
    if (StderrIsTerminal() && busy > 0)
        output = std::make_unique<LiveLines>(std::vector<std::string>(ports.begin(), ports.begin() + busy));
    else
        output = std::make_unique<EventLines>();

    // Ctrl-C stops each unit after its current register; the watcher passes
    // the request on while the ports work.
    CancelOnSignal cancelOnSignal;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::thread watcher([&] {
        std::unique_lock lock(mutex);
        while (!ended.wait_for(lock, std::chrono::milliseconds(100), [&] { return done; }))
            if (CancelRequested())
                run.stop();
    });
    const std::vector<Commission::UnitResult> results = run.run(Commission::MakeUnitJob(settings), *output);
    {
        const std::lock_guard lock(mutex);
        done = true;
    }
    ended.notify_all();
    watcher.join();

    bool allOk = true;
    for (const Commission::UnitResult& r : results) {
        allOk = allOk && r.outcome.ok;
        // A failure's reason says what was written.
        const std::string text = r.outcome.ok ? "ok, " + std::to_string(r.outcome.written) + " written"
                                              : "failed: " + r.outcome.reason;
        std::printf("%s %s: %s\n", PortName(r.port).c_str(), r.room.c_str(), text.c_str());
    }
    if (const std::string problem = run.recordProblem(); !problem.empty()) {
        std::fprintf(stderr, "tavemo-cli: commission: %s: the run stopped\n", problem.c_str());
        return kExitFailure;
    }
    if (results.empty())
        std::fprintf(stderr, "tavemo-cli: commission: %s (see %s)\n",
                     run.heldElsewhere().empty()
                         ? "every room of the plan is done"
                         : "no room is left: the rest are done or another run has them",
                     LocalSystem::Utf8String(status.path()).c_str());
    if (run.stopped())
        return kExitCanceled;
    return allOk ? kExitOk : kExitFailure;
}

} // namespace cli
