// tavemo-cli update: downloads a firmware file (".dnl") to the unit on the
// given port, with a progress line, and exits 0 only when the unit took the
// image and was told to reboot. Ctrl-C cancels: the port is closed and
// nothing more is sent (the unit keeps its old firmware until it gets a
// complete image).
#include "diag/Result.h"
#include "tools/cli/CliCommands.h"
#include "tools/cli/CliConsole.h"
#include "update/CDnlFile.h"
#include "update/CDownloadSession.h"

#include <cstdio>
#include <string>

namespace cli {

namespace {

std::string Join(const std::vector<std::string>& items)
{
    std::string out;
    for (const auto& s : items)
        out += (out.empty() ? "" : ", ") + ("'" + s + "'");
    return out.empty() ? "no device" : out;
}

// Progress as "%3d %% ( state )  sent / total bytes  rate"; on a terminal
// the line is redrawn in place, otherwise a line is written each time the
// percentage or the state changes. Standard error, as every command's
// progress: standard output keeps what a script reads.
class ProgressLine
{
public:
    ProgressLine() : m_tty(StderrIsTerminal()) {}

    void show(const CDownloadSession::Progress& p)
    {
        if (!m_tty && p.percent == m_lastPercent && p.state == m_lastState)
            return;
        m_lastPercent = p.percent;
        m_lastState = p.state;
        std::fprintf(stderr, "%s%3d %% ( %-9s )  %u / %u bytes  %s%s", m_tty ? "\r" : "", p.percent, p.stateText,
                     p.sent, p.total, p.rateText().c_str(), m_tty ? "  " : "\n");
        std::fflush(stderr);
    }
    void end()
    {
        if (m_tty)
            std::fprintf(stderr, "\n");
    }

private:
    bool m_tty;
    int m_lastPercent = -1;
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
    CDownloadSession session(path, false);
    if (session.load() != Result::Ok) {
        std::fprintf(stderr, "tavemo-cli: %s\n", session.endText(CDownloadSession::Wording::CommandLine).c_str());
        return kExitFailure;
    }
    std::printf("%s: firmware %s for %s, %u bytes to send\n", path.c_str(), session.file().version().c_str(),
                Join(session.file().devices()).c_str(), session.file().payloadLength());

    // A firmware download is a unit access like any other: the same lockout
    // and PIN check first, over the command protocol, then the port is free
    // again for the download link.
    if (const int status = CheckUnitAccess(global, "update"); status != kExitOk)
        return status;

    CancelOnSignal cancelOnSignal;
    ProgressLine line;
    const int rc = session.run(global.port, [&](const CDownloadSession::Progress& p) {
        line.show(p);
        if (CancelRequested())
            session.cancel();
    });
    line.end();

    const std::string& text = session.endText(CDownloadSession::Wording::CommandLine);
    if (rc == Result::Ok) {
        std::printf("%s\n", text.c_str());
        return kExitOk;
    }
    std::fprintf(stderr, "tavemo-cli: %s\n", text.c_str());
    return rc == Result::DownloadCanceled ? kExitCanceled : kExitFailure;
}

} // namespace cli
