#include "sim/CSimPty.h"

#include "link/PortDiscovery.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <termios.h>
#include <unistd.h>

namespace fs = std::filesystem;

CSimPty::~CSimPty()
{
    unpublish();
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

int CSimPty::open()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        m_errno = errno;
        return -1;
    }
    const char* name = ::ptsname(m_master);
    if (!name) {
        m_errno = errno;
        return -1;
    }
    m_device = name;
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0) {
        m_errno = errno;
        return -1;
    }
    termios tio{};
    if (::tcgetattr(m_slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetspeed(&tio, B115200);
        ::tcsetattr(m_slave, TCSANOW, &tio);
    }
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    return 0;
}

int CSimPty::publish(const fs::path& portsDir, const std::string& name, const std::string& friendlyName)
{
    // The tool believes only a ports folder of the user's that no one else
    // can write; publishing anywhere else would offer a port it ignores.
    errno = 0;
    if (PortDiscoveryRoots::PreparePortsDirectory(portsDir) != 0) {
        m_errno = errno ? errno : EPERM;
        return -1;
    }
    std::error_code ec;
    // Free: nothing there, or a link to nothing (its simulator was killed).
    const auto freeName = [&](const std::string& candidate) {
        std::error_code lec;
        return !fs::exists(portsDir / candidate, lec);
    };
    std::string chosen = name;
    if (chosen.empty()) {
        for (int i = 0; i < 1000 && chosen.empty(); ++i)
            if (freeName("ttySIM" + std::to_string(i)))
                chosen = "ttySIM" + std::to_string(i);
        if (chosen.empty()) {
            m_errno = EEXIST;
            return -1;
        }
    }
    const fs::path link = portsDir / chosen;
    const fs::path text = portsDir / (chosen + ".txt");
    // Written beside and renamed into place: a reader never sees half a link.
    const fs::path tmpLink = portsDir / ("." + chosen + ".tmp" + std::to_string(::getpid()));
    fs::remove(tmpLink, ec);
    fs::create_symlink(m_device, tmpLink, ec);
    if (ec) {
        m_errno = ec.value();
        return -1;
    }
    {
        std::ofstream out(text, std::ios::binary | std::ios::trunc);
        out << friendlyName << "\n";
    }
    fs::rename(tmpLink, link, ec);
    if (ec) {
        m_errno = ec.value();
        fs::remove(tmpLink, ec);
        fs::remove(text, ec);
        return -1;
    }
    m_name = chosen;
    m_link = link;
    m_text = text;
    return 0;
}

void CSimPty::unpublish()
{
    std::error_code ec;
    // Only our own link: another simulator may have taken the name since.
    if (!m_link.empty() && fs::read_symlink(m_link, ec) == fs::path(m_device)) {
        fs::remove(m_link, ec);
        fs::remove(m_text, ec);
    }
    m_link.clear();
    m_text.clear();
}
