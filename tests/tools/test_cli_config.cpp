// tavemo-cli export and import as programs against the simulator: a whole
// configuration carried from one unit to another in both formats, refused
// registers named, a unit that falls silent, the PIN, and the exit statuses.
#include "tests/support/CliProcess.h"
#include "tests/support/ExportWrites.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

using testsupport::CliProcess;
using testsupport::ReadFile;
using testsupport::RunCli;
using testsupport::SimProcess;
using testsupport::TempDir;
using testsupport::WritesOf;

namespace {

// A unit configured away from the factory defaults.
const std::vector<std::string> kConfiguredUnit = {"--holding", "2009=1", "--holding", "2011=55",
                                                  "--holding", "2012=30"};

} // namespace

TEST(CliConfig, ACsvAndABinaryExportCarryTheWholeConfigurationToAnotherUnit)
{
    SimProcess sourceCsv(kConfiguredUnit), sourceBin(kConfiguredUnit), targetCsv, targetBin;
    ASSERT_TRUE(sourceCsv.ready() && sourceBin.ready() && targetCsv.ready() && targetBin.ready());
    TempDir dir;
    const std::string csv = (dir.path() / "unit.csv").string(), bin = (dir.path() / "unit.bin").string();
    {
        CliProcess a({"--port", sourceCsv.name(), "export", csv}), b({"--port", sourceBin.name(), "export", bin});
        EXPECT_EQ(a.finish(), 0) << a.err;
        EXPECT_EQ(b.finish(), 0) << b.err;
        EXPECT_NE(a.err.find("export: 100 %"), std::string::npos) << "progress on standard error";
    }
    const std::vector<std::string> expected = WritesOf(ReadFile(csv));
    ASSERT_GT(expected.size(), 600u);
    EXPECT_EQ(ReadFile(bin).size(), 22u + 26u * expected.size());
    {
        CliProcess a({"--port", targetCsv.name(), "import", csv}), b({"--port", targetBin.name(), "import", bin});
        EXPECT_EQ(a.finish(), 0) << a.err;
        EXPECT_EQ(b.finish(), 0) << b.err;
    }
    for (const SimProcess* target : {&targetCsv, &targetBin}) {
        const std::vector<std::string> commands = target->commands();
        std::vector<std::string> writes;
        for (const std::string& c : commands)
            if (c.rfind("Mw", 0) == 0)
                writes.push_back(c);
        // Every register in file order, then Save To NVRAM.
        ASSERT_EQ(writes.size(), expected.size() + 1);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), writes.begin()));
        EXPECT_EQ(writes.back(), "Mw2013 1");
        EXPECT_TRUE(target->received("Mw2009 1"));
        EXPECT_TRUE(target->received("Mw2011 55"));
    }
}

TEST(CliConfig, RefusedRegistersAreNamedAndTheExitStatusIsOne)
{
    SimProcess unit({"--fail-read", "2009", "--fail-read", "2011"});
    ASSERT_TRUE(unit.ready());
    TempDir dir;
    const std::string file = (dir.path() / "common.csv").string();
    const auto r = RunCli({"--port", unit.name(), "export", "--categories", "common", file});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("2 registers could not be read"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("2009, 2011"), std::string::npos) << r.err;
    const std::string text = ReadFile(file);
    EXPECT_EQ(text.find("Addr: 2009;"), std::string::npos);
    EXPECT_NE(text.find("Addr: 2010;"), std::string::npos) << "the rest is in the file";
}

TEST(CliConfig, AUnitFallingSilentEndsTheExportWithinAMinuteAndKeepsThePreviousFile)
{
    SimProcess unit({"--silent-after", "60"});
    ASSERT_TRUE(unit.ready());
    TempDir dir;
    const std::string file = (dir.path() / "unit.csv").string();
    std::ofstream(file) << "the previous export";
    const auto start = std::chrono::steady_clock::now();
    const auto r = RunCli({"--port", unit.name(), "export", file});
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(r.status, 1);
    EXPECT_LT(seconds, 60);
    EXPECT_NE(r.err.find("Link lost"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(file), "the previous export");
    EXPECT_NE(ReadFile(file + ".partial").find("Addr: 2009;"), std::string::npos) << "what was read is kept";
}

TEST(CliConfig, AnImportThatIsNoExportOrIsRefusedEndsWithOne)
{
    SimProcess unit;
    ASSERT_TRUE(unit.ready());
    TempDir dir;
    const std::string junk = (dir.path() / "junk.csv").string();
    std::ofstream(junk) << "Addr: 2009; Val: 1;\r\n";
    auto r = RunCli({"--port", unit.name(), "import", junk});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not an export file"), std::string::npos) << r.err;
    EXPECT_FALSE(unit.received("Mw2009 1"));

    const std::string limits = (dir.path() / "limits.csv").string();
    std::ofstream(limits) << "Orvelant 4000 Export\r\nAddr: 2009; Val: 1;\r\nAddr: 2009; Val: 60000;\r\n";
    r = RunCli({"--port", unit.name(), "import", limits});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("outside the limits: 1 (2009)"), std::string::npos) << r.err;
    EXPECT_TRUE(unit.received("Mw2009 1"));
}

