// Why a serial port could not be opened, in words an installer can act on.
// The port's open() gathers the facts from the system (the device's owner,
// group and mode, the user's groups, the programs that hold the device)
// and these functions word them; CComPort::openProblem keeps the text, and
// the window's status detail and tavemo-cli show it after the result
// code's own words (OpenFailureText).
//
// The three failures, each with its result code (diag/Result.h):
//   PortNoAccess  the user may not open the device: names its group and
//                 what gives access (a new login, the group, the package's
//                 udev rule);
//   PortBusy      another program holds it: names each one with its process
//                 id where the system shows them;
//   PortGone      the device no longer exists (the adapter was unplugged).
//
// Thread rules: pure functions, callable from any thread.
#pragma once

#include <string>
#include <vector>

namespace PortOpenProblem {

// What the system says about a device the user may not open.
struct Access
{
    std::string device;    // the path that was opened
    std::string owner;     // the owning user's name (or number)
    std::string group;     // the device's group's name (or number)
    bool groupMayOpen = false;    // the group has read and write access
    bool userInGroup = false;     // the user is a member (the group file or the primary group)
    bool sessionHasGroup = false; // this login session carries the group
};

// A program that has the device open.
struct Holder
{
    std::string name;
    int pid = 0;
};

std::string NoAccess(const Access& access);
std::string Busy(const std::string& device, const std::vector<Holder>& holders);
std::string Gone(const std::string& device);

} // namespace PortOpenProblem

// The words of a failed open: the result code's words (ResultText), then
// the device's details when there are any.
std::string OpenFailureText(int code, const std::string& problem);
