// tavemo-cli's link commands against the simulator: what the user sees,
// and what the unit received.
#include "tests/support/CliProcess.h"
#include "tests/support/SimProcess.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testsupport;

namespace {

// The simulator publishes where the command-line tool looks by default (the
// test process's own $XDG_RUNTIME_DIR/tavemo/ports), and the tool inherits
// that environment.
class CliLinkTest : public ::testing::Test
{
protected:
    std::unique_ptr<SimProcess> start(const std::vector<std::string>& options = {})
    {
        auto sim = std::make_unique<SimProcess>(options);
        EXPECT_TRUE(sim->ready());
        return sim;
    }
    CliRun cli(const std::vector<std::string>& args) { return RunCli(args); }
    std::vector<std::string> writes(const SimProcess& sim)
    {
        std::vector<std::string> out;
        for (const std::string& c : sim.commands())
            if (c.rfind("Mw", 0) == 0 || c.rfind("Xw", 0) == 0 || c.rfind("Mx", 0) == 0)
                out.push_back(c);
        return out;
    }
};

} // namespace

TEST_F(CliLinkTest, PortsListsThePublishedSimulator)
{
    const auto sim = start();
    const CliRun r = cli({"ports"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("ttySIM0 - Tavemo unit simulator\n"), std::string::npos) << r.out;
}

TEST_F(CliLinkTest, IdentifyShowsTheUnit)
{
    const auto sim = start({"--firmware", "1042"});
    const CliRun r = cli({"--port", "ttySIM0", "identify"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "device-type=2050 ORVELANT E2, 24V Regler, 3AO, Temp- und Lüfter-Regler\n"
                     "firmware=1042\n"
                     "production-date=0\n"
                     "operation-days=0\n"
                     "bus-address=1\n"
                     "protocol=0 Modbus\n");
    EXPECT_EQ(sim->commands().front(), "u 0") << "the unlock comes first";
}

TEST_F(CliLinkTest, ReadPrintsOneLinePerRegister)
{
    const auto sim = start();
    struct Case
    {
        std::vector<std::string> args;
        const char* out;
    } cases[] = {
        {{"read", "2000", "2001"}, "2000=2050\n2001=1011\n"},
        {{"read", "--special", "2045"}, "2045=0\n"},
        {{"read", "--input", "15", "1"}, "15=-45\n1=215\n"},
        {{"read", "--coil", "12", "196"}, "12=0\n196=1\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--port", sim->device()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun r = cli(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.out);
    }
}

TEST_F(CliLinkTest, WriteChecksEveryValueBeforeSendingAny)
{
    const auto sim = start();
    CliRun r = cli({"--port", "ttySIM0", "write", "400=215", "2010=5"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("value 5 out of range [0;1] of register 2010"), std::string::npos) << r.err;
    r = cli({"--port", "ttySIM0", "write", "2001=1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("read-only"), std::string::npos) << r.err;
    EXPECT_TRUE(writes(*sim).empty());

    r = cli({"--port", "ttySIM0", "write", "400=215", "2010=0"});
    EXPECT_EQ(r.status, 0) << r.err;
    r = cli({"--port", "ttySIM0", "write", "--coil", "12=1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(writes(*sim), (std::vector<std::string>{"Mw400 215", "Mw2010 0", "Mx12 1"}));
    EXPECT_EQ(cli({"--port", "ttySIM0", "read", "400"}).out, "400=215\n");
}

TEST_F(CliLinkTest, UnitWithPinNeedsTheRightPin)
{
    const auto sim = start({"--pin", "1234"});
    for (const std::vector<std::string>& pin : {std::vector<std::string>{}, std::vector<std::string>{"--pin", "1111"}}) {
        std::vector<std::string> args = {"--port", "ttySIM0"};
        args.insert(args.end(), pin.begin(), pin.end());
        args.insert(args.end(), {"read", "2000"});
        const CliRun r = cli(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "") << "nothing read without the PIN";
        EXPECT_NE(r.err.find("PIN"), std::string::npos) << r.err;
    }
    for (const std::string& c : sim->commands())
        EXPECT_TRUE(c.rfind("u ", 0) == 0 || c == "Mr2008") << "only the unlock and the PIN register: " << c;
    const CliRun r = cli({"--port", "ttySIM0", "--pin", "1234", "read", "2000"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "2000=2050\n");
}

TEST_F(CliLinkTest, FailuresNameTheCodeAndItsMeaning)
{
    CliRun r = cli({"--port", "ttyNOPE", "read", "2000"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("error -30: the port is gone: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("/dev/ttyNOPE no longer exists"), std::string::npos) << r.err;
    r = cli({"read", "2000"});
    EXPECT_EQ(r.status, 2) << "no port is a usage error";
    r = cli({"--port", "ttyNOPE", "read", "abc"});
    EXPECT_EQ(r.status, 2);

    const auto sim = start({"--wrong-echo", "1"});
    r = cli({"--port", "ttySIM0", "read", "2000"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("error -10: the read failed in both attempts"), std::string::npos) << r.err;
}

// What a script relies on: signed registers read back as written, a
// register the unit does not have named as such, a write that fails part-way
// saying what the unit already took, and --save making it permanent.
TEST_F(CliLinkTest, ReadAndWriteTellAScriptWhatTheUnitHolds)
{
    const auto sim = start({"--fail-write", "2011"});
    CliRun r = cli({"--port", "ttySIM0", "write", "401=-15"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(cli({"--port", "ttySIM0", "read", "401"}).out, "401=-15\n") << "a signed register reads signed";

    r = cli({"--port", "ttySIM0", "read", "9999"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no such register"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("cable"), std::string::npos) << r.err;

    r = cli({"--port", "ttySIM0", "write", "400=215", "2009=1", "2011=60", "2012=30"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("already written: 400=215 2009=1; the rest was not written"), std::string::npos) << r.err;
    const auto partial = writes(*sim);
    EXPECT_EQ(std::count(partial.begin(), partial.end(), "Mw2013 1"), 0) << "no store without --save";

    r = cli({"--port", "ttySIM0", "write", "--save", "400=216"});
    EXPECT_EQ(r.status, 0) << r.err;
    const auto w = writes(*sim);
    ASSERT_GE(w.size(), 2u);
    EXPECT_EQ(w[w.size() - 2], "Mw400 216");
    EXPECT_EQ(w.back(), "Mw2013 1");
}
