// tavemo-cli diff, import --changes-only and export --non-default as
// programs against the simulator: a unit changed after its export is
// compared with it, brought back by writing only what differs (what the
// unit received shows it), and the exit statuses are diff's.
#include "tests/support/CliProcess.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

using testsupport::ReadFile;
using testsupport::RunCli;
using testsupport::SimProcess;
using testsupport::TempDir;

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(text.substr(start, nl - start));
    return lines;
}

} // namespace

TEST(CliDiff, AUnitChangedAfterItsExportIsComparedAndBroughtBackByWritingOnlyTheChanges)
{
    SimProcess unit;
    ASSERT_TRUE(unit.ready());
    TempDir dir;
    const std::string file = (dir.path() / "unit.csv").string();
    ASSERT_EQ(RunCli({"--port", unit.name(), "export", "--categories", "common,room-climate", file}).status, 0);
    const std::string before = ReadFile(file);
    ASSERT_NE(before.find("Addr: 2011; Val: 0;"), std::string::npos) << before;
    ASSERT_EQ(RunCli({"--port", unit.name(), "write", "2011=60", "2012=45", "3603=195"}).status, 0);

    auto r = RunCli({"--port", unit.name(), "diff", file});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(Lines(r.out), (std::vector<std::string>{"2011 Display Brightness [%]: 60 -> 0",
                                                      "2012 Screen Saver Timeout [s]: 45 -> 20",
                                                      "3603 Setpoint Temp After Reboot: 19.5 \u00b0C -> 21.0 \u00b0C"}));
    r = RunCli({"--port", unit.name(), "diff", "--csv", file});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Lines(r.out).at(0), "address,name,category,left,right,note");
    EXPECT_EQ(Lines(r.out).at(3), "3603,Setpoint Temp After Reboot,room-climate,195,210,");

    const std::size_t from = unit.commands().size();
    const std::string undo = (dir.path() / "undo.csv").string();
    r = RunCli({"--port", unit.name(), "import", "--changes-only", "--undo-file", undo, file});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("differing: 3, written: 3, verified: 3"), std::string::npos) << r.err;
    const std::vector<std::string> all = unit.commands();
    std::vector<std::string> writes, reads;
    for (std::size_t i = from; i < all.size(); ++i)
        (all[i].rfind("Mw", 0) == 0 ? writes : reads).push_back(all[i]);
    EXPECT_EQ(writes, (std::vector<std::string>{"Mw2011 0", "Mw2012 20", "Mw3603 210", "Mw2013 1"}));
    // Every register of the file read once to compare, the three written read back.
    const auto readsOf = [&](const std::string& c) { return std::count(reads.begin(), reads.end(), c); };
    EXPECT_EQ(readsOf("Mr2011"), 2);
    EXPECT_EQ(readsOf("Mr3603"), 2);
    EXPECT_EQ(readsOf("Mr2009"), 1);
    EXPECT_EQ(ReadFile(undo), "Orvelant 4000 Export\r\nAddr: 2011; Val: 60; Des: Display Brightness [%]\r\n"
                              "Addr: 2012; Val: 45; Des: Screen Saver Timeout [s]\r\n"
                              "Addr: 3603; Val: 195; Des: Setpoint Temp After Reboot\r\n");

    r = RunCli({"--port", unit.name(), "diff", file});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "");
}

