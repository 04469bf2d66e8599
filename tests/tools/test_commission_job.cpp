// What happens to one unit of a commissioning plan, against a fake unit:
// only what differs is written and verified, the bus settings last with the
// special commands, "Save To NVRAM" only after a write, and every failure
// ends the unit naming the register.
#include "diag/Result.h"
#include "model/RegisterCatalogue.h"
#include "tests/support/TempDir.h"
#include "tools/commission/CCommissionJob.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

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

    int open() override { return openResult; }
    void close() override {}
    int readHolding(uint16_t a, uint16_t* v) override
    {
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
        return CommissionUnit(unit, r, "A", m_settings, [this](const Progress& p) { steps.push_back(p.step); },
                              m_stop);
    }

    TempDir m_dir;
    JobSettings m_settings;
    std::atomic<bool> m_stop{false};
    std::vector<std::string> steps;
};

TEST_F(CommissionJobTest, WritesOnlyWhatDiffersTheBusSettingsLastThenStores)
{
    FakeUnit unit;
    std::vector<JournalEntry> reported;
    m_settings.writeReport = [&](ICommissionUnit&, const UnitRecord& record, std::string*) {
        reported = record.changes;
        return Result::Ok;
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
    // What was overwritten, as a file that a plain import puts back; the
    // room's '/' is no folder.
    EXPECT_EQ(ReadFile(m_dir.path() / "2_14.before.csv"),
              "Orvelant 4000 Export\r\nAddr: 2009; Val: 1; Des: Language\r\n");
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
