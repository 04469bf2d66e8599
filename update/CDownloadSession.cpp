#include "update/CDownloadSession.h"

#include "diag/Logger.h"
#include "diag/Result.h"
#include "update/CDnlFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace {

// The file's failures the status line calls "file corrupt": everything after
// the file could be opened.
bool IsFileCorrupt(int code)
{
    return code < Result::FileNotOpened && code >= Result::ImageCrcWrong;
}

} // namespace

std::string CDownloadSession::Progress::rateText() const
{
    char text[48];
    std::snprintf(text, sizeof text, "%u.%u kB/s", bytesPerSecond / 1024, bytesPerSecond % 1024 * 10 / 1024);
    return text;
}

std::string CDownloadSession::Progress::timeLeftText() const
{
    char text[48];
    std::snprintf(text, sizeof text, "%u:%02u left", secondsLeft / 60, secondsLeft % 60);
    return text;
}

CDownloadSession::CDownloadSession(std::string path, bool demoMode)
    : m_path(std::move(path)), m_demoMode(demoMode), m_appl(this)
{}

int CDownloadSession::check()
{
    // Demo mode stands for no unit at all: a download would open the port
    // chosen in the list and send a firmware to whatever hangs there.
    if (m_demoMode) {
        const char* why = "No firmware update in demo mode: there is no unit to update.\r\nLeave demo mode and "
                          "connect to the unit first.";
        return end(Result::DemoMode, why, why);
    }
    return end(Result::Ok, "", "");
}

int CDownloadSession::load()
{
    const int rc = m_appl.LoadDNL(m_path);
    m_loaded = rc == Result::Ok;
    if (m_loaded)
        return end(Result::Ok, "", "");
    std::string brief;
    if (rc == Result::FileNotOpened)
        brief = "file not found or not readable";
    else if (IsFileCorrupt(rc))
        brief = "file corrupt (" + ResultText(rc) + ")";
    else
        brief = ResultText(rc);
    // The command line names the CRC the file carries and the one its bytes
    // give, for whoever has to find out where the copy went wrong.
    std::string full = m_path + ": " + ResultText(rc);
    const CDnlFile& f = file();
    if ((rc == Result::FileCrcWrong || rc == Result::ImageCrcWrong) && f.crcFound() != f.crcExpected()) {
        char crcs[64];
        std::snprintf(crcs, sizeof crcs, " (CRC found 0x%08X, expected 0x%08X)", unsigned(f.crcFound()),
                      unsigned(f.crcExpected()));
        full += crcs;
    }
    return end(rc, "Download failed: " + brief, full);
}

int CDownloadSession::run(const std::string& portName, const ProgressFn& onProgress)
{
    m_finished = false;
    const int rc = [&] {
        if (check() != Result::Ok)
            return m_result;
        if (portName.empty())
            return end(Result::NoPortSelected, "Download failed: no COM port selected",
                       "download failed: no port given");
        if (!m_loaded && load() != Result::Ok)
            return m_result;
        // A cancel before the port is opened sends nothing at all.
        if (m_cancel.load())
            return drive(onProgress);
        m_appl.openPort(portName);
        if (m_appl.port().selectedPort() < 0)
            return end(Result::NoPortSelected, "Download failed: the port " + portName + " cannot be opened",
                       "no port named '" + portName + "' (see the port list)");
        if (!m_appl.isPortOpen())
            return end(Result::PortBusy, "Download failed: the port " + portName + " cannot be opened",
                       "port '" + portName + "' cannot be opened (in use, or no access)");
        m_appl.startReceiver();
        if (const int started = m_appl.Start(); started != Result::Ok) {
            const std::string& why = m_appl.swdl().errorText();
            m_appl.stopAndClose();
            return end(started, "Download failed: " + (why.empty() ? ResultText(started) : why),
                       m_path + ": the download could not be started: " + ResultText(started));
        }
        const int driven = drive(onProgress);
        m_appl.stopAndClose();
        return driven;
    }();
    if (rc != Result::Ok && rc != Result::DownloadCanceled)
        Logger::Instance().log(LogModule::SWDL, LogLevel::ERROR, "SwDl: download failed (%d): %s", rc,
                               m_commandText.c_str());
    m_finished = true;
    return rc;
}

int CDownloadSession::drive(const ProgressFn& onProgress)
{
    {
        std::lock_guard<std::mutex> lock(m_progressMutex);
        m_progress.total = m_appl.payloadLength();
    }
    int rc = Result::DownloadCanceled;
    if (!m_cancel.load())
        rc = m_appl.Drive([this, &onProgress](int percent, int32_t state) {
            poll(percent, state);
            if (onProgress)
                onProgress(progress());
            return !m_cancel.load();
        });
    // Where the machine stopped, as the last poll may not have seen it.
    poll(m_appl.getProgress(), m_appl.state());

    const std::string& why = m_appl.swdl().errorText();
    switch (rc) {
    case Result::Ok:
        return end(rc, "Download complete.",
                   "Download complete: the unit is rebooting with firmware " + file().version() + ".");
    case Result::DownloadCanceled:
        return end(rc, "Download canceled.", "download canceled; the port is closed");
    case Result::DownloadFailed:
        return end(rc, "Download failed: " + (why.empty() ? std::string("the unit reported an error") : why),
                   "download failed: " + (why.empty() ? ResultText(rc) : why));
    default:
        return end(rc, "Download failed: " + ResultText(rc), "download failed: " + ResultText(rc));
    }
}

void CDownloadSession::poll(int percent, int32_t state)
{
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard<std::mutex> lock(m_progressMutex);
    Progress& p = m_progress;
    p.percent = percent;
    p.state = state;
    p.stateText = CSwDl::StateText(state);
    // The machine forgets its offset once the blocks are done.
    p.sent = state == int32_t(SwDlState::Finalize) || state == int32_t(SwDlState::Reboot) ? p.total
                                                                                         : m_appl.transferOffset();
    // The rate counts the bytes acknowledged since the first poll that saw
    // the transfer: the bytes before it went out in a time not measured.
    if (state == int32_t(SwDlState::Transfer) && !m_transferSeen) {
        m_transferSeen = true;
        m_transferStart = now;
        m_sentAtStart = p.sent;
    }
    if (!m_transferSeen)
        return;
    const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(now - m_transferStart).count();
    const long long moved = static_cast<long long>(p.sent) - m_sentAtStart;
    p.rateKnown = ms > 0 && moved > 0;
    p.bytesPerSecond = p.rateKnown ? static_cast<uint32_t>(std::min<long long>(moved * 1000 / ms, UINT32_MAX)) : 0;
    p.secondsLeft = p.bytesPerSecond > 0 ? (p.total - p.sent) / p.bytesPerSecond : 0;
}

CDownloadSession::Progress CDownloadSession::progress() const
{
    std::lock_guard<std::mutex> lock(m_progressMutex);
    return m_progress;
}

int CDownloadSession::end(int code, std::string statusText, std::string commandText)
{
    m_result = code;
    m_statusText = std::move(statusText);
    m_commandText = std::move(commandText);
    return code;
}
