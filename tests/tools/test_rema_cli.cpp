// tavemo-cli rema against the simulator, as programs: a table written from
// a file is what the unit then uses, reads back into the same entries, and
// a reset gives the unit its own layout again; wrong command lines, bad
// files, damaged replies and a unit with a PIN.
#include "tests/support/CliProcess.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

using namespace testsupport;

namespace {

class CliReMa : public ::testing::Test
{
protected:
    std::unique_ptr<SimProcess> start(const std::vector<std::string>& options = {})
    {
        auto sim = std::make_unique<SimProcess>(options);
        EXPECT_TRUE(sim->ready());
        return sim;
    }
    static CliRun rema(const std::vector<std::string>& words)
    {
        std::vector<std::string> args = {"--port", "ttySIM0", "rema"};
        args.insert(args.end(), words.begin(), words.end());
        return RunCli(args);
    }
    std::string file(const char* name) const { return (dir.path() / name).string(); }
    static bool sent(const SimProcess& sim, const std::string& command)
    {
        const auto c = sim.commands();
        return std::find(c.begin(), c.end(), command) != c.end();
    }
    // The unit's table as a file, with one more entry: a file holds the
    // whole table (what it does not name is unmapped).
    std::string tableWith(const char* kind, const char* name, const std::string& entry)
    {
        EXPECT_EQ(rema({"read", kind, file(name)}).status, 0);
        std::ofstream(file(name), std::ios::binary | std::ios::app) << entry;
        return file(name);
    }
    TempDir dir;
};

} // namespace

TEST_F(CliReMa, AWrittenTableIsUsedByTheUnitReadsBackAndResets)
{
    const auto sim = start();
    CliRun r = rema({"write", "holding", tableWith("holding", "in.csv", "Fav: 5000; Addr: 400; Des: x\r\n")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(sent(*sim, "Cw0"));
    EXPECT_TRUE(sent(*sim, "Cw2"));

    r = RunCli({"--port", "ttySIM0", "read", "5000", "400"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string value = r.out.substr(r.out.find('=') + 1, r.out.find('\n') - r.out.find('=') - 1);
    EXPECT_EQ(r.out, "5000=" + value + "\n400=" + value + "\n");

    r = rema({"read", "holding", file("out.csv")});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string text = ReadFile(file("out.csv"));
    EXPECT_EQ(text.rfind("ReMa Holding\r\n", 0), 0u);
    EXPECT_NE(text.find("\r\nFav: 5000; Addr: 400; Des: "), std::string::npos);
    ASSERT_EQ(rema({"read", "holding", file("out.bin")}).status, 0);
    const std::string bin = ReadFile(file("out.bin"));
    EXPECT_NE(bin.find(std::string("\x88\x13\x90\x01", 4)), std::string::npos) << "5000 -> 400, little-endian";

    r = rema({"reset", "holding"});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(rema({"read", "holding", file("after.csv")}).status, 0);
    EXPECT_EQ(ReadFile(file("after.csv")).find("Fav: 5000;"), std::string::npos);
    EXPECT_EQ(RunCli({"--port", "ttySIM0", "read", "5000"}).status, 1) << "no register at 5000 any more";
}

TEST_F(CliReMa, CoilTablesTravelWithTheirOwnLetters)
{
    const auto sim = start();
    ASSERT_EQ(rema({"write", "coil", tableWith("coil", "coil.csv", "Fav: 300; Addr: 1; Des: x\r\n")}).status, 0);
    EXPECT_TRUE(sent(*sim, "Cy0"));
    EXPECT_EQ(RunCli({"--port", "ttySIM0", "read", "--coil", "300"}).status, 0);
    ASSERT_EQ(rema({"read", "coil", file("coil-out.csv")}).status, 0);
    EXPECT_TRUE(sent(*sim, "Cc"));
    EXPECT_TRUE(sent(*sim, "Cc0 1"));
    EXPECT_NE(ReadFile(file("coil-out.csv")).find("Fav: 300; Addr: 1;"), std::string::npos);
}

TEST_F(CliReMa, FailuresSayWhatWentWrongAndChangeNothing)
{
    const struct
    {
        std::vector<std::string> words;
    } usage[] = {{{}}, {{"copy", "holding"}}, {{"read", "holding"}}, {{"reset", "table"}}, {{"write", "x", "f.csv"}}};
    for (const auto& u : usage)
        EXPECT_EQ(rema(u.words).status, 2);

    {
        const auto sim = start();
        std::ofstream(file("bad.csv"), std::ios::binary) << "ReMa Holding\r\nFav: 5000; Addr: 400;\r\nnonsense\r\n";
        CliRun r = rema({"write", "holding", file("bad.csv")});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("line 3 of"), std::string::npos) << r.err;
        r = rema({"write", "holding", file("missing.csv")});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("cannot open"), std::string::npos) << r.err;
        EXPECT_FALSE(sent(*sim, "Cw0")) << "nothing is sent from a file that cannot be read";
    }
    {
        const auto sim = start({"--rema-bad-chunk", "1"});
        ASSERT_EQ(rema({"write", "holding", tableWith("holding", "one.csv", "Fav: 5000; Addr: 400;\r\n")}).status, 0);
        const CliRun r = rema({"read", "holding", file("never.csv")});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("Error: -12"), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(file("never.csv")));
    }
    {
        const auto sim = start({"--pin", "1234"});
        CliRun r = rema({"reset", "holding"});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("PIN"), std::string::npos) << r.err;
        EXPECT_FALSE(sent(*sim, "Cw0"));
        r = RunCli({"--port", "ttySIM0", "--pin", "1234", "rema", "reset", "holding"});
        EXPECT_EQ(r.status, 0) << r.err;
    }
}

