#include "app/CMainMenu.h"

#include "app/CDlgAbout.h"
#include "app/CDlgCommission.h"
#include "app/CReportRunner.h"
#include "app/CTabSet.h"
#include "diag/Result.h"
#include "diag/ui/CDlgDebug.h"
#include "link/CConnection.h"
#include "pages/core/IMainWindow.h"
#include "tools/ui/CConfigFileRunner.h"
#include "tools/ui/TestLogViewer.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>

CMainMenu::CMainMenu(QMainWindow& window, IMainWindow& host, const CTabSet& tabs, CConnection& connection,
                     RegisterCatalogue& catalogue, CTestLog& testLog, QString settingsFile)
    : m_window(window), m_host(host), m_tabs(tabs), m_connection(connection), m_catalogue(catalogue),
      m_testLog(testLog), m_settingsFile(std::move(settingsFile)), m_debug(new CDlgDebug(&window))
{
    QMenu* file = window.menuBar()->addMenu(QStringLiteral("&File"));
    m_importAction = file->addAction(QStringLiteral("&Import Configuration..."), this,
                                     [this] { importConfiguration(); });
    m_exportAction = file->addAction(QStringLiteral("&Save Configuration..."), this,
                                     [this] { saveConfiguration(); });
    m_compareAction = file->addAction(QStringLiteral("&Compare With File..."), this,
                                      [this] { runFileAction(m_compareHandler); });
    // The report and the commissioning read and write the unit too: not
    // while a firmware download holds the port.
    m_reportAction = file->addAction(QStringLiteral("Commissioning &Report..."), this, [this] {
        if (m_reports && !refuseWhileBusy(QStringLiteral("take the report")))
            runFileAction([this] { m_reports->Run(); });
    });
    m_commissionAction = file->addAction(QStringLiteral("Commission From &Plan..."), this, [this] {
        if (m_reports && !refuseWhileBusy(QStringLiteral("commission a room")))
            runFileAction([this] { OpenCommissionDialog(); });
    });
    m_importAction->setEnabled(false);
    m_exportAction->setEnabled(false);
    m_compareAction->setEnabled(false);
    m_reportAction->setEnabled(false);
    m_commissionAction->setEnabled(false);
    file->addSeparator();
    file->addAction(QStringLiteral("E&xit"), &window, &QWidget::close);

    QMenu* help = window.menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&Info..."), this, &CMainMenu::OnAbout);
    help->addAction(QStringLiteral("&Debug Window"), this, &CMainMenu::OnDebugWindow);
    help->addAction(QStringLiteral("Open &Test Log"), this, &CMainMenu::OnOpenTestLog);
}

CMainMenu::~CMainMenu() = default;

void CMainMenu::CreateRunners()
{
    m_configFiles = std::make_unique<CConfigFileRunner>(&m_window, m_host, m_connection, m_catalogue);
    m_reports = std::make_unique<CReportRunner>(&m_window, m_host, *m_configFiles, m_connection, m_catalogue,
                                                m_settingsFile);
    // The export and import need the port a firmware download holds: not
    // while one runs (they would fall back on the catalogue unnoticed).
    const auto unlessBusy = [this](void (CConfigFileRunner::*run)()) {
        return [this, run] {
            if (!refuseWhileBusy(QStringLiteral("save or import the configuration")))
                (m_configFiles.get()->*run)();
        };
    };
    setConfigurationFileHandlers(unlessBusy(&CConfigFileRunner::ImportConfiguration),
                                 unlessBusy(&CConfigFileRunner::ExportConfiguration),
                                 unlessBusy(&CConfigFileRunner::CompareWithFile));
}

void CMainMenu::setConfigurationFileHandlers(std::function<void()> importConfiguration,
                                             std::function<void()> saveConfiguration,
                                             std::function<void()> compareWithFile)
{
    m_importHandler = std::move(importConfiguration);
    m_exportHandler = std::move(saveConfiguration);
    m_compareHandler = std::move(compareWithFile);
    updateFileActions();
}

bool CMainMenu::unitActionsAllowed() const
{
    return m_tabs.comInterface() && m_connection.mayActOnUnit();
}

void CMainMenu::updateFileActions()
{
    // Export and import act on the unit: only on one connected with its PIN
    // (or in demo mode).
    const bool allowed = unitActionsAllowed();
    m_importAction->setEnabled(bool(m_importHandler) && allowed);
    m_exportAction->setEnabled(bool(m_exportHandler) && allowed);
    m_compareAction->setEnabled(bool(m_compareHandler) && allowed);
    m_reportAction->setEnabled(bool(m_reports) && allowed);
    m_commissionAction->setEnabled(bool(m_reports) && allowed);
}

void CMainMenu::runFileAction(const std::function<void()>& handler)
{
    if (!handler)
        return;
    // Nothing but demo mode reads or writes a unit before its PIN was accepted.
    if (!unitActionsAllowed()) {
        m_host.showResult(Result::PinNotAccepted);
        return;
    }
    handler();
}

bool CMainMenu::refuseWhileBusy(const QString& what)
{
    const std::string work = m_tabs.busyWork();
    if (work.empty())
        return false;
    QMessageBox::information(&m_window, QStringLiteral("Configuration"),
                             QString::fromStdString(work) +
                                 QStringLiteral(" is running; %1 when it has ended.").arg(what));
    return true;
}

void CMainMenu::saveConfiguration()
{
    runFileAction(m_exportHandler);
}

void CMainMenu::importConfiguration()
{
    runFileAction(m_importHandler);
}

void CMainMenu::OpenCommissionDialog()
{
    CDlgCommission dialog(m_connection, m_catalogue, m_settingsFile, &m_window);
    dialog.setObjectName(QStringLiteral("CommissionDialog"));
    dialog.exec();
}

void CMainMenu::OnAbout()
{
    m_host.enableMainWindow(false);
    CDlgAbout about(&m_window);
    about.exec();
    m_host.enableMainWindow(true);
}

void CMainMenu::OnDebugWindow()
{
    if (!m_debug->isVisible()) {
        m_debug->show();
        m_debug->placeTopRight();
    }
    m_debug->raise();
    m_debug->activateWindow();
}

void CMainMenu::OnOpenTestLog()
{
    TestLogViewer::Open(&m_testLog, m_host);
}
