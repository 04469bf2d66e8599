#include "link/CComPort.h"

#include "diag/DebugOutput.h"
#include "diag/Result.h"
#include "link/PortDiscovery.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

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

} // namespace

CComPort::CComPort() = default;

CComPort::~CComPort() { CComPort::close(); }

int CComPort::open(const std::string& portName, int baudRate, int stopBits, int parity)
{
    close();
    const std::string device = ResolvePortDevice(portName);
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_lastErrno = errno;
        return DoesNotExist(m_lastErrno.load()) ? Result::NoLink : Result::PortBusy;
    }
    const auto fail = [&](int code) {
        m_lastErrno = errno;
        ::close(fd);
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
    m_fd.store(fd);
    return 0;
}

void CComPort::close()
{
    const int fd = m_fd.exchange(-1);
    if (fd < 0)
        return;
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
}

CComPort::Wait CComPort::waitPort(short events, int timeoutMs)
{
    const auto start = Clock::now();
    for (;;) {
        pollfd fds[2] = {{m_fd.load(), events, 0}, {m_wakeFd, POLLIN, 0}};
        const int remaining = timeoutMs - static_cast<int>(ElapsedMs(start));
        const int n = ::poll(fds, m_wakeFd >= 0 ? 2 : 1, remaining > 0 ? remaining : 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Wait::TimedOut;
        if (m_wakeFd >= 0 && fds[1].revents)
            return Wait::Woken;
        return fds[0].revents & events ? Wait::Ready : Wait::Gone;
    }
}

CComPort::Wait CComPort::waitReadable(int timeoutMs)
{
    // Gone: a hang-up without data, after which every poll would return at once.
    return waitPort(POLLIN, timeoutMs);
}

CComPort::Wait CComPort::waitWritable(int timeoutMs)
{
    // A hang-up shows in the write that follows, which keeps its errno.
    const Wait w = waitPort(POLLOUT, timeoutMs);
    return w == Wait::Gone ? Wait::Ready : w;
}

CComPort::Wait CComPort::sleepFor(int timeoutMs)
{
    // Without a wake-up descriptor poll() ignores the entry (fd -1) and
    // only sleeps.
    const auto start = Clock::now();
    for (;;) {
        pollfd fd{m_wakeFd, POLLIN, 0};
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
        const ssize_t n = ::read(m_fd.load(), out, 1);
        if (n == 1)
            return 1;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return 0;
        // End of file or an error: the device is gone (an unplugged adapter,
        // a simulator that ended). It reads as silence until the time-out.
        m_lastErrno = n == 0 ? EIO : errno;
        return -1;
    }
}

int CComPort::putArray(const void* data, int length)
{
    if (!isOpen())
        return Result::NoLink;
    if (!data)
        return Result::MissingArgument;
    if (length <= 0)
        return Result::ZeroLength;
    const auto* p = static_cast<const uint8_t*>(data);
    int remaining = length;
    int stalled = 0;
    while (remaining > 0) {
        const ssize_t n = ::write(m_fd.load(), p, static_cast<size_t>(remaining));
        if (n > 0) {
            p += n;
            remaining -= static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The driver's buffer is full: give the line the time a write
            // of this many bytes may take before the write counts as stalled.
            if (waitWritable(kWriteTimeoutConstantMs + kWriteTimeoutPerByteMs * remaining) == Wait::Ready)
                continue;
        } else {
            m_lastErrno = n < 0 ? errno : EIO;
        }
        if (++stalled >= kMaxStalledWrites)
            return Result::WriteStalled;
    }
    return 0;
}

int CComPort::getArray(char* buffer, int size, const LineCallback& callback, int firstByteTimeoutMs)
{
    if (!isOpen())
        return Result::NoLink;
    if (!buffer)
        return Result::MissingArgument;
    if (size <= 0)
        return Result::ZeroLength;
    std::memset(buffer, 0, static_cast<size_t>(size) + 1);
    int count = 0;
    bool arrived = false;
    bool deviceGone = false;
    long timeout = firstByteTimeoutMs;
    auto t0 = Clock::now();

    const auto timedOut = [&]() {
        if (!arrived) {
            DebugPrint("%s(len = %5i)", "CComPort::getArray", count);
            return Result::NoReply;
        }
        if (callback)
            DebugPrint("CB(len = %5i): %s", count, buffer);
        return count;
    };

    for (;;) {
        char c = 0;
        const int got = deviceGone ? 0 : readByte(&c);
        if (got < 0)
            deviceGone = true;
        if (got == 1) {
            if (!callback) {
                buffer[count++] = c;
                buffer[count] = '\0';
            } else if (c == '\r') {
                // dropped: the adapter ends its lines with CR LF
            } else if (c == '\n') {
                buffer[count] = '\n';
                buffer[count + 1] = '\0';
                if (callback(buffer))
                    return count;
                DebugPrint("CB(len = %5i): %s", count, buffer);
                count = 0;
                buffer[0] = '\0';
            } else {
                buffer[count++] = c;
                buffer[count] = '\0';
            }
            t0 = Clock::now();
            arrived = true;
            timeout = kInterByteTimeoutMs;
            if (count >= size)
                return count;
            continue;
        }
        const long elapsed = ElapsedMs(t0);
        if (elapsed > timeout)
            return timedOut();
        const int wait = static_cast<int>(timeout - elapsed + 1);
        const Wait w = deviceGone ? sleepFor(wait) : waitReadable(wait);
        if (w == Wait::Woken)
            return timedOut();
        if (w == Wait::Gone)
            deviceGone = true;
    }
}

int CComPort::purgeInput()
{
    if (!isOpen())
        return Result::NoLink;
    ::tcdrain(m_fd.load());
    char scratch[2];
    while (getArray(scratch, 1, nullptr, kPurgeSilenceMs) > 0) {
    }
    return 0;
}

int CComPort::sendNewLine()
{
    const int written = putArray("\r\n", 2);
    purgeInput();
    if (written == Result::NoLink || !isOpen())
        return Result::NoLink;
    return written == Result::WriteStalled ? Result::WriteStalled : Result::Ok;
}
