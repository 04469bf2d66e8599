// The device link's costs: one readHolding round trip against the
// simulator over a pseudo-terminal, and the processor time of a read that
// waits 2 s on a silent line.
//
// The protocol's own minimum for a round trip is two line breaks, each
// followed by 10 ms of silence before the input counts as drained (the
// loop notices silence once more than 10 ms have passed, so about 11 ms
// each), then command and reply; on a pseudo-terminal the transfer itself
// is negligible, on a real line at 115200 baud the 46 bytes take about 4 ms.
#include "LinkTestSupport.h"

#include "link/CComPort.h"
#include "link/CModbus.h"

#include <benchmark/benchmark.h>

#include <climits>

namespace {

namespace fs = std::filesystem;

// Run by hand, the benchmark finds the simulator beside itself.
void EnsureBinDir()
{
    if (std::getenv("TAVEMO_BIN_DIR"))
        return;
    char exe[PATH_MAX] = {};
    if (::readlink("/proc/self/exe", exe, sizeof exe - 1) > 0)
        ::setenv("TAVEMO_BIN_DIR", fs::path(exe).parent_path().parent_path().parent_path().c_str(), 1);
}

void BM_ReadHoldingRoundTrip(benchmark::State& state)
{
    EnsureBinDir();
    linktest::SimProcess sim;
    CModbus modbus;
    if (!sim.ok() || modbus.connect(sim.device()) != 0) {
        state.SkipWithError("the simulator did not start");
        return;
    }
    uint16_t value = 0;
    for (auto _ : state) {
        if (modbus.readHolding(2000, &value) != 0) {
            state.SkipWithError("readHolding failed");
            break;
        }
    }
    state.counters["protocol_minimum_ms"] = 2.0 * (CComPort::kPurgeSilenceMs + 1);
}
BENCHMARK(BM_ReadHoldingRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(100);

void BM_SilentRead2s(benchmark::State& state)
{
    linktest::PtyPair pty;
    CComPort port;
    if (!pty.ok() || port.open(pty.slave(), 115200, 0, 0) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    char buffer[64 + 1];
    for (auto _ : state)
        benchmark::DoNotOptimize(port.getArray(buffer, 64, nullptr, 2000));
}
BENCHMARK(BM_SilentRead2s)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
