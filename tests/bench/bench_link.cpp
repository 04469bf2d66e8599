// The device link's costs: one readHolding round trip against the
// simulator over a pseudo-terminal, and the processor time of a read that
// waits 2 s on a silent line.
//
// The protocol's own minimum for a round trip is two line breaks, each
// followed by 10 ms of silence before the input counts as drained (the
// loop notices silence once more than 10 ms have passed, so about 11 ms
// each), then command and reply; on a pseudo-terminal the transfer itself
// is negligible, on a real line at 115200 baud the 46 bytes take about 4 ms.
#include "tests/support/PtyPair.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestEnvironment.h"

#include "link/CComPort.h"
#include "link/CModbus.h"

#include <benchmark/benchmark.h>

namespace {

// Private ports, lockout and log folders, as for the tests.
const testsupport::TestEnvironment kEnvironment(TAVEMO_BENCH_BIN_DIR);

void BM_ReadHoldingRoundTrip(benchmark::State& state)
{
    testsupport::SimProcess sim;
    CModbus modbus;
    if (!sim.ready() || modbus.connect(sim.device()) != 0) {
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
    testsupport::PtyPair pty;
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
