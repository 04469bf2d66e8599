// A Common page read cycle against the simulator over a pseudo-terminal:
// the page's 24 register reads (17 bound registers, the protocol register
// and the unit's clock), with the link opened and closed around them, as
// "Read Target" does. The controls are a table of fakes: showing a value
// costs nothing next to the line.
//
// The protocol's own minimum for the same registers: every plain read sends
// two line breaks and every special read (2004, 2005, 2006, 2045) one, each
// followed by 10 ms of silence before the input counts as drained (the port
// notices it after about 11 ms); every read the page shows is followed by
// its 10 ms pause; command and reply are negligible on a pseudo-terminal.
//
// Run by hand: build/tests/bench/bench_pages
#include "tests/support/PageFakes.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestEnvironment.h"

#include "link/CComPort.h"
#include "link/CConnection.h"
#include "link/CModbus.h"
#include "model/RegisterCatalogue.h"
#include "pages/core/CCommonLogic.h"
#include "pages/core/CConfiguration.h"
#include "pages/core/CModbusUnitAccess.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

namespace {

// Private ports, lockout and log folders, as for the tests.
const testsupport::TestEnvironment kEnvironment(TAVEMO_BENCH_BIN_DIR);

// The connection's side of the user interface: the simulator's port, no PIN.
class BenchConnectionHost : public IConnectionHost
{
public:
    explicit BenchConnectionHost(std::string device) : m_device(std::move(device)) {}
    int getPortSettings(PortSettings& settings) override
    {
        settings.portName = m_device;
        return 0;
    }
    bool askPin(std::string& text, bool&) override
    {
        text.assign(1, '0');
        return true;
    }
    void setStatusText(const std::string&) override {}
    void rebuildTabs(int) override {}
    void setOtherTabsEnabled(bool) override {}
    void showDevice(const std::string&) override {}
    void waitMs(int) override {}
    void returnToFirstTab() override {}

private:
    std::string m_device;
};

// The page's pauses really wait, as on the user-interface thread.
class SleepingHost : public FakeHost
{
public:
    void pause(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

void BM_CommonPageReadCycle(benchmark::State& state)
{
    testsupport::SimProcess sim({"--device-type", "2050"});
    if (!sim.ready()) {
        state.SkipWithError("the simulator did not start");
        return;
    }
    RegisterCatalogue catalogue;
    catalogue.Build();
    CModbus modbus;
    BenchConnectionHost connectionHost(sim.device());
    CConnection connection(modbus, catalogue, connectionHost);
    if (connection.identifyDevice() != 2050) {
        state.SkipWithError("the unit was not identified");
        return;
    }
    CModbusUnitAccess unit(connection);
    SleepingHost host;
    FakeControls controls;
    CConfiguration configuration;
    CCommonLogic page(catalogue, unit, host, controls, configuration);

    for (auto _ : state) {
        if (page.readCycle() != 0) {
            state.SkipWithError("the read cycle failed");
            break;
        }
    }
    // 14 plain reads shown (2 breaks + pause), 4 special ones (1 break +
    // pause), 6 clock reads (2 breaks, no pause).
    constexpr int kBreaks = 14 * 2 + 4 * 1 + 6 * 2;
    constexpr int kPauses = 14 + 4;
    state.counters["registers"] = 14 + 4 + 6;
    state.counters["protocol_minimum_ms"] = kBreaks * (CComPort::kPurgeSilenceMs + 1) + kPauses * 10;
}
BENCHMARK(BM_CommonPageReadCycle)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

} // namespace
