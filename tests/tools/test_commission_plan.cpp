// The commissioning plan as an installer's spreadsheet writes it, and the
// status file that several ports (threads) and runs append to.
#include "diag/LocalSystem.h"
#include "diag/Result.h"
#include "model/RegisterCatalogue.h"
#include "tests/support/TempDir.h"
#include "tools/commission/CCommissionRun.h"
#include "tools/commission/CommissionClaims.h"
#include "tools/commission/CommissionPlan.h"
#include "tools/commission/CommissionStatus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <map>
#include <thread>

using namespace Commission;
using testsupport::ReadFile;
using testsupport::TempDir;

namespace {

RegisterCatalogue Catalogue()
{
    RegisterCatalogue catalogue;
    catalogue.Build();
    return catalogue;
}

void WriteText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

class PlanTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_dir.path().empty());
        WriteText(m_dir.path() / "office.csv", "Orvelant 4000 Export\r\nAddr: 2009; Val: 2; Des: Language\r\n");
        WriteText(m_dir.path() / "notes.txt", "not an export\r\n");
        WriteText(m_dir.path() / "damaged.csv",
                  "Orvelant 4000 Export\r\nAddr: 2009; Val: 2; Des: Language\r\n"
                  "Addr: 2011; Val: abc\r\nAddr: 2012; Val: 20; Des: x\r\n");
    }
    Plan parse(const std::string& text) { return ParsePlan(text, m_dir.path(), m_catalogue); }

    TempDir m_dir;
    RegisterCatalogue m_catalogue = Catalogue();
};

TEST_F(PlanTest, ReadsColumnsByNameWithEitherSeparatorAndQuotes)
{
    const Plan plan = parse("# building A, floor 2\n"
                            "Template;room;floor;set;device_type\r\n"
                            "office.csv;2.14;2;\"2004=12  2009=3\";1004\r\n"
                            "\n"
                            "# the hall has no template\n"
                            ";\"Hall; east\";2;;\r\n");
    ASSERT_FALSE(plan.problem) << ProblemText(*plan.problem);
    ASSERT_EQ(plan.rows.size(), 2u);
    const PlanRow& office = plan.rows[0];
    EXPECT_EQ(office.line, 3);
    EXPECT_EQ(office.room, "2.14");
    EXPECT_EQ(office.deviceType, 1004);
    EXPECT_EQ(office.templatePath, m_dir.path() / "office.csv");
    ASSERT_EQ(office.overrides.size(), 2u);
    EXPECT_EQ(office.overrides[0].address, 2004);
    EXPECT_EQ(office.overrides[0].value, 12);
    EXPECT_TRUE(office.overrides[0].special) << "the bus address is written with the special command";
    EXPECT_FALSE(office.overrides[1].special);
    const PlanRow& hall = plan.rows[1];
    EXPECT_EQ(hall.line, 6);
    EXPECT_EQ(hall.room, "Hall; east");
    EXPECT_EQ(hall.deviceType, -1);
    EXPECT_TRUE(hall.templatePath.empty());
    EXPECT_TRUE(hall.overrides.empty());
}

