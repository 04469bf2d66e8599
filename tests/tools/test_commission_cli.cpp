// tavemo-cli commission as a program against three simulators at once: a
// five-room plan carried out over two runs, a unit of the wrong type, and a
// unit that goes away in the middle.
#include "link/CPassword.h"
#include "tests/support/CliProcess.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <memory>
#include <thread>

using testsupport::CliProcess;
using testsupport::CliRun;
using testsupport::ReadFile;
using testsupport::RunCli;
using testsupport::SimProcess;
using testsupport::TempDir;

namespace {

// Plain writes (Mw) and special writes (Xw) a unit received.
std::vector<std::string> WritesTo(const SimProcess& unit)
{
    std::vector<std::string> writes;
    for (const std::string& c : unit.commands())
        if (c.rfind("Mw", 0) == 0 || c.rfind("Xw", 0) == 0)
            writes.push_back(c);
    return writes;
}

class CommissionCli : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_dir.path().empty());
        std::ofstream(m_dir.path() / "office.csv", std::ios::binary)
            << "Orvelant 4000 Export\r\nAddr: 2009; Val: 3; Des: Language\r\nAddr: 2011; Val: 60; Des: x\r\n";
        std::ofstream(m_dir.path() / "plan.csv", std::ios::binary)
            << "room;device_type;template;set;note\n"
               "# the second floor\n"
               "2.11;2050;office.csv;2004=11;\n"
               "2.12;2050;office.csv;2004=12;\n"
               "2.13;2050;office.csv;2004=13 2012=40;\n"
               "2.14;;office.csv;;corner office\n"
               "2.15;2050;;2012=45;\n";
        m_out = m_dir.path() / "out";
    }
    CliRun commission(const std::vector<const SimProcess*>& units, std::vector<std::string> more = {})
    {
        // Options of tavemo-cli itself stand before the command.
        std::vector<std::string> global;
        for (std::size_t i = 0; i + 1 < more.size(); ++i)
            if (more[i] == "--pin") {
                global = {more[i], more[i + 1]};
                more.erase(more.begin() + static_cast<long>(i), more.begin() + static_cast<long>(i) + 2);
                break;
            }
        std::string ports;
        for (const SimProcess* u : units)
            ports += (ports.empty() ? "" : ",") + u->name();
        std::vector<std::string> args = global;
        for (const std::string& a : {std::string("commission"), std::string("--plan"),
                                     (m_dir.path() / "plan.csv").string(), std::string("--ports"), ports,
                                     std::string("--out"), m_out.string()})
            args.push_back(a);
        // The reports of the common settings alone keep the runs short.
        args.insert(args.end(), {"--categories", "common"});
        args.insert(args.end(), more.begin(), more.end());
        return RunCli(args);
    }
    std::string status() const { return ReadFile(m_out / "status.csv"); }

    TempDir m_dir;
    std::filesystem::path m_out;
};

