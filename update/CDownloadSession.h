// One firmware download from start to end, the same for the FW-Update page
// and tavemo-cli update: refuse demo mode, load and check the file, open the
// download port, start, follow the state machine every 20 ms to Reboot,
// Error, a cancel or a port that is gone, close the port, and say how it
// ended. The callers only show what it reports: the progress (percent,
// bytes, rate and time left, the state's words) and the end in words.
//
//   CDownloadSession session(path, demoMode);
//   if (session.check() != 0) ...;                 // demo mode: nothing opened
//   session.load();                                // optional: to show the file first
//   int rc = session.run(portName, onProgress);    // returns once the port is closed
//   show(session.endText(CDownloadSession::Wording::StatusLine));
//
// One session is one download: make a new one for the next.
//
// The end in words comes in two wordings: the status line's short one
// ("Download failed: file corrupt (...)") and the command line's, which
// names the file and the CRCs ("<file>: the file is damaged ... (CRC found
// 0x..., expected 0x...)"). Either is the whole text; the command line puts
// its program name in front of a failure.
//
// Result codes (diag/Result.h):
//   check  Ok; DemoMode (demo mode stands for no unit: nothing is opened).
//   load   Ok; the file's failure (CDnlFile.h), NoValidFile.
//   run    Ok the unit took the image and was told to reboot; DemoMode;
//          NoPortSelected no port name, or no port of that name;
//          PortBusy the port cannot be opened; the file's failure;
//          DownloadFailed the state machine ended in Error (the unit is of
//          another kind, refused, stopped answering); PortGone the port
//          vanished or hung up (the download ends at once);
//          DownloadCanceled cancel() was called (before the port was opened
//          nothing is opened or sent; afterwards nothing more is sent).
//
// Thread rules: check, load, run and endText belong to one thread (the
// page's worker, the command line's main thread); run calls onProgress on
// that thread every 20 ms. cancel, cancelRequested, progress and finished
// may be called from any thread at any time. Only one download runs in a
// process at a time (the download codec's registration is process-wide).
#pragma once

#include "update/CAppl.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

class CDnlFile;

class CDownloadSession
{
public:
    // What a download has reached, as every 20 ms poll sees it.
    struct Progress
    {
        int percent = 0;                    // 0..100 (CSwDl::getProgress)
        int32_t state = int32_t(SwDlState::Idle);
        const char* stateText = "eIdle";    // CSwDl::StateText
        uint32_t sent = 0;                  // payload bytes acknowledged; all once past the transfer
        uint32_t total = 0;                 // the payload's length
        bool rateKnown = false;             // the transfer has run and moved bytes
        uint32_t bytesPerSecond = 0;        // since the first poll that saw the transfer
        uint32_t secondsLeft = 0;           // at that rate

        // "12.3 kB/s" (1 kB = 1024 bytes, tenths cut off, no locale).
        std::string rateText() const;
        // "1:05 left".
        std::string timeLeftText() const;
    };
    using ProgressFn = std::function<void(const Progress&)>;

    enum class Wording { StatusLine, CommandLine };

    CDownloadSession(std::string path, bool demoMode);
    CDownloadSession(const CDownloadSession&) = delete;
    CDownloadSession& operator=(const CDownloadSession&) = delete;

    int check();
    int load();
    int run(const std::string& portName, const ProgressFn& onProgress = {});

    void cancel() { m_cancel.store(true); }
    bool cancelRequested() const { return m_cancel.load(); }
    Progress progress() const;
    // run has returned: the port is closed.
    bool finished() const { return m_finished.load(); }

    // The last result of check, load or run.
    int result() const { return m_result; }
    // How the session ended (or why check or load refused), as a whole text.
    const std::string& endText(Wording wording) const
    {
        return wording == Wording::StatusLine ? m_statusText : m_commandText;
    }
    // The loaded file (valid after load gave Ok).
    const CDnlFile& file() const { return m_appl.swdl().file(); }
    // Tests point port discovery at a folder of their own.
    void setDiscoveryRoots(const PortDiscoveryRoots& roots) { m_appl.port().setDiscoveryRoots(roots); }

private:
    int end(int code, std::string statusText, std::string commandText);
    int drive(const ProgressFn& onProgress);
    void poll(int percent, int32_t state);

    const std::string m_path;
    const bool m_demoMode;
    CAppl m_appl;
    bool m_loaded = false;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_finished{false};

    mutable std::mutex m_progressMutex;
    Progress m_progress;
    bool m_transferSeen = false;
    std::chrono::steady_clock::time_point m_transferStart;
    uint32_t m_sentAtStart = 0;

    int m_result = 0;
    std::string m_statusText;
    std::string m_commandText;
};
