// Whole downloads through the real serial port code to tavemo-unitsim over a
// pseudo-terminal: what the unit received, what the state machine went
// through, and how each fault ends.
#include "DnlTestFile.h"
#include "LogCapture.h"
#include "RowName.h"
#include "diag/Result.h"
#include "link/CModbus.h"
#include "tests/support/SimProcess.h"
#include "update/CAppl.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

using namespace dnltest;
using testsupport::SimProcess;

namespace {

// Records the state and progress after every line the receive thread hands
// over, so that short-lived values (52 % lasts one block) are not missed.
class RecordingAppl : public CAppl
{
public:
    bool processRx(const uint8_t* data, int length) override
    {
        const bool taken = CAppl::processRx(data, length);
        if (taken) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_seen.emplace_back(state(), getProgress());
        }
        return taken;
    }
    std::vector<std::pair<int32_t, int>> seen()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_seen;
    }

private:
    std::mutex m_mutex;
    std::vector<std::pair<int32_t, int>> m_seen;
};

struct Outcome
{
    int drive = 99;
    int32_t state = 0;
    std::string error;
    std::vector<std::pair<int32_t, int>> seen;
};

// The download's millisecond clock running kSpeedUp times faster than real
// time: the unit's 10 s response time-out passes in half a second, while the
// frames still go through the real port to the simulator.
constexpr uint32_t kSpeedUp = 20;
uint32_t FastClock()
{
    return CSwDl::SystemMs() * kSpeedUp; // differences stay right across the wrap
}

// One download of a file with a payload of payloadLength bytes to the
// simulator, on the state machine's own clock unless another is given.
Outcome Download(SimProcess& sim, uint32_t payloadLength, const std::string& version = "2.1.0",
                 std::vector<std::string> devices = {"RU-Touch"}, CSwDl::Clock clock = nullptr)
{
    Outcome o;
    DnlSpec s;
    s.version = version;
    s.devices = std::move(devices);
    s.image = Image(payloadLength - 8, payloadLength);
    TempFile file(Build(s));
    RecordingAppl appl;
    appl.swdl().setClock(clock);
    PortDiscoveryRoots roots;
    roots.portsDir = sim.portsDir();
    appl.port().setDiscoveryRoots(roots);
    EXPECT_EQ(appl.LoadDNL(file.path()), 0);
    appl.openPort(sim.name());
    EXPECT_TRUE(appl.isPortOpen());
    EXPECT_EQ(appl.startReceiver(), 0);
    EXPECT_EQ(appl.Start(), 0);
    o.drive = appl.Drive(nullptr);
    appl.stopAndClose();
    o.state = appl.state();
    o.error = appl.swdl().errorText();
    o.seen = appl.seen();
    return o;
}

std::vector<uint8_t> PayloadOf(uint32_t payloadLength)
{
    return Payload(Image(payloadLength - 8, payloadLength));
}

} // namespace

TEST(DownloadSim, ThousandBytesReachTheUnitAndItReboots)
{
    SimProcess sim({"--firmware", "2000", "--dl-new-version", "2.1.0", "--dl-reboot-ms", "300"});
    ASSERT_TRUE(sim.ready());
    LogCapture log;
    const Outcome o = Download(sim, 1000);
    EXPECT_EQ(o.drive, 0);
    EXPECT_EQ(o.state, int32_t(SwDlState::Reboot));
    // Device info, Start acknowledged, block 1, block 2, Finalize acknowledged.
    const std::vector<std::pair<int32_t, int>> expected = {{4, 4}, {5, 6}, {5, 52}, {6, 98}, {7, 100}};
    EXPECT_EQ(o.seen, expected);
    EXPECT_TRUE(log.has("SwDl: transfer 512 (0/1000)"));
    EXPECT_TRUE(log.has("SwDl: transfer 488 (512/1000)"));
    EXPECT_EQ(sim.savedImage(), PayloadOf(1000));

    // Back from its reboot the unit reports the new firmware (2.1.0 as 2100).
    // The tool is done once the Reboot frame is written; the unit notes it
    // in its transcript only once it has read it, so look after the reboot.
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    const std::string t = sim.transcript();
    EXPECT_NE(t.find("download: image of 1000 bytes accepted"), std::string::npos) << t;
    EXPECT_NE(t.find("download: rebooting, back with version 2.1.0"), std::string::npos) << t;
    CModbus modbus;
    ASSERT_EQ(modbus.connect(sim.device()), 0);
    uint16_t firmware = 0;
    EXPECT_EQ(modbus.readHolding(2001, &firmware), 0);
    EXPECT_EQ(firmware, 2100);
    modbus.disconnect();
}

