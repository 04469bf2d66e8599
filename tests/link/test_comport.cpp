// The serial port's contract, run against a real pseudo-terminal whose far
// end the test plays.
#include "tests/support/PtyPair.h"

#include <gtest/gtest.h>

#include "diag/DebugOutput.h"
#include "diag/Result.h"
#include "link/CComPort.h"

#include <chrono>
#include <ctime>
#include <mutex>

using namespace testsupport;
using Clock = std::chrono::steady_clock;

namespace {

long MsSince(Clock::time_point t)
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

double ThreadCpuMs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

class DebugCapture : public IDebugOutput
{
public:
    DebugCapture() { m_previous = DebugOutput::Attach(this); }
    ~DebugCapture() override { DebugOutput::Attach(m_previous); }
    void debugLine(const std::string& line) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.push_back(line);
    }
    std::vector<std::string> lines()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lines;
    }

private:
    IDebugOutput* m_previous = nullptr;
    std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

class ComPortTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ok());
        ASSERT_EQ(port.open(pty.slave(), 115200, CComPort::kStopBitsOne, CComPort::kParityNone), 0);
    }
    PtyPair pty;
    CComPort port;
    DebugCapture debug;
    char buf[64 + 1] = {};
};

} // namespace

TEST(ComPortOpen, ReportsEachFailureAndStaysClosed)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    CComPort port;
    EXPECT_EQ(port.open("/dev/tavemo-no-such-port", 115200, 0, 0), Result::PortGone);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.open("tavemo-no-such-port", 115200, 0, 0), Result::PortGone);
    EXPECT_EQ(port.open("/dev/null", 115200, 0, 0), Result::NotASerialPort) << "not a serial device";
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.open(pty.slave(), 14400, 0, 0), Result::PortSettingsRefused)
        << "a rate the driver does not offer";
    EXPECT_FALSE(port.isOpen());
}

TEST(ComPortOpen, IsExclusive)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    CComPort first, second;
    ASSERT_EQ(first.open(pty.slave(), 115200, 0, 0), 0);
    EXPECT_EQ(second.open(pty.slave(), 115200, 0, 0), Result::PortBusy) << "held by another port object";
    EXPECT_FALSE(second.isOpen());
    first.close();
    EXPECT_EQ(second.open(pty.slave(), 115200, 0, 0), 0) << "free again once closed";
}

TEST(ComPortOpen, AppliesRawFramingWithParityAndStopBits)
{
    struct Case
    {
        int parity, stopBits;
        bool parenb, parodd, cstopb;
    } cases[] = {{CComPort::kParityNone, CComPort::kStopBitsOne, false, false, false},
                 {CComPort::kParityOdd, CComPort::kStopBitsOne, true, true, false},
                 {CComPort::kParityEven, CComPort::kStopBitsOne, true, false, false},
                 {CComPort::kParityNone, CComPort::kStopBitsTwo, false, false, true}};
    for (const Case& c : cases) {
        PtyPair pty;
        ASSERT_TRUE(pty.ok());
        CComPort port;
        ASSERT_EQ(port.open(pty.slave(), 9600, c.stopBits, c.parity), 0);
        termios tio{};
        ASSERT_EQ(::tcgetattr(pty.slaveFd(), &tio), 0);
        SCOPED_TRACE("parity " + std::to_string(c.parity) + ", stop bits " + std::to_string(c.stopBits));
        EXPECT_EQ((tio.c_cflag & CSIZE), static_cast<tcflag_t>(CS8));
        // A pseudo-terminal drops PARENB (it has no line to check), so
        // parity shows in the input check and the odd flag.
        EXPECT_EQ((tio.c_iflag & INPCK) != 0, c.parenb);
        EXPECT_EQ((tio.c_cflag & PARODD) != 0, c.parodd);
        EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, c.cstopb);
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_EQ(tio.c_iflag & (ICRNL | IXON | IXOFF), 0u) << "CR and LF pass untouched, no flow control";
        EXPECT_EQ(tio.c_oflag & OPOST, 0u);
        EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B9600));
    }
}

TEST(ComPortArgs, ClosedPortAndBadArgumentsAreRefused)
{
    CComPort closed;
    char buf[8];
    EXPECT_EQ(closed.putArray("x", 1), -1);
    EXPECT_EQ(closed.getArray(buf, 4, nullptr, 10), -1);
    EXPECT_EQ(closed.purgeInput(), -1);
    EXPECT_EQ(closed.sendNewLine(), -1);

    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    CComPort port;
    ASSERT_EQ(port.open(pty.slave(), 115200, 0, 0), 0);
    EXPECT_EQ(port.putArray(nullptr, 1), Result::MissingArgument);
    EXPECT_EQ(port.putArray("x", 0), Result::ZeroLength);
    EXPECT_EQ(pty.read(20), "") << "a refused write sends nothing";
    EXPECT_EQ(port.getArray(nullptr, 4, nullptr, 10), Result::MissingArgument);
    EXPECT_EQ(port.getArray(buf, 0, nullptr, 10), Result::ZeroLength);
}

