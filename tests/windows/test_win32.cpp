// The Windows side of the core: the serial port, port discovery, the
// lockout file's replace and the log folder. The port tests that need a
// unit run when TAVEMO_TEST_COM names a COM port with tavemo-unitsim behind
// it (scripts/test-windows.sh links one into wine's dosdevices).
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include "diag/LogFileSink.h"
#include "diag/Result.h"
#include "link/CComPortEx.h"
#include "link/CModbus.h"
#include "link/CPassword.h"
#include "link/PortDiscovery.h"

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

long MsSince(Clock::time_point t)
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

// Processor time of this process, user and kernel, in milliseconds.
double ProcessCpuMs()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) /
               10000.0;
    };
    return ms(kernel) + ms(user);
}

// The simulated unit's COM port, or "" when the test runs without one.
std::string SimulatorPort()
{
    const char* port = std::getenv("TAVEMO_TEST_COM");
    return port ? port : "";
}

class OnSimulatorPort : public ::testing::Test
{
protected:
    void SetUp() override
    {
        port = SimulatorPort();
        if (port.empty())
            GTEST_SKIP() << "TAVEMO_TEST_COM names no COM port with the simulator behind it";
    }
    std::string port;
};

} // namespace

TEST(Win32Port, MissingPortsAndClosedPortsReportTheirCodes)
{
    CComPort port;
    EXPECT_EQ(port.open("COM199", 115200, 0, 0), Result::PortGone);
    EXPECT_EQ(port.openProblem(), "\\\\.\\COM199 no longer exists");
    EXPECT_EQ(port.open("\\\\.\\COM199", 115200, 0, 0), Result::PortGone);
    EXPECT_FALSE(port.isOpen());
    char buf[8];
    // A device that is no serial port has no port state to read.
    EXPECT_EQ(port.open("NUL", 115200, 0, 0), Result::NotASerialPort);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.putArray("x", 1), Result::NoLink);
    EXPECT_EQ(port.getArray(buf, 4, nullptr, 10), Result::NoLink);
    EXPECT_EQ(port.purgeInput(), Result::NoLink);
    EXPECT_EQ(port.sendNewLine(), Result::NoLink);
}

TEST(Win32Port, NamesResolveToTheDevicePathThatOpensAnyPortNumber)
{
    EXPECT_EQ(ResolvePortDevice("COM7"), "\\\\.\\COM7");
    EXPECT_EQ(ResolvePortDevice("COM12"), "\\\\.\\COM12");
    EXPECT_EQ(ResolvePortDevice("\\\\.\\COM12"), "\\\\.\\COM12");
}

TEST_F(OnSimulatorPort, DiscoveryListsThePortAndItOpensByNameOrPath)
{
    bool listed = false;
    for (const PortEntry& p : EnumeratePorts())
        if (p.name == port) {
            listed = true;
            EXPECT_EQ(p.device, "\\\\.\\" + port);
            EXPECT_FALSE(p.description.empty());
        }
    EXPECT_TRUE(listed) << port << " is not in the port list";

    for (const std::string& name : {port, "\\\\.\\" + port}) {
        CComPort com;
        EXPECT_EQ(com.open(name, 115200, CComPort::kStopBitsOne, CComPort::kParityNone), Result::Ok) << name;
        EXPECT_TRUE(com.isOpen());
        // The download port finds it in its own list by either.
        CComPortEx download;
        com.close();
        download.selectPort(name);
        EXPECT_GE(download.selectedPort(), 0) << name;
        EXPECT_TRUE(download.isOpen()) << name;
    }
}

