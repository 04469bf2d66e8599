// Another program holding a serial port, as a terminal program does: a
// child process with its own name that opens the device and takes the
// advisory lock, until the object goes. The port under test then finds the
// device busy, and the holder in /proc.
#pragma once

#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

class PortHolder
{
public:
    // name: the process name /proc shows (at most 15 characters).
    PortHolder(const std::string& device, const char* name)
    {
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            // Only system calls in the child: the test process has threads.
            ::close(ready[0]);
            ::prctl(PR_SET_NAME, name, 0, 0, 0);
            const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            const char ok = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 1 : 0;
            [[maybe_unused]] const ssize_t n = ::write(ready[1], &ok, 1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char ok = 0;
        m_holding = m_pid > 0 && ::read(ready[0], &ok, 1) == 1 && ok == 1;
        ::close(ready[0]);
    }
    ~PortHolder()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    PortHolder(const PortHolder&) = delete;
    PortHolder& operator=(const PortHolder&) = delete;

    bool holding() const { return m_holding; }
    int pid() const { return static_cast<int>(m_pid); }

private:
    pid_t m_pid = -1;
    bool m_holding = false;
};

} // namespace testsupport
