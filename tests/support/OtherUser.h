// A device the test user may not open, for the "access denied" cases.
//
// Root ignores file modes, so the test cannot simply take the mode away:
// as root the device becomes what a USB serial adapter is on a desktop
// system (owner root, group dialout, mode 0660), and for the scope of an
// AsOtherUser the whole test process acts as the unprivileged user nobody
// (effective user and group 65534, no supplementary groups), who is not in
// that group; the end of the scope restores root. A test that runs as
// another user from the start takes the device's access away by its mode
// instead (0000). OtherUserCommand gives the words that run a program as
// nobody (setpriv), for the command-line tool.
//
// The folders on the way to a published port (the test's private runtime
// folder is root's alone) are made searchable for the scope, as /dev is.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <grp.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

namespace testsupport {

constexpr uid_t kNobody = 65534;

inline bool RunningAsRoot() { return ::geteuid() == 0; }

// Gives the device the desktop's serial port ownership (as root) or takes
// its access away (otherwise); restores the old owner and mode at the end.
class DeniedDevice
{
public:
    explicit DeniedDevice(const std::string& device) : m_device(device)
    {
        struct stat st{};
        m_ok = ::stat(device.c_str(), &st) == 0;
        m_root = RunningAsRoot();
        m_mode = st.st_mode & 07777;
        m_uid = st.st_uid;
        m_gid = st.st_gid;
        if (m_root) {
            const group* dialout = ::getgrnam("dialout");
            m_ok = m_ok && dialout && ::chown(device.c_str(), 0, dialout->gr_gid) == 0 &&
                   ::chmod(device.c_str(), 0660) == 0;
        } else {
            m_ok = m_ok && ::chmod(device.c_str(), 0) == 0;
        }
    }
    ~DeniedDevice()
    {
        if (m_root)
            [[maybe_unused]] const int r = ::chown(m_device.c_str(), m_uid, m_gid);
        ::chmod(m_device.c_str(), m_mode);
    }
    DeniedDevice(const DeniedDevice&) = delete;
    DeniedDevice& operator=(const DeniedDevice&) = delete;
    bool ok() const { return m_ok; }

private:
    std::string m_device;
    bool m_ok = false;
    bool m_root = false;
    mode_t m_mode = 0;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
};

class AsOtherUser
{
public:
    // path: what will be opened; the folders above it become searchable.
    explicit AsOtherUser(const std::string& path = {})
    {
        if (!RunningAsRoot()) {
            m_ok = true;
            return;
        }
        m_switched = true;
        for (std::filesystem::path dir = std::filesystem::path(path).parent_path();
             !dir.empty() && dir != dir.root_path(); dir = dir.parent_path()) {
            struct stat st{};
            if (::stat(dir.c_str(), &st) == 0 && !(st.st_mode & S_IXOTH) &&
                ::chmod(dir.c_str(), (st.st_mode & 07777) | S_IXOTH) == 0)
                m_searchable.emplace_back(dir.string(), st.st_mode & 07777);
        }
        // The other user keeps a lockout file of its own, as it would in
        // its own home: the test's state folder is root's and refused.
        if (const char* state = std::getenv("XDG_STATE_HOME"))
            m_oldState = state;
        m_state = std::filesystem::temp_directory_path() / ("state-nobody-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_state / "tavemo");
        for (const auto& dir : {m_state, m_state / "tavemo"}) {
            [[maybe_unused]] const int owned = ::chown(dir.c_str(), kNobody, kNobody);
            ::chmod(dir.c_str(), 0700);
        }
        ::setenv("XDG_STATE_HOME", m_state.c_str(), 1);
        const int count = ::getgroups(0, nullptr);
        m_groups.resize(static_cast<std::size_t>(count > 0 ? count : 0));
        if (count > 0)
            ::getgroups(count, m_groups.data());
        m_ok = ::setgroups(0, nullptr) == 0 && ::setegid(kNobody) == 0 && ::seteuid(kNobody) == 0;
    }
    ~AsOtherUser()
    {
        if (!m_switched)
            return;
        [[maybe_unused]] int r = ::seteuid(0);
        r = ::setegid(0);
        r = ::setgroups(m_groups.size(), m_groups.data());
        for (const auto& [dir, mode] : m_searchable)
            ::chmod(dir.c_str(), mode);
        if (m_oldState.empty())
            ::unsetenv("XDG_STATE_HOME");
        else
            ::setenv("XDG_STATE_HOME", m_oldState.c_str(), 1);
        std::error_code ec;
        std::filesystem::remove_all(m_state, ec);
    }
    AsOtherUser(const AsOtherUser&) = delete;
    AsOtherUser& operator=(const AsOtherUser&) = delete;
    bool ok() const { return m_ok; }

private:
    bool m_ok = false;
    bool m_switched = false;
    std::vector<gid_t> m_groups;
    std::vector<std::pair<std::string, mode_t>> m_searchable;
    std::filesystem::path m_state; // the other user's state folder while switched
    std::string m_oldState;
};

// The words that run a program as nobody (root), or as the test user.
inline std::vector<std::string> OtherUserCommand()
{
    if (!RunningAsRoot())
        return {};
    return {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
}

} // namespace testsupport