TEST(CliConfig, TheCommandLineAndThePinAreChecked)
{
    SimProcess unit({"--pin", "1234"});
    ASSERT_TRUE(unit.ready());
    TempDir dir;
    const std::string file = (dir.path() / "unit.csv").string();
    struct Case
    {
        std::vector<std::string> args;
        int status;
        const char* says;
    } cases[] = {
        {{"--port", unit.name(), "export", (dir.path() / "unit.txt").string()}, 2, ".csv (text) or .bin"},
        {{"--port", unit.name(), "export", "--categories", "common,kitchen", file}, 2, "unknown category 'kitchen'"},
        {{"--port", unit.name(), "import", (dir.path() / "missing.csv").string()}, 1, "cannot be opened"},
        {{"--port", unit.name(), "export", file}, 1, "give it with --pin"},
        {{"--port", unit.name(), "--pin", "1234", "export", "--categories", "common", file}, 0, "export: 100 %"},
        {{"--port", unit.name(), "--pin", "1234", "import", file}, 0, "import: 100 %"},
    };
    for (const Case& c : cases) {
        const auto r = RunCli(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.back() << "\n" << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
}

// The adapter pulled out mid-export (the simulator ends, its port hangs up):
// the export ends at once with the reason, and the previous file stays.
TEST(CliConfig, APortThatGoesAwayEndsTheExportAtOnceAndKeepsThePreviousFile)
{
    SimProcess unit;
    ASSERT_TRUE(unit.ready());
    TempDir dir;
    const std::string file = (dir.path() / "unit.csv").string();
    std::ofstream(file) << "the previous export";
    CliProcess cli({"--port", unit.name(), "export", file});
    const auto start = std::chrono::steady_clock::now();
    // Some registers in, the unit goes away.
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    unit.stop();
    const int status = cli.finish();
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(status, 1);
    EXPECT_LT(seconds, 10);
    EXPECT_NE(cli.err.find("Link lost: the port is gone"), std::string::npos) << cli.err;
    EXPECT_EQ(ReadFile(file), "the previous export");
}

// Ctrl-C stops the export after the register under way: no temporary file
// is left beside the target, and the previous file stays.
TEST(CliConfig, CtrlCDuringAnExportLeavesNoTemporaryFile)
{
    SimProcess unit;
    ASSERT_TRUE(unit.ready());
    TempDir dir;
    const std::string file = (dir.path() / "unit.csv").string();
    std::ofstream(file) << "the previous export";
    CliProcess cli({"--port", unit.name(), "export", file});
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    cli.signal(SIGINT);
    EXPECT_EQ(cli.finish(), 130);
    EXPECT_EQ(ReadFile(file), "the previous export");
    for (const auto& item : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(item.path().filename(), "unit.csv") << "left behind: " << item.path();
}

// What an import must not write: a value cut to 16 bits, and a Save To
// NVRAM after a file that wrote nothing; a folder is no file.
TEST(CliConfig, AnImportWritesNeitherCutValuesNorAStoreAfterNothing)
{
    SimProcess unit;
    ASSERT_TRUE(unit.ready());
    TempDir dir;
    const std::string wide = (dir.path() / "wide.csv").string();
    std::ofstream(wide) << "Orvelant 4000 Export\r\nAddr: 2009; Val: 65538; Des: x\r\nAddr: 2011; Val: -65436; Des: y\r\n";
    auto r = RunCli({"--port", unit.name(), "import", wide});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("outside the limits: 2 (2009, 2011)"), std::string::npos) << r.err;
    EXPECT_FALSE(unit.received("Mw2009 2"));
    EXPECT_FALSE(unit.received("Mw2011 100"));
    EXPECT_FALSE(unit.received("Mw2013 1")) << "nothing written, nothing to store";

    const std::string junk = (dir.path() / "junk.csv").string();
    std::ofstream(junk) << "no header\r\n";
    r = RunCli({"--port", unit.name(), "import", junk});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(unit.received("Mw2013 1"));

    const std::string bom = (dir.path() / "bom.csv").string();
    std::ofstream(bom) << "\xEF\xBB\xBFOrvelant 4000 Export\r\nAddr: 2011; Val: 60; Des: y\r\n";
    r = RunCli({"--port", unit.name(), "import", bom});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(unit.received("Mw2011 60"));
    EXPECT_TRUE(unit.received("Mw2013 1"));

    r = RunCli({"--port", unit.name(), "import", (dir.path() / "folder.csv").string()});
    EXPECT_EQ(r.status, 1) << "no crash on a missing file";
    std::filesystem::create_directory(dir.path() / "a-folder.csv");
    r = RunCli({"--port", unit.name(), "import", (dir.path() / "a-folder.csv").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot be opened"), std::string::npos) << r.err;
}

// A unit that falls silent ends the import after three writes without an
// answer, instead of two seconds a write through the whole file.
TEST(CliConfig, AUnitFallingSilentEndsTheImportWithinTenSeconds)
{
    TempDir dir;
    const std::string file = (dir.path() / "unit.csv").string();
    {
        SimProcess source;
        ASSERT_TRUE(source.ready());
        ASSERT_EQ(RunCli({"--port", source.name(), "export", "--categories", "common,sensors", file}).status, 0);
    }
    SimProcess unit({"--silent-after", "40"});
    ASSERT_TRUE(unit.ready());
    const auto start = std::chrono::steady_clock::now();
    const auto r = RunCli({"--port", unit.name(), "import", file});
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(r.status, 1);
    EXPECT_LT(seconds, 10);
    EXPECT_NE(r.err.find("Link lost: the unit stopped answering"), std::string::npos) << r.err;
}
