// The serial port on Windows: a COM port opened for overlapped I/O. Every
// wait is an overlapped read or write waited for together with the wake-up
// event (WaitForMultipleObjects), so a silent line costs no processor time
// and a stop request ends a wait at once. Reads take what the driver holds
// in one call (ClearCommError tells how much) into a small read-ahead
// buffer that the byte-wise reading loop empties.
#include "link/CComPort.h"

#include "diag/Result.h"
#include "diag/Win32Text.h"
#include "link/PortDiscovery.h"
#include "link/PortOpenProblem.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace {

// Driver buffer sizes asked for at opening.
constexpr DWORD kDriverReceiveBuffer = 8192;
constexpr DWORD kDriverTransmitBuffer = 2048;
// The read-ahead: more than any reply line, less than a download frame's
// acknowledgement burst would ever need.
constexpr DWORD kReadAhead = 512;
// Flow-control limits and characters the adapter's driver expects even with
// flow control off.
constexpr WORD kXonLimit = 2;
constexpr WORD kXoffLimit = 4;
constexpr char kXonChar = 0x13;
constexpr char kXoffChar = 0x19;

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

bool DoesNotExist(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_BAD_NETPATH ||
           error == ERROR_INVALID_NAME || error == ERROR_DEV_NOT_EXIST || error == ERROR_DEVICE_NOT_CONNECTED;
}

BYTE ParityOf(int parity)
{
    switch (parity) {
    case CComPort::kParityOdd:
        return ODDPARITY;
    case CComPort::kParityEven:
        return EVENPARITY;
    default:
        return NOPARITY;
    }
}

BYTE StopBitsOf(int stopBits)
{
    switch (stopBits) {
    case CComPort::kStopBitsOneAndHalf:
        return ONE5STOPBITS;
    case CComPort::kStopBitsTwo:
        return TWOSTOPBITS;
    default:
        return ONESTOPBIT;
    }
}

} // namespace

// Events of the overlapped reads and writes (one each: one thread may read
// while another writes), the wake-up event, and the read-ahead buffer.
struct CComPort::Native
{
    HANDLE readEvent = nullptr;
    HANDLE writeEvent = nullptr;
    HANDLE wakeEvent = nullptr; // manual reset: stays set until clearWake
    char readAhead[kReadAhead] = {};
    DWORD head = 0, tail = 0; // bytes readAhead[head..tail) are unread

    Native()
    {
        readEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        writeEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
};

void CComPort::NativeDeleter::operator()(Native* native) const
{
    for (HANDLE event : {native->readEvent, native->writeEvent, native->wakeEvent})
        if (event)
            CloseHandle(event);
    delete native;
}

CComPort::CComPort() : m_native(new Native) {}

CComPort::~CComPort() { CComPort::close(); }

bool CComPort::enableWake()
{
    if (!m_native->wakeEvent)
        m_native->wakeEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return m_native->wakeEvent != nullptr;
}

void CComPort::wake()
{
    if (m_native->wakeEvent)
        SetEvent(m_native->wakeEvent);
}

void CComPort::clearWake()
{
    if (m_native->wakeEvent)
        ResetEvent(m_native->wakeEvent);
}

CComPort::Wait CComPort::sleepFor(int timeoutMs)
{
    const DWORD ms = static_cast<DWORD>(std::max(timeoutMs, 0));
    if (!m_native->wakeEvent) {
        Sleep(ms);
        return Wait::TimedOut;
    }
    return WaitForSingleObject(m_native->wakeEvent, ms) == WAIT_OBJECT_0 ? Wait::Woken : Wait::TimedOut;
}

int CComPort::open(const std::string& portName, int baudRate, int stopBits, int parity)
{
    close();
    m_openProblem.clear();
    if (!m_native->readEvent || !m_native->writeEvent) {
        m_lastErrno = static_cast<int>(ERROR_NOT_ENOUGH_MEMORY);
        return Result::PortBusy;
    }
    const std::string device = ResolvePortDevice(portName);
    // No sharing: the port is ours alone until it is closed.
    HANDLE h = CreateFileW(Win32Text::Wide(device).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        m_lastErrno = static_cast<int>(error);
        if (DoesNotExist(error)) {
            m_openProblem = PortOpenProblem::Gone(device);
            return Result::PortGone;
        }
        // A COM port is opened by one program at a time; Windows answers
        // another one with "access denied" and does not say who holds it.
        if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION)
            m_openProblem = PortOpenProblem::Busy(device, {});
        return Result::PortBusy;
    }
    const auto fail = [&](int code) {
        m_lastErrno = static_cast<int>(GetLastError());
        CloseHandle(h);
        return code;
    };

    DWORD errors = 0;
    ClearCommError(h, &errors, nullptr);
    SetupComm(h, kDriverReceiveBuffer, kDriverTransmitBuffer);
    // Stale input goes; output is left alone, because it may still hold the
    // last line a previous handle wrote (the unlock command, say) on its way
    // to the adapter.
    PurgeComm(h, PURGE_RXABORT | PURGE_RXCLEAR);

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(h, &dcb))
        return fail(Result::NotASerialPort);
    dcb.BaudRate = static_cast<DWORD>(baudRate);
    dcb.fBinary = TRUE;
    dcb.ByteSize = 8;
    dcb.Parity = ParityOf(parity);
    dcb.fParity = dcb.Parity != NOPARITY;
    dcb.StopBits = StopBitsOf(stopBits);
    // DTR and RTS on: the adapter takes its supply from them.
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    dcb.XonLim = kXonLimit;
    dcb.XoffLim = kXoffLimit;
    dcb.XonChar = kXonChar;
    dcb.XoffChar = kXoffChar;
    dcb.EvtChar = 0;

    if (!SetCommMask(h, 0))
        return fail(Result::PortSettingsRefused);
    // Reads without driver time-outs: an overlapped read completes when its
    // bytes are there, and the reading loop bounds every wait itself. Writes
    // time out as the adapter's driver would (per byte plus a constant); the
    // writing side bounds its waits the same way.
    COMMTIMEOUTS timeouts{};
    timeouts.WriteTotalTimeoutMultiplier = kWriteTimeoutPerByteMs;
    timeouts.WriteTotalTimeoutConstant = kWriteTimeoutConstantMs;
    if (!SetCommTimeouts(h, &timeouts))
        return fail(Result::PortSettingsRefused);
    if (!SetCommState(h, &dcb))
        return fail(Result::PortSettingsRefused);

    m_native->head = m_native->tail = 0;
    m_device = device;
    m_handle.store(reinterpret_cast<std::intptr_t>(h));
    return 0;
}

