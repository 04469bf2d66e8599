// What happens to one unit of a commissioning plan, against a fake unit:
// only what differs is written and verified, the bus settings last with the
// special commands, "Save To NVRAM" only after a write, and every failure
// ends the unit naming the register.
#include "diag/Result.h"
#include "model/RegisterCatalogue.h"
#include "tests/support/TempDir.h"
#include "tools/commission/CCommissionJob.h"
#include "tools/config/IConfigProgress.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <set>

using namespace Commission;
using testsupport::ReadFile;
using testsupport::TempDir;

namespace {

constexpr int kType = 1004;

struct FakeUnit : ICommissionUnit
{
    FakeUnit()
    {
        m_catalogue.Build();
        m_catalogue.ApplyDeviceProfile(kType, 0, 0);
    }
    int type = kType;
    int openResult = Result::Ok;
    std::map<uint16_t, uint16_t> store{{2009, 1}, {2011, 50}, {2004, 1}};
    std::map<uint16_t, uint16_t> readBackOffset; // a write the unit takes otherwise
    std::vector<std::string> writes;               // "2009=3", "special 2004=12"
    int reads = 0;
    // Called before each read with the reads so far; its result, when not
    // Ok, is the read's (a port that went away).
    std::function<int(int reads)> beforeRead;

    int open() override { return openResult; }
    void close() override {}
    int readHolding(uint16_t a, uint16_t* v) override
    {
        if (beforeRead)
            if (const int r = beforeRead(reads); r != Result::Ok)
                return r;
        ++reads;
        *v = store.count(a) ? store[a] : 0;
        return Result::Ok;
    }
    int writeHolding(uint16_t a, uint16_t v) override
    {
        writes.push_back(std::to_string(a) + "=" + std::to_string(v));
        store[a] = static_cast<uint16_t>(v + (readBackOffset.count(a) ? readBackOffset[a] : 0));
        return Result::Ok;
    }
    int deviceType() const override { return type; }
    bool demoMode() const override { return false; }
    int readIdentity(UnitIdentity& id) override
    {
        id = {type, 1011, 2412, 3};
        return Result::Ok;
    }
    int readSpecial(uint16_t a, uint16_t* v) override { return readHolding(a, v); }
    int writeSpecial(uint16_t a, uint16_t v) override
    {
        writes.push_back("special " + std::to_string(a) + "=" + std::to_string(v));
        store[a] = v;
        return Result::Ok;
    }
    RegisterCatalogue& catalogue() override { return m_catalogue; }
    std::string problem() const override { return "the unit has a PIN: give it with --pin N"; }

    RegisterCatalogue m_catalogue;
};

class CommissionJobTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_dir.path().empty());
        std::ofstream(m_dir.path() / "office.csv", std::ios::binary)
            << "Orvelant 4000 Export\r\nAddr: 2009; Val: 3; Des: Language\r\nAddr: 2011; Val: 50; Des: x\r\n";
        m_settings.outDir = m_dir.path();
        m_settings.pacing.attempts = 1;
    }
    PlanRow row(std::vector<Override> overrides = {}, int deviceType = kType)
    {
        return {.line = 2, .room = "2/14", .deviceType = deviceType, .templatePath = m_dir.path() / "office.csv",
                .overrides = std::move(overrides)};
    }
    UnitOutcome run(FakeUnit& unit, const PlanRow& r)
    {
        return CommissionUnit(
            unit, r, "A", m_settings,
            [this](const Progress& p) {
                steps.push_back(p.step);
                percents.push_back(p.percent);
            },
            m_stop);
    }

    TempDir m_dir;
    JobSettings m_settings;
    std::atomic<bool> m_stop{false};
    std::vector<std::string> steps;
    std::vector<int> percents;
};

