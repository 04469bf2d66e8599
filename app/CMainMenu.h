// The main window's menus and what their items run.
//
// "File": "Import Configuration...", "Save Configuration...", "Compare With
// File...", "Commissioning Report...", "Commission From Plan..." and
// "Exit". Each of the first five reads or writes the unit, so it is enabled
// only while a unit is connected with its PIN (or in demo mode) and its
// runner exists (from start-up on), refuses while a page's long work (a
// firmware download) holds the port, and says why when it may not run.
//
// "Help": "Info..." (the About box, with the window disabled behind it),
// "Debug Window" (made with the menu and kept while the window lives: it
// collects the line's traffic while hidden) and "Open Test Log" (the desktop's viewer shows the test pages' record of
// this run).
//
// Thread rules: user-interface thread only.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class CConfigFileRunner;
class CConnection;
class CDlgDebug;
class CReportRunner;
class CTabSet;
class CTestLog;
class IMainWindow;
class QAction;
class QMainWindow;
class RegisterCatalogue;

class CMainMenu : public QObject
{
    Q_OBJECT
public:
    // Adds the menus to the window's menu bar; settingsFile: where the
    // report and the commissioning keep their choices.
    CMainMenu(QMainWindow& window, IMainWindow& host, const CTabSet& tabs, CConnection& connection,
              RegisterCatalogue& catalogue, CTestLog& testLog, QString settingsFile);
    ~CMainMenu() override;

    // Makes the configuration export and import and the report, and hands
    // them to the "File" items.
    void CreateRunners();

    // The export and import of the configuration; the items stay disabled
    // until they are set.
    void setConfigurationFileHandlers(std::function<void()> importConfiguration,
                                      std::function<void()> saveConfiguration,
                                      std::function<void()> compareWithFile = {});
    // A unit connected with its PIN, or demo mode: the unit actions may run.
    bool unitActionsAllowed() const;
    // The "File" items follow unitActionsAllowed.
    void updateFileActions();

    void saveConfiguration();
    void importConfiguration();
    // "File" > "Commission From Plan...": the connected unit gets a room of a plan.
    void OpenCommissionDialog();
    void OnAbout();
    void OnDebugWindow();
    void OnOpenTestLog();

    CDlgDebug* debugWindow() const { return m_debug; }
    // Both exist once CreateRunners has run.
    CConfigFileRunner* configurationFiles() const { return m_configFiles.get(); }
    CReportRunner* reports() const { return m_reports.get(); }

private:
    // Runs a File menu action on the unit, or says why it may not run.
    void runFileAction(const std::function<void()>& handler);
    // Says so and returns true while a page's long work (a firmware
    // download) holds the port; what: what the user may do afterwards.
    bool refuseWhileBusy(const QString& what);

    QMainWindow& m_window;
    IMainWindow& m_host;
    const CTabSet& m_tabs;
    CConnection& m_connection;
    RegisterCatalogue& m_catalogue;
    CTestLog& m_testLog;
    const QString m_settingsFile;

    CDlgDebug* m_debug;
    QAction* m_importAction = nullptr;
    QAction* m_exportAction = nullptr;
    QAction* m_compareAction = nullptr;
    QAction* m_reportAction = nullptr;
    QAction* m_commissionAction = nullptr;
    std::function<void()> m_importHandler;
    std::function<void()> m_exportHandler;
    std::function<void()> m_compareHandler;
    std::unique_ptr<CConfigFileRunner> m_configFiles;
    std::unique_ptr<CReportRunner> m_reports;
};
