// tavemo-cli keeps the configuration tool's PIN lockout: the same file, a
// wrong --pin counts, a locked tool sends no PIN and says how long it
// waits, a right PIN clears the count.
#include "link/CPassword.h"
#include "tests/support/CliProcess.h"
#include "tests/support/SimProcess.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using testsupport::CliRun;
using testsupport::RunCliLine;
using testsupport::SimProcess;

class CliLockout : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::remove(CPassword::DefaultDirectory() / CPassword::kFileName);
    }
    static int Count()
    {
        int count = -1;
        CPassword().isUnlocked(&count);
        return count;
    }
};

TEST_F(CliLockout, WrongPinsCountAndALockedToolSendsNoPin)
{
    SimProcess sim({"--device-type", "1004", "--pin", "1234"});
    ASSERT_TRUE(sim.ready());
    const std::string port = "--port " + sim.name() + " ";
    for (int n = 1; n <= 3; ++n) {
        const CliRun r = RunCliLine(port + "--pin 1 identify");
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE((r.out + r.err).find("wrong"), std::string::npos) << r.out << r.err;
        EXPECT_EQ(Count(), n);
    }
    // The third wrong PIN blocks for 10 s: even the right one is not sent.
    const CliRun locked = RunCliLine(port + "--pin 1234 identify");
    EXPECT_EQ(locked.status, 1);
    EXPECT_NE((locked.out + locked.err).find("Too many wrong tries - locked! Try again in "),
              std::string::npos)
        << locked.out << locked.err;
    EXPECT_FALSE(sim.received("u 1234"));
    EXPECT_EQ(Count(), 3);
}

TEST_F(CliLockout, RightPinClearsTheCountAndNoPinIsNoTry)
{
    SimProcess sim({"--device-type", "1004", "--pin", "1234"});
    ASSERT_TRUE(sim.ready());
    const std::string port = "--port " + sim.name() + " ";
    CPassword().store(0, 2);

    const CliRun none = RunCliLine(port + "read 2000");
    EXPECT_EQ(none.status, 1);
    EXPECT_FALSE(sim.received("Mr2000")); // nothing read without the PIN
    EXPECT_EQ(Count(), 2);

    const CliRun right = RunCliLine(port + "--pin 1234 read 2000");
    EXPECT_EQ(right.status, 0) << right.err;
    EXPECT_EQ(Count(), 0);
}

} // namespace