TEST_F(PlanTest, RefusesAFaultyPlanNamingTheLineAndTheReason)
{
    const struct
    {
        const char* plan;
        int line;
        const char* reason;
    } cases[] = {
        {"device_type,template\n1004,office.csv\n", 1, "the header line has no \"room\" column"},
        {"room,room\na,b\n", 1, "the column \"room\" is there twice"},
        {"room,set\n2.14,\n2.15,\n2.14,\n", 4, "room \"2.14\" is already on line 2"},
        {"room,device_type\n,1004\n", 2, "no room"},
        {"room,device_type\n2.14,RC\n", 2, "device_type \"RC\" is not a number from 0 to 65535"},
        {"room,template\n2.14,missing.csv\n", 2, "template file \"missing.csv\" is missing"},
        {"room,template\n2.14,notes.txt\n", 2, "template file \"notes.txt\" is not an export file"},
        {"room,template\n2.14,damaged.csv\n", 2,
         "template file \"damaged.csv\" is damaged: line 3 has no value: \"Addr: 2011; Val: abc\"; the rest "
         "of the "
         "file was not read"},
        {"room,set\n2.14,2004\n", 2, "set: \"2004\" is not ADDR=VALUE"},
        {"room,set\n2.14,2009=x\n", 2, "set: \"2009=x\" is not ADDR=VALUE"},
        {"room,set\n2.14,2009=9\n", 2, "set: value 9 out of range [0;5] of register 2009 (Language)"},
        {"room,set\n2.14,2009=70000\n", 2, "set: the value of \"2009=70000\" is not a 16-bit number"},
        {"room,set\n2.14,2001=1100\n", 2, "set: register 2001 (Firmware) is read-only"},
        {"room,set\n2.14,2013=1\n", 2,
         "set: register 2013 (Save To NVRAM) acts on the unit; it is not a setting"},
        {"room,set\n2.14,2045=1\n", 2,
         "set: the protocol (2045) cannot be set from a plan: switching it reboots the unit"},
        {"room,set\n2.14,2009=1 2009=2\n", 2, "set: register 2009 is given twice"},
        {"room,set\n2.14,\"2009=1\n", 2, "a quote is left open"},
        {"# nothing but a comment\n", 0, "the plan has no header line"},
        // Rooms whose files would overwrite each other.
        {"room\na/b\na_b\n", 3,
         "room \"a_b\" would be written to the same files as room \"a/b\" on line 2 (a_b.json): rename one "
         "of them"},
        {"room\n.\n_\n", 3,
         "room \"_\" would be written to the same files as room \".\" on line 2 (_.json): rename one of "
         "them"},
        {"room\nB1\nb1\n", 3,
         "room \"b1\" would be written to the same files as room \"B1\" on line 2 (b1.json): rename one of "
         "them"},
    };
    for (const auto& c : cases) {
        const Plan plan = parse(c.plan);
        ASSERT_TRUE(plan.problem) << c.plan;
        EXPECT_EQ(plan.problem->line, c.line) << c.plan;
        EXPECT_EQ(plan.problem->reason, c.reason) << c.plan;
        EXPECT_TRUE(plan.rows.empty()) << "a refused plan runs no row";
    }
    EXPECT_EQ(ProblemText({4, "room \"2.14\" is already on line 2"}), "line 4: room \"2.14\" is already on line 2");
}

TEST(RoomFileName, IsNeverHiddenNorAWindowsDeviceNorShortenedByWindows)
{
    const std::pair<const char*, const char*> cases[] = {
        {"2.14", "2.14"},    {"a/b", "a_b"},     {"../x", "___x"},   {".", "_"},
        {"..", "__"},        {"room.", "room_"}, {"hall ", "hall_"}, {"CON", "_CON"},
        {"nul.1", "_nul.1"}, {"COM3", "_COM3"},  {"COM10", "COM10"}, {"Büro 2", "Büro 2"},
    };
    for (const auto& [room, name] : cases)
        EXPECT_EQ(RoomFileName(room), name) << room;
}

TEST_F(PlanTest, FindsTemplatesBesideThePlanFile)
{
    const std::filesystem::path sub = m_dir.path() / "plans";
    std::filesystem::create_directory(sub);
    WriteText(sub / "b.csv", "room,template\n2.14,../office.csv\n");
    const Plan plan = ReadPlan((sub / "b.csv").string(), m_catalogue);
    ASSERT_FALSE(plan.problem) << ProblemText(*plan.problem);
    EXPECT_EQ(plan.rows.at(0).templatePath, sub / "../office.csv");

    const Plan missing = ReadPlan((sub / "none.csv").string(), m_catalogue);
    ASSERT_TRUE(missing.problem);
    EXPECT_EQ(missing.problem->line, 0);
}

