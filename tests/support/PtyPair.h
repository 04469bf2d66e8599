// A pseudo-terminal for tests that play the far end of a serial line
// themselves: the code under test opens slave(); the test reads and writes
// the master end. The test keeps the terminal's own end open too, so the
// master never sees a hang-up between the client's sessions.
#pragma once

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace testsupport {

class PtyPair
{
public:
    PtyPair()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
            return;
        m_slave = ::ptsname(m_master);
        m_hold = ::open(m_slave.c_str(), O_RDWR | O_NOCTTY);
        termios tio{};
        ::tcgetattr(m_hold, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(m_hold, TCSANOW, &tio);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    }
    ~PtyPair()
    {
        closeMaster();
        if (m_hold >= 0)
            ::close(m_hold);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return m_master >= 0 && m_hold >= 0; }
    const std::string& slave() const { return m_slave; }
    int master() const { return m_master; }
    int slaveFd() const { return m_hold; }

    void write(const std::string& bytes)
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
            if (n > 0)
                done += static_cast<std::size_t>(n);
            else if (n < 0 && errno == EAGAIN) {
                pollfd fd{m_master, POLLOUT, 0};
                ::poll(&fd, 1, 100);
            } else if (n < 0 && errno != EINTR)
                return;
        }
    }

    // Everything that arrives until the line has been quiet for quietMs.
    std::string read(int quietMs = 50)
    {
        std::string out;
        for (;;) {
            pollfd fd{m_master, POLLIN, 0};
            if (::poll(&fd, 1, quietMs) <= 0)
                return out;
            char buf[4096];
            const ssize_t n = ::read(m_master, buf, sizeof buf);
            if (n <= 0)
                return out;
            out.append(buf, static_cast<std::size_t>(n));
        }
    }

    // A hang-up: the far end goes away.
    void closeMaster()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    int m_hold = -1;
    std::string m_slave;
};

} // namespace testsupport
