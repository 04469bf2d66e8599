// The download session against tavemo-unitsim: what its progress reports
// while the blocks go out at the real line's speed, and how a cancel, a
// port that goes away and the refusals before any port is opened end.
#include "DnlTestFile.h"
#include "RowName.h"
#include "diag/Result.h"
#include "link/CComPort.h"
#include "tests/support/SimProcess.h"
#include "update/CDownloadSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

using namespace dnltest;
using testsupport::SimProcess;
using Wording = CDownloadSession::Wording;

namespace {

// 115200 baud, 8N1: ten bits a byte. No payload can go faster than this,
// and on a busy test machine it still moves at an eighth of it.
constexpr uint32_t kLineBytesPerSecond = 11520;
constexpr uint32_t kSlowestBytesPerSecond = kLineBytesPerSecond / 8;
// A thread that waits for the session to reach a state gives up after this.
constexpr int kStateTimeoutMs = 20000;

std::vector<uint8_t> FileOf(std::size_t imageBytes)
{
    DnlSpec s;
    s.version = "2.1.0";
    s.image = Image(imageBytes);
    return Build(s);
}

// A session on its own thread, as the page runs it; every progress report is
// kept.
class RunningSession
{
public:
    RunningSession(SimProcess& sim, const std::string& path) : m_session(path, false)
    {
        PortDiscoveryRoots roots;
        roots.portsDir = sim.portsDir();
        m_session.setDiscoveryRoots(roots);
        m_thread = std::thread([this, name = sim.name()] {
            m_result = m_session.run(name, [this](const CDownloadSession::Progress& p) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_seen.push_back(p);
            });
        });
    }
    ~RunningSession() { join(); }

    bool waitForState(SwDlState state)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStateTimeoutMs);
        while (std::chrono::steady_clock::now() < deadline && !m_session.finished()) {
            if (m_session.progress().state == int32_t(state))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    int join()
    {
        if (m_thread.joinable())
            m_thread.join();
        return m_result;
    }
    CDownloadSession& session() { return m_session; }
    std::vector<CDownloadSession::Progress> seen()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_seen;
    }

private:
    CDownloadSession m_session;
    std::thread m_thread;
    int m_result = 99;
    std::mutex m_mutex;
    std::vector<CDownloadSession::Progress> m_seen;
};

} // namespace

TEST(DownloadSession, ProgressRisesToTheEndWithARateTheLineCanCarry)
{
    // About two seconds on the line: long enough for the rate to settle
    // within a block of the truth.
    constexpr uint32_t kPayload = 24008;
    SimProcess sim({"--dl-version", "2.0.0", "--dl-baud", "115200", "--dl-reboot-ms", "100"});
    ASSERT_TRUE(sim.ready());
    TempFile file(FileOf(kPayload - 8));
    RunningSession run(sim, file.path());
    ASSERT_EQ(run.join(), Result::Ok) << run.session().endText(Wording::CommandLine);
    EXPECT_EQ(run.session().endText(Wording::StatusLine), "Download complete.");
    EXPECT_EQ(run.session().endText(Wording::CommandLine),
              "Download complete: the unit is rebooting with firmware 2.1.0.");

    const auto seen = run.seen();
    ASSERT_FALSE(seen.empty());
    int percents = 0, lastPercent = -1;
    uint32_t lastSent = 0;
    CDownloadSession::Progress lastRated;
    for (const auto& p : seen) {
        EXPECT_GE(p.percent, lastPercent) << "the percentage never falls back";
        EXPECT_GE(p.sent, lastSent) << "nor the bytes sent";
        EXPECT_EQ(p.total, kPayload);
        if (p.state == int32_t(SwDlState::Transfer) && p.percent != lastPercent)
            ++percents;
        if (p.state == int32_t(SwDlState::Transfer) && p.rateKnown)
            lastRated = p;
        lastPercent = p.percent;
        lastSent = p.sent;
    }
    EXPECT_GE(percents, 10) << "the transfer is followed block by block";
    ASSERT_TRUE(lastRated.rateKnown);
    EXPECT_GE(lastRated.bytesPerSecond, kSlowestBytesPerSecond) << lastRated.rateText();
    EXPECT_LE(lastRated.bytesPerSecond, kLineBytesPerSecond) << lastRated.rateText();
    const CDownloadSession::Progress last = run.session().progress();
    EXPECT_EQ(last.percent, 100);
    EXPECT_STREQ(last.stateText, "eReboot");
    EXPECT_EQ(last.sent, kPayload) << "every byte counts as sent once the unit has them all";
    EXPECT_EQ(sim.savedImage().size(), kPayload);
}

