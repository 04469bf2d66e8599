// A port that cannot be opened, told apart: no access (the device's group
// and what gives access), busy (the program holding it, with its process
// id), gone (the device no longer exists). The port's own result and words,
// and what tavemo-cli prints; the window's status detail is checked in the
// COM-Interface page's tests.
#include "tests/support/OtherUser.h"
#include "tests/support/PortHolder.h"
#include "tests/support/PtyPair.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include "diag/Result.h"
#include "link/CComPort.h"
#include "link/PortOpenProblem.h"

#include <cstdio>
#include <string>
#include <sys/wait.h>

using namespace testsupport;

namespace {

// Runs a command line, returns its exit status and what it wrote to either
// stream.
std::pair<int, std::string> RunCommand(const std::vector<std::string>& words)
{
    std::string line;
    for (const std::string& w : words)
        line += "'" + w + "' ";
    line += "2>&1";
    std::FILE* pipe = ::popen(line.c_str(), "r");
    if (!pipe)
        return {-1, {}};
    std::string out;
    char buf[512];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, pipe))
        out.append(buf, n);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

std::string Cli() { return BinDir() + "/tools/cli/tavemo-cli"; }

} // namespace

TEST(PortOpenWords, AccessAdviceFollowsTheUsersGroups)
{
    struct Case
    {
        const char* what;
        bool groupMayOpen, userInGroup, sessionHasGroup;
        const char* words;
    } cases[] = {
        {"not a member", true, false, false,
         "/dev/ttyUSB0 belongs to group 'dialout', which you are not in: add yourself (sudo usermod -aG dialout "
         "$USER, then log out and in again), or install the tavemo package, whose udev rule gives the person at "
         "the desk access to USB serial adapters (from the next plug-in)"},
        {"added, session older", true, true, false,
         "/dev/ttyUSB0 belongs to group 'dialout'; you are a member, but this login session started before you "
         "were added: log out and in again"},
        {"owner only", false, true, true,
         "/dev/ttyUSB0 may be opened only by its owner 'root' (its group 'dialout' has no access): ask the "
         "administrator, or install the tavemo package, whose udev rule gives the person at the desk access to "
         "USB serial adapters (from the next plug-in)"},
        {"session has it", true, true, true,
         "/dev/ttyUSB0 belongs to group 'dialout', which this login session has, yet the system refused "
         "access: check the device's permissions (ls -l /dev/ttyUSB0)"},
    };
    for (const Case& c : cases) {
        PortOpenProblem::Access a{"/dev/ttyUSB0", "root", "dialout", c.groupMayOpen, c.userInGroup,
                                  c.sessionHasGroup};
        EXPECT_EQ(PortOpenProblem::NoAccess(a), c.words) << c.what;
    }
    EXPECT_EQ(PortOpenProblem::Busy("/dev/ttyS0", {{"minicom", 812}, {"screen", 913}}),
              "/dev/ttyS0 is held by minicom (pid 812), screen (pid 913): close them, or choose another port");
    EXPECT_EQ(OpenFailureText(Result::PortGone, ""), ResultText(Result::PortGone));
}

TEST(PortOpen, DeviceWithoutAccessNamesItsGroup)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    DeniedDevice denied(pty.slave());
    ASSERT_TRUE(denied.ok());
    CComPort port;
    int opened = 0;
    {
        AsOtherUser nobody;
        ASSERT_TRUE(nobody.ok());
        opened = port.open(pty.slave(), 115200, 0, 0);
    }
    EXPECT_EQ(opened, Result::PortNoAccess);
    EXPECT_FALSE(port.isOpen());
    if (RunningAsRoot()) {
        EXPECT_EQ(port.openProblem(),
                  pty.slave() +
                      " belongs to group 'dialout', which you are not in: add yourself (sudo usermod -aG dialout "
                      "$USER, then log out and in again), or install the tavemo package, whose udev rule gives "
                      "the person at the desk access to USB serial adapters (from the next plug-in)");
    } else {
        EXPECT_NE(port.openProblem().find(pty.slave() + " may be opened only by its owner"), std::string::npos)
            << port.openProblem();
    }

    // Access back: the same port opens, and the words are gone.
    EXPECT_EQ(port.open(pty.slave(), 115200, 0, 0), Result::Ok);
    EXPECT_EQ(port.openProblem(), "");
}

TEST(PortOpen, BusyPortNamesTheProgramHoldingIt)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    PortHolder holder(pty.slave(), "portholder");
    ASSERT_TRUE(holder.holding());
    CComPort port;
    EXPECT_EQ(port.open(pty.slave(), 115200, 0, 0), Result::PortBusy);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.openProblem(), pty.slave() + " is held by portholder (pid " + std::to_string(holder.pid()) +
                                      "): close it, or choose another port");
}

TEST(PortOpen, VanishedPortIsGone)
{
    // What is left of an unplugged adapter: the name, no device behind it.
    const std::string gone = "/dev/ttyUSB-tavemo-unplugged";
    CComPort port;
    EXPECT_EQ(port.open(gone, 115200, 0, 0), Result::PortGone);
    EXPECT_EQ(port.openProblem(), gone + " no longer exists");
    EXPECT_EQ(OpenFailureText(Result::PortGone, port.openProblem()),
              "the port is gone: the adapter was unplugged or hung up; plug it in and connect again: " + gone +
                  " no longer exists");
}

// What the installer sees at the command line, one row per failure.
TEST(PortOpenCli, EachFailureInWords)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const std::string prefix = "tavemo-cli: opening port '" + pty.slave() + "': error ";
    {
        DeniedDevice denied(pty.slave());
        ASSERT_TRUE(denied.ok());
        std::vector<std::string> words = OtherUserCommand();
        words.insert(words.end(), {Cli(), "--port", pty.slave(), "identify"});
        const auto [status, out] = RunCommand(words);
        EXPECT_EQ(status, 1) << out;
        EXPECT_EQ(out.rfind(prefix + "-31: the port could not be opened: access to the device is denied: " +
                                pty.slave(),
                            0),
                  0u)
            << out;
        if (RunningAsRoot()) {
            EXPECT_NE(out.find("belongs to group 'dialout', which you are not in"), std::string::npos) << out;
        }
    }
    {
        PortHolder holder(pty.slave(), "portholder");
        ASSERT_TRUE(holder.holding());
        const auto [status, out] = RunCommand({Cli(), "--port", pty.slave(), "identify"});
        EXPECT_EQ(status, 1) << out;
        EXPECT_EQ(out.rfind(prefix + "-20: the port could not be opened: it is in use by another program: " +
                                pty.slave() + " is held by ",
                            0),
                  0u)
            << out;
        EXPECT_NE(out.find("portholder (pid " + std::to_string(holder.pid()) + ")"), std::string::npos) << out;
    }
    const std::string gone = "/dev/ttyUSB-tavemo-unplugged";
    const auto [status, out] = RunCommand({Cli(), "--port", gone, "identify"});
    EXPECT_EQ(status, 1) << out;
    EXPECT_EQ(out, "tavemo-cli: opening port '" + gone + "': error -30: " + ResultText(Result::PortGone) + ": " +
                       gone + " no longer exists\n");
}
