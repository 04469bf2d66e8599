// The main window: a menu, the tab control that holds every page, and a
// two-part status bar (the status line "Status" at the left, the register
// information line "Register Info" at the right).
//
// Start-up: 100 ms after the window is first shown the start-up timer
// creates all fourteen pages, fills the tab control, disables every tab but
// "COM-Interface", lists the ports and shows "Ready." (then started() is
// emitted). From then on a newly selected page is activated (ActivatePage)
// once the selection has rested for 100 ms; a page left with changes not
// written asks first.
//
// Under the status bar a line says in words what the status line's code
// means; the title names the unit and its port, and a banner shows while
// demo mode is active.
//
// Closing (the close box, "File" > "Exit"; never Escape) asks first while
// long work runs or a page has changes not written, then asks every page to
// stop its long work, waits 100 ms and closes.
//
// Each page sits in a scroll area of the tab control: a window smaller than
// a page scrolls it. Once the pages exist the window grows to show the
// largest page whole, as far as the screen allows, unless it took back the
// size and place it had when it last closed: the one setting the tool keeps
// for the user (WindowSettingsFile, written when the window closes).
//
// The pages and the COM-Interface page see the window as IMainWindow
// (UTF-8 texts, no Qt); the methods named as the window's services
// (SetStatusText, RebuildTabs, ...) are its Qt side, which the interface
// forwards to.
//
// Thread rules: user-interface thread only.
#pragma once

#include "app/PageRegistry.h"
#include "link/CConnection.h"
#include "link/IConnectionHost.h"
#include "pages/core/IMainWindow.h"
#include "tools/bustest/CTestLog.h"

#include <QMainWindow>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class CConfigFileRunner;
class CReportRunner;
class CDlgDebug;
class CDlgMessage;
class CModbus;
class CStatusLine;
class CTabInterface;
class CXTabCtrl;
class QAction;
class QFrame;
class QLabel;
class RegisterCatalogue;

class CTavemoConfigurationToolDlg : public QMainWindow, public IMainWindow, private IConnectionHost
{
    Q_OBJECT
public:
    // The window is never smaller than this for a 16-pixel font; the size
    // follows the font (a 12-pixel font gives 1013 x 533).
    static constexpr int kMinWidth = 1350;
    static constexpr int kMinHeight = 710;
    // Start-up waits until the window is on screen, so the user sees it at once.
    static constexpr int kStartupDelayMs = 100;
    // How often the selected tab is looked at; two switches within one
    // period activate only the tab selected at the tick.
    static constexpr int kTabPollMs = 100;
    // A running download gets this long to notice the stop request.
    static constexpr int kCloseWaitMs = 100;
    // The window's size and place in the settings file.
    static constexpr const char* kPlaceKey = "MainWindow/geometry";

    // The settings file (an INI file in LocalSystem::SettingsFolder).
    static QString WindowSettingsFile();
    // "File" > "Commission From Plan...": the connected unit gets a room of a plan.
    void OpenCommissionDialog();
    // The first size: what shows the largest page whole (the page plus the
    // window's parts around it), never less than the window has, within
    // the screen's room for the window, never below the minimum.
    static QSize FirstSize(QSize largestPage, QSize aroundPage, QSize current, QSize screenRoom, QSize minimum);

    CTavemoConfigurationToolDlg(RegisterCatalogue& catalogue, CModbus& modbus, QWidget* parent = nullptr);
    ~CTavemoConfigurationToolDlg() override;

    // The window's services.
    // The status line; with a result code (diag/Result.h) the detail line
    // gives the code's words and the colour follows the code, without one
    // both follow the text ("Error: -4" and the like).
    void SetStatusText(const QString& text, std::optional<int> code = std::nullopt);
    QString statusText() const { return m_statusText; }
    void SetRegisterInfo(const QString& text);
    // The busy overlay "Please wait, data transfer is running..."; both act
    // only while a unit is known (device type > 0).
    void ShowBusyOverlay();
    void HideBusyOverlay();
    void EnableMainWindow(bool enable);
    // The tab set for a device type (PageRegistry::TabOrder).
    void RebuildTabs(int deviceType);
    // Puts the Modbus or BACnet test page into tab 2 by holding 2045,
    // keeping the current selection.
    void ReplaceProtocolTab();
    void ActivatePage(int index);
    bool SelectTab(int index);
    void SetTabEnabled(int index, bool enabled);
    void SetOtherTabsEnabled(bool enabled);
    // A unit connected with its PIN, or demo mode: the unit actions may run.
    bool unitActionsAllowed() const;
    // "Import Configuration..." and "Save Configuration..." follow it.
    void updateFileActions();
    // "Save To NVRAM": makes the unit store its configuration.
    void SaveToNvram();
    // The identified device type; sets "Ready." when it is 0 or more, else
    // "Error: No device connected or PIN wrong.".
    int checkReady();

    // IConnectionHost: the status line and the tabs are the window's (the
    // IMainWindow functions below); the port settings, the PIN prompt, the
    // device shown and the wait while the unit restarts are the
    // COM-Interface page's.
    int getPortSettings(PortSettings& settings) override;
    bool askPin(std::string& text, bool& remember) override;
    void showDevice(const std::string& name) override;
    void waitMs(int ms) override;
    void returnToFirstTab() override;

