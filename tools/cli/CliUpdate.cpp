// tavemo-cli update: downloads a firmware file (".dnl") to the unit on the
// given port, with a progress line, and exits 0 only when the unit took the
// image and was told to reboot. Ctrl-C cancels: the port is closed and
// nothing more is sent (the unit keeps its old firmware until it gets a
// complete image).
#include "diag/Result.h"
#include "tools/cli/CliCommands.h"
#include "tools/cli/CliConsole.h"
#include "update/CAppl.h"
#include "update/CDnlFile.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace cli {

namespace {

// The file's failure in words; a CRC failure also names the CRC the file
// carries and the one its bytes give.
int FileFailure(const std::string& path, const CDnlFile& file, int rc)
{
    std::string why = ResultText(rc);
    if ((rc == Result::FileCrcWrong || rc == Result::ImageCrcWrong) &&
        file.crcFound() != file.crcExpected()) {
        char crcs[64];
        std::snprintf(crcs, sizeof crcs, " (CRC found 0x%08X, expected 0x%08X)", unsigned(file.crcFound()),
                      unsigned(file.crcExpected()));
        why += crcs;
    }
    std::fprintf(stderr, "tavemo-cli: %s: %s\n", path.c_str(), why.c_str());
    return kExitFailure;
}

std::string Join(const std::vector<std::string>& items)
{
    std::string out;
    for (const auto& s : items)
        out += (out.empty() ? "" : ", ") + ("'" + s + "'");
    return out.empty() ? "no device" : out;
}

// Progress as "%3d %% ( state )  sent / total bytes  rate kB/s"; on a
// terminal the line is redrawn in place, otherwise a line is written each
// time the percentage or the state changes.
class ProgressLine
{
public:
    explicit ProgressLine(uint32_t total) : m_total(total), m_tty(StderrIsTerminal()) {}

    void show(int progress, int32_t state, uint32_t sent)
    {
        using namespace std::chrono;
        const auto now = steady_clock::now();
        if (state == int32_t(SwDlState::Transfer) && !m_transferStarted) {
            m_transferStarted = true;
            m_t0 = now;
        }
        if (state == int32_t(SwDlState::Finalize) || state == int32_t(SwDlState::Reboot))
            sent = m_total; // the machine forgets its offset once the blocks are done
        if (!m_tty && progress == m_lastProgress && state == m_lastState)
            return;
        m_lastProgress = progress;
        m_lastState = state;
        const long long ms = m_transferStarted ? duration_cast<milliseconds>(now - m_t0).count() : 0;
        // Tenths of kB/s in integers: wire numbers never depend on the locale.
        const long long rate10 = ms > 0 ? static_cast<long long>(sent) * 10000 / 1024 / ms : 0;
        // Standard error, as every command's progress: standard output keeps
        // what a script reads.
        std::fprintf(stderr, "%s%3d %% ( %-9s )  %u / %u bytes  %lld.%lld kB/s%s", m_tty ? "\r" : "", progress,
                     CSwDl::StateText(state), sent, m_total, rate10 / 10, rate10 % 10, m_tty ? "  " : "\n");
        std::fflush(stderr);
    }
    void end()
    {
        if (m_tty)
            std::fprintf(stderr, "\n");
    }

private:
    uint32_t m_total;
    bool m_tty;
    bool m_transferStarted = false;
    std::chrono::steady_clock::time_point m_t0;
    int m_lastProgress = -1;
    int32_t m_lastState = -1;
};

} // namespace

int RunUpdate(const GlobalOptions& global, const Args& args)
{
    if (args.size() != 1)
        return UsageError("update takes one download file (update FILE.dnl)");
    if (global.port.empty())
        return UsageError("update needs --port NAME");
    const std::string& path = args[0];

    // The file first, with the reason in words when it is refused.
    CDnlFile file;
    if (const int rc = file.Load(path); rc != Result::Ok)
        return FileFailure(path, file, rc);
    if (const int rc = file.Parse(); rc != Result::Ok)
        return FileFailure(path, file, rc);
    std::printf("%s: firmware %s for %s, %u bytes to send\n", path.c_str(), file.version().c_str(),
                Join(file.devices()).c_str(), file.payloadLength());

    // A firmware download is a unit access like any other: the same lockout
    // and PIN check first, over the command protocol, then the port is free
    // again for the download link.
    if (const int status = CheckUnitAccess(global, "update"); status != kExitOk)
        return status;

    CancelOnSignal cancelOnSignal;
    CAppl appl;
    if (appl.LoadDNL(path) != Result::Ok) { // changed since it was checked above
        std::fprintf(stderr, "tavemo-cli: %s: the file changed while it was read\n", path.c_str());
        return kExitFailure;
    }
    appl.openPort(global.port);
    if (appl.port().selectedPort() < 0) {
        std::fprintf(stderr, "tavemo-cli: no port named '%s' (see the port list)\n", global.port.c_str());
        return kExitFailure;
    }
    if (!appl.isPortOpen()) {
        std::fprintf(stderr, "tavemo-cli: port '%s' cannot be opened (in use, or no access)\n",
                     global.port.c_str());
        return kExitFailure;
    }
    appl.startReceiver();
    if (const int started = appl.Start(); started != Result::Ok) {
        appl.stopAndClose();
        std::fprintf(stderr, "tavemo-cli: %s: the download could not be started: %s\n", path.c_str(),
                     ResultText(started).c_str());
        return kExitFailure;
    }

    ProgressLine line(appl.payloadLength());
    const int rc = appl.Drive([&](int progress, int32_t state) {
        line.show(progress, state, appl.transferOffset());
        return !CancelRequested();
    });
    line.end();
    appl.stopAndClose();

    if (rc == Result::Ok) {
        std::printf("Download complete: the unit is rebooting with firmware %s.\n", file.version().c_str());
        return kExitOk;
    }
    if (rc == Result::DownloadCanceled) {
        std::fprintf(stderr, "tavemo-cli: download canceled; the port is closed\n");
        return kExitCanceled;
    }
    const std::string why = appl.swdl().errorText();
    std::fprintf(stderr, "tavemo-cli: download failed: %s\n",
                 why.empty() ? ResultText(rc).c_str() : why.c_str());
    return kExitFailure;
}

} // namespace cli