TEST_F(CommissionJobTest, WritesOnlyWhatDiffersTheBusSettingsLastThenStores)
{
    FakeUnit unit;
    std::vector<JournalEntry> reported;
    m_settings.writeReport = [&](ICommissionUnit&, IConfigUnit&, IConfigProgress&, const UnitRecord& record) {
        reported = record.changes;
        return ReportOutcome{.written = true};
    };
    const UnitOutcome o = run(unit, row({{2004, 12, true}, {2011, 50, false}}));
    ASSERT_TRUE(o.ok) << o.reason;
    EXPECT_EQ(o.written, 2);
    EXPECT_EQ(unit.writes, (std::vector<std::string>{"2009=3", "special 2004=12", "2013=1"}));
    EXPECT_EQ(o.identity.firmware, 1011);
    ASSERT_EQ(reported.size(), 2u);
    EXPECT_EQ(reported[0].address, 2009);
    EXPECT_EQ(reported[0].before, 1);
    EXPECT_EQ(reported[0].after, 3);
    // What was overwritten, as a file that a plain import puts back, with
    // the old bus address (which the import skips); the room's '/' is no
    // folder.
    EXPECT_EQ(ReadFile(m_dir.path() / "2_14.before.csv"),
              "Orvelant 4000 Export\r\nAddr: 2009; Val: 1; Des: Language\r\nAddr: 2004; Val: 1; Des: " +
                  unit.m_catalogue.Holding(2004).name + "\r\n");
}

// Each attempt keeps its own undo record: a rerun (after Ctrl-C, --redo, on
// another unit) never overwrites what the first attempt saved, and the
// report names its attempt's record.
TEST_F(CommissionJobTest, EachAttemptKeepsItsOwnUndoRecordAndItsReportNamesIt)
{
    std::vector<std::string> named;
    m_settings.writeReport = [&](ICommissionUnit&, IConfigUnit&, IConfigProgress&, const UnitRecord& record) {
        named.push_back(record.beforeFile);
        return ReportOutcome{.written = true};
    };
    for (const uint16_t was : {1, 2, 0}) {
        FakeUnit unit;
        unit.store[2009] = was;
        ASSERT_TRUE(run(unit, row()).ok);
    }
    EXPECT_EQ(named, (std::vector<std::string>{"2_14.before.csv", "2_14.before.2.csv", "2_14.before.3.csv"}));
    EXPECT_NE(ReadFile(m_dir.path() / "2_14.before.csv").find("Addr: 2009; Val: 1;"), std::string::npos);
    EXPECT_NE(ReadFile(m_dir.path() / "2_14.before.2.csv").find("Addr: 2009; Val: 2;"), std::string::npos);
}

// Whatever ends an attempt that wrote something, its report is written with
// the changes and what was read so far, and the reason says what was done:
// a stop or a port lost in the report step, and a write that failed.
TEST_F(CommissionJobTest, AnAttemptThatWroteKeepsItsReportWhateverEndsIt)
{
    const struct
    {
        const char* what;
        int stopAt;     // report reads after which Ctrl-C comes (-1 none)
        int goneAt;     // report reads after which the port is gone (-1 none)
        int offset2009; // the unit takes 2009 otherwise
        const char* reason;
    } cases[] = {
        {"Ctrl-C in the report", 5, -1, 0, "interrupted after 2 written, saved; report incomplete"},
        {"the port gone in the report", -1, 5, 0,
         "link lost: the port is gone; 2 written, saved; report incomplete"},
        {"a write that fails", -1, -1, 1, "register 2009: the value read back differs; report incomplete"},
    };
    m_settings.writeReport = UnitReportWriter(m_settings, {{2000, 2099}});
    for (const auto& c : cases) {
        FakeUnit unit;
        m_stop = false;
        unit.readBackOffset[2009] = static_cast<uint16_t>(c.offset2009);
        int readsBeforeReport = -1;
        int readsAfterStop = 0;
        unit.beforeRead = [&](int reads) {
            if (steps.empty() || steps.back() != "report")
                return static_cast<int>(Result::Ok);
            if (readsBeforeReport < 0)
                readsBeforeReport = reads;
            const int inReport = reads - readsBeforeReport;
            readsAfterStop += m_stop ? 1 : 0;
            if (c.stopAt >= 0 && inReport >= c.stopAt)
                m_stop = true; // the register being read is the last

            return c.goneAt >= 0 && inReport >= c.goneAt ? static_cast<int>(Result::PortGone)
                                                         : static_cast<int>(Result::Ok);
        };
        steps.clear();
        percents.clear();
        const UnitOutcome o = run(unit, row({{2004, 12, true}}));
        EXPECT_FALSE(o.ok) << c.what;
        EXPECT_EQ(o.reason, c.reason) << c.what;
        EXPECT_EQ(readsAfterStop, 0) << c.what << ": nothing is read after the stop";
        const std::string json = ReadFile(m_dir.path() / "2_14.json");
        EXPECT_NE(json.find("\"complete\": false"), std::string::npos) << c.what;
        EXPECT_NE(json.find("\"changes\": [\n    {\"time\""), std::string::npos)
            << c.what << json.substr(0, 400);
        EXPECT_NE(json.find("\"address\": 2009, \"name\": \"Language\", \"before\": 1, \"after\": 3"),
                  std::string::npos)
            << c.what;
        EXPECT_NE(json.find("\"read\": false"), std::string::npos) << c.what << ": the rest marked unread";
        if (c.stopAt >= 0) {
            EXPECT_NE(json.find("\"read\": true"), std::string::npos) << c.what << ": what was read is kept";
        }
        std::filesystem::remove(m_dir.path() / "2_14.json");
    }
}