TEST(CommissionStatus, LinesFromManyThreadsStayWholeAndTheLastResultCounts)
{
    TempDir dir;
    const std::filesystem::path path = dir.path() / "status.csv";
    CStatusFile status(path);
    CStatusFile otherRun(path); // a second run on the same plan: its own object, its own lock
    constexpr int kThreads = 4, kRecords = 50;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kRecords; ++i) {
                StatusRecord r{.room = "room " + std::to_string(t) + "." + std::to_string(i),
                               .port = "/dev/ttyUSB" + std::to_string(t),
                               .deviceType = 1004,
                               .firmware = 1011,
                               .productionDate = 2412,
                               .operationDays = 3,
                               .result = i % 2 ? "ok" : "failed: link lost, register 2009",
                               .written = i,
                               .started = "2026-12-11T09:30:05+01:00",
                               .finished = "2026-12-11T09:30:09+01:00"};
                EXPECT_EQ((t % 2 ? otherRun : status).Append(r), Result::Ok);
            }
        });
    for (std::thread& t : threads)
        t.join();

    const std::string text = ReadFile(path);
    std::size_t lines = 0, at = 0;
    for (std::size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1, ++lines)
        if (lines == 0)
            EXPECT_EQ(text.substr(at, end - at), kStatusHeader);
        else
            EXPECT_TRUE(text.compare(at, 5, "room ") == 0) << "a line was torn: " << text.substr(at, end - at);
    EXPECT_EQ(lines, 1u + kThreads * kRecords);

    // A reason with a comma stays one field; the room's last line decides.
    EXPECT_EQ(status.Append({.room = "room 0.0", .port = "p", .result = "ok"}), Result::Ok);
    // A run killed in the middle of its line leaves it without a line feed.
    std::ofstream(path, std::ios::app | std::ios::binary) << "room 0.2,p,,,,,o";
    const auto last = CStatusFile::ReadRooms(path);
    EXPECT_EQ(last.size(), std::size_t(kThreads * kRecords));
    EXPECT_EQ(last.at("room 0.0").last, "ok");
    EXPECT_EQ(last.at("room 1.2").last, "failed: link lost, register 2009");
    EXPECT_EQ(last.at("room 0.2").last, "failed: link lost, register 2009");
    EXPECT_TRUE(CStatusFile::ReadRooms(dir.path() / "none.csv").empty());
}

// A done room stays done when a later attempt at it fails: the next unit on
// the bench must not get its bus address too.
TEST(CommissionStatus, ADoneRoomStaysDoneAfterAFailedRedo)
{
    TempDir dir;
    CStatusFile status(dir.path() / "status.csv");
    for (const char* result : {"failed: link lost", "ok", "failed: another unit is attached: connect again"})
        ASSERT_EQ(status.Append({.room = "2.11", .port = "p", .result = result}), Result::Ok);
    ASSERT_EQ(status.Append({.room = "2.12", .port = "p", .result = "failed: link lost"}), Result::Ok);
    const auto rooms = CStatusFile::ReadRooms(status.path());
    EXPECT_TRUE(rooms.at("2.11").done);
    EXPECT_EQ(rooms.at("2.11").last, "failed: another unit is attached: connect again");
    EXPECT_FALSE(rooms.at("2.12").done);
}

TEST(CommissionStatus, TimesCarryTheirOffset)
{
    const std::string now = IsoTimeNow();
    ASSERT_EQ(now.size(), 25u) << now;
    EXPECT_EQ(now[10], 'T');
    EXPECT_TRUE(now[19] == '+' || now[19] == '-') << now;
    EXPECT_EQ(now[22], ':');
}

} // namespace