    // IMainWindow
    void setStatusText(const std::string& text) override { SetStatusText(QString::fromStdString(text)); }
    void setStatus(const std::string& text, int code) override { SetStatusText(QString::fromStdString(text), code); }
    void setStatusWithDetail(const std::string& text, int code, const std::string& detail) override;
    void setRegisterInfo(const std::string& text) override { SetRegisterInfo(QString::fromStdString(text)); }
    void showBusyOverlay() override { ShowBusyOverlay(); }
    void hideBusyOverlay() override { HideBusyOverlay(); }
    void selectFirstTab() override { SelectTab(0); }
    void protocolChanged() override;
    void pause(int ms) override;
    void enableMainWindow(bool enable) override { EnableMainWindow(enable); }
    void rebuildTabs(int deviceType) override { RebuildTabs(deviceType); }
    void activatePage(int index) override { ActivatePage(index); }
    bool selectTab(int index) override { return SelectTab(index); }
    void setOtherTabsEnabled(bool enabled) override { SetOtherTabsEnabled(enabled); }
    int tabCount() const override;
    bool isTabEnabled(int index) const override;
    void setTabEnabled(int index, bool enabled) override { SetTabEnabled(index, enabled); }
    void saveConfiguration() override;
    void importConfiguration() override;

    // The export and import of the configuration ("File" menu); the items
    // stay disabled until they are set.
    void setConfigurationFileHandlers(std::function<void()> importConfiguration,
                                      std::function<void()> saveConfiguration,
                                      std::function<void()> compareWithFile = {});

    // The demo banner's "Leave Demo Mode": back to no unit, the COM-Interface page.
    void LeaveDemoMode();

    // "Help" > "Info...", "Help" > "Debug Window" and "Help" > "Open Test
    // Log" (the desktop's viewer shows the test pages' record of this run).
    void OnAbout();
    void OnDebugWindow();
    void OnOpenTestLog();

    bool isStarted() const { return m_started; }
    // The window took its size and place from the settings.
    bool placeRestored() const { return m_placeRestored; }
    bool statusIsError() const;
    bool statusIsDemo() const;
    QString registerInfo() const { return m_infoText; }
    // The words under the status bar for the status line's code.
    QString statusDetail() const;
    int lastTab() const { return m_lastTab; }
    QSize minimumWindowSize() const { return {m_minWidth, m_minHeight}; }

    CXTabCtrl* tabs() const { return m_tabs; }
    CTabInterface* comInterface() const { return m_comInterface; }
    // The connection to the unit, which every page reaches the unit through.
    CConnection& connection() { return m_connection; }
    QWidget* page(PageId id) const { return m_pages[static_cast<std::size_t>(id)]; }
    CStatusLine* statusLine() const { return m_status; }
    CStatusLine* registerInfoLine() const { return m_info; }
    CStatusLine* statusDetailLine() const { return m_detail; }
    QFrame* demoBanner() const { return m_demoBanner; }
    CDlgMessage* overlay() const { return m_overlay; }
    CDlgDebug* debugWindow() const { return m_debug; }
    // The record of the Modbus and BACnet test pages, one file per run.
    CTestLog& testLog() { return m_testLog; }
    // The configuration export and import (exists once start-up has run).
    CConfigFileRunner* configurationFiles() const { return m_configFiles.get(); }
    CReportRunner* reports() const { return m_reports.get(); }

signals:
    // Start-up has finished: every page exists and the window is usable.
    void started();
    // The window has closed.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void OnStartupTimer();
    // Grows the window to show the largest page (FirstSize) and keeps it on
    // its screen.
    void fitPages();
    void savePlace();
    void OnTabTimer();
    void onTabChanged(int index);
    // Asks before closing: long work running, changes not written. false: stay.
    bool confirmClose();
    void createDemoBanner(QWidget* parent);
    // The title names the unit and its port (or the demo device), and the
    // demo banner shows in demo mode.
    void updateUnitCaption();
    void createMenu();
    // Adds the pages of an order from its index from on.
    void addPages(const std::vector<PageId>& order, std::size_t from);
    // The Modbus (0) or the BACnet (1) test page, by the stored value of holding 2045.
    int protocol() const;
    bool demoMode() const;
    int deviceType() const;
    // The detail line's words for a status carrying its code ("" without one).
    std::string detailText(const std::string& statusLine, std::optional<int> code) const;
    // Runs a File menu action on the unit, or says why it may not run.
    void runFileAction(const std::function<void()>& handler);
    // Says so and returns true while a page's long work (a firmware
    // download) holds the port; what: what the user may do afterwards.
    bool refuseWhileBusy(const QString& what);

    RegisterCatalogue& m_catalogue;
    CModbus& m_modbus;
    CTestLog m_testLog; // before the pages, which write into it
    // The window's, not a page's: the COM-Interface page drives it from its
    // buttons, every other page reaches the unit through it.
    CConnection m_connection;

    QString m_statusText;
    std::optional<int> m_statusCode;
    QString m_infoText;
    int m_lastTab = -1;
    bool m_started = false;
    bool m_inTabTick = false;
    bool m_programSwitch = false; // the tool, not the user, switches tabs
    bool m_placeRestored = false;
    QWidget* m_shownPage = nullptr; // the page the tab control shows now
    int m_minWidth = kMinWidth;
    int m_minHeight = kMinHeight;

    CDlgMessage* m_overlay;
    CDlgDebug* m_debug;
    CXTabCtrl* m_tabs;
    CStatusLine* m_status;
    CStatusLine* m_info;
    CStatusLine* m_detail;
    QFrame* m_demoBanner = nullptr;
    QLabel* m_demoText = nullptr;
    CTabInterface* m_comInterface = nullptr;
    std::array<QWidget*, static_cast<std::size_t>(PageId::Count)> m_pages{};

    QTimer m_startupTimer;
    QTimer m_tabTimer;
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
