// The download port's receive thread: how it cuts the byte stream into
// blocks, hands them over, logs, and ends.
#include "tests/support/PtyPair.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include "diag/Logger.h"
#include "diag/Result.h"
#include "link/CComPortEx.h"
#include "link/IComReceiver.h"
#include "link/IComStatusOwner.h"

#include <condition_variable>
#include <mutex>

using namespace testsupport;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

class Receiver : public IComReceiver
{
public:
    bool processRx(const uint8_t* data, int length) override
    {
        std::string block(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
        if (onBlock)
            onBlock(block);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_blocks.push_back(block);
        m_changed.notify_all();
        return accept;
    }
    // Waits until n blocks arrived (at most the given time).
    std::vector<std::string> waitFor(std::size_t n, std::chrono::milliseconds limit = std::chrono::seconds(2))
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait_for(lock, limit, [&] { return m_blocks.size() >= n; });
        return m_blocks;
    }
    bool accept = true;
    std::function<void(const std::string&)> onBlock;

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_blocks;
};

class Owner : public IComStatusOwner
{
public:
    bool downloadFinished() const override { return finished.load(); }
    Logger& rxLogger() override { return Logger::Instance(); }
    std::atomic<bool> finished{false};
};

class CaptureSink : public LogSink
{
public:
    void write(std::string line, int, int) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        lines.push_back(std::move(line));
    }
    std::mutex mutex;
    std::vector<std::string> lines;
};

// A download port on a pseudo-terminal published as "ttyTEST" in a private
// ports folder, so selectPort finds it by name.
class ReceiveThreadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ok());
        PortDiscoveryRoots roots;
        roots.sysClassTty = dir.path() / "sys";
        roots.serialById = dir.path() / "by-id";
        roots.portsDir = dir.path() / "ports";
        fs::create_directories(roots.portsDir);
        fs::create_symlink(pty.slave(), roots.portsDir / "ttyTEST");
        port.setDiscoveryRoots(roots);
        port.setReceiver(&receiver);
        port.setStatusOwner(&owner);
        previousSink = Logger::Instance().SetSink(&sink);
    }
    void TearDown() override { Logger::Instance().SetSink(previousSink); }

    void start()
    {
        port.selectPort("ttyTEST");
        ASSERT_EQ(port.selectedPort(), 0);
        ASSERT_TRUE(port.isOpen());
        ASSERT_EQ(port.startReceiver(), 0);
    }

    TempDir dir;
    PtyPair pty;
    Receiver receiver;
    Owner owner;
    CaptureSink sink;
    LogSink* previousSink = nullptr;
    CComPortEx port;
};

} // namespace

TEST_F(ReceiveThreadTest, HandsOverFramesAndLinesAsTheyEnd)
{
    start();
    pty.write(std::string("\x01") + "abc\n");
    pty.write("text\r\n");
    const auto blocks = receiver.waitFor(3);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0], std::string("\x01") + "abc\n") << "a download frame arrives whole";
    EXPECT_EQ(blocks[1], "text\r") << "CR ends a block";
    EXPECT_EQ(blocks[2], "\n") << "the LF of CR LF is a block of its own";
}

TEST_F(ReceiveThreadTest, CutsOverlongLinesAt8192Bytes)
{
    start();
    pty.write(std::string(9000, 'x'));
    pty.write("\n");
    const auto blocks = receiver.waitFor(1);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].size(), 8192u);
    EXPECT_EQ(blocks[0], std::string(8192, 'x')) << "the bytes beyond the buffer, the LF too, are dropped";
}

TEST_F(ReceiveThreadTest, LogsEachBlockAndRefusedText)
{
    receiver.accept = false;
    start();
    pty.write("hello\n");
    receiver.waitFor(1);
    port.stopReceiver();
    std::lock_guard<std::mutex> lock(sink.mutex);
    ASSERT_EQ(sink.lines.size(), 2u);
    EXPECT_EQ(sink.lines[0], " [INFO  Appl  ] serial port state: connected\r\n");
    EXPECT_EQ(sink.lines[1], " [INFO  ExtDev] hello\r\n");
}

TEST_F(ReceiveThreadTest, ReceiverMayAnswerFromInsideTheHandOver)
{
    receiver.onBlock = [this](const std::string& block) {
        if (block == "ping\n") {
            port.purgeInput();
            port.putArray("pong\n", 5);
        }
    };
    start();
    pty.write("ping\n");
    receiver.waitFor(1);
    EXPECT_EQ(pty.read(100), "pong\n");
}

TEST_F(ReceiveThreadTest, EndsItselfWhenTheDownloadIsFinished)
{
    receiver.onBlock = [this](const std::string&) { owner.finished = true; };
    start();
    pty.write("last\n");
    receiver.waitFor(1);
    const auto t0 = Clock::now();
    while (port.receiverRunning() && Clock::now() - t0 < std::chrono::seconds(2))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(port.receiverRunning());
    pty.write("more\n");
    EXPECT_EQ(receiver.waitFor(2, std::chrono::milliseconds(150)).size(), 1u)
        << "nothing is handed over after the end";
}

TEST_F(ReceiveThreadTest, StopsPromptlyWhileWaitingForBytes)
{
    start();
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // inside its 2-second read now
    const auto t0 = Clock::now();
    port.stopReceiver();
    EXPECT_FALSE(port.receiverRunning());
    EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(200));
    // Closing (and destroying) the port also ends a running thread first.
    ASSERT_EQ(port.startReceiver(), 0);
    port.close();
    EXPECT_FALSE(port.receiverRunning());
}

TEST_F(ReceiveThreadTest, StartsNothingWithoutASelectedPort)
{
    port.selectPort("ttyNOPE");
    EXPECT_EQ(port.selectedPort(), -1);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.startReceiver(), Result::NoPortSelected);
    EXPECT_FALSE(port.receiverRunning());
}
