// The one unit session: its steps against a scripted unit, and two
// connections driven at once from two threads against two simulators.
#include "diag/Result.h"
#include "link/CConnection.h"
#include "link/CModbus.h"
#include "link/UnitSession.h"
#include "model/RegisterCatalogue.h"
#include "tests/support/SimProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace {

using Outcome = UnitActionResult::Outcome;
using Step = UnitActionResult::Step;

// A unit that answers the steps from its fields and notes the calls.
struct ScriptedUnit : IUnitSessionSteps
{
    bool demo = false;
    int type = 2050;
    int identifyResult = 2050;
    int typeAfterIdentify = 2050;
    int connectResult = Result::Ok;
    bool same = true;
    std::string calls;

    bool demoMode() const override { return demo; }
    int deviceType() const override { return type; }
    int identifyDevice() override
    {
        calls += "i";
        type = typeAfterIdentify;
        return identifyResult;
    }
    int connectUnit(bool) override
    {
        calls += "c";
        return connectResult;
    }
    bool isSameDevice() override
    {
        calls += "s";
        return same;
    }
    void disconnect() override { calls += "d"; }
};

TEST(UnitSession, EachStepEndsTheActionWithItsOwnReason)
{
    const UnitAction checked{.identify = true, .sameDevice = true};
    const struct
    {
        const char* what;
        void (*set)(ScriptedUnit&);
        UnitAction how;
        Outcome outcome;
        int result;
        const char* calls; // i identify, c connect, s same-unit check, w work, d disconnect
        Step step;
    } cases[] = {
        {"all well", [](ScriptedUnit&) {}, checked, Outcome::Ran, 7, "icswd", Step::Work},
        {"demo, skipped", [](ScriptedUnit& u) { u.demo = true; }, checked, Outcome::SkippedInDemo, Result::Ok, "", Step::Demo},
        {"demo, refused", [](ScriptedUnit& u) { u.demo = true; },
         {.inDemo = UnitAction::InDemo::Refuse, .identify = true}, Outcome::Refused, Result::DemoMode, "", Step::Demo},
        {"demo, offline", [](ScriptedUnit& u) { u.demo = true; },
         {.inDemo = UnitAction::InDemo::Offline, .identify = true}, Outcome::Ran, 7, "w", Step::Work},
        {"another unit found by identifying", [](ScriptedUnit& u) { u.identifyResult = Result::AnotherUnit; },
         checked, Outcome::Refused, Result::AnotherUnit, "i", Step::Identify},
        {"PIN not accepted", [](ScriptedUnit& u) { u.connectResult = Result::PinNotAccepted; }, checked,
         Outcome::Refused, Result::PinNotAccepted, "ic", Step::Connect},
        {"no unit answers", [](ScriptedUnit& u) { u.identifyResult = u.typeAfterIdentify = -1; }, checked,
         Outcome::Refused, Result::NoLink, "i", Step::Identify},
        {"another unit behind the open link", [](ScriptedUnit& u) { u.same = false; }, checked, Outcome::Refused,
         Result::AnotherUnit, "icsd", Step::SameDevice},
        {"the port is busy", [](ScriptedUnit& u) { u.connectResult = Result::PortBusy; }, checked,
         Outcome::NotConnected, Result::PortBusy, "ic", Step::Connect},
        {"the port is busy, the work fails itself", [](ScriptedUnit& u) { u.connectResult = Result::PortBusy; },
         {.identify = true, .runWithoutLink = true}, Outcome::Ran, 7, "icw", Step::Work},
        {"no identifying, no same-unit check", [](ScriptedUnit&) {}, {}, Outcome::Ran, 7, "cwd", Step::Work},
    };
    for (const auto& c : cases) {
        ScriptedUnit unit;
        c.set(unit);
        int identified = 100;
        bool started = false;
        const UnitActionResult r = RunUnitAction(
            unit, c.how,
            [&unit] {
                unit.calls += "w";
                return 7;
            },
            {.identified = [&](int type) { identified = type; }, .started = [&] { started = true; }});
        EXPECT_EQ(r.outcome, c.outcome) << c.what;
        EXPECT_EQ(r.result, c.result) << c.what;
        EXPECT_EQ(r.step, c.step) << c.what;
        EXPECT_EQ(unit.calls, c.calls) << c.what;
        EXPECT_EQ(started, unit.calls.find('c') != std::string::npos) << c.what;
        if (unit.calls.find('i') != std::string::npos && c.result != Result::AnotherUnit) {
            EXPECT_EQ(identified, unit.type) << c.what;
        }
    }
}

// A connection's host without a window: the port and the PIN given.
class QuietHost : public IConnectionHost
{
public:
    explicit QuietHost(std::string port) : m_port(std::move(port)) {}
    int getPortSettings(PortSettings& settings) override
    {
        settings.portName = m_port;
        return Result::Ok;
    }
    bool askPin(std::string& text, bool&) override
    {
        text = "0";
        return true;
    }
    void setStatusText(const std::string& text) override { status = text; }
    void rebuildTabs(int) override {}
    void setOtherTabsEnabled(bool) override {}
    void showDevice(const std::string&) override {}
    void waitMs(int) override {}
    void returnToFirstTab() override {}
    std::string status;

private:
    std::string m_port;
};

TEST(UnitSession, TwoPortsRunAtOnceFromTwoThreads)
{
    testsupport::SimProcess a({"--device-type", "2050"});
    testsupport::SimProcess b({"--device-type", "1004"});
    ASSERT_TRUE(a.ready() && b.ready());
    constexpr int kWrites = 15;
    struct Run
    {
        std::string device;
        int deviceType = -1;
        int failures = 0;
        std::string status;
    } runs[2] = {{a.device()}, {b.device()}};
    const auto drive = [](Run& run, uint16_t base) {
        // Each thread its own protocol client, catalogue and connection.
        CModbus modbus;
        RegisterCatalogue catalogue;
        catalogue.Build();
        QuietHost host(run.device);
        CConnection connection(modbus, catalogue, host);
        connection.connectSequence();
        run.deviceType = connection.deviceType();
        run.status = host.status;
        for (int i = 0; i < kWrites; ++i) {
            const UnitActionResult r = connection.run(
                {.identify = i == 0, .sameDevice = true},
                [&] { return modbus.writeHolding(400, static_cast<uint16_t>(base + i)); });
            run.failures += r.ran() && r.result == Result::Ok ? 0 : 1;
        }
    };
    std::thread first(drive, std::ref(runs[0]), 200);
    std::thread second(drive, std::ref(runs[1]), 300);
    first.join();
    second.join();

    EXPECT_EQ(runs[0].deviceType, 2050) << runs[0].status;
    EXPECT_EQ(runs[1].deviceType, 1004) << runs[1].status;
    for (const Run& run : runs) {
        EXPECT_EQ(run.status, "Ready.");
        EXPECT_EQ(run.failures, 0);
    }
    const auto writesTo = [](const testsupport::SimProcess& sim) {
        std::vector<std::string> writes;
        for (const std::string& line : sim.transcriptLines())
            if (line.rfind("RX Mw400 ", 0) == 0)
                writes.push_back(line.substr(9));
        return writes;
    };
    std::vector<std::string> wantA, wantB;
    for (int i = 0; i < kWrites; ++i) {
        wantA.push_back(std::to_string(200 + i));
        wantB.push_back(std::to_string(300 + i));
    }
    EXPECT_EQ(writesTo(a), wantA);
    EXPECT_EQ(writesTo(b), wantB);
}

} // namespace