// The report reads most of a unit's registers: the live line moves through
// it rather than sitting at one figure.
TEST_F(CommissionJobTest, TheReportStepMovesTheBarToItsEnd)
{
    FakeUnit unit;
    m_settings.writeReport = UnitReportWriter(m_settings, {{2000, 2099}});
    ASSERT_TRUE(run(unit, row()).ok);
    std::vector<int> report;
    for (std::size_t i = 0; i < steps.size(); ++i)
        if (steps[i] == "report")
            report.push_back(percents[i]);
    ASSERT_FALSE(report.empty());
    EXPECT_LE(report.front(), 50);
    EXPECT_EQ(report.back(), 100);
    EXPECT_GT(std::set<int>(report.begin(), report.end()).size(), 5u);
}

TEST_F(CommissionJobTest, EachFailureEndsTheUnitNamingWhy)
{
    const struct
    {
        const char* what;
        void (*set)(FakeUnit&, PlanRow&);
        const char* reason;
        std::vector<std::string> writes;
    } cases[] = {
        {"nothing differs: nothing is written, not even Save To NVRAM",
         [](FakeUnit& u, PlanRow&) { u.store[2009] = 3; }, "", {}},
        {"another device type", [](FakeUnit& u, PlanRow&) { u.type = 1002; },
         "device type 1002, the plan wants 1004: nothing was written", {}},
        {"the unit refuses its PIN", [](FakeUnit& u, PlanRow&) { u.openResult = Result::PinNotAccepted; },
         "the unit has a PIN: give it with --pin N", {}},
        {"a write read back otherwise", [](FakeUnit& u, PlanRow&) { u.readBackOffset[2009] = 1; },
         "register 2009: the value read back differs", {"2009=3"}},
        {"a template record outside the unit's limits",
         [](FakeUnit&, PlanRow& r) { r.overrides.push_back({2009, 9, false}); },
         "the unit cannot take 1 registers of the plan (unknown, read-only or outside its limits): 2009; nothing "
         "was written",
         {}},
    };
    for (const auto& c : cases) {
        FakeUnit unit;
        PlanRow r = row();
        c.set(unit, r);
        const UnitOutcome o = run(unit, r);
        EXPECT_EQ(o.ok, std::string(c.reason).empty()) << c.what;
        EXPECT_EQ(o.reason, c.reason) << c.what;
        EXPECT_EQ(unit.writes, c.writes) << c.what;
    }
}

TEST_F(CommissionJobTest, AStoppedRunEndsTheUnitBeforeItsNextRegister)
{
    FakeUnit unit;
    m_stop = true;
    const UnitOutcome o = run(unit, row());
    EXPECT_FALSE(o.ok);
    EXPECT_TRUE(unit.writes.empty());
    EXPECT_LE(unit.reads, 0) << "nothing is asked once the run is stopped";
}

} // namespace
