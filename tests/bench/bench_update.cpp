// Firmware download of a 256 KiB image to tavemo-unitsim over a pseudo-
// terminal, once at the emulated wire speed of 115200 baud and once as fast
// as the terminal goes. Reported beside the wire limit: every frame the tool
// sends, encoded, at 11520 bytes per second (10 bits a byte), plus the 10 ms
// of quiet the port waits for before each frame.
#include "update/DnlTestFile.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestEnvironment.h"
#include "update/CAppl.h"
#include "update/Dnlp.h"
#include "update/DnlCrc.h"
#include "update/Slip.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>

using namespace dnltest;
using testsupport::SimProcess;

namespace {

// Private ports, lockout and log folders, as for the tests.
const testsupport::TestEnvironment kEnvironment(TAVEMO_BENCH_BIN_DIR);

constexpr uint32_t kImage = 256 * 1024;
constexpr double kBytesPerSecond = 115200.0 / 10;
constexpr double kQuietPerFrameS = 0.010;

// Seconds the frames of a download of payload take on the wire at 115200.
double WireLimit(const std::vector<uint8_t>& payload)
{
    uint64_t bytes = 2;                               // CR LF before the first frame
    uint32_t frames = 4;                              // request, start, finalize, reboot
    uint8_t buf[DNLP_BUFFER_CAPACITY];
    auto framed = [&](uint32_t n) {
        DNLF_PutLe32(buf + n, DNLF_Crc(0, buf, n));
        return SLIP_EncodedSize(buf, n + 4);
    };
    buf[0] = DNLP_DEVICE_INFO_REQUEST;
    bytes += framed(1);
    buf[0] = DNLP_START_TRANSFER;
    DNLF_PutLe32(buf + 1, static_cast<uint32_t>(payload.size()));
    bytes += framed(5);
    buf[0] = DNLP_FINALIZE;
    bytes += framed(1);
    buf[0] = DNLP_REBOOT;
    bytes += framed(1);
    for (std::size_t off = 0; off < payload.size(); off += DNLP_MAX_BLOCK) {
        const auto n = static_cast<uint32_t>(std::min<std::size_t>(DNLP_MAX_BLOCK, payload.size() - off));
        buf[0] = DNLP_DATA_BLOCK;
        std::copy(payload.begin() + static_cast<long>(off), payload.begin() + static_cast<long>(off + n), buf + 1);
        bytes += framed(n + 1);
        ++frames;
    }
    return static_cast<double>(bytes) / kBytesPerSecond + frames * kQuietPerFrameS;
}

void BM_Download256KiB(benchmark::State& state)
{
    const bool wireSpeed = state.range(0) != 0;
    DnlSpec spec;
    spec.image = Image(kImage - 8);
    TempFile file(Build(spec));
    const auto payload = Payload(spec.image, spec.leadingWord);
    std::vector<std::string> args = {"--dl-version", "2.0.0", "--dl-reboot-ms", "0"};
    if (wireSpeed)
        args.insert(args.end(), {"--dl-baud", "115200"});
    for (auto _ : state) {
        SimProcess sim(args);
        if (!sim.ready()) {
            state.SkipWithError("the simulator did not start");
            return;
        }
        CAppl appl;
        PortDiscoveryRoots roots;
        roots.portsDir = sim.portsDir();
        appl.port().setDiscoveryRoots(roots);
        appl.LoadDNL(file.path());
        appl.openPort(sim.name());
        appl.startReceiver();
        const auto t0 = std::chrono::steady_clock::now();
        appl.Start();
        const int rc = appl.Drive(nullptr);
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        appl.stopAndClose();
        if (rc != 0) {
            state.SkipWithError("the download did not reach Reboot");
            return;
        }
        state.SetIterationTime(s);
        state.counters["transfer_s"] = s;
    }
    const double limit = WireLimit(payload);
    state.counters["wire_limit_s"] = limit;
    state.counters["payload_bytes"] = static_cast<double>(payload.size());
    state.SetLabel(wireSpeed ? "emulated 115200 baud" : "pseudo-terminal speed");
}

} // namespace

BENCHMARK(BM_Download256KiB)->Arg(1)->Arg(0)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