TEST(DownloadSim, ExactlyOneBlock)
{
    SimProcess sim({"--dl-version", "2.0.0"});
    ASSERT_TRUE(sim.ready());
    const Outcome o = Download(sim, 512);
    EXPECT_EQ(o.drive, 0);
    const std::vector<std::pair<int32_t, int>> expected = {{4, 4}, {5, 6}, {6, 98}, {7, 100}};
    EXPECT_EQ(o.seen, expected);
    EXPECT_EQ(sim.savedImage(), PayloadOf(512));
}

struct FaultRow
{
    const char* name;
    std::vector<std::string> simArgs;
    std::string fileVersion;
    int32_t state;
    std::string logLine;    // must appear
    std::string errorStart; // errorText begins so
};
TAVEMO_ROW_PRINTS_NAME(FaultRow)

class DownloadSimFault : public testing::TestWithParam<FaultRow>
{};

TEST_P(DownloadSimFault, EndsAsItShould)
{
    const FaultRow& row = GetParam();
    std::vector<std::string> args = {"--dl-version", "2.0.0"};
    args.insert(args.end(), row.simArgs.begin(), row.simArgs.end());
    SimProcess sim(args);
    ASSERT_TRUE(sim.ready());
    LogCapture log;
    const Outcome o = Download(sim, 1500, row.fileVersion);
    EXPECT_EQ(o.state, row.state);
    EXPECT_EQ(o.drive, row.state == int32_t(SwDlState::Reboot) ? Result::Ok : Result::DownloadFailed);
    EXPECT_TRUE(log.has(row.logLine)) << row.logLine;
    EXPECT_EQ(o.error.rfind(row.errorStart, 0), 0u) << o.error;
    if (row.state == int32_t(SwDlState::Reboot)) {
        EXPECT_EQ(sim.savedImage(), PayloadOf(1500));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DownloadSimFault,
    testing::Values(
        FaultRow{"NameNotInFile", {"--dl-name", "RU-Other"}, "2.1.0", 1,
                 "no compatible device found or new FW is older than current FW on device",
                 "the unit 'RU-Other' with firmware 2.0.0 is not one the file is meant for"},
        FaultRow{"OlderFile", {}, "1.9.9", 1,
                 "no compatible device found or new FW is older than current FW on device",
                 "the unit 'RU-Touch' with firmware 2.0.0 has newer firmware than the file (1.9.9)"},
        FaultRow{"OtherDeviceType", {"--dl-device-type", "0x41000001"}, "2.1.0", 1, "DeviceType mismatch",
                 "the unit is of another kind"},
        FaultRow{"FiveCrcErrorsThenSuccess", {"--dl-crc-error", "1x5"}, "2.1.0", 7, "SwDl Response = 3", ""},
        FaultRow{"SixCrcErrors", {"--dl-crc-error", "1x6"}, "2.1.0", 1, "SwDl error to many retries",
                 "the unit asked for a frame again too often"},
        FaultRow{"NoHandlerCode", {"--dl-block-error", "0:1"}, "2.1.0", 1, "SwDl Response = 1",
                 "the unit refused with code 1"},
        FaultRow{"FinalizeError", {"--dl-finalize-error", "2"}, "2.1.0", 1, "SwDl: new state Finalize",
                 "the unit refused with code 2"}),
    RowName());

// Six response time-outs of 10 s each, on a clock that runs 20 times faster:
// three seconds of real time.
TEST(DownloadSim, UnitThatStopsAnsweringEndsInErrorNotAHang)
{
    SimProcess sim({"--dl-version", "2.0.0", "--dl-silent-block", "1"});
    ASSERT_TRUE(sim.ready());
    LogCapture log;
    const uint32_t t0 = FastClock();
    const Outcome o = Download(sim, 1000, "2.1.0", {"RU-Touch"}, &FastClock);
    const uint32_t s = (FastClock() - t0) / 1000; // seconds on the download's clock
    EXPECT_EQ(o.drive, Result::DownloadFailed);
    EXPECT_EQ(o.state, int32_t(SwDlState::Error));
    EXPECT_EQ(log.count("SwDl: timeout, resend ..."), 6u);
    EXPECT_EQ(o.error, "the unit stopped answering");
    EXPECT_GE(s, 60u);
    EXPECT_LE(s, 65u);
}
