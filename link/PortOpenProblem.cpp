#include "link/PortOpenProblem.h"

#include "diag/Result.h"

namespace PortOpenProblem {

namespace {

// The udev rule of the tavemo package hands the USB serial bridges to the
// person at the desk (uaccess), without a group.
constexpr const char* kUdevRuleHint =
    "or install the tavemo package, whose udev rule gives the person at the desk access to USB serial "
    "adapters (from the next plug-in)";

} // namespace

std::string NoAccess(const Access& a)
{
    if (!a.groupMayOpen)
        return a.device + " may be opened only by its owner '" + a.owner + "' (its group '" + a.group +
               "' has no access): ask the administrator, " + kUdevRuleHint;
    if (a.sessionHasGroup)
        return a.device + " belongs to group '" + a.group +
               "', which this login session has, yet the system refused access: check the device's "
               "permissions (ls -l " +
               a.device + ")";
    if (a.userInGroup)
        return a.device + " belongs to group '" + a.group +
               "'; you are a member, but this login session started before you were added: log out and in "
               "again";
    return a.device + " belongs to group '" + a.group + "', which you are not in: add yourself (sudo usermod -aG " +
           a.group + " $USER, then log out and in again), " + kUdevRuleHint;
}

std::string Busy(const std::string& device, const std::vector<Holder>& holders)
{
    if (holders.empty())
        return device + " is held by another program (the system does not show which): close it, or choose "
                        "another port";
    std::string names;
    for (const Holder& h : holders) {
        if (!names.empty())
            names += ", ";
        names += h.name + " (pid " + std::to_string(h.pid) + ")";
    }
    return device + " is held by " + names + ": close " + (holders.size() > 1 ? "them" : "it") +
           ", or choose another port";
}

std::string Gone(const std::string& device)
{
    return device + " no longer exists";
}

} // namespace PortOpenProblem

std::string OpenFailureText(int code, const std::string& problem)
{
    return problem.empty() ? ResultText(code) : ResultText(code) + ": " + problem;
}