TEST_F(CommissionCli, ThreePortsAtOnceThenTheRestOnFreshUnits)
{
    {
        SimProcess a, b, c;
        ASSERT_TRUE(a.ready() && b.ready() && c.ready());
        const auto r = commission({&a, &b, &c});
        EXPECT_EQ(r.status, 0) << r.err;
        // Only what differs, the bus address last with the special command,
        // then Save To NVRAM.
        EXPECT_EQ(WritesTo(a), (std::vector<std::string>{"Mw2009 3", "Mw2011 60", "Xw2004 11", "Mw2013 1"}));
        EXPECT_EQ(WritesTo(c),
                  (std::vector<std::string>{"Mw2009 3", "Mw2011 60", "Mw2012 40", "Xw2004 13", "Mw2013 1"}));
        EXPECT_NE(r.out.find("[" + b.name() + "] 2.12: ok"), std::string::npos) << r.out;
        EXPECT_NE(r.err.find("[" + a.name() + "] 2.11: "), std::string::npos) << "one line per event: " << r.err;
        EXPECT_NE(ReadFile(m_out / "2.12.before.csv").find("Addr: 2009;"), std::string::npos);
        // Each unit's report, with what the run wrote.
        const std::string json = ReadFile(m_out / "2.13.json");
        EXPECT_NE(json.find("\"format\": \"tavemo-report\""), std::string::npos) << json.substr(0, 300);
        EXPECT_NE(json.find("{\"time\""), std::string::npos) << "the changes are listed";
        EXPECT_NE(json.find("\"address\": 2012, \"name\""), std::string::npos);
        EXPECT_NE(ReadFile(m_out / "2.11.html").find("<html"), std::string::npos);
    }
    {
        SimProcess a, b, c;
        ASSERT_TRUE(a.ready() && b.ready() && c.ready());
        const auto r = commission({&a, &b, &c});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(WritesTo(a), (std::vector<std::string>{"Mw2009 3", "Mw2011 60", "Mw2013 1"}));
        EXPECT_EQ(WritesTo(b), (std::vector<std::string>{"Mw2012 45", "Mw2013 1"}));
        EXPECT_TRUE(c.commands().empty()) << "a port without a room is not touched";
    }
    const std::string text = status();
    for (const char* room : {"2.11", "2.12", "2.13", "2.14", "2.15"})
        EXPECT_NE(text.find(std::string("\n") + room + ","), std::string::npos) << room << "\n" << text;
    EXPECT_EQ(text.find("failed"), std::string::npos) << text;
}