TEST(CliDiff, TwoFilesNeedNoUnitAndTroubleExitsTwo)
{
    TempDir dir;
    const std::string a = (dir.path() / "a.csv").string(), b = (dir.path() / "b.bin").string(),
                      c = (dir.path() / "c.csv").string();
    std::ofstream(a) << "Orvelant 4000 Export\r\nAddr: 2009; Val: 1; Des: x\r\nAddr: 2011; Val: 55; Des: x\r\n";
    std::ofstream(c) << "Orvelant 4000 Export\r\nAddr: 2009; Val: 1; Des: x\r\nAddr: 2011; Val: 55; Des: x\r\n";
    // The same as a binary file, 2011 changed, and a read-only record.
    std::string bin = "Orvelant 4000 Export\r\n";
    for (auto [addr, v] : {std::pair{2009, 1}, {2011, 70}, {2001, 1020}}) {
        std::string rec(26, '\0');
        rec[0] = static_cast<char>(addr & 0xFF), rec[1] = static_cast<char>(addr >> 8);
        rec[2] = static_cast<char>(v & 0xFF), rec[3] = static_cast<char>(v >> 8);
        bin += rec;
    }
    std::ofstream(b, std::ios::binary) << bin;
    struct Case
    {
        std::vector<std::string> args;
        int status;
        const char* out;
        const char* err;
    } cases[] = {
        {{"diff", a, b}, 1, "2001 Firmware: absent -> 1020 (skipped as read-only)\n2011 Display Brightness [%]: 55 -> 70\n", ""},
        {{"diff", a, c}, 0, "", ""},
        {{"diff", "--all", a, c}, 0, "2009 Language: 1 = english -> 1 = english\n", ""},
        {{"diff", a, (dir.path() / "missing.csv").string()}, 2, "", "cannot be opened"},
        {{"diff", a}, 2, "", "two files"},
        {{"diff", "--temp-unit", "3", a, b}, 2, "", "--temp-unit takes"},
        {{"diff", a, (dir.path() / "a.txt").string()}, 2, "", "must end in .csv"},
        // The marks of the text form are the last column of the CSV.
        {{"diff", "--csv", a, b}, 1,
         "address,name,category,left,right,note\n2001,Firmware,common,,1020,read-only\n"
         "2011,Display Brightness [%],common,55,70,\n",
         ""},
    };
    for (const Case& k : cases) {
        const auto r = RunCli(k.args);
        EXPECT_EQ(r.status, k.status) << k.args.back() << "\n" << r.err;
        EXPECT_EQ(r.out.substr(0, std::string(k.out).size()), k.out) << r.out;
        EXPECT_NE(r.err.find(k.err), std::string::npos) << r.err;
    }
}

TEST(CliDiff, AFileNotReadWholeIsTroubleNamingItsLine)
{
    TempDir dir;
    const auto file = [&](const std::string& name, const std::string& records) {
        const std::string path = (dir.path() / name).string();
        std::ofstream(path, std::ios::binary) << "Orvelant 4000 Export\r\n" << records;
        return path;
    };
    const std::string records = "Addr: 2009; Val: 1; Des: Language\r\nAddr: 2011; Val: 55; Des: x\r\n";
    const std::string good = file("good.csv", records + "Addr: 2012; Val: 30; Des: x\r\n");
    const std::string noValue =
        file("novalue.csv", records + "Addr: 2011; Val: abc\r\nAddr: 2012; Val: 30; Des: x\r\n");
    const std::string garbage = file("garbage.csv", records + "garbage\r\nAddr: 2012; Val: 30; Des: x\r\n");
    const std::string past = file("past.csv", records + "Addr: 10000; Val: 1; Des: x\r\nAddr: 2012; Val: 30;\r\n");
    std::string cut = "Orvelant 4000 Export\r\n" + std::string(26, '\0') + std::string(13, '\0');
    cut[22] = static_cast<char>(2009 & 0xFF), cut[23] = static_cast<char>(2009 >> 8), cut[24] = 1;
    const std::string binary = (dir.path() / "cut.bin").string();
    std::ofstream(binary, std::ios::binary) << cut;
    // Lines the import skips unread on purpose are read: a protected
    // register's record, a line that only names one, blank lines.
    const std::string marked =
        file("marked.csv",
             records + "Addr: 2013; protected\r\n\r\nAddr: 2018; Val: 1;\r\nAddr: 2012; Val: 30; Des: x\r\n");

    struct Case
    {
        std::vector<std::string> args;
        int status;
        const char* err;
    } cases[] = {
        {{"diff", noValue, noValue}, 2, "novalue.csv: line 4 has no value: \"Addr: 2011; Val: abc\""},
        {{"diff", good, noValue}, 2, "line 4 has no value"},
        {{"diff", garbage, good}, 2, "garbage.csv: line 4 is no record: \"garbage\""},
        {{"diff", good, past}, 2, "past.csv: line 4"},
        {{"diff", binary, binary}, 2, "cut.bin: record 2 is cut short"},
        {{"diff", good, marked}, 1, ""},
    };
    for (const Case& k : cases) {
        const auto r = RunCli(k.args);
        EXPECT_EQ(r.status, k.status) << k.args.back() << "\n" << r.out << r.err;
        EXPECT_NE(r.err.find(k.err), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("1 lines"), std::string::npos) << r.err;
    }
    const auto r = RunCli({"diff", good, marked});
    EXPECT_EQ(r.out, "2018 Date / Time hour: absent -> 1 (skipped as unknown)\n") << r.err;
    EXPECT_EQ(r.err, "");
}