namespace {

struct RecordingOutput : ICommissionOutput
{
    std::vector<std::string> lines;
    void progress(const std::string& port, const std::string& room, const Progress& p) override
    {
        lines.push_back("[" + port + "] " + room + ": " + p.step);
    }
    void finished(const std::string& port, const std::string& room, const UnitOutcome& o) override
    {
        lines.push_back("[" + port + "] " + room + ": " + (o.ok ? "ok" : "failed: " + o.reason));
    }
};

Plan FiveRooms()
{
    Plan plan;
    for (int i = 1; i <= 5; ++i)
        plan.rows.push_back({.line = i + 1, .room = "2.1" + std::to_string(i)});
    return plan;
}

TEST(CommissionRun, PortsTakeThePendingRoomsInParallelAndALaterRunCarriesOn)
{
    TempDir dir;
    CStatusFile status(dir.path() / "status.csv");
    const Plan plan = FiveRooms();
    std::mutex mutex;
    std::condition_variable allThere;
    int running = 0;
    std::map<std::string, std::string> roomOfPort;
    // Each unit waits until all three are under way: a run that took the
    // ports one after the other would time out here.
    const UnitJob parallel = [&](const PlanRow& row, const std::string& port, const auto& progress,
                                 const std::atomic<bool>&) {
        progress({"comparing", 10});
        std::unique_lock lock(mutex);
        roomOfPort[port] = row.room;
        ++running;
        allThere.notify_all();
        const bool together = allThere.wait_for(lock, std::chrono::seconds(10), [&] { return running == 3; });
        return UnitOutcome{.ok = together && row.room != "2.12", .reason = "verify failed: 2009",
                           .identity = {1004, 1011, 2412, 3}, .written = 2};
    };
    RecordingOutput output;
    CCommissionRun first(plan, {"A", "B", "C"}, status);
    const auto results = first.run(parallel, output);
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(roomOfPort, (std::map<std::string, std::string>{{"A", "2.11"}, {"B", "2.12"}, {"C", "2.13"}}));
    EXPECT_TRUE(results[0].outcome.ok);
    EXPECT_FALSE(results[1].outcome.ok);
    EXPECT_EQ(output.lines.size(), 6u);

    // The second run gets the failed room and the two not yet run; the
    // fourth port has no room left and is not touched.
    roomOfPort.clear();
    std::vector<std::string> ran;
    const UnitJob record = [&](const PlanRow& row, const std::string& port, const auto&, const std::atomic<bool>&) {
        const std::lock_guard lock(mutex);
        ran.push_back(port + "=" + row.room);
        return UnitOutcome{.ok = true};
    };
    CCommissionRun second(plan, {"A", "B", "C", "D"}, status);
    second.run(record, output);
    std::sort(ran.begin(), ran.end());
    EXPECT_EQ(ran, (std::vector<std::string>{"A=2.12", "B=2.14", "C=2.15"}));

    // Everything is done; --redo runs a done room again.
    ran.clear();
    CCommissionRun third(plan, {"A"}, status);
    EXPECT_TRUE(third.pendingRows().empty());
    third.redo({"2.13"});
    third.run(record, output);
    EXPECT_EQ(ran, (std::vector<std::string>{"A=2.13"}));

    const std::string text = ReadFile(dir.path() / "status.csv");
    EXPECT_NE(text.find("2.11,A,1004,1011,2412,3,ok,2,"), std::string::npos) << text;
    EXPECT_NE(text.find("2.12,B,1004,1011,2412,3,failed: verify failed: 2009,2,"), std::string::npos) << text;
}

TEST(CommissionRun, AStoppedUnitEndsFailedAsInterrupted)
{
    TempDir dir;
    CStatusFile status(dir.path() / "status.csv");
    const Plan plan = FiveRooms();
    CCommissionRun run(plan, {"A", "B"}, status);
    const UnitJob job = [&](const PlanRow& row, const std::string&, const auto&, const std::atomic<bool>& stop) {
        if (row.room == "2.11")
            return UnitOutcome{.ok = true}; // it ended before the stop
        run.stop();
        return UnitOutcome{.ok = !stop, .reason = "write 2009: no answer"};
    };
    RecordingOutput output;
    const auto results = run.run(job, output);
    EXPECT_TRUE(results[0].outcome.ok);
    EXPECT_EQ(results[1].outcome.reason, kInterrupted);
    EXPECT_EQ(CStatusFile::ReadRooms(dir.path() / "status.csv").at("2.12").last, "failed: interrupted");
}

} // namespace

