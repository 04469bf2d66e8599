// The byte pipe to the serial interface adapter: one serial port, opened by
// name with a fixed framing (raw, 8 data bits, the caller's parity and stop
// bits, DTR and RTS on, no flow control), written in blocks and read either
// as a block of bytes or as ASCII lines. Time-outs are measured here on the
// monotonic clock; every wait sleeps in the system until a byte, the
// time-out or a wake-up comes (poll() on a descriptor; on Windows an
// overlapped read or write waited for together with the wake-up event), so
// a silent line costs no processor time.
//
// The reading and writing rules live in CComPort.cpp; the system's side
// (opening, one byte, waiting, writing, the wake-up) in CComPortPosix.cpp or
// CComPortWin32.cpp, whichever the build is for.
//
// A port name is either a device path ("/dev/ttyUSB0", anything with a '/'),
// or a name from the port list: a published virtual port (a link in the
// ports directory, see PortDiscovery.h) or a device in /dev ("ttyUSB0").
// On Windows: "COM7", or the device path "\\.\COM7".
//
// Result codes (diag/Result.h; negative = failure), per operation:
//   open        Ok; PortGone the device does not exist (unplugged);
//               PortNoAccess the user may not open it; PortBusy held by
//               another program or another port object (or another failure
//               to open); NotASerialPort reading the port state failed (not
//               a serial device); PortSettingsRefused setting the port state
//               failed (for example a baud rate the driver does not offer).
//               After any failure the port is closed, and for the first
//               three openProblem() tells the details (PortOpenProblem.h).
//   putArray    Ok; NoLink port closed; MissingArgument no data; ZeroLength
//               length 0; WriteStalled (the fifth write that moved no byte);
//               PortGone the device vanished or hung up
//   getArray    byte or line length (may be 0); NoLink port closed;
//               MissingArgument no buffer; ZeroLength size 0; NoReply
//               nothing within the first-byte time-out; PortGone the device
//               vanished or hung up (at once: waiting would only make every
//               job that reads register by register run on for minutes)
//   purgeInput  Ok; NoLink port closed
//   sendNewLine Ok; NoLink port closed; WriteStalled; PortGone
// The error of the last failing system call stays in the object (lastErrno:
// the errno, on Windows the GetLastError code).
//
// Thread rules: one thread at a time uses a port object, except that one
// thread may read (getArray, purgeInput) while another writes (putArray);
// close only while no other thread uses the port (CComPortEx stops its
// receive thread first).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class CComPort
{
public:
    // First-byte and inter-byte waits of the reading loop.
    static constexpr int kInterByteTimeoutMs = 40;   // a reply line ends 40 ms after its last byte
    static constexpr int kPurgeSilenceMs = 10;       // input counts as drained after 10 ms of silence
    // A write that moves nothing waits this long (plus per byte) before it
    // counts as stalled, as the adapter's driver would time out a write.
    static constexpr int kWriteTimeoutConstantMs = 1000;
    static constexpr int kWriteTimeoutPerByteMs = 100;
    static constexpr int kMaxStalledWrites = 5;

    // Framing numbers: parity 0 none, 1 odd, 2 even; stop bits 0 one,
    // 1 one and a half (two here), 2 two.
    static constexpr int kParityNone = 0, kParityOdd = 1, kParityEven = 2;
    static constexpr int kStopBitsOne = 0, kStopBitsOneAndHalf = 1, kStopBitsTwo = 2;

    // Takes each received line (the text, then LF, then NUL; CR dropped);
    // returns true when it accepts the line.
    using LineCallback = std::function<bool(const char* line)>;

    CComPort();
    virtual ~CComPort();
    CComPort(const CComPort&) = delete;
    CComPort& operator=(const CComPort&) = delete;

    int open(const std::string& portName, int baudRate, int stopBits, int parity);
    virtual void close();
    bool isOpen() const { return m_handle.load() != kClosed; }

    int putArray(const void* data, int length);

    // buffer must hold size + 1 bytes: the content stays NUL-terminated.
    // Without a callback: returns once size bytes arrived, or 40 ms after
    // the last byte, with the bytes read. With a callback: returns the
    // length of the first line the callback accepts (the line stays in the
    // buffer with its LF), or, after 40 ms of silence, what is left of the
    // current line. A refused line goes to the debug window and is dropped.
    int getArray(char* buffer, int size, const LineCallback& callback, int firstByteTimeoutMs);

    // Waits until written bytes are sent, then reads and drops input until
    // the line has been silent for 10 ms.
    int purgeInput();

    // CR LF, then purgeInput (also after a failed write). The command client
    // sends it before each command so that the adapter starts a fresh line.
    int sendNewLine();

    int lastErrno() const { return m_lastErrno.load(); }
    // Why the last open failed, in words: the device's group and what gives
    // access, the programs that hold it, or that it no longer exists; empty
    // after a successful open. Read it on the thread that opens the port.
    const std::string& openProblem() const { return m_openProblem; }
    const std::string& devicePath() const { return m_device; }

protected:
    enum class Wait { Ready, TimedOut, Woken, Gone };

    // The wake-up of a port that runs a receive thread: once enabled, wake()
    // ends every wait of this port (the current one and every later one)
    // until clearWake(). enableWake returns false when the system has no
    // wake-up object to give; the port then works without one.
    bool enableWake();
    void wake();
    void clearWake();
    // Sleeps for timeoutMs, or until woken.
    Wait sleepFor(int timeoutMs);

private:
    // The system's side, one implementation per platform.
    // Waits until a byte can be read, the time-out passes or a wake-up
    // comes; Gone when the port reported only a hang-up or an error.
    Wait waitReadable(int timeoutMs);
    // One byte: 1 got one, 0 none yet (try again after waiting), -1 the
    // device reported an error or end of file.
    int readByte(char* out);
    // Writes up to length bytes, waiting as long as a write of that many
    // bytes may take; returns the bytes moved, 0 when none moved (a stalled
    // try: the driver's buffer stayed full, or a wake-up came), -1 when the
    // device is gone (unplugged, hung up).
    int writeSome(const uint8_t* data, int length);
    // Waits until the written bytes have left the driver.
    void drainOutput();

    // The native handle: the descriptor, or the Windows HANDLE; -1 closed
    // (which is also the value of an invalid HANDLE).
    static constexpr std::intptr_t kClosed = -1;
    std::atomic<std::intptr_t> m_handle{kClosed};
    // The rest of the system's state (the wake-up object, overlapped
    // events, a read-ahead buffer), defined by the backend.
    struct Native;
    struct NativeDeleter
    {
        void operator()(Native* native) const;
    };
    std::unique_ptr<Native, NativeDeleter> m_native;
    std::atomic<int> m_lastErrno{0}; // the reading and the writing thread both set it
    std::string m_device;
    std::string m_openProblem;
};
