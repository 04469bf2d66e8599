#include "tools/ui/CConfigFileRunner.h"

#include "diag/Result.h"
#include "link/CConnection.h"
#include "pages/core/IMainWindow.h"
#include "tools/config/CConfigImport.h"
#include "tools/config/CModbusConfigUnit.h"
#include "tools/ui/CDlgProgress.h"
#include "tools/ui/CDlgExportCategories.h"

#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include <memory>

namespace {

const QString kTextFilter = QStringLiteral("Text (*.csv)");
const QString kDataFilter = QStringLiteral("Data (*.bin)");
const QString kAllFilter = QStringLiteral("All (*.*)");

// Enables the main window's content again however the run ends.
class DisabledWindow
{
public:
    explicit DisabledWindow(IMainWindow& window, bool& running) : m_window(window), m_running(running)
    {
        m_window.enableMainWindow(false);
        m_running = true;
    }
    ~DisabledWindow()
    {
        m_window.enableMainWindow(true);
        m_running = false;
    }
    DisabledWindow(const DisabledWindow&) = delete;
    DisabledWindow& operator=(const DisabledWindow&) = delete;

private:
    IMainWindow& m_window;
    bool& m_running;
};

} // namespace

CConfigFileRunner::CConfigFileRunner(QWidget* window, IMainWindow& mainWindow, CConnection& connection,
                                     RegisterCatalogue& catalogue)
    : m_window(window), m_mainWindow(mainWindow), m_connection(connection), m_catalogue(catalogue)
{
}

CConfigFileRunner::FileChoice CConfigFileRunner::chooseWithDialog(bool save)
{
    QString filter = kTextFilter;
    FileChoice choice;
    QString path;
    if (save) {
        path = QFileDialog::getSaveFileName(m_window, QStringLiteral("Export File"), QStringLiteral("export.csv"),
                                            kTextFilter + QStringLiteral(";;") + kDataFilter, &filter);
    } else {
        path = QFileDialog::getOpenFileName(m_window, QStringLiteral("Import File"), QStringLiteral("export.csv"),
                                            kTextFilter + QStringLiteral(";;") + kDataFilter +
                                                QStringLiteral(";;") + kAllFilter,
                                            &filter);
    }
    choice.path = path.toStdString();
    choice.filter = filter == kTextFilter   ? ConfigFile::Format::Csv
                    : filter == kDataFilter ? ConfigFile::Format::Binary
                                            : ConfigFile::Format::None;
    return choice;
}

void CConfigFileRunner::showEnd(CDlgProgress& progress, const QString& title, const QString& message,
                                bool information)
{
    progress.finish();
    m_lastGreen = !progress.failed();
    m_lastMessage = message;
    if (!message.isEmpty()) {
        // The box keeps the final state on screen until the user has read it.
        QMessageBox box(information ? QMessageBox::Information : QMessageBox::Warning, title, message,
                        QMessageBox::Ok, m_window);
        box.setObjectName(QStringLiteral("ConfigurationFileMessage"));
        box.exec();
    } else if (m_endPauseMs > 0) {
        QEventLoop wait;
        QTimer::singleShot(m_endPauseMs, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    }
    progress.close();
}

CModbusConfigUnit CConfigFileRunner::unitOnLink()
{
    // The unit session's steps as every page action takes them: a file of
    // another unit's values, or this unit's file written into another one,
    // would be a silent mix-up. In demo mode nothing opens (DemoMode): the
    // stored values stand in for the unit.
    auto begun = std::make_shared<UnitActionResult>();
    const auto open = [this, begun] {
        *begun = BeginUnitAction(m_connection,
                                 {.inDemo = UnitAction::InDemo::Refuse, .identify = true, .sameDevice = true},
                                 {.identified = [](int) {}});
        return begun->result;
    };
    const auto close = [this, begun] { EndUnitAction(m_connection, *begun); };
    return CModbusConfigUnit(m_connection.modbus(), m_connection.state(), open, close);
}

void CConfigFileRunner::ExportConfiguration()
{
    if (m_running)
        return;
    CDlgExportCategories categories(m_window);
    if (categories.exec() != QDialog::Accepted)
        return;
    const std::vector<ConfigFile::Range> ranges = categories.ranges();
    DisabledWindow disabled(m_mainWindow, m_running);
    const FileChoice choice = m_chooser ? m_chooser(true) : chooseWithDialog(true);
    if (choice.path.empty() || choice.filter == ConfigFile::Format::None)
        return;
    const std::string path = ConfigFile::ExportPath(choice.path, choice.filter);

    CDlgProgress progress(QStringLiteral("Export to File"), m_window);
    progress.setObjectName(QStringLiteral("ExportProgress"));
    progress.centreOver(m_window);
    progress.show();
    CModbusConfigUnit unit = unitOnLink();
    CConfigExport job(m_catalogue, unit, progress);
    job.setPacing(m_pacing);
    const ExportReport report = job.run(path, choice.filter, ranges);
    showEnd(progress, QStringLiteral("Export to File"), QString::fromStdString(CConfigExport::Summary(report)),
            false);
}

void CConfigFileRunner::ImportConfiguration()
{
    if (m_running)
        return;
    DisabledWindow disabled(m_mainWindow, m_running);
    const FileChoice choice = m_chooser ? m_chooser(false) : chooseWithDialog(false);
    if (choice.path.empty())
        return;
    const ConfigFile::Format format = ConfigFile::ImportFormat(choice.path, choice.filter);
    if (format == ConfigFile::Format::None)
        return;

    CDlgProgress progress(QStringLiteral("Import from File"), m_window);
    progress.setObjectName(QStringLiteral("ImportProgress"));
    // A whole file takes minutes on a slow line: the user may stop it after
    // the register under way.
    progress.enableCancel();
    progress.centreOver(m_window);
    progress.show();
    CModbusConfigUnit unit = unitOnLink();
    CConfigImport job(m_catalogue, unit, progress);
    const ImportReport report = job.run(choice.path, format);
    showEnd(progress, QStringLiteral("Import from File"), QString::fromStdString(CConfigImport::Summary(report)),
            report.allOk());
}