TEST_F(ComPortTest, SilentLineTimesOutAfterTheFirstByteTimeout)
{
    const auto t0 = Clock::now();
    EXPECT_EQ(port.getArray(buf, 64, nullptr, 150), -4);
    const long ms = MsSince(t0);
    EXPECT_GE(ms, 150);
    EXPECT_LT(ms, 400);
    ASSERT_FALSE(debug.lines().empty());
    EXPECT_EQ(debug.lines().back(), "CComPort::getArray(len =     0)");
}

TEST_F(ComPortTest, BlockReadEndsFortyMillisecondsAfterTheLastByte)
{
    pty.write("abc");
    const auto t0 = Clock::now();
    EXPECT_EQ(port.getArray(buf, 64, nullptr, 1000), 3);
    const long ms = MsSince(t0);
    EXPECT_GE(ms, CComPort::kInterByteTimeoutMs);
    EXPECT_LT(ms, 300);
    EXPECT_STREQ(buf, "abc");
}

TEST_F(ComPortTest, FullBufferReturnsAtOnceAndLeavesTheRest)
{
    pty.write("abcdefgh");
    port.getArray(buf, 1, nullptr, 1000); // let the bytes arrive
    const auto t0 = Clock::now();
    EXPECT_EQ(port.getArray(buf, 4, nullptr, 1000), 4);
    EXPECT_LT(MsSince(t0), CComPort::kInterByteTimeoutMs);
    EXPECT_STREQ(buf, "bcde");
    EXPECT_EQ(port.getArray(buf, 64, nullptr, 1000), 3);
    EXPECT_STREQ(buf, "fgh");
}

TEST_F(ComPortTest, LineCallbackSeesTextAndLfWithoutCr)
{
    std::vector<std::string> offered;
    const CComPort::LineCallback accept = [&](const char* line) {
        offered.push_back(line);
        return true;
    };
    pty.write("0 = f(1): 2\r\nnext\r\n");
    const auto t0 = Clock::now();
    EXPECT_EQ(port.getArray(buf, 64, accept, 1000), 11);
    EXPECT_LT(MsSince(t0), CComPort::kInterByteTimeoutMs) << "a line is handed over the moment its LF arrives";
    EXPECT_STREQ(buf, "0 = f(1): 2\n");
    EXPECT_EQ(port.getArray(buf, 64, accept, 1000), 4) << "the next line stayed in the driver";
    EXPECT_EQ(offered, (std::vector<std::string>{"0 = f(1): 2\n", "next\n"}));
}

TEST_F(ComPortTest, RefusedLinesAreDroppedAndLogged)
{
    const CComPort::LineCallback onlyOk = [](const char* line) { return std::string(line) == "ok\n"; };
    pty.write("junk\r\nok\r\n");
    EXPECT_EQ(port.getArray(buf, 64, onlyOk, 1000), 2);
    EXPECT_STREQ(buf, "ok\n");
    const auto lines = debug.lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "CB(len =     4): junk\n");

    pty.write("junk\r\n");
    EXPECT_EQ(port.getArray(buf, 64, onlyOk, 1000), 0) << "silence after a refused line";
}

TEST_F(ComPortTest, NewLineSendsCrLfAndDiscardsStaleInput)
{
    pty.write("stale reply\r\n");
    port.getArray(buf, 1, nullptr, 1000); // the stale bytes are there
    EXPECT_EQ(port.sendNewLine(), 0);
    EXPECT_EQ(pty.read(20), "\r\n");
    EXPECT_EQ(port.getArray(buf, 64, nullptr, 50), -4) << "nothing stale is left";
}

TEST_F(ComPortTest, HungUpLineEndsAtOnceAsPortGoneWithoutSpinning)
{
    // A waiting read costs no processor time; when the far end is gone
    // (the device reports a hang-up) reads and writes say so at once
    // instead of waiting out their time-outs.
    const double cpu0 = ThreadCpuMs();
    EXPECT_EQ(port.getArray(buf, 64, nullptr, 300), -4);
    const double silentCpu = ThreadCpuMs() - cpu0;
    EXPECT_LT(silentCpu, 30.0);

    pty.closeMaster();
    const auto t0 = Clock::now();
    EXPECT_EQ(port.getArray(buf, 64, nullptr, 300), Result::PortGone);
    EXPECT_LT(MsSince(t0), 100);
    EXPECT_EQ(port.putArray("x", 1), Result::PortGone) << "writes to a vanished device end at once";
    EXPECT_EQ(port.sendNewLine(), Result::PortGone);
}
