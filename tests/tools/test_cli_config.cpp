// tavemo-cli export and import as programs against the simulator: a whole
// configuration carried from one unit to another in both formats, refused
// registers named, a unit that falls silent, the PIN, and the exit statuses.
#include "tests/support/CliProcess.h"
#include "tests/support/ExportWrites.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

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