void CComPort::close()
{
    const auto handle = m_handle.exchange(kClosed);
    if (handle == kClosed)
        return;
    CloseHandle(AsHandle(handle));
    m_native->head = m_native->tail = 0;
}

namespace {

enum class Done { Completed, TimedOut, Woken, Failed };

// Waits for an overlapped operation, the wake-up event (may be null) or the
// time-out; an operation that did not complete is canceled and waited for,
// so *moved holds the bytes it moved in every case.
Done Finish(HANDLE h, OVERLAPPED* ov, HANDLE wakeEvent, DWORD timeoutMs, DWORD* moved)
{
    const HANDLE events[2] = {ov->hEvent, wakeEvent};
    const DWORD w = WaitForMultipleObjects(wakeEvent ? 2 : 1, events, FALSE, timeoutMs);
    if (w == WAIT_OBJECT_0)
        return GetOverlappedResult(h, ov, moved, FALSE) ? Done::Completed : Done::Failed;
    CancelIoEx(h, ov);
    // The operation may have completed while it was canceled: its bytes count.
    GetOverlappedResult(h, ov, moved, TRUE);
    return w == WAIT_OBJECT_0 + 1 ? Done::Woken : Done::TimedOut;
}

} // namespace

int CComPort::readByte(char* out)
{
    Native& n = *m_native;
    if (n.head == n.tail) {
        // Take what the driver holds, in one read that completes at once.
        const HANDLE h = AsHandle(m_handle.load());
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(h, &errors, &status)) {
            m_lastErrno = static_cast<int>(GetLastError());
            return -1;
        }
        if (status.cbInQue == 0)
            return 0;
        OVERLAPPED ov{};
        ov.hEvent = n.readEvent;
        ResetEvent(ov.hEvent);
        DWORD got = 0;
        const DWORD want = std::min<DWORD>(status.cbInQue, kReadAhead);
        if (!ReadFile(h, n.readAhead, want, &got, &ov)) {
            if (GetLastError() != ERROR_IO_PENDING || !GetOverlappedResult(h, &ov, &got, TRUE)) {
                m_lastErrno = static_cast<int>(GetLastError());
                return -1;
            }
        }
        n.head = 0;
        n.tail = got;
        if (got == 0)
            return 0;
    }
    *out = n.readAhead[n.head++];
    return 1;
}

CComPort::Wait CComPort::waitReadable(int timeoutMs)
{
    Native& n = *m_native;
    if (n.head != n.tail)
        return Wait::Ready;
    // A read of one byte completes the moment a byte arrives; its byte
    // starts the read-ahead.
    const HANDLE h = AsHandle(m_handle.load());
    OVERLAPPED ov{};
    ov.hEvent = n.readEvent;
    ResetEvent(ov.hEvent);
    DWORD got = 0;
    n.head = n.tail = 0;
    if (ReadFile(h, n.readAhead, 1, &got, &ov)) {
        n.tail = got;
        return got > 0 ? Wait::Ready : Wait::TimedOut;
    }
    if (GetLastError() != ERROR_IO_PENDING) {
        m_lastErrno = static_cast<int>(GetLastError());
        return Wait::Gone;
    }
    const Done done = Finish(h, &ov, n.wakeEvent, static_cast<DWORD>(std::max(timeoutMs, 0)), &got);
    n.tail = got;
    if (got > 0)
        return Wait::Ready;
    switch (done) {
    case Done::Woken:
        return Wait::Woken;
    case Done::Failed:
        m_lastErrno = static_cast<int>(GetLastError());
        return Wait::Gone;
    default:
        return Wait::TimedOut;
    }
}

int CComPort::writeSome(const uint8_t* data, int length)
{
    const HANDLE h = AsHandle(m_handle.load());
    OVERLAPPED ov{};
    ov.hEvent = m_native->writeEvent;
    ResetEvent(ov.hEvent);
    DWORD moved = 0;
    if (WriteFile(h, data, static_cast<DWORD>(length), &moved, &ov))
        return static_cast<int>(moved);
    if (GetLastError() != ERROR_IO_PENDING) {
        m_lastErrno = static_cast<int>(GetLastError());
        return 0;
    }
    // As long as the driver's own write time-out, so that a stalled line
    // counts as stalled whichever of the two notices first.
    const DWORD limit = static_cast<DWORD>(kWriteTimeoutConstantMs + kWriteTimeoutPerByteMs * length);
    if (Finish(h, &ov, m_native->wakeEvent, limit, &moved) == Done::Failed)
        m_lastErrno = static_cast<int>(GetLastError());
    return static_cast<int>(moved);
}

void CComPort::drainOutput() { FlushFileBuffers(AsHandle(m_handle.load())); }