TEST(CliDiff, TwoFilesOfUnitsOfAnyTypeKnowTheirRegistersAndAReportListingOneTwiceIsRefused)
{
    TempDir dir;
    const std::string a = (dir.path() / "a.csv").string(), b = (dir.path() / "b.csv").string(),
                      report = (dir.path() / "r.json").string();
    // A time program's scene, which only some device types have.
    std::ofstream(a) << "Orvelant 4000 Export\r\nAddr: 7046; Val: 3; Des: x\r\n";
    std::ofstream(b) << "Orvelant 4000 Export\r\nAddr: 7046; Val: 4; Des: x\r\n";
    auto r = RunCli({"diff", a, b});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out, "7046 Time Program 1 Zuordnung zur Szene: 3 -> 4\n");

    std::ofstream(report) << "{\"format\": \"tavemo-report\", \"version\": 1, \"registers\": ["
                             "{\"address\": 2011, \"value\": 1, \"read\": true},"
                             "{\"address\": 2011, \"value\": 9, \"read\": true}]}";
    r = RunCli({"diff", report, a});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("(2011) repeats"), std::string::npos) << r.err;
}

TEST(CliDiff, TheUnitSideKeepsThePinAndALostUnitIsTrouble)
{
    SimProcess locked({"--pin", "1234"});
    ASSERT_TRUE(locked.ready());
    TempDir dir;
    const std::string file = (dir.path() / "unit.csv").string();
    std::ofstream(file) << "Orvelant 4000 Export\r\nAddr: 2011; Val: 55; Des: x\r\n";
    auto r = RunCli({"--port", locked.name(), "diff", file});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("give it with --pin"), std::string::npos) << r.err;
    r = RunCli({"--port", locked.name(), "import", "--changes-only", file});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(locked.received("Mw2011 55"));
    r = RunCli({"--port", locked.name(), "--pin", "1234", "diff", file});
    EXPECT_EQ(r.status, 1) << r.err;

    SimProcess refusing({"--fail-read", "2011"});
    ASSERT_TRUE(refusing.ready());
    r = RunCli({"--port", refusing.name(), "diff", file});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("could not be read from the unit: 2011"), std::string::npos) << r.err;
    r = RunCli({"--port", refusing.name(), "import", "--changes-only", file});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Failed: 2011"), std::string::npos) << r.err;
    EXPECT_FALSE(refusing.received("Mw2011 55"));
    EXPECT_FALSE(refusing.received("Mw2013 1"));
}

TEST(CliDiff, ATemplateLeavesThePinOutUnlessAsked)
{
    SimProcess unit({"--pin", "1234", "--holding", "2011=55"});
    ASSERT_TRUE(unit.ready());
    TempDir dir;
    const std::string plain = (dir.path() / "t.csv").string(), pin = (dir.path() / "p.csv").string();
    ASSERT_EQ(RunCli({"--port", unit.name(), "--pin", "1234", "export", "--non-default", "--categories", "common", plain}).status, 0);
    ASSERT_EQ(RunCli({"--port", unit.name(), "--pin", "1234", "export", "--non-default", "--with-pin", "--categories",
                      "common", pin}).status, 0);
    EXPECT_EQ(ReadFile(plain).find("Addr: 2008;"), std::string::npos) << ReadFile(plain);
    EXPECT_NE(ReadFile(plain).find("Addr: 2011; Val: 55;"), std::string::npos) << ReadFile(plain);
    EXPECT_NE(ReadFile(pin).find("Addr: 2008; Val: 1234;"), std::string::npos) << ReadFile(pin);
    EXPECT_EQ(ReadFile(plain).find("Addr: 2009;"), std::string::npos) << "a register at its default stays out";
}
