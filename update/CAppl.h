// One firmware download over the serial line: owns the download's own port
// (a CComPortEx with its receive thread) and the state machine, and is the
// transmitter through which the machine writes its frames. One CAppl lives
// for exactly one download; whoever runs the download (the FW-Update page's
// worker, tavemo-cli) creates it, drives it and destroys it:
//
//   CAppl appl;
//   if (appl.LoadDNL(path) != 0) ...;          // file missing or damaged
//   appl.openPort(name);                       // 115200 8N1, reports nothing
//   appl.startReceiver();
//   if (appl.Start() != 0) ...;
//   int rc = appl.Drive(report);               // every 20 ms: tick + report
//   appl.stopAndClose();
//
// Result codes (diag/Result.h): LoadDNL and Start as CSwDl's (Ok, the
// file's failure, NoValidFile); startReceiver Ok started, NoPortSelected;
// Drive Ok the unit reached Reboot, DownloadFailed the download ended in
// Error, DownloadCanceled by the report callback, PortGone the port vanished
// or hung up (at once: a unit behind a pulled adapter never answers, and
// waiting for the resends would only hold the user for a minute).
//
// Thread rules: LoadDNL, openPort, startReceiver, Start, Drive and
// stopAndClose belong to the one thread that runs the download. The receive
// thread calls processRx and, through it, transmit. state(), getProgress()
// and transferOffset() may be read from any thread. Only one download runs
// in a process at a time (the codec's registration is process-wide).
#pragma once

#include "link/CComPortEx.h"
#include "link/IComReceiver.h"
#include "link/IComStatusOwner.h"
#include "update/CSwDl.h"
#include "update/ISwDlTx.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

class CAppl : public ISwDlTx, public IComReceiver, public IComStatusOwner
{
public:
    // The driver's pace: progress is published and the response time-out
    // checked this often; fast enough for a smooth bar, idle otherwise.
    static constexpr int kPollIntervalMs = 20;

    // Called every kPollIntervalMs with the progress (0..100) and the state
    // (SwDlState values); returns false to cancel the download.
    using ReportFn = std::function<bool(int progress, int32_t state)>;

    explicit CAppl(void* owner = nullptr);
    ~CAppl() override;
    CAppl(const CAppl&) = delete;
    CAppl& operator=(const CAppl&) = delete;

    int LoadDNL(const std::string& path);
    // Selects the port of that name (or device path) from a fresh port list
    // and opens it at 115200 baud, 8N1. Reports nothing; see isPortOpen.
    void openPort(const std::string& name);
    bool isPortOpen() const { return m_port.isOpen(); }
    int startReceiver();
    int Start();

    // Drives a started download to its end. See the result codes above.
    int Drive(const ReportFn& report);
    // The response time-out check (Drive calls it every 20 ms).
    void tick() { m_swdl.tick(0, 0, 0); }
    // Stops the receive thread and closes the port; nothing is sent.
    void stopAndClose();

    int getProgress() { return m_swdl.getProgress(); }
    int32_t state() const { return m_swdl.state(); }
    uint32_t transferOffset() const { return m_swdl.transferOffset(); }
    uint32_t payloadLength() const { return m_swdl.payloadLength(); }
    void* owner() const { return m_owner; }
    CSwDl& swdl() { return m_swdl; }
    const CSwDl& swdl() const { return m_swdl; }
    CComPortEx& port() { return m_port; }

    // ISwDlTx: false when no port is selected or the write failed.
    bool transmit(const uint8_t* bytes, int32_t length) override;
    // IComReceiver: offers a received line to the state machine.
    bool processRx(const uint8_t* data, int length) override;
    // IComStatusOwner
    bool downloadFinished() const override { return state() == int32_t(SwDlState::Reboot); }
    Logger& rxLogger() override;

private:
    void* m_owner;
    CSwDl m_swdl;       // declared before the port: the port, and with it the
    CComPortEx m_port;  // receive thread, goes first
    std::unique_ptr<uint8_t[]> m_rxLine; // the receive thread's copy to decode in place
    std::atomic<std::thread::id> m_rxThread{};
    std::atomic<bool> m_writeGone{false}; // a write met a port that is gone
};
