#include "tools/ui/CConfigFileRunner.h"

#include "diag/Result.h"
#include "link/CConnection.h"
#include "pages/core/IMainWindow.h"
#include "model/RegisterCatalogue.h"
#include "tools/config/CConfigChangesImport.h"
#include "tools/config/CConfigImport.h"
#include "tools/config/CModbusConfigUnit.h"
#include "tools/report/CChangeJournal.h"
#include "tools/config/ConfigCompare.h"
#include "tools/config/ConfigSource.h"
#include "tools/ui/CDlgCompare.h"
#include "tools/ui/CDlgExportCategories.h"
#include "tools/ui/CDlgProgress.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QLabel>
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
    // A whole unit takes some twenty seconds: the user may stop it after
    // the register under way; the previous file then stays as it was.
    progress.enableCancel();
    progress.centreOver(m_window);
    progress.show();
    CModbusConfigUnit unit = unitOnLink();
    CConfigExport job(m_catalogue, unit, progress);
    job.setPacing(m_pacing);
    const ExportReport report = job.run(path, choice.filter, ranges);
    showExportStatus(report, path);
    if (report.result == Result::JobCancelled) {
        // The user's own choice: nothing to confirm, nothing to wait for.
        progress.finish();
        m_lastGreen = false;
        m_lastMessage.clear();
        progress.close();
        return;
    }
    showEnd(progress, QStringLiteral("Export to File"), QString::fromStdString(CConfigExport::Summary(report)),
            false);
}