namespace {

void Claimed(const std::filesystem::path& folder, const std::string& room, const std::string& host, int pid)
{
    WriteText(CClaims(folder).path(room), "host: " + host + "\npid: " + std::to_string(pid) +
                                              "\nport: P\nsince: 2026-12-11T09:30:05+01:00\n");
}

// Two runs on one plan never take one room: a room another live run has
// claimed is skipped, a dead run's claim (same computer, no such process)
// is free again, another computer's holds until --redo names the room.
TEST(CommissionRun, AClaimedRoomIsSkippedUnlessItsRunIsGone)
{
    TempDir dir;
    CStatusFile status(dir.path() / "status.csv");
    const Plan plan = FiveRooms();
    const std::string here = LocalSystem::HostName();
    ASSERT_FALSE(here.empty());
    constexpr int kNoSuchProcess = 0x7ffffff0;
    Claimed(dir.path(), "2.11", here, LocalSystem::ProcessId()); // a run still at work (this one)
    Claimed(dir.path(), "2.12", here, kNoSuchProcess);           // a run that died
    Claimed(dir.path(), "2.13", "another-computer", 4711);
    std::mutex mutex;
    std::vector<std::string> ran;
    const UnitJob record = [&](const PlanRow& row, const std::string& port, const auto&,
                               const std::atomic<bool>&) {
        const std::lock_guard lock(mutex);
        ran.push_back(port + "=" + row.room);
        // The room is claimed while its unit is at work.
        EXPECT_TRUE(std::filesystem::exists(CClaims(dir.path()).path(row.room))) << row.room;
        return UnitOutcome{.ok = true};
    };
    RecordingOutput output;
    CCommissionRun first(plan, {"A", "B", "C"}, status);
    first.run(record, output);
    std::sort(ran.begin(), ran.end());
    EXPECT_EQ(ran, (std::vector<std::string>{"A=2.12", "B=2.14", "C=2.15"}));
    ASSERT_EQ(first.heldElsewhere().size(), 2u);
    EXPECT_EQ(first.heldElsewhere()[0].first, "2.11");
    EXPECT_EQ(first.heldElsewhere()[1].first, "2.13");
    EXPECT_EQ(CClaims::Describe(first.heldElsewhere()[1].second),
              "run 4711 on another-computer, port P, since 2026-12-11T09:30:05+01:00");
    for (const char* room : {"2.12", "2.14", "2.15"})
        EXPECT_FALSE(std::filesystem::exists(CClaims(dir.path()).path(room)))
            << room << ": freed once recorded";

    ran.clear();
    CCommissionRun second(plan, {"A", "B"}, status);
    second.redo({"2.11", "2.13"});
    second.run(record, output);
    EXPECT_EQ(ran, (std::vector<std::string>{"A=2.13"}))
        << "--redo frees another computer's claim, never a live run's";
#ifndef _WIN32
    Claimed(dir.path(), "2.11", here, 1); // init: another process that runs
    EXPECT_EQ(CClaims::StateOf(*CClaims(dir.path()).read("2.11")), ClaimState::Live);
#endif
}

// A status line that cannot be written stops the run: nothing more is done
// that could not be recorded.
TEST(CommissionRun, AStatusLineThatCannotBeWrittenStopsTheRun)
{
    TempDir dir;
    CStatusFile status(dir.path() / "status.csv");
    EXPECT_EQ(CheckOutputFolder(dir.path()), "");
    EXPECT_EQ(CheckOutputFolder(dir.path() / "status.csv" / "sub"), "cannot be created");
    const Plan plan = FiveRooms();
    CCommissionRun run(plan, {"A", "B"}, status);
    const UnitJob job = [&](const PlanRow& row, const std::string&, const auto&,
                            const std::atomic<bool>& stop) {
        if (row.room == "2.11") { // the file is taken away under the run
            std::filesystem::remove(dir.path() / "status.csv");
            std::filesystem::create_directory(dir.path() / "status.csv");
            return UnitOutcome{.ok = true};
        }
        for (int waited = 0; !stop && waited < 5000; waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return UnitOutcome{.ok = !stop, .reason = "write 2009: no answer"};
    };
    RecordingOutput output;
    const auto results = run.run(job, output);
    EXPECT_NE(run.recordProblem().find("status.csv cannot be written"), std::string::npos)
        << run.recordProblem();
    EXPECT_FALSE(run.stopped()) << "no Ctrl-C";
    EXPECT_EQ(results[1].outcome.reason.rfind(kInterrupted, 0), 0u) << "the other unit stops";
    EXPECT_NE(results[1].outcome.reason.find("status.csv cannot be written"), std::string::npos)
        << "and says that its line is lost too: " << results[1].outcome.reason;
}

} // namespace
