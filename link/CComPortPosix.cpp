// The serial port on POSIX systems: a terminal device in raw mode, read
// and written without blocking, every wait a poll() on the port and the
// wake-up pipe.
#include "link/CComPort.h"

#include "diag/Result.h"
#include "link/PortDiscovery.h"
#include "link/PortOpenProblem.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <pwd.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

#ifdef __linux__
#include <linux/serial.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

long ElapsedMs(Clock::time_point since)
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

bool SpeedOf(int baudRate, speed_t* speed)
{
    static constexpr struct
    {
        int rate;
        speed_t speed;
    } kRates[] = {{1200, B1200},     {2400, B2400},     {4800, B4800},   {9600, B9600},
                  {19200, B19200},   {38400, B38400},   {57600, B57600}, {115200, B115200},
                  {230400, B230400}, {460800, B460800}, {921600, B921600}};
    for (const auto& r : kRates)
        if (r.rate == baudRate) {
            *speed = r.speed;
            return true;
        }
    return false;
}

// Device numbers of the pseudo-terminals' slave ends (/dev/pts/N).
constexpr unsigned kPtySlaveMajorFirst = 136;
constexpr unsigned kPtySlaveMajorLast = 143;

bool DoesNotExist(int error) { return error == ENOENT || error == ENODEV || error == ENXIO || error == ENOTDIR; }

std::string GroupName(gid_t gid)
{
    std::vector<char> buffer(16384);
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return found->gr_name;
    return std::to_string(gid);
}

// Whether the user is a member of the group as the system's user and group
// files say (the primary group, or listed in the group); a login session
// takes its groups from these files when it starts.
bool UserListedInGroup(uid_t uid, gid_t gid, std::string* userName)
{
    std::vector<char> buffer(16384);
    passwd user{};
    passwd* foundUser = nullptr;
    if (::getpwuid_r(uid, &user, buffer.data(), buffer.size(), &foundUser) != 0 || !foundUser) {
        *userName = std::to_string(uid);
        return false;
    }
    *userName = foundUser->pw_name;
    if (foundUser->pw_gid == gid)
        return true;
    std::vector<char> groupBuffer(16384);
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(gid, &entry, groupBuffer.data(), groupBuffer.size(), &found) != 0 || !found)
        return false;
    for (char** member = found->gr_mem; member && *member; ++member)
        if (*userName == *member)
            return true;
    return false;
}

bool SessionHasGroup(gid_t gid)
{
    if (::getegid() == gid)
        return true;
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(count, 0)));
    const int got = count > 0 ? ::getgroups(count, groups.data()) : 0;
    return std::find(groups.begin(), groups.begin() + std::max(got, 0), gid) != groups.begin() + std::max(got, 0);
}

std::string NoAccessText(const std::string& device)
{
    struct stat st{};
    if (::stat(device.c_str(), &st) != 0)
        return {};
    PortOpenProblem::Access access;
    access.device = device;
    std::vector<char> buffer(16384);
    passwd owner{};
    passwd* found = nullptr;
    access.owner = ::getpwuid_r(st.st_uid, &owner, buffer.data(), buffer.size(), &found) == 0 && found
                       ? std::string(found->pw_name)
                       : std::to_string(st.st_uid);
    access.group = GroupName(st.st_gid);
    access.groupMayOpen = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    std::string userName;
    access.userInGroup = UserListedInGroup(::geteuid(), st.st_gid, &userName);
    access.sessionHasGroup = SessionHasGroup(st.st_gid);
    return PortOpenProblem::NoAccess(access);
}

// The other processes that have the device open, from /proc (where the
// system shows them: a process of another user stays hidden from a user
// without the rights to look).
std::vector<PortOpenProblem::Holder> Holders(const std::string& device)
{
    std::vector<PortOpenProblem::Holder> holders;
    char* real = ::realpath(device.c_str(), nullptr);
    const std::string target = real ? real : device;
    std::free(real);
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return holders;
    const int self = static_cast<int>(::getpid());
    while (const dirent* process = ::readdir(proc)) {
        const char* name = process->d_name;
        if (!*name || std::strspn(name, "0123456789") != std::strlen(name))
            continue;
        const int pid = std::atoi(name);
        if (pid == self)
            continue;
        const std::string fdDir = std::string("/proc/") + name + "/fd";
        DIR* fds = ::opendir(fdDir.c_str());
        if (!fds)
            continue;
        bool holds = false;
        while (const dirent* fd = ::readdir(fds)) {
            if (fd->d_name[0] == '.')
                continue;
            char link[4096];
            const ssize_t n = ::readlink((fdDir + "/" + fd->d_name).c_str(), link, sizeof link - 1);
            if (n > 0 && target.compare(0, std::string::npos, link, static_cast<std::size_t>(n)) == 0) {
                holds = true;
                break;
            }
        }
        ::closedir(fds);
        if (!holds)
            continue;
        std::ifstream comm(std::string("/proc/") + name + "/comm");
        std::string command;
        std::getline(comm, command);
        holders.push_back({command.empty() ? std::string("a program") : command, pid});
    }
    ::closedir(proc);
    std::sort(holders.begin(), holders.end(),
              [](const PortOpenProblem::Holder& a, const PortOpenProblem::Holder& b) { return a.pid < b.pid; });
    return holders;
}

} // namespace