TEST_F(CliReMa, ABacnetUnitsTableCarriesTheBacnetHeader)
{
    const auto sim = start({"--protocol", "1"});
    const CliRun r = rema({"read", "input", file("ai.csv")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(file("ai.csv")).rfind("ReMa BN AI\r\n", 0), 0u);
}

namespace {

bool AnyLineStartsWith(const std::vector<std::string>& lines, const std::string& start)
{
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(start, 0) == 0; });
}

} // namespace

// A file that names only some registers would take every other one away
// from its address: it is counted and refused unless the removals are
// allowed; one that would take away the identity and PIN registers is never
// written, and the unit still answers afterwards.
TEST_F(CliReMa, AFileThatTakesRegistersAwayIsCountedAndWrittenOnlyWhenAllowed)
{
    const auto sim = start();
    {
        std::ofstream out(file("part.csv"), std::ios::binary);
        out << "ReMa Holding\r\n";
        for (int c : {2000, 2001, 2002, 2003, 2004, 2005, 2006, 2007, 2008, 2009, 2010, 2045, 3516})
            out << "Fav: " << c << "; Addr: " << c << "; Des: x\r\n";
        out << "Fav: 5000; Addr: 400; Des: x\r\n";
    }
    CliRun r = rema({"write", "holding", file("part.csv")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("registers away from their addresses"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--allow-removals"), std::string::npos) << r.err;
    EXPECT_FALSE(sent(*sim, "Cw0")) << "nothing is sent without the removals allowed";

    r = rema({"write", "--allow-removals", "holding", file("part.csv")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(sent(*sim, "Cw2"));
    r = RunCli({"--port", "ttySIM0", "identify"});
    EXPECT_EQ(r.status, 0) << "the identity registers stayed: " << r.err;
    EXPECT_EQ(RunCli({"--port", "ttySIM0", "read", "5000"}).status, 0);

    // Without the identity registers the file is refused before anything is sent.
    std::ofstream(file("noid.csv"), std::ios::binary) << "ReMa Holding\r\nFav: 5000; Addr: 400; Des: x\r\n";
    const auto before = sim->commands().size();
    r = rema({"write", "--allow-removals", "holding", file("noid.csv")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("identify and unlock"), std::string::npos) << r.err;
    const auto after = sim->commands();
    EXPECT_FALSE(AnyLineStartsWith({after.begin() + static_cast<long>(before), after.end()}, "Cw"));
    EXPECT_EQ(RunCli({"--port", "ttySIM0", "rema", "reset", "holding"}).status, 0);
}

// The BACnet view's files leave out what has no object of its own (the
// date-time parts, the inner registers of texts); read, saved and written
// back, the table sends no entry at all.
TEST_F(CliReMa, ABacnetTableReadAndWrittenBackUnchangedLeavesTheUnitUnchanged)
{
    const auto sim = start({"--protocol", "1"});
    for (const char* name : {"bn.csv", "bn.bin"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(rema({"read", "holding", file(name)}).status, 0);
        const CliRun r = rema({"write", "holding", file(name)});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(sent(*sim, "Cw2"));
        EXPECT_FALSE(AnyLineStartsWith(sim->commands(), "Cw1")) << "an entry line changes the unit's table";
    }
}

// A line the unit refuses ends the write before the end command: the unit
// keeps the table it had, and the tool says so.
TEST_F(CliReMa, ARefusedLineLeavesThePreviousTableInForce)
{
    const auto sim = start({"--rema-refuse-line", "1"});
    const CliRun r = rema({"write", "holding", tableWith("holding", "in.csv", "Fav: 5000; Addr: 400; Des: x\r\n")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("refused"), std::string::npos) << r.err;
    EXPECT_TRUE(sent(*sim, "Cw0"));
    EXPECT_FALSE(sent(*sim, "Cw2")) << "the end command would put a partial table in force";
    EXPECT_EQ(RunCli({"--port", "ttySIM0", "read", "5000"}).status, 1) << "the previous table is in force";
}
