#include "app/CReportRunner.h"

#include "app/CDlgReportDetails.h"
#include "diag/Result.h"
#include "link/CConnection.h"
#include "pages/core/IMainWindow.h"
#include "tools/config/CModbusConfigUnit.h"
#include "tools/report/CChangeJournal.h"
#include "tools/report/CReportBuilder.h"
#include "tools/report/ReportFile.h"
#include "tools/report/ReportHtml.h"
#include "tools/report/ReportJson.h"
#include "tools/report/ui/ReportPdf.h"
#include "tools/ui/CConfigFileRunner.h"
#include "tools/ui/CDlgExportCategories.h"
#include "tools/ui/CDlgProgress.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QSettings>
#include <QUrl>

const QString CReportRunner::kHtmlFilter = QStringLiteral("HTML (*.html)");
const QString CReportRunner::kPdfFilter = QStringLiteral("PDF (*.pdf)");
const QString CReportRunner::kJsonFilter = QStringLiteral("JSON (*.json)");

namespace {

const QString kTitle = QStringLiteral("Commissioning Report");
const QString kTechnicianKey = QStringLiteral("report/technician");

} // namespace

CReportRunner::CReportRunner(QWidget* window, IMainWindow& mainWindow, CConfigFileRunner& files,
                             CConnection& connection, RegisterCatalogue& catalogue, QString settingsFile)
    : m_window(window), m_mainWindow(mainWindow), m_files(files), m_connection(connection), m_catalogue(catalogue),
      m_settingsFile(std::move(settingsFile))
{
}

QString CReportRunner::rememberedTechnician() const
{
    return QSettings(m_settingsFile, QSettings::IniFormat).value(kTechnicianKey).toString();
}

QString CReportRunner::WithExtension(const QString& path, const QString& filter)
{
    if (!ReportFile::Kind(path.toStdString()).empty())
        return path;
    const QString ext = filter == kPdfFilter ? QStringLiteral(".pdf")
                        : filter == kJsonFilter ? QStringLiteral(".json")
                                                : QStringLiteral(".html");
    return path + ext;
}

void CReportRunner::Run()
{
    if (m_running || m_files.running())
        return;
    m_lastMessage.clear();
    CDlgExportCategories categories(m_window);
    if (categories.exec() != QDialog::Accepted)
        return;
    const std::vector<ConfigFile::Range> ranges = categories.ranges();
    CDlgReportDetails details(rememberedTechnician(), m_window);
    details.setObjectName(QStringLiteral("ReportDetails"));
    if (details.exec() != QDialog::Accepted)
        return;
    QSettings(m_settingsFile, QSettings::IniFormat).setValue(kTechnicianKey, details.technician());

    QString filter = kHtmlFilter;
    const QString chosen = m_chooser ? m_chooser(&filter)
                                     : QFileDialog::getSaveFileName(m_window, kTitle, QStringLiteral("report.html"),
                                                                    kHtmlFilter + QStringLiteral(";;") + kPdfFilter +
                                                                        QStringLiteral(";;") + kJsonFilter,
                                                                    &filter);
    if (chosen.isEmpty())
        return;
    const QString path = WithExtension(chosen, filter);
    const std::string kind = ReportFile::Kind(path.toStdString());

    m_running = true;
    m_mainWindow.enableMainWindow(false);
    CDlgProgress progress(kTitle, m_window);
    progress.setObjectName(QStringLiteral("ReportProgress"));
    progress.enableCancel();
    progress.centreOver(m_window);
    progress.show();
    CModbusConfigUnit unit = m_files.unitOnLink();
    CReportBuilder builder(m_catalogue, unit, progress);
    builder.setPacing(m_pacing);
    ReportRequest request;
    request.ranges = ranges;
    request.technician = details.technician().toStdString();
    request.note = details.note().toStdString();
    request.port = m_connection.portName();
    request.toolName = "tavemo-config";
    Report report;
    const int built = builder.build(request, report);
    report.changes = CReportBuilder::Changes(CChangeJournal::Instance().entries());

    int written = Result::Ok;
    std::string error;
    const bool usable = built == Result::Ok || built == Result::ReportUnread || built == Result::LinkLost;
    if (usable) {
        const std::string target = path.toStdString();
        if (kind == ".pdf")
            written = ReportPdf::Write(report, target, &error);
        else if (kind == ".json")
            written = ReportFile::Write(target, ReportJson::Render(report), &error);
        else
            written = ReportFile::Write(target, ReportHtml::Render(report), &error);
    }
    progress.finish(usable && written == Result::Ok && built == Result::Ok);
    progress.close();
    m_mainWindow.enableMainWindow(true);
    m_running = false;

    if (!usable) {
        m_lastMessage = built == Result::JobCancelled
                            ? QString::fromStdString(ResultText(built))
                            : QStringLiteral("The unit could not be reached: %1.\nNo report was written.")
                                  .arg(QString::fromStdString(ResultText(built)));
        QMessageBox::warning(m_window, kTitle, m_lastMessage);
        return;
    }
    if (written != Result::Ok) {
        m_lastMessage = QString::fromStdString(ResultText(written) + (error.empty() ? "" : " (" + error + ")"));
        QMessageBox::warning(m_window, kTitle, m_lastMessage);
        return;
    }
    m_lastMessage = QStringLiteral("The report was written to %1.").arg(path);
    const int unread = report.unreadCount();
    if (unread > 0)
        m_lastMessage += QStringLiteral("\n%1 registers could not be read from the unit; the report names them.")
                             .arg(unread);
    QMessageBox box(unread > 0 ? QMessageBox::Warning : QMessageBox::Information, kTitle,
                    m_lastMessage + QStringLiteral("\n\nOpen it now?"), QMessageBox::Open | QMessageBox::Close,
                    m_window);
    box.setObjectName(QStringLiteral("ReportDone"));
    if (box.exec() != QMessageBox::Open)
        return;
    if (m_opener)
        m_opener(path);
    else
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
