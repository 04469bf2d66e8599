// tavemo-cli keeps the configuration tool's PIN lockout: the same file, a
// wrong --pin counts, a locked tool sends no PIN and says how long it
// waits, a right PIN clears the count.
#include "link/CPassword.h"
#include "tests/app/SimProcess.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

namespace {

struct CliRun
{
    int status = -1;
    std::string text; // standard output and error
};

CliRun Cli(const std::string& args)
{
    const char* bin = std::getenv("TAVEMO_BIN_DIR");
    const std::string cmd = std::string(bin ? bin : ".") + "/tools/cli/tavemo-cli " + args + " 2>&1";
    CliRun r;
    std::FILE* p = ::popen(cmd.c_str(), "r");
    if (!p)
        return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        r.text.append(buf, n);
    const int raw = ::pclose(p);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

class CliLockout : public ::testing::Test
{
protected:
    void SetUp() override
    {
        apptest::Root();
        std::filesystem::remove(apptest::LockoutDir() / CPassword::kFileName);
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
    apptest::SimProcess sim({"--device-type", "1004", "--pin", "1234"});
    ASSERT_TRUE(sim.ready());
    const std::string port = "--port " + sim.name() + " ";
    for (int n = 1; n <= 3; ++n) {
        const CliRun r = Cli(port + "--pin 1 identify");
        EXPECT_EQ(r.status, 1) << r.text;
        EXPECT_NE(r.text.find("wrong"), std::string::npos) << r.text;
        EXPECT_EQ(Count(), n);
    }
    // The third wrong PIN blocks for 10 s: even the right one is not sent.
    const CliRun locked = Cli(port + "--pin 1234 identify");
    EXPECT_EQ(locked.status, 1);
    EXPECT_NE(locked.text.find("Too many wrong tries - locked! Try again in "), std::string::npos)
        << locked.text;
    EXPECT_FALSE(sim.received("u 1234"));
    EXPECT_EQ(Count(), 3);
}

TEST_F(CliLockout, RightPinClearsTheCountAndNoPinIsNoTry)
{
    apptest::SimProcess sim({"--device-type", "1004", "--pin", "1234"});
    ASSERT_TRUE(sim.ready());
    const std::string port = "--port " + sim.name() + " ";
    CPassword().store(0, 2);

    const CliRun none = Cli(port + "read 2000");
    EXPECT_EQ(none.status, 1);
    EXPECT_FALSE(sim.received("Mr2000")); // nothing read without the PIN
    EXPECT_EQ(Count(), 2);

    const CliRun right = Cli(port + "--pin 1234 read 2000");
    EXPECT_EQ(right.status, 0) << right.text;
    EXPECT_EQ(Count(), 0);
}

} // namespace