TEST_F(CommissionCli, AWrongUnitWritesNothingAndAUnitThatGoesAwayEndsAsLinkLost)
{
    SimProcess wrongType({"--device-type", "1002"}), goes({"--delay", "40"}), stays;
    ASSERT_TRUE(wrongType.ready() && goes.ready() && stays.ready());
    CliProcess run({"commission", "--plan", (m_dir.path() / "plan.csv").string(), "--ports",
                    wrongType.name() + "," + goes.name() + "," + stays.name(), "--out", m_out.string(), "--categories",
                    "common"});
    // The adapter is pulled out once the unit is being asked what it is.
    for (int waited = 0; waited < 10000 && !goes.received("Mr2000"); waited += 20)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    goes.stop();
    EXPECT_EQ(run.finish(), 1) << run.err;
    EXPECT_TRUE(WritesTo(wrongType).empty());
    EXPECT_NE(run.out.find("2.11: failed: device type 1002, the plan wants 2050: nothing was written\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("2.12: failed: link lost"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("2.13: ok"), std::string::npos) << run.out;
    EXPECT_NE(status().find("2.12," + goes.name() + ","), std::string::npos) << status();
}

TEST_F(CommissionCli, APlanWithAFaultIsRefusedBeforeAnyUnitIsTouched)
{
    SimProcess a;
    ASSERT_TRUE(a.ready());
    std::ofstream(m_dir.path() / "plan.csv", std::ios::binary) << "room,set\n2.11,2045=1\n";
    const auto r = commission({&a});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("line 2: set: the protocol (2045) cannot be set from a plan"), std::string::npos) << r.err;
    EXPECT_TRUE(a.commands().empty());
}

// The PIN lockout is the tool's one lockout: wrong PINs on three ports at
// once all count, and a locked tool refuses every port without a PIN sent.
TEST_F(CommissionCli, WrongPinsOnEveryPortCountAndALockedToolRefusesThemAll)
{
    std::filesystem::remove(CPassword::DefaultDirectory() / CPassword::kFileName);
    SimProcess a({"--pin", "1234"}), b({"--pin", "1234"}), c({"--pin", "1234"});
    ASSERT_TRUE(a.ready() && b.ready() && c.ready());
    auto r = commission({&a, &b, &c}, {"--pin", "4321"});
    EXPECT_EQ(r.status, 1) << r.err;
    int count = 0;
    CPassword().isUnlocked(&count);
    EXPECT_EQ(count, 3);
    r = commission({&a, &b, &c}, {"--pin", "1234"});
    EXPECT_EQ(r.status, 1) << r.err;
    for (const SimProcess* unit : {&a, &b, &c}) {
        EXPECT_FALSE(unit->received("u 1234")) << unit->name();
        EXPECT_TRUE(WritesTo(*unit).empty()) << unit->name();
    }
    EXPECT_NE(r.out.find("failed: Too many wrong tries - locked!"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find(" 0 written"), std::string::npos) << "a failure says what it wrote only when it did: "
                                                          << r.out;
    std::filesystem::remove(CPassword::DefaultDirectory() / CPassword::kFileName);
}

// Ctrl-C stops each unit after its current register, records it as
// interrupted, and the command ends with 130.
TEST_F(CommissionCli, CtrlCEndsTheUnitsAsInterrupted)
{
    SimProcess a({"--delay", "60"}), b({"--delay", "60"});
    ASSERT_TRUE(a.ready() && b.ready());
    CliProcess run({"commission", "--plan", (m_dir.path() / "plan.csv").string(), "--ports",
                    a.name() + "," + b.name(), "--out", m_out.string(), "--categories", "common"});
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    run.signal(SIGINT);
    EXPECT_EQ(run.finish(), 130) << run.err;
    const std::string text = status();
    EXPECT_NE(text.find("2.11," + a.name() + ","), std::string::npos) << text;
    EXPECT_NE(text.find("failed: interrupted"), std::string::npos) << text;
    EXPECT_EQ(text.find(",ok,"), std::string::npos) << text;
}

// Two runs on one plan and output folder at the same time (two terminals,
// one port each) never take one room: each unit gets its own room, and each
// room has one "ok" line.
TEST_F(CommissionCli, TwoRunsOnOnePlanAtOnceTakeOneRoomEach)
{
    SimProcess a({"--delay", "20"}), b({"--delay", "20"});
    ASSERT_TRUE(a.ready() && b.ready());
    const auto start = [&](const SimProcess& unit) {
        return std::make_unique<CliProcess>(
            std::vector<std::string>{"commission", "--plan", (m_dir.path() / "plan.csv").string(), "--ports",
                                     unit.name(), "--out", m_out.string(), "--categories", "common"});
    };
    auto first = start(a);
    auto second = start(b);
    EXPECT_EQ(first->finish(), 0) << first->err;
    EXPECT_EQ(second->finish(), 0) << second->err;
    const bool aHas11 = first->out.find("2.11: ok") != std::string::npos;
    const SimProcess& with11 = aHas11 ? a : b;
    const SimProcess& with12 = aHas11 ? b : a;
    EXPECT_NE((aHas11 ? second : first)->out.find("2.12: ok"), std::string::npos)
        << first->out << second->out;
    EXPECT_TRUE(with11.received("Xw2004 11"));
    EXPECT_TRUE(with12.received("Xw2004 12"));
    EXPECT_FALSE(with12.received("Xw2004 11")) << "two units with one bus address";
    const std::string text = status();
    for (const char* room : {"2.11", "2.12"}) {
        std::size_t lines = 0;
        for (std::size_t at = text.find(std::string("\n") + room + ","); at != std::string::npos;
             at = text.find(std::string("\n") + room + ",", at + 1))
            ++lines;
        EXPECT_EQ(lines, 1u) << room << "\n" << text;
    }
    EXPECT_EQ(text.find("2.13"), std::string::npos) << text;
    EXPECT_FALSE(std::filesystem::exists(m_out / "2.11.claim")) << "a room's claim goes once it is recorded";
}

// Ctrl-C in the report step (most of a unit's time) stops after the current
// register: exit 130 within a few seconds, the room recorded as what was
// done, and the partial report with the changes written.
TEST_F(CommissionCli, CtrlCInTheReportStopsAtOnceAndKeepsWhatWasWritten)
{
    SimProcess a({"--delay", "10"});
    ASSERT_TRUE(a.ready());
    CliProcess run({"commission", "--plan", (m_dir.path() / "plan.csv").string(), "--ports", a.name(),
                    "--out", m_out.string()});
    ASSERT_TRUE(run.waitForError("2.11: report", 20000)) << run.err;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto pressed = std::chrono::steady_clock::now();
    run.signal(SIGINT);
    EXPECT_EQ(run.finish(), 130) << run.err;
    EXPECT_LT(std::chrono::steady_clock::now() - pressed, std::chrono::seconds(3));
    EXPECT_NE(status().find("failed: interrupted after 3 written, saved; report incomplete"),
              std::string::npos)
        << status();
    EXPECT_NE(run.out.find("2.11: failed: interrupted after 3 written, saved; report incomplete\n"),
              std::string::npos)
        << run.out;
    const std::string json = ReadFile(m_out / "2.11.json");
    EXPECT_NE(json.find("\"complete\": false"), std::string::npos) << json.substr(0, 600);
    EXPECT_NE(json.find("\"before_file\": \"2.11.before.csv\""), std::string::npos);
    EXPECT_NE(json.find("\"address\": 2004, \"name\""), std::string::npos) << "the changes are kept";
}

// The undo record puts the unit back as the README says: a plain import of
// it with --bus-settings restores the plain registers and, with the special
// write, the bus address, baud rate and parity.
TEST_F(CommissionCli, AnUndoRecordPutsTheUnitBackBusSettingsIncluded)
{
    std::ofstream(m_dir.path() / "plan.csv", std::ios::binary)
        << "room,template,set\n2.11,office.csv,2004=11 2005=2 2006=1 2012=40\n";
    SimProcess a({"--holding", "2004=7", "--holding", "2005=4", "--holding", "2006=0"});
    ASSERT_TRUE(a.ready());
    const std::vector<std::string> readAll = {"--port", a.name(), "read", "--special",
                                              "2004",   "2005",   "2006"};
    const std::vector<std::string> readPlain = {"--port", a.name(), "read", "2009", "2011", "2012"};
    const std::string busBefore = RunCli(readAll).out, plainBefore = RunCli(readPlain).out;
    ASSERT_EQ(busBefore, "2004=7\n2005=4\n2006=0\n");

    const auto r = commission({&a});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(RunCli(readAll).out, "2004=11\n2005=2\n2006=1\n");
    const std::string before = ReadFile(m_out / "2.11.before.csv");
    EXPECT_NE(before.find("Addr: 2004; Val: 7;"), std::string::npos) << before;

    const auto restored =
        RunCli({"--port", a.name(), "import", "--bus-settings", (m_out / "2.11.before.csv").string()});
    EXPECT_EQ(restored.status, 0) << restored.err;
    EXPECT_NE(restored.out.find("bus settings 2004=7 2005=4 2006=0 written, Save To NVRAM done"),
              std::string::npos)
        << restored.out;
    EXPECT_EQ(RunCli(readAll).out, busBefore);
    EXPECT_EQ(RunCli(readPlain).out, plainBefore);
    // A second attempt keeps the first record and writes its own.
    const auto again = commission({&a}, {"--redo", "2.11"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(ReadFile(m_out / "2.11.before.csv"), before);
    EXPECT_TRUE(std::filesystem::exists(m_out / "2.11.before.2.csv"));
}

// What can be known before a unit is touched is refused then, in words
// that fit: a misspelt port, an output folder that cannot be made.
TEST_F(CommissionCli, AMisspeltPortOrAFolderThatCannotBeMadeIsRefusedAtOnce)
{
    SimProcess a;
    ASSERT_TRUE(a.ready());
    auto r = RunCli({"commission", "--plan", (m_dir.path() / "plan.csv").string(), "--ports",
                     a.name() + ",ttyNOSUCH9", "--out", m_out.string()});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("no such port 'ttyNOSUCH9'"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("link lost"), std::string::npos) << r.err;
    std::ofstream(m_dir.path() / "file") << "x";
    r = RunCli({"commission", "--plan", (m_dir.path() / "plan.csv").string(), "--ports", a.name(), "--out",
                (m_dir.path() / "file" / "out").string()});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(
        r.err.find("the output folder '" + (m_dir.path() / "file" / "out").string() + "' cannot be created"),
        std::string::npos)
        << r.err;
    EXPECT_TRUE(a.commands().empty());
}

} // namespace
