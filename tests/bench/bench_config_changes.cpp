// Writing only what differs against writing everything: a 20-register
// template of which 5 differ from the unit, applied with tavemo-cli import
// --changes-only, beside the full import of a full export, both against
// tavemo-unitsim at the adapter's line speed (115200 baud) in one run.
//
// Each is reported beside its protocol minimum, taken from what the unit
// received: each line break the tool sends is followed by the port's quiet
// time before the input counts as drained (CComPort::kPurgeSilenceMs, about
// 1 ms more as the loop notices it; reads send two, writes one), plus every
// command's and reply's bytes at 10 bits each. The start-up reads every tavemo-cli command makes
// (device type, PIN, units) count in both.
//
// Run by hand: build/tests/bench/bench_config_changes (about a minute).
#include "link/CComPort.h"
#include "tests/support/CliProcess.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestEnvironment.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <sstream>

using testsupport::RunCli;
using testsupport::SimProcess;
using testsupport::TempDir;

namespace {

// Private ports, lockout and log folders, as for the tests.
const testsupport::TestEnvironment kEnvironment(TAVEMO_BENCH_BIN_DIR);

constexpr int kBaud = 115200;
constexpr double kQuietPerBreakS = (CComPort::kPurgeSilenceMs + 1) / 1000.0;

// Seconds the commands received after the transcript's offset need at least.
double ProtocolMinimum(const std::string& transcript, std::size_t from)
{
    std::istringstream in(transcript.substr(from));
    double seconds = 0;
    for (std::string line; std::getline(in, line);) {
        if (line == "RX " || line == "RX")
            seconds += kQuietPerBreakS + 2 * 10.0 / kBaud;
        else if (line.rfind("RX ", 0) == 0 || line.rfind("TX ", 0) == 0)
            seconds += (line.size() - 3 + 2) * 10.0 / kBaud;
    }
    return seconds;
}

double Timed(const std::vector<std::string>& args, int* status)
{
    const auto start = std::chrono::steady_clock::now();
    *status = RunCli(args).status;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_ChangesOnlyAgainstFullImport(benchmark::State& state)
{
    SimProcess unit({"--baud", std::to_string(kBaud)});
    TempDir dir;
    const std::string full = (dir.path() / "full.csv").string(), tmpl = (dir.path() / "template.csv").string();
    if (!unit.ready() || RunCli({"--port", unit.name(), "export", full}).status != 0) {
        state.SkipWithError("the simulator or the export failed");
        return;
    }
    // The template: the first 20 records of the export, 5 of them changed
    // on the unit before it is applied.
    {
        std::ifstream in(full, std::ios::binary);
        std::ofstream out(tmpl, std::ios::binary);
        std::string line;
        for (int n = 0; n <= 20 && std::getline(in, line);)
            if (line.rfind("Addr: 20", 0) == 0 || line.rfind("Orvelant", 0) == 0) {
                out << line << "\n";
                ++n;
            }
    }
    const std::vector<std::string> changes = {"2011=61", "2012=46", "2015=2", "2016=1", "2017=1"};
    double fullS = 0, tmplS = 0, fullMin = 0, tmplMin = 0;
    for (auto _ : state) {
        std::vector<std::string> write = {"--port", unit.name(), "write"};
        write.insert(write.end(), changes.begin(), changes.end());
        int status = RunCli(write).status;
        std::size_t from = unit.transcript().size();
        tmplS = Timed({"--port", unit.name(), "import", "--changes-only", tmpl}, &status);
        tmplMin = ProtocolMinimum(unit.transcript(), from);
        if (status != 0)
            state.SkipWithError("import --changes-only failed");
        from = unit.transcript().size();
        fullS = Timed({"--port", unit.name(), "import", full}, &status);
        fullMin = ProtocolMinimum(unit.transcript(), from);
        if (status != 0)
            state.SkipWithError("the full import failed");
    }
    state.counters["full_s"] = fullS;
    state.counters["template_s"] = tmplS;
    state.counters["template_of_full"] = tmplS / fullS;
    state.counters["full_of_minimum"] = fullS / fullMin;
    state.counters["template_of_minimum"] = tmplS / tmplMin;
}
BENCHMARK(BM_ChangesOnlyAgainstFullImport)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

} // namespace
