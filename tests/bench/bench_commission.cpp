// Commissioning throughput: the same plan row (a 20-register template of
// which 5 differ from a fresh unit, plus a bus address) carried out by
// tavemo-cli commission on 1 port and on 4 ports at once, against
// tavemo-unitsim at the adapter's line speed (115200 baud), in one run.
// Reports the units per hour of each and their ratio; the ports share
// nothing but the status file, so 4 ports should give nearly 4 x.
//
// Run by hand: build/tests/bench/bench_commission (about half a minute).
#include "tests/support/CliProcess.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestEnvironment.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <map>
#include <memory>

using testsupport::RunCli;
using testsupport::SimProcess;
using testsupport::TempDir;

namespace {

// Private ports, lockout and log folders, as for the tests.
const testsupport::TestEnvironment kEnvironment(TAVEMO_BENCH_BIN_DIR);

constexpr int kRounds = 3;

// Seconds for kRounds runs of `ports` fresh units each, one row per unit.
double Commission(int ports, benchmark::State& state)
{
    TempDir dir;
    // The template: 20 records of a fresh unit's export, 5 of them changed.
    {
        SimProcess fresh;
        const std::string full = (dir.path() / "full.csv").string();
        if (!fresh.ready() || RunCli({"--port", fresh.name(), "export", "--categories", "common", full}).status != 0) {
            state.SkipWithError("the simulator or the export failed");
            return 0;
        }
        const std::map<std::string, std::string> changed = {
            {"2011", "61"}, {"2012", "46"}, {"2015", "2"}, {"2016", "1"}, {"2017", "1"}};
        std::ifstream in(full, std::ios::binary);
        std::ofstream out(dir.path() / "office.csv", std::ios::binary);
        std::string line;
        for (int n = 0; n <= 20 && std::getline(in, line);) {
            if (line.rfind("Orvelant", 0) != 0 && line.rfind("Addr: 20", 0) != 0)
                continue;
            const auto it = changed.find(line.substr(6, 4));
            if (it != changed.end())
                line = "Addr: " + it->first + "; Val: " + it->second + ";\r";
            out << line << "\n";
            ++n;
        }
    }
    double seconds = 0;
    for (int round = 0; round < kRounds; ++round) {
        std::vector<std::unique_ptr<SimProcess>> units;
        std::string list;
        std::ofstream plan(dir.path() / "plan.csv", std::ios::binary);
        plan << "room,template,set\n";
        for (int p = 0; p < ports; ++p) {
            units.push_back(std::make_unique<SimProcess>(std::vector<std::string>{"--baud", "115200"}));
            if (!units.back()->ready()) {
                state.SkipWithError("the simulator did not start");
                return 0;
            }
            list += (p ? "," : "") + units.back()->name();
            plan << "room " << round << "." << p << ",office.csv,2004=" << 10 + p << "\n";
        }
        plan.close();
        const auto start = std::chrono::steady_clock::now();
        // Each unit's report covers the common settings (a report of every
        // category reads about 650 registers more per unit).
        const auto r = RunCli({"commission", "--plan", (dir.path() / "plan.csv").string(), "--ports", list, "--out",
                               (dir.path() / ("out" + std::to_string(round))).string(), "--categories", "common"});
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (r.status != 0) {
            state.SkipWithError(("commission failed: " + r.err).c_str());
            return 0;
        }
    }
    return seconds;
}

void BM_UnitsPerHour(benchmark::State& state)
{
    double one = 0, four = 0;
    for (auto _ : state) {
        one = Commission(1, state);
        four = Commission(4, state);
    }
    if (one <= 0 || four <= 0)
        return;
    const double perHourOne = 3600.0 * kRounds / one, perHourFour = 3600.0 * 4 * kRounds / four;
    state.counters["units_per_hour_1_port"] = perHourOne;
    state.counters["units_per_hour_4_ports"] = perHourFour;
    state.counters["ratio"] = perHourFour / perHourOne;
}
BENCHMARK(BM_UnitsPerHour)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

} // namespace
