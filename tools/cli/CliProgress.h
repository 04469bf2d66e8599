// Progress of a tavemo-cli configuration job on standard error: "export:
// 42 %" each time the percentage changes; Ctrl-C asks the job to stop.
#pragma once

#include "tools/cli/CliConsole.h"
#include "tools/config/IConfigProgress.h"

#include <cstdio>

namespace cli {

class StderrProgress : public IConfigProgress
{
public:
    explicit StderrProgress(const char* what) : m_what(what) {}
    void showPercent(int percent) override
    {
        if (percent == m_last)
            return;
        m_last = percent;
        std::fprintf(stderr, "%s: %3d %%\n", m_what, percent);
    }
    void markFailed() override {}
    bool cancelled() const override { return CancelRequested(); }

private:
    const char* m_what;
    int m_last = -1;
};

} // namespace cli
