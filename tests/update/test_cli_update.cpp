// tavemo-cli update: the file's faults in words, the progress line, the exit
// status, and Ctrl-C in the middle of a transfer.
#include "DnlTestFile.h"
#include "RowName.h"
#include "link/CComPort.h"
#include "tests/support/CliProcess.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempDir.h"
#include "update/DnlCrc.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

using namespace dnltest;
using testsupport::CliProcess;
using testsupport::SimProcess;

namespace {

std::vector<uint8_t> GoodFile(uint32_t imageLength, const std::string& version = "2.1.0")
{
    DnlSpec s;
    s.version = version;
    s.devices = {"RU-Ctrl", "RU-Touch"};
    s.image = Image(imageLength);
    return Build(s);
}

// The command-line tool's log files in the test's private cache folder.
std::set<std::filesystem::path> CliLogs()
{
    std::set<std::filesystem::path> logs;
    const std::filesystem::path dir = std::filesystem::path(std::getenv("XDG_CACHE_HOME")) / "tavemo" / "logs";
    std::error_code ec;
    for (const auto& item : std::filesystem::directory_iterator(dir, ec))
        if (item.path().filename().string().ends_with("-tavemo-cli.log"))
            logs.insert(item.path());
    return logs;
}

} // namespace

struct FileRow
{
    const char* name;
    std::vector<uint8_t> bytes;
    std::string message;
};
TAVEMO_ROW_PRINTS_NAME(FileRow)

class CliUpdateFile : public testing::TestWithParam<FileRow>
{};

TEST_P(CliUpdateFile, SaysWhatIsWrongWithTheFile)
{
    TempFile file(GetParam().bytes);
    CliProcess cli({"--port", "ttyNONE", "update", file.path()});
    EXPECT_EQ(cli.finish(), 1);
    EXPECT_NE(cli.err.find(GetParam().message), std::string::npos) << cli.err;
}

std::vector<FileRow> FileRows()
{
    DnlSpec badMagic;
    badMagic.magic = "Orv0";
    DnlSpec badImage;
    badImage.badPayloadCrc = true;
    auto damaged = GoodFile(100);
    damaged[40] ^= 1;
    return {{"Empty", {}, "the file is empty"},
            {"Damaged", damaged, "the file is damaged: its overall CRC does not match"},
            {"NotADownloadFile", Build(badMagic), "not a download file"},
            {"DamagedImage", Build(badImage), "the firmware image is damaged"}};
}

INSTANTIATE_TEST_SUITE_P(Rows, CliUpdateFile, testing::ValuesIn(FileRows()), RowName());

TEST(CliUpdate, ADamagedFileNamesTheCrcFoundAndTheCrcExpected)
{
    auto damaged = GoodFile(100);
    damaged[40] ^= 1;
    const std::size_t covered = damaged.size() - 4;
    char crcs[64];
    std::snprintf(crcs, sizeof crcs, "CRC found 0x%08X, expected 0x%08X", unsigned(DNLF_GetLe32(&damaged[covered])),
                  unsigned(DNLF_Crc(0, damaged.data(), covered)));
    TempFile file(damaged);
    CliProcess cli({"--port", "ttyNONE", "update", file.path()});
    EXPECT_EQ(cli.finish(), 1);
    EXPECT_NE(cli.err.find(crcs), std::string::npos) << cli.err;
}

TEST(CliUpdate, RefusesAMissingFileOrPort)
{
    TempFile file(GoodFile(100));
    CliProcess noPort({"update", file.path()});
    EXPECT_EQ(noPort.finish(), 2);
    EXPECT_NE(noPort.err.find("--port"), std::string::npos) << noPort.err;

    CliProcess missing({"--port", "x", "update", (file.dir() / "none.dnl").string()});
    EXPECT_EQ(missing.finish(), 1);
    EXPECT_NE(missing.err.find("the file cannot be opened"), std::string::npos) << missing.err;

    CliProcess unknownPort({"--port", "ttyNONE", "update", file.path()});
    EXPECT_EQ(unknownPort.finish(), 1);
    EXPECT_NE(unknownPort.err.find("opening port 'ttyNONE'"), std::string::npos) << unknownPort.err;
}