// The wake-up pipe: a byte in it makes every poll of this port return.
struct CComPort::Native
{
    int wake[2] = {-1, -1};
};

void CComPort::NativeDeleter::operator()(Native* native) const
{
    for (int fd : native->wake)
        if (fd >= 0)
            ::close(fd);
    delete native;
}

CComPort::CComPort() : m_native(new Native) {}

CComPort::~CComPort() { CComPort::close(); }

bool CComPort::enableWake()
{
    int* wake = m_native->wake;
    if (wake[0] >= 0)
        return true;
    if (::pipe(wake) != 0) {
        wake[0] = wake[1] = -1;
        return false;
    }
    for (int i = 0; i < 2; ++i) {
        ::fcntl(wake[i], F_SETFL, ::fcntl(wake[i], F_GETFL) | O_NONBLOCK);
        ::fcntl(wake[i], F_SETFD, FD_CLOEXEC);
    }
    return true;
}

void CComPort::wake()
{
    const int fd = m_native->wake[1];
    if (fd < 0)
        return;
    const char byte = 1;
    while (::write(fd, &byte, 1) < 0 && errno == EINTR) {
    }
}

void CComPort::clearWake()
{
    const int fd = m_native->wake[0];
    char scratch[64];
    if (fd >= 0)
        while (::read(fd, scratch, sizeof scratch) > 0) {
        }
}

int CComPort::open(const std::string& portName, int baudRate, int stopBits, int parity)
{
    close();
    m_openProblem.clear();
    const std::string device = ResolvePortDevice(portName);
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        m_lastErrno = error;
        if (DoesNotExist(error)) {
            m_openProblem = PortOpenProblem::Gone(device);
            return Result::PortGone;
        }
        if (error == EACCES || error == EPERM) {
            m_openProblem = NoAccessText(device);
            return Result::PortNoAccess;
        }
        // EBUSY: another program set exclusive use (TIOCEXCL).
        if (error == EBUSY)
            m_openProblem = PortOpenProblem::Busy(device, Holders(device));
        return Result::PortBusy;
    }
    const auto fail = [&](int code) {
        m_lastErrno = errno;
        ::close(fd);
        if (code == Result::PortBusy)
            m_openProblem = PortOpenProblem::Busy(device, Holders(device));
        return code;
    };
    // Exclusive use: the advisory lock keeps out every other port object
    // (in this process or another instance of the tool, also for root);
    // TIOCEXCL keeps out other programs that do not run as root. Not on a
    // pseudo-terminal: the simulator holds it open, so the mode would
    // outlive a tool that crashed and lock everyone out until the simulator
    // restarts.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return fail(Result::PortBusy);
    struct stat st{};
    const bool pseudoTerminal = ::fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) &&
                                major(st.st_rdev) >= kPtySlaveMajorFirst && major(st.st_rdev) <= kPtySlaveMajorLast;
    if (!pseudoTerminal && ::ioctl(fd, TIOCEXCL) != 0 && errno == EBUSY)
        return fail(Result::PortBusy);

    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return fail(Result::NotASerialPort);
    // Stale input goes; output is left alone, because it may still hold the
    // last line a previous handle wrote (the unlock command, say) on its way
    // to the adapter.
    ::tcflush(fd, TCIFLUSH);

    speed_t speed = B115200;
    if (!SpeedOf(baudRate, &speed)) {
        errno = EINVAL;
        return fail(Result::PortSettingsRefused);
    }
    // Raw bytes both ways: no line editing, no echo, no translation of CR
    // or LF, no signals, no software or hardware flow control.
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                                          IXOFF | IXANY | INPCK | IGNPAR);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    if (parity == kParityOdd || parity == kParityEven) {
        tio.c_cflag |= PARENB;
        if (parity == kParityOdd)
            tio.c_cflag |= PARODD;
        tio.c_iflag |= INPCK;
    }
    if (stopBits == kStopBitsOneAndHalf || stopBits == kStopBitsTwo)
        tio.c_cflag |= CSTOPB;
    // The reading loop waits with poll(); a read never blocks (the
    // descriptor is non-blocking). VMIN 1 makes an empty read report
    // EAGAIN rather than 0, which stays reserved for a hang-up.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0)
        return fail(Result::PortSettingsRefused);

    // DTR and RTS on: the adapter takes its supply from them. Pseudo-
    // terminals have no modem lines, so a failure here is no failure.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd, TIOCMBIS, &lines);