TEST_F(OnSimulatorPort, ReplyLineArrivesWithoutCrAndSilenceTimesOutIdle)
{
    CComPort com;
    ASSERT_EQ(com.open(port, 115200, CComPort::kStopBitsOne, CComPort::kParityNone), Result::Ok);
    ASSERT_EQ(com.sendNewLine(), Result::Ok);
    ASSERT_EQ(com.putArray("Mr2000\r\n", 8), Result::Ok);
    char buf[256 + 1];
    std::string line;
    const int n = com.getArray(buf, 256, [&](const char* text) {
        line = text;
        return true;
    }, 2000);
    ASSERT_GT(n, 0);
    EXPECT_NE(line.find("(2000)"), std::string::npos) << line;
    EXPECT_EQ(line.find('\r'), std::string::npos);
    EXPECT_EQ(line.back(), '\n');

    // Nothing sent, nothing comes: the first-byte time-out, asleep.
    const double cpu0 = ProcessCpuMs();
    const auto t0 = Clock::now();
    EXPECT_EQ(com.getArray(buf, 256, nullptr, 300), Result::NoReply);
    const long ms = MsSince(t0);
    EXPECT_GE(ms, 295);
    EXPECT_LT(ms, 600);
    EXPECT_LT(ProcessCpuMs() - cpu0, 60.0) << "a silent line must not keep the processor busy";
}

TEST_F(OnSimulatorPort, BlockReadEndsFortyMillisecondsAfterTheLastByte)
{
    CComPort com;
    ASSERT_EQ(com.open(port, 115200, CComPort::kStopBitsOne, CComPort::kParityNone), Result::Ok);
    ASSERT_EQ(com.sendNewLine(), Result::Ok);
    ASSERT_EQ(com.putArray("Mr2000\r\n", 8), Result::Ok);
    char buf[256 + 1];
    const auto t0 = Clock::now();
    const int n = com.getArray(buf, 256, nullptr, 2000);
    const long ms = MsSince(t0);
    ASSERT_GT(n, 0);
    EXPECT_NE(std::string(buf).find("(2000)"), std::string::npos) << buf;
    EXPECT_GE(ms, CComPort::kInterByteTimeoutMs);
    EXPECT_LT(ms, 400);
}

TEST_F(OnSimulatorPort, RegisterClientReadsTheDeviceType)
{
    CModbus modbus;
    ASSERT_EQ(modbus.connect(port), Result::Ok);
    uint16_t value = 0;
    EXPECT_GE(modbus.readHolding(2000, &value), 0);
    EXPECT_EQ(value, 2050);
}

TEST_F(OnSimulatorPort, ReceiveThreadStopsAtOnceWhileWaitingForBytes)
{
    CComPortEx com;
    com.selectPort(port);
    ASSERT_GE(com.selectedPort(), 0);
    ASSERT_TRUE(com.isOpen());
    ASSERT_EQ(com.startReceiver(), Result::Ok);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto t0 = Clock::now();
    com.stopReceiver();
    EXPECT_LT(MsSince(t0), 200) << "the wake-up event must end the thread's 2 s wait";
    EXPECT_FALSE(com.receiverRunning());
}

TEST(Win32Lockout, AReadOnlyFileIsReplacedAndStaysReadable)
{
    testsupport::TempDir dir;
    ASSERT_FALSE(dir.path().empty());
    CPassword password(dir.path());
    password.store(0, 2);
    const fs::path file = password.path();
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    password.store(0, 3);
    int count = -1;
    EXPECT_TRUE(password.isUnlocked(&count));
    EXPECT_EQ(count, 3);
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1) << "no temporary file is left beside the lockout file";
}

TEST(Win32Lockout, DefaultFileLivesInTheSystemTemporaryFolder)
{
    wchar_t temp[MAX_PATH + 1] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
    EXPECT_EQ(CPassword().path(), fs::path(temp) / CPassword::kFileName);
}

TEST(Win32Logs, DefaultFolderIsInTheLocalApplicationData)
{
    wchar_t local[MAX_PATH + 1] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH + 1), 0u);
    EXPECT_EQ(LogFileSink::DefaultFolder(), fs::path(local) / "Tavemo" / "logs");
}
