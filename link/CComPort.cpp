// The reading and writing rules of the serial port, the same on every
// system; the waits and the single reads and writes are the backend's
// (CComPortPosix.cpp, CComPortWin32.cpp).
#include "link/CComPort.h"

#include "diag/DebugOutput.h"
#include "diag/Result.h"

#include <chrono>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

long ElapsedMs(Clock::time_point since)
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

} // namespace

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
        const int n = writeSome(p, remaining);
        if (n < 0)
            return Result::PortGone;
        if (n > 0) {
            p += n;
            remaining -= n;
            continue;
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
        const int got = readByte(&c);
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
        // The device is gone (an unplugged adapter, a unit simulator that
        // ended): nothing more will come, so the caller learns it at once.
        if (got < 0 || deviceGone) {
            DebugPrint("%s(len = %5i): the port is gone", "CComPort::getArray", count);
            return Result::PortGone;
        }
        const long elapsed = ElapsedMs(t0);
        if (elapsed > timeout)
            return timedOut();
        const int wait = static_cast<int>(timeout - elapsed + 1);
        const Wait w = waitReadable(wait);
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
    drainOutput();
    char scratch[2];
    while (getArray(scratch, 1, nullptr, kPurgeSilenceMs) > 0) {
    }
    return 0;
}

int CComPort::sendNewLine()
{
    const int written = putArray("\r\n", 2);
    if (written == Result::PortGone)
        return written;
    purgeInput();
    if (written == Result::NoLink || !isOpen())
        return Result::NoLink;
    return written == Result::WriteStalled ? Result::WriteStalled : Result::Ok;
}
