// The byte pipe to the serial interface adapter: one serial port, opened by
// name with a fixed framing (raw, 8 data bits, the caller's parity and stop
// bits, DTR and RTS on, no flow control), written in blocks and read either
// as a block of bytes or as ASCII lines. Time-outs are measured here on the
// monotonic clock; waiting is done with poll(), so a silent line costs no
// processor time.
//
// A port name is either a device path ("/dev/ttyUSB0", anything with a '/'),
// or a name from the port list: a published virtual port (a link in the
// ports directory, see PortDiscovery.h) or a device in /dev ("ttyUSB0").
//
// Result codes (diag/Result.h; negative = failure), per operation:
//   open        Ok; NoLink the port does not exist; PortBusy opening failed
//               (held by another program or another port object, access
//               denied, other); NotASerialPort reading the port state failed
//               (not a serial device); PortSettingsRefused setting the port
//               state failed (for example a baud rate the driver does not
//               offer). After any failure the port is closed.
//   putArray    Ok; NoLink port closed; MissingArgument no data; ZeroLength
//               length 0; WriteStalled (the fifth write that moved no byte)
//   getArray    byte or line length (may be 0); NoLink port closed;
//               MissingArgument no buffer; ZeroLength size 0; NoReply
//               nothing within the first-byte time-out
//   purgeInput  Ok; NoLink port closed
//   sendNewLine Ok; NoLink port closed; WriteStalled
// The errno of the last failing system call stays in the object (lastErrno).
//
// Thread rules: one thread at a time uses a port object, except that one
// thread may read (getArray, purgeInput) while another writes (putArray);
// close only while no other thread uses the port (CComPortEx stops its
// receive thread first).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
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
    bool isOpen() const { return m_fd.load() >= 0; }

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
    const std::string& devicePath() const { return m_device; }

protected:
    // A descriptor whose readability interrupts every wait of this port (the
    // receive thread's stop request); -1 = none.
    void setWakeDescriptor(int fd) { m_wakeFd = fd; }

private:
    enum class Wait { Ready, TimedOut, Woken, Gone };
    // Waits for events on the port, the wake-up descriptor or the time-out;
    // Gone when the port reported only a hang-up or an error.
    Wait waitPort(short events, int timeoutMs);
    Wait waitReadable(int timeoutMs);
    Wait waitWritable(int timeoutMs);
    Wait sleepFor(int timeoutMs);
    // One byte: 1 got one, 0 none yet (try again after waiting), -1 the
    // device reported an error or end of file.
    int readByte(char* out);

    std::atomic<int> m_fd{-1};
    int m_wakeFd = -1;
    std::atomic<int> m_lastErrno{0}; // the reading and the writing thread both set it
    std::string m_device;
};