TEST(CliUpdate, AUnitWithPinIsUpdatedOnlyWithTheRightPin)
{
    SimProcess sim({"--pin", "1234", "--dl-version", "2.0.0"});
    ASSERT_TRUE(sim.ready());
    TempFile file(GoodFile(600));

    CliProcess noPin({"--port", sim.name(), "update", file.path()});
    EXPECT_EQ(noPin.finish(), 1);
    EXPECT_NE(noPin.err.find("the unit has a PIN"), std::string::npos) << noPin.err;
    CliProcess wrongPin({"--port", sim.name(), "--pin", "1111", "update", file.path()});
    EXPECT_EQ(wrongPin.finish(), 1);
    EXPECT_NE(wrongPin.err.find("wrong"), std::string::npos) << wrongPin.err;
    EXPECT_TRUE(sim.savedImage().empty()) << "no frame may reach a unit whose PIN was not given";

    CliProcess rightPin({"--port", sim.name(), "--pin", "1234", "update", file.path()});
    EXPECT_EQ(rightPin.finish(), 0) << rightPin.err;
    EXPECT_EQ(sim.savedImage().size(), 608u);
}

TEST(CliUpdate, DownloadsAndExitsZeroOnlyAtReboot)
{
    // At the adapter's line speed the six blocks take a few of the
    // progress line's polls, as on a real line (unthrottled, a loaded
    // machine may see the transfer start and end between two polls).
    SimProcess sim({"--dl-version", "2.0.0", "--dl-baud", "115200"});
    ASSERT_TRUE(sim.ready());
    TempFile file(GoodFile(3000));
    CliProcess cli({"--port", sim.name(), "update", file.path()});
    EXPECT_EQ(cli.finish(), 0) << cli.err;
    EXPECT_NE(cli.out.find("firmware 2.1.0 for 'RU-Ctrl', 'RU-Touch', 3008 bytes to send"), std::string::npos)
        << cli.out;
    // Progress goes to standard error, like every other command's.
    EXPECT_NE(cli.err.find("( eTransfer )"), std::string::npos) << cli.err; // some of the six blocks
    EXPECT_NE(cli.err.find("100 % ( eReboot   )  3008 / 3008 bytes"), std::string::npos) << cli.err;
    EXPECT_EQ(cli.out.find("( eTransfer )"), std::string::npos) << cli.out;
    EXPECT_NE(cli.out.find("Download complete"), std::string::npos);
    EXPECT_EQ(sim.savedImage().size(), 3008u);

    SimProcess newer({"--dl-version", "3.0.0"});
    ASSERT_TRUE(newer.ready());
    CliProcess refused({"--port", newer.name(), "update", file.path()});
    EXPECT_EQ(refused.finish(), 1);
    EXPECT_NE(refused.err.find("100 % ( eError"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("download failed: the unit 'RU-Touch' with firmware 3.0.0 has newer firmware"),
              std::string::npos)
        << refused.err;
}

TEST(CliUpdate, CtrlCCancelsAndClosesThePort)
{
    // At the real wire speed 64 KiB take several seconds: time to press Ctrl-C.
    SimProcess sim({"--dl-version", "2.0.0", "--dl-baud", "115200"});
    ASSERT_TRUE(sim.ready());
    TempFile file(GoodFile(64 * 1024));
    CliProcess cli({"--port", sim.name(), "update", file.path()});
    ASSERT_TRUE(cli.waitForError("eTransfer", 10000)) << cli.err;
    cli.signal(SIGINT);
    EXPECT_EQ(cli.finish(), 130);
    EXPECT_NE(cli.err.find("download canceled; the port is closed"), std::string::npos) << cli.err;
    // Nothing after the cancel: no Finalize reached the unit.
    EXPECT_EQ(sim.transcript().find("image of"), std::string::npos);
    // The port is free again (it is opened exclusively while in use).
    CComPort port;
    EXPECT_EQ(port.open(sim.device(), 115200, 0, 0), 0);
}

TEST(CliUpdate, AFailedDownloadLeavesItsLinesInALogFileForSupport)
{
    SimProcess newer({"--dl-version", "3.0.0"});
    ASSERT_TRUE(newer.ready());
    TempFile file(GoodFile(600));
    const auto before = CliLogs();
    CliProcess refused({"--port", newer.name(), "update", file.path()});
    EXPECT_EQ(refused.finish(), 1);

    std::vector<std::filesystem::path> added;
    for (const auto& log : CliLogs())
        if (!before.count(log))
            added.push_back(log);
    ASSERT_EQ(added.size(), 1u) << "one log file per run";
    const std::string log = testsupport::ReadFile(added[0]);
    EXPECT_NE(log.find(" [INFO  SWDL  ] SwDl: Start Download (608)..\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("SwDl: new state Error"), std::string::npos) << log;
}
