// The firmware download's serial port: a CComPort with its own list of the
// ports present and a receive thread that reads the line byte by byte and
// hands each block ending in CR or LF to a receiver (IComReceiver.h).
//
// Hand-over rules of the receive thread:
//   - bytes collect in an 8192-byte line buffer; bytes beyond that are
//     dropped until the line ends;
//   - a CR or LF ends the block, so "text CR LF" arrives as the text with
//     its CR, then a block holding only the LF; a download frame
//     0x01 ... 0x0A arrives whole;
//   - each block is logged as "serial port state: connected" (Appl, INFO),
//     handed to processRx, and logged as text (ExtDev, INFO) when refused;
//   - after each block the thread ends itself once the status owner
//     reports the download finished;
//   - a port that vanishes or hangs up ends the thread at once, and
//     portGone() says so until the next startReceiver.
//
// Result codes (diag/Result.h): startReceiver Ok started, NoPortSelected
// (nothing started); the other operations report nothing or a count. The
// CComPort codes apply to the inherited operations.
//
// Thread rules: the receive thread is owned by this object: stopReceiver
// and the destructor (and close, and selectPort) wake it out of any wait and
// join it, so it never outlives the port it reads. Called from inside
// processRx (on the receive thread itself), stopReceiver only asks the
// thread to end after the current block. While the thread runs, another
// thread may write (putArray); everything else is for one thread at a time.
#pragma once

#include "link/CComPort.h"
#include "link/PortDiscovery.h"

#include <atomic>
#include <thread>
#include <vector>

class IComReceiver;
class IComStatusOwner;

class CComPortEx : public CComPort
{
public:
    static constexpr int kLineBufferSize = 8192;
    // The thread's reads wait this long for a byte before they start over
    // (each such time-out writes a line to the debug window).
    static constexpr int kReceiveTimeoutMs = 2000;
    // Pause after a read that brought nothing or while the port is closed.
    static constexpr int kIdlePauseMs = 20;

    CComPortEx();
    ~CComPortEx() override;

    void setReceiver(IComReceiver* receiver) { m_receiver = receiver; }
    void setStatusOwner(IComStatusOwner* owner) { m_statusOwner = owner; }

    // Rebuilds the port list; returns the number of ports.
    int enumeratePorts();
    const std::vector<PortEntry>& ports() const { return m_ports; }
    int selectedPort() const { return m_selectedPort; }
    // Tests point discovery at a temporary tree.
    void setDiscoveryRoots(const PortDiscoveryRoots& roots) { m_roots = roots; }

    // Rebuilds the port list, selects the last entry whose name equals name
    // exactly (or none), closes the port and, when one was selected, opens
    // it at 115200 baud, 8N1 (a failed open leaves the port closed).
    void selectPort(const std::string& name);

    // Stops a running receive thread, then starts a new one when a port is
    // selected. Returns Ok when started, NoPortSelected when no port is
    // selected (or when called on the receive thread itself).
    int startReceiver();
    // Asks the thread to end and waits for it (see the thread rules).
    void stopReceiver();
    bool receiverRunning() const { return m_running.load(); }
    // The receive thread met a port that is gone (unplugged, hung up).
    bool portGone() const { return m_gone.load(); }

    // Stops the receive thread first (unless called on it).
    void close() override;

private:
    void receiveThread();
    bool onReceiveThread() const { return std::this_thread::get_id() == m_thread.get_id(); }

    std::vector<PortEntry> m_ports;
    int m_selectedPort = -1;
    PortDiscoveryRoots m_roots;
    IComReceiver* m_receiver = nullptr;
    IComStatusOwner* m_statusOwner = nullptr;

    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_gone{false};
};
