#include "tools/ui/TestLogViewer.h"

#include "diag/Result.h"
#include "pages/core/IPageHost.h"
#include "tools/bustest/CTestLog.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace TestLogViewer {

bool Open(const CTestLog* log, IPageHost& host)
{
    if (!log || !log->isOpen()) {
        if (log && log->failed())
            host.showResult(Result::LogNotCreated);
        else
            host.setStatusText(kNoTestYet);
        return false;
    }
    const QString path = QString::fromStdString(log->path().string());
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return true;
    host.setStatus(kNotShown + log->path().string(), Result::LogNotShown);
    return false;
}

} // namespace TestLogViewer
