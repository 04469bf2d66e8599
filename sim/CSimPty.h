// The simulator's end of the line: a pseudo-terminal in raw mode, published
// as a port in the ports directory (a symbolic link to the terminal's device
// plus "<name>.txt" with the friendly name), so that the tool's port list
// shows it like an adapter.
//
// Result codes: open and publish return 0, or -1 with errno kept in
// lastErrno().
//
// Thread rules: one thread.
#pragma once

#include <filesystem>
#include <string>

class CSimPty
{
public:
    CSimPty() = default;
    ~CSimPty();
    CSimPty(const CSimPty&) = delete;
    CSimPty& operator=(const CSimPty&) = delete;

    // Opens the master (non-blocking) and keeps the terminal's own end open
    // too, so that the tool can open and close it as often as it likes
    // without the master seeing a hang-up.
    int open();
    int masterFd() const { return m_master; }
    const std::string& devicePath() const { return m_device; }

    // name empty: the first of ttySIM0, ttySIM1, ... that is free (absent,
    // or a link left behind by a simulator that was killed).
    int publish(const std::filesystem::path& portsDir, const std::string& name, const std::string& friendlyName);
    void unpublish();
    const std::string& name() const { return m_name; }

    int lastErrno() const { return m_errno; }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_device;
    std::string m_name;
    std::filesystem::path m_link, m_text;
    int m_errno = 0;
};
