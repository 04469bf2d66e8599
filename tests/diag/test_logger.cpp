#include "diag/DebugOutput.h"
#include "diag/LogFileSink.h"
#include "diag/Logger.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Captured
{
    std::string line;
    int levelHint;
    int moduleHint;
};

class CaptureSink : public LogSink
{
public:
    void write(std::string line, int levelHint, int moduleHint) override
    {
        lines.push_back({std::move(line), levelHint, moduleHint});
    }
    std::vector<Captured> lines;
};

class LoggerTest : public ::testing::Test
{
protected:
    void SetUp() override { previous = Logger::Instance().SetSink(&sink); }
    void TearDown() override { Logger::Instance().SetSink(previous); }
    CaptureSink sink;
    LogSink* previous = nullptr;
};

TEST_F(LoggerTest, LineLayoutTagsAndHints)
{
    const struct
    {
        int module;
        int level;
        const char* line;
        int levelHint;
        int moduleHint;
    } rows[] = {
        {9, 3, " [INFO  SWDL  ] x=5\r\n", 0, 0},
        {11, 7, " [      ---   ] x=5\r\n", 0, 0},
        {1, 0, " [FATAL Appl  ] x=5\r\n", 2, 0},
        {2, 1, " [ERROR Gui   ] x=5\r\n", 2, 0},
        {3, 2, " [WARN  SerCom] x=5\r\n", 0, 5},
        {4, 4, " [DEBUG SerLib] x=5\r\n", 0, 3},
        {6, 3, " [INFO  ExtDev] x=5\r\n", 0, 5},
        {10, 3, " [INFO  DNLF  ] x=5\r\n", 0, 0},
    };
    for (const auto& r : rows) {
        sink.lines.clear();
        Logger::Instance().log(static_cast<LogModule>(r.module), static_cast<LogLevel>(r.level), "x=%d", 5);
        ASSERT_EQ(sink.lines.size(), 1u);
        EXPECT_EQ(sink.lines[0].line, r.line);
        EXPECT_EQ(sink.lines[0].levelHint, r.levelHint) << r.line;
        EXPECT_EQ(sink.lines[0].moduleHint, r.moduleHint) << r.line;
    }
}

TEST_F(LoggerTest, AnAdapterLineNeverWritesThePin)
{
    Logger::Instance().log(LogModule::ExtDev, LogLevel::INFO, "%s", "u 1234");
    Logger::Instance().log(LogModule::ExtDev, LogLevel::INFO, "%s", "0 = mbReadHoldingReg(2008): 4711");
    ASSERT_EQ(sink.lines.size(), 2u);
    EXPECT_EQ(sink.lines[0].line, " [INFO  ExtDev] u ****\r\n");
    EXPECT_EQ(sink.lines[1].line, " [INFO  ExtDev] 0 = mbReadHoldingReg(2008): ****\r\n");
}

TEST_F(LoggerTest, LongMessageIsCutTo1021CharactersBeforeCrLf)
{
    const std::string text(2000, 'a');
    Logger::Instance().log(LogModule::SWDL, LogLevel::INFO, "%s", text.c_str());
    ASSERT_EQ(sink.lines.size(), 1u);
    const std::string& line = sink.lines[0].line;
    EXPECT_EQ(line.size(), 1021u + 2u);
    EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
    EXPECT_EQ(line.substr(0, 16), " [INFO  SWDL  ] ");
}

TEST_F(LoggerTest, WithoutSinkNothingHappensAndThreadsDoNotInterleave)
{
    Logger::Instance().SetSink(nullptr);
    Logger::Instance().log(LogModule::Appl, LogLevel::INFO, "lost");
    EXPECT_TRUE(sink.lines.empty());
    Logger::Instance().SetSink(&sink);

    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i)
                Logger::Instance().log(LogModule::Appl, LogLevel::INFO, "thread %d line %d", t, i);
        });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(sink.lines.size(), 800u);
}

class CaptureDebug : public IDebugOutput
{
public:
    void debugLine(const std::string& line) override { lines.push_back(line); }
    std::vector<std::string> lines;
};

TEST(DebugOutputTest, CutsTo239CharactersAndIsSilentWhenDetached)
{
    EXPECT_EQ(DebugPrint("nobody listens %d", 1), 0);
    CaptureDebug out;
    DebugOutput::Attach(&out);
    DebugPrint("%s(len = %5i)", "CComPort::getArray", 3);
    DebugPrint("%s", std::string(300, 'b').c_str());
    DebugOutput::Attach(nullptr);
    ASSERT_EQ(out.lines.size(), 2u);
    EXPECT_EQ(out.lines[0], "CComPort::getArray(len =     3)");
    EXPECT_EQ(out.lines[1], std::string(239, 'b'));
}