TEST(DownloadSession, RateAndTimeLeftInWords)
{
    CDownloadSession::Progress p;
    p.bytesPerSecond = 11263; // 10.99 kB/s: tenths are cut, not rounded
    p.secondsLeft = 65;
    EXPECT_EQ(p.rateText(), "10.9 kB/s");
    EXPECT_EQ(p.timeLeftText(), "1:05 left");
    p.bytesPerSecond = 0;
    p.secondsLeft = 0;
    EXPECT_EQ(p.rateText(), "0.0 kB/s");
    EXPECT_EQ(p.timeLeftText(), "0:00 left");
}

// A download of 200 kB at the real line's speed, caught in its transfer.
class DownloadSessionInTransfer : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.ready());
        run = std::make_unique<RunningSession>(sim, file.path());
        ASSERT_TRUE(run->waitForState(SwDlState::Transfer));
    }
    const std::string& text(Wording wording) { return run->session().endText(wording); }

    SimProcess sim{{"--dl-version", "2.0.0", "--dl-baud", "115200"}};
    TempFile file{FileOf(200000)};
    std::unique_ptr<RunningSession> run;
};

TEST_F(DownloadSessionInTransfer, CancelEndsCanceledAndFreesThePort)
{
    run->session().cancel();
    EXPECT_EQ(run->join(), Result::DownloadCanceled);
    EXPECT_EQ(text(Wording::StatusLine), "Download canceled.");
    EXPECT_EQ(text(Wording::CommandLine), "download canceled; the port is closed");
    EXPECT_LT(run->session().progress().percent, 100);
    EXPECT_EQ(sim.transcript().find("image of"), std::string::npos) << "no Finalize after the cancel";
    CComPort port;
    EXPECT_EQ(port.open(sim.device(), 115200, 0, 0), 0) << "the port is closed";
}

// An adapter pulled in the middle: the unit can never answer again, so the
// session ends at once instead of waiting out the response time-out (10 s)
// and its resends.
TEST_F(DownloadSessionInTransfer, APortThatGoesAwayEndsItAtOnce)
{
    const auto pulled = std::chrono::steady_clock::now();
    sim.stop();
    EXPECT_EQ(run->join(), Result::PortGone);
    const auto took =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - pulled).count();
    EXPECT_LT(took, 2000);
    EXPECT_EQ(text(Wording::StatusLine).rfind("Download failed: the port is gone", 0), 0u)
        << text(Wording::StatusLine);
    EXPECT_EQ(text(Wording::CommandLine).rfind("download failed: the port is gone", 0), 0u);
}

struct RefusalRow
{
    const char* name;
    bool demoMode;
    bool cancelFirst;
    bool portGiven;
    int code;
    std::string statusText;
};
TAVEMO_ROW_PRINTS_NAME(RefusalRow)

class DownloadSessionRefusal : public testing::TestWithParam<RefusalRow>
{};

// Each ends before any port is opened: nothing reaches the unit and the port
// stays free.
TEST_P(DownloadSessionRefusal, OpensNoPort)
{
    const RefusalRow& row = GetParam();
    SimProcess sim({"--dl-version", "2.0.0"});
    ASSERT_TRUE(sim.ready());
    TempFile file(FileOf(1000));
    CDownloadSession session(file.path(), row.demoMode);
    PortDiscoveryRoots roots;
    roots.portsDir = sim.portsDir();
    session.setDiscoveryRoots(roots);
    if (row.cancelFirst)
        session.cancel();
    const std::size_t before = sim.transcript().size();
    EXPECT_EQ(session.run(row.portGiven ? sim.name() : ""), row.code);
    EXPECT_TRUE(session.finished());
    EXPECT_EQ(session.endText(Wording::StatusLine).rfind(row.statusText, 0), 0u)
        << session.endText(Wording::StatusLine);
    EXPECT_EQ(sim.transcript().size(), before) << "nothing reached the unit";
    EXPECT_STREQ(session.progress().stateText, "eIdle") << "the download was never started";
    CComPort port;
    EXPECT_EQ(port.open(sim.device(), 115200, 0, 0), 0) << "the port was never taken";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DownloadSessionRefusal,
    testing::Values(RefusalRow{"DemoMode", true, false, true, Result::DemoMode, "No firmware update in demo mode"},
                    RefusalRow{"CanceledBeforeTheStart", false, true, true, Result::DownloadCanceled,
                               "Download canceled."},
                    RefusalRow{"NoPortGiven", false, false, false, Result::NoPortSelected,
                               "Download failed: no COM port selected"}),
    RowName());