void CConfigFileRunner::showExportStatus(const ExportReport& report, const std::string& path)
{
    // The status line keeps where the file went after the progress box has
    // closed.
    switch (report.result) {
    case Result::Ok: m_mainWindow.setStatus("Exported to " + path + ".", Result::Ok); break;
    case Result::RegistersMissing:
        m_mainWindow.setStatus("Exported to " + path + "; " + std::to_string(report.missing.size()) +
                                   (report.missing.size() == 1 ? " register" : " registers") + " missing.",
                               report.result);
        break;
    case Result::JobCancelled: m_mainWindow.setStatusText("Export cancelled: " + path + " is unchanged."); break;
    default: m_mainWindow.setStatus("Not exported: " + path + " is unchanged.", report.result); break;
    }
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

void CConfigFileRunner::CompareWithFile()
{
    if (m_running)
        return;
    const QString title = QStringLiteral("Compare With File");
    ConfigSource file, left;
    bool demo = false;
    std::string path;
    {
        DisabledWindow disabled(m_mainWindow, m_running);
        const FileChoice choice = m_chooser ? m_chooser(false) : chooseWithDialog(false);
        if (choice.path.empty())
            return;
        path = choice.path;
        const ConfigFile::Format format = ConfigFile::ImportFormat(choice.path, choice.filter);
        if (format == ConfigFile::Format::None)
            return;
        CDlgProgress progress(title, m_window);
        progress.setObjectName(QStringLiteral("CompareProgress"));
        // A file of a whole unit takes as long to compare as to export.
        progress.enableCancel();
        progress.centreOver(m_window);
        progress.show();
        std::vector<uint8_t> bytes;
        if (!ConfigFile::ReadWholeFile(choice.path, bytes)) {
            progress.markFailed();
            showEnd(progress, title, QStringLiteral("The file cannot be opened."), false);
            return;
        }
        file = ConfigSources::FromFile(bytes, format, choice.path);
        if (file.result == Result::NotAnExportFile) {
            progress.markFailed();
            showEnd(progress, title,
                    QStringLiteral("This is not an export file: it does not start with \"Orvelant 4000 Export\"."),
                    false);
            return;
        }
        // A file read in part would show what it lost as equal.
        if (!file.notReadWhole.empty()) {
            progress.markFailed();
            showEnd(progress, title,
                    QStringLiteral("The file is damaged: %1. Nothing was compared.")
                        .arg(QString::fromStdString(file.notReadWhole)),
                    false);
            return;
        }
        demo = m_connection.state().inDemoMode();
        if (demo) {
            // No unit: the stored values stand in for it.
            left.label = "stored";
            for (uint32_t a : file.addresses())
                if (ConfigSources::Readable(m_catalogue, a))
                    left.set({a, m_catalogue.Holding(static_cast<uint16_t>(a)).value});
        } else {
            // The progress box takes events while the registers are read: a
            // page activation still pending from before (a "Connect" just
            // done) would run in between and close the link under the job.
            // It runs now, before the link opens.
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            CModbusConfigUnit unit = unitOnLink();
            const int link = unit.open();
            if (link < 0) {
                progress.markFailed();
                showEnd(progress, title,
                        QStringLiteral("The unit could not be reached: %1.\r\nNothing was compared.")
                            .arg(QString::fromStdString(ResultText(link))),
                        false);
                return;
            }
            left = ConfigSources::FromUnit(unit, m_catalogue, file.addresses(), m_pacing, progress);
            unit.close();
            if (left.result == Result::JobCancelled) {
                // Half a comparison would read as "the rest is equal".
                progress.finish(false);
                progress.close();
                m_lastGreen = false;
                m_lastMessage.clear();
                m_mainWindow.setStatusText("Compare With File cancelled: nothing was compared.");
                return;
            }
            if (left.result == Result::LinkLost) {
                progress.markFailed();
                showEnd(progress, title,
                        QString::fromStdString("Link lost: " + std::string(left.portGone
                                                                          ? "the port is gone (the adapter was "
                                                                            "unplugged or hung up)"
                                                                          : "the unit stopped answering") +
                                               ".\r\nNothing was compared."),
                        false);
                return;
            }
        }
        progress.finish(left.result == Result::Ok);
        progress.close();
    }

    const ConfigComparison comparison = ConfigCompare::Compare(m_catalogue, left, file);
    QString note = demo ? QStringLiteral("Demo mode: the stored values compared with %1; nothing is written.")
                        : QStringLiteral("The unit compared with %1.");
    note = note.arg(QString::fromStdString(path));
    if (comparison.notRead > 0)
        note += QStringLiteral(" %1 registers could not be read from the unit.").arg(comparison.notRead);
    CDlgCompare dialog(comparison, !demo, note, m_window);
    dialog.setWriteHandler(
        [this, &dialog, &comparison](const std::vector<ConfigFile::Value>& values) {
            writeChecked(values, dialog, comparison);
        });
    m_lastMessage.clear();
    dialog.exec();
}

namespace {

// The unit with its writes noted in this connection's journal.
class JournalingUnit : public IConfigUnit
{
public:
    JournalingUnit(IConfigUnit& unit, const ConfigComparison& comparison) : m_unit(unit), m_comparison(comparison) {}
    int open() override { return m_unit.open(); }
    void close() override { m_unit.close(); }
    int readHolding(uint16_t address, uint16_t* value) override { return m_unit.readHolding(address, value); }
    int writeHolding(uint16_t address, uint16_t value) override
    {
        const int r = m_unit.writeHolding(address, value);
        for (const CompareRow& row : m_comparison.rows)
            if (row.address == address)
                CChangeJournal::Note(address, row.name, static_cast<uint16_t>(row.left), value, r);
        return r;
    }
    int deviceType() const override { return m_unit.deviceType(); }
    bool demoMode() const override { return m_unit.demoMode(); }

private:
    IConfigUnit& m_unit;
    const ConfigComparison& m_comparison;
};

} // namespace

void CConfigFileRunner::writeChecked(const std::vector<ConfigFile::Value>& values, CDlgCompare& dialog,
                                     const ConfigComparison& comparison)
{
    const QString title = QStringLiteral("Write Checked");
    ChangesReport report;
    {
        DisabledWindow disabled(m_mainWindow, m_running);
        CDlgProgress progress(title, &dialog);
        progress.setObjectName(QStringLiteral("WriteCheckedProgress"));
        progress.centreOver(&dialog);
        progress.show();
        CModbusConfigUnit unit = unitOnLink();
        const int link = unit.open();
        if (link < 0) {
            progress.markFailed();
            progress.finish();
            progress.close();
            const QString text = QStringLiteral("The unit could not be reached: %1. Nothing was written.")
                                     .arg(QString::fromStdString(ResultText(link)));
            dialog.setResultText(text);
            m_lastMessage = text;
            return;
        }
        // Each write is noted for the commissioning report, with the unit's
        // value from the comparison as the one before.
        JournalingUnit journaling(unit, comparison);
        CConfigChangesImport::WriteAndVerify(journaling, m_catalogue, m_pacing, values, report);
        unit.close();
        progress.finish(report.failures.empty() && !report.linkLost);
        progress.close();
    }
    dialog.showWriteResult(report);
    m_lastGreen = report.failures.empty() && !report.linkLost;
    m_lastMessage = dialog.resultLine()->text();
    if (report.written == 0 || report.linkLost)
        return;
    // Written values last until the unit restarts; storing them is a
    // separate, deliberate step.
    const auto answer = QMessageBox::question(
        &dialog, QStringLiteral("Save To NVRAM"),
        QStringLiteral("%1 registers were written. Store them in the unit (\"Save To NVRAM\")?").arg(report.written));
    if (answer != QMessageBox::Yes)
        return;
    CModbusConfigUnit unit = unitOnLink();
    int saved = unit.open();
    if (saved >= 0) {
        saved = unit.writeHolding(Reg::SaveToNvram, 1);
        unit.close();
    }
    const QString text = saved == Result::Ok ? QStringLiteral("Save To NVRAM done.")
                                             : QStringLiteral("Save To NVRAM failed: error %1 (%2).")
                                                   .arg(saved)
                                                   .arg(QString::fromStdString(ResultText(saved)));
    dialog.setResultText(dialog.resultLine()->text() + QStringLiteral(" ") + text);
    m_lastGreen = m_lastGreen && saved == Result::Ok;
    m_lastMessage = dialog.resultLine()->text();
}