TEST(LogFileSinkTest, KeepsTenNewestFilesAndWritesLines)
{
    namespace fs = std::filesystem;
    const testsupport::TempDir temp;
    const fs::path& dir = temp.path();
    for (int i = 0; i < 12; ++i)
        std::ofstream(dir / ("2020010" + std::to_string(i / 10) + "-00000" + std::to_string(i % 10) + "-1-x.log"))
            << "old";
    std::ofstream(dir / "notes.txt") << "keep";

    fs::path path;
    {
        LogFileSink sink;
        ASSERT_EQ(sink.Open(dir, "test"), 0);
        sink.write(" [INFO  Appl  ] hello\r\n", 0, 0);
        path = sink.Path();
    }
    int logs = 0;
    for (const auto& item : fs::directory_iterator(dir))
        logs += item.path().extension() == ".log";
    EXPECT_EQ(logs, LogFileSink::kKeepFiles);
    EXPECT_FALSE(fs::exists(dir / "20200100-000000-1-x.log")); // the oldest went first
    EXPECT_TRUE(fs::exists(dir / "notes.txt"));
    EXPECT_EQ(testsupport::ReadFile(path), " [INFO  Appl  ] hello\r\n");
}

TEST(LogFileSinkTest, PassesOverALogAnotherRunStillWrites)
{
    namespace fs = std::filesystem;
    const testsupport::TempDir temp;
    const fs::path& dir = temp.path();
    // A long session of the tool, started now ...
    LogFileSink session;
    ASSERT_EQ(session.Open(dir, "tavemo-config"), 0);
    session.write("session line\r\n", 0, 0);
    // ... and ten logs that sort after it (names from a later clock).
    for (int i = 0; i < 10; ++i)
        std::ofstream(dir / ("2999010" + std::to_string(i) + "-000000-0000001-tavemo-cli.log")) << "cli";

    {
        LogFileSink cli;
        ASSERT_EQ(cli.Open(dir, "tavemo-cli"), 0);
        cli.write("cli line\r\n", 0, 0);
    }
    int logs = 0;
    for (const auto& item : fs::directory_iterator(dir))
        logs += item.path().extension() == ".log";
    EXPECT_EQ(logs, LogFileSink::kKeepFiles);
    EXPECT_TRUE(fs::exists(session.Path())) << "the oldest log is still being written";
    EXPECT_FALSE(fs::exists(dir / "29990100-000000-0000001-tavemo-cli.log"));
    EXPECT_FALSE(fs::exists(dir / "29990101-000000-0000001-tavemo-cli.log"));
    EXPECT_TRUE(fs::exists(dir / "29990102-000000-0000001-tavemo-cli.log"));
}

TEST(LogFileSinkTest, ARunThatLoggedNothingLeavesNoFile)
{
    const testsupport::TempDir temp;
    std::filesystem::path path;
    {
        LogFileSink sink;
        ASSERT_EQ(sink.Open(temp.path(), "tavemo-cli"), 0);
        path = sink.Path();
        EXPECT_TRUE(std::filesystem::exists(path));
        EXPECT_NE(path.filename().string().find("-tavemo-cli.log"), std::string::npos) << path;
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

// A run killed or hung before its first line leaves an empty log: it says
// nothing, so it neither counts among the ten nor pushes out one that does.
TEST(LogFileSinkTest, EmptyLeftoverLogsDoNotCount)
{
    namespace fs = std::filesystem;
    const testsupport::TempDir temp;
    const fs::path& dir = temp.path();
    for (int i = 0; i < 9; ++i)
        std::ofstream(dir / ("2020010" + std::to_string(i) + "-000000-0000001-x.log")) << "said something";
    for (int i = 0; i < 5; ++i)
        std::ofstream(dir / ("2021010" + std::to_string(i) + "-000000-0000002-killed.log"));
    {
        LogFileSink sink;
        ASSERT_EQ(sink.Open(dir, "test"), 0);
        sink.write("line\r\n", 0, 0);
    }
    int logs = 0;
    for (const auto& item : fs::directory_iterator(dir)) {
        ASSERT_GT(fs::file_size(item.path()), 0u) << item.path();
        ++logs;
    }
    EXPECT_EQ(logs, LogFileSink::kKeepFiles) << "the nine that say something and the new one";
}

TEST(LogFileSinkTest, ALogStopsAtItsSizeWithALineSayingSo)
{
    const testsupport::TempDir temp;
    LogFileSink sink;
    ASSERT_EQ(sink.Open(temp.path(), "test"), 0);
    const std::string line(1000, 'x');
    for (std::size_t written = 0; written < LogFileSink::kMaxBytes + 50000; written += line.size() + 2)
        sink.write(line + "\r\n", 0, 0);
    const std::string text = testsupport::ReadFile(sink.Path());
    EXPECT_LE(text.size(), LogFileSink::kMaxBytes);
    EXPECT_GT(text.size(), LogFileSink::kMaxBytes - 1100);
    const std::string cut = LogFileSink::kCutLine;
    ASSERT_GE(text.size(), cut.size());
    EXPECT_EQ(text.substr(text.size() - cut.size()), cut);
    EXPECT_EQ(text.find(cut), text.size() - cut.size()) << "said once, at the end";
}

} // namespace