#ifdef __linux__
    // USB adapters of the FTDI kind hold back short replies for up to 16 ms
    // unless asked for low latency; on a page of 50 registers that is more
    // than a second. Drivers without the setting refuse it harmlessly.
    serial_struct ss{};
    if (::ioctl(fd, TIOCGSERIAL, &ss) == 0 && !(ss.flags & ASYNC_LOW_LATENCY)) {
        ss.flags |= ASYNC_LOW_LATENCY;
        ::ioctl(fd, TIOCSSERIAL, &ss);
    }
#endif
    m_device = device;
    m_handle.store(fd);
    return 0;
}

void CComPort::close()
{
    const auto handle = m_handle.exchange(kClosed);
    if (handle == kClosed)
        return;
    const int fd = static_cast<int>(handle);
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
}

namespace {

enum class Polled { Ready, TimedOut, Woken, Gone };

// Waits for events on the port, the wake-up descriptor (-1 = none) or the
// time-out; Gone when the port reported only a hang-up or an error.
Polled PollPort(int fd, int wakeFd, short events, int timeoutMs)
{
    const auto start = Clock::now();
    for (;;) {
        pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
        const int remaining = timeoutMs - static_cast<int>(ElapsedMs(start));
        const int n = ::poll(fds, wakeFd >= 0 ? 2 : 1, remaining > 0 ? remaining : 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Polled::TimedOut;
        if (wakeFd >= 0 && fds[1].revents)
            return Polled::Woken;
        return fds[0].revents & events ? Polled::Ready : Polled::Gone;
    }
}

} // namespace

CComPort::Wait CComPort::waitReadable(int timeoutMs)
{
    // Gone: a hang-up without data, after which every poll would return at once.
    switch (PollPort(static_cast<int>(m_handle.load()), m_native->wake[0], POLLIN, timeoutMs)) {
    case Polled::Ready:
        return Wait::Ready;
    case Polled::Woken:
        return Wait::Woken;
    case Polled::Gone:
        return Wait::Gone;
    case Polled::TimedOut:
        break;
    }
    return Wait::TimedOut;
}

CComPort::Wait CComPort::sleepFor(int timeoutMs)
{
    // Without a wake-up descriptor poll() ignores the entry (fd -1) and
    // only sleeps.
    const auto start = Clock::now();
    for (;;) {
        pollfd fd{m_native->wake[0], POLLIN, 0};
        const int remaining = timeoutMs - static_cast<int>(ElapsedMs(start));
        const int n = ::poll(&fd, 1, remaining > 0 ? remaining : 0);
        if (n < 0 && errno == EINTR)
            continue;
        return n > 0 ? Wait::Woken : Wait::TimedOut;
    }
}

int CComPort::readByte(char* out)
{
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(m_handle.load()), out, 1);
        if (n == 1)
            return 1;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return 0;
        // End of file or an error: the device is gone (an unplugged adapter,
        // a simulator that ended).
        m_lastErrno = n == 0 ? EIO : errno;
        return -1;
    }
}

int CComPort::writeSome(const uint8_t* data, int length)
{
    const int fd = static_cast<int>(m_handle.load());
    for (;;) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(length));
        if (n > 0)
            return static_cast<int>(n);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The driver's buffer is full: give the line the time a write
            // of this many bytes may take before the write counts as stalled.
            // A hang-up shows in the write that follows, which keeps its errno.
            const Polled w = PollPort(fd, m_native->wake[0], POLLOUT,
                                      kWriteTimeoutConstantMs + kWriteTimeoutPerByteMs * length);
            if (w == Polled::Ready || w == Polled::Gone)
                continue;
            return 0;
        }
        m_lastErrno = n < 0 ? errno : EIO;
        // The device went away under the open descriptor: no later write
        // will move a byte either.
        return m_lastErrno == EIO || m_lastErrno == ENXIO || m_lastErrno == ENODEV || m_lastErrno == EPIPE ? -1 : 0;
    }
}

void CComPort::drainOutput() { ::tcdrain(static_cast<int>(m_handle.load())); }
