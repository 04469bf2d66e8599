// The main window: the frame that builds its parts and wires them. Its parts
// are the menus (CMainMenu), the tab set that holds every page (CTabSet),
// the demo banner above the pages (CDemoBanner), a two-part status bar (the
// status line "Status" at the left, the register information line "Register
// Info" at the right, each a CStatusLine) with a line under it that says in
// words what the status line's code means, and the host the connection to
// the unit talks to (CConnectionHost). The window itself keeps its size and
// place, the title, the status lines' texts and the busy overlay.
//
// Start-up: 100 ms after the window is first shown the start-up timer
// creates all fourteen pages, fills the tab control, disables every tab but
// "COM-Interface", lists the ports and shows "Ready." (then started() is
// emitted). From then on the tab set activates a newly selected page.
//
// The title names the unit and its port, and the banner shows while demo
// mode is active.
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
// forwards to. The tab methods pass on to the tab set, the File menu's to
// the menu.
//
// Thread rules: user-interface thread only.
#pragma once

#include "app/CConnectionHost.h"
#include "app/CDemoBanner.h"
#include "app/CMainMenu.h"
#include "app/CTabSet.h"
#include "link/CConnection.h"
#include "pages/core/IMainWindow.h"
#include "tools/bustest/CTestLog.h"

#include <QMainWindow>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class CConfigFileRunner;
class CDlgDebug;
class CDlgMessage;
class CModbus;
class CReportRunner;
class CStatusLine;
class CTabInterface;
class CXTabCtrl;
class RegisterCatalogue;

class CTavemoConfigurationToolDlg : public QMainWindow, public IMainWindow
{
    Q_OBJECT
public:
    // The window is never smaller than this for a 16-pixel font; the size
    // follows the font (a 12-pixel font gives 1013 x 533).
    static constexpr int kMinWidth = 1350;
    static constexpr int kMinHeight = 710;
    // Start-up waits until the window is on screen, so the user sees it at once.
    static constexpr int kStartupDelayMs = 100;
    // A running download gets this long to notice the stop request.
    static constexpr int kCloseWaitMs = 100;
    // The window's size and place in the settings file.
    static constexpr const char* kPlaceKey = "MainWindow/geometry";

    // The settings file (an INI file in LocalSystem::SettingsFolder).
    static QString WindowSettingsFile();
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
    void EnableMainWindow(bool enable) { m_tabSet.SetEnabled(enable); }
    // The tab set for a device type (PageRegistry::TabOrder).
    void RebuildTabs(int deviceType);
    // Puts the Modbus or BACnet test page into tab 2 by holding 2045,
    // keeping the current selection.
    void ReplaceProtocolTab() { m_tabSet.ReplaceProtocolTab(); }
    void ActivatePage(int index) { m_tabSet.ActivatePage(index); }
    bool SelectTab(int index) { return m_tabSet.SelectTab(index); }
    void SetTabEnabled(int index, bool enabled) { m_tabSet.SetTabEnabled(index, enabled); }
    // The File menu's unit actions follow the tabs.
    void SetOtherTabsEnabled(bool enabled);
    // "Save To NVRAM": makes the unit store its configuration.
    void SaveToNvram();

    // IMainWindow
    void setStatusText(const std::string& text) override { SetStatusText(QString::fromStdString(text)); }
    void setStatus(const std::string& text, int code) override { SetStatusText(QString::fromStdString(text), code); }
    void setStatusWithDetail(const std::string& text, int code, const std::string& detail) override;
    void setRegisterInfo(const std::string& text) override { SetRegisterInfo(QString::fromStdString(text)); }
    void showBusyOverlay() override { ShowBusyOverlay(); }
    void hideBusyOverlay() override { HideBusyOverlay(); }
    void selectFirstTab() override { SelectTab(0); }
    void protocolChanged() override { m_tabSet.protocolChanged(); }
    void pause(int ms) override;
    void enableMainWindow(bool enable) override { EnableMainWindow(enable); }
    void rebuildTabs(int deviceType) override { RebuildTabs(deviceType); }
    void activatePage(int index) override { ActivatePage(index); }
    bool selectTab(int index) override { return SelectTab(index); }
    void setOtherTabsEnabled(bool enabled) override { SetOtherTabsEnabled(enabled); }
    int tabCount() const override { return m_tabSet.count(); }
    bool isTabEnabled(int index) const override { return m_tabSet.isTabEnabled(index); }
    void setTabEnabled(int index, bool enabled) override { SetTabEnabled(index, enabled); }
    void saveConfiguration() override { m_menu->saveConfiguration(); }
    void importConfiguration() override { m_menu->importConfiguration(); }

    // The export and import of the configuration ("File" menu); the items
    // stay disabled until they are set.
    void setConfigurationFileHandlers(std::function<void()> importConfiguration,
                                      std::function<void()> saveConfiguration,
                                      std::function<void()> compareWithFile = {});

    // The demo banner's "Leave Demo Mode": back to no unit, the COM-Interface page.
    void LeaveDemoMode();
    // "Help" > "Debug Window".
    void OnDebugWindow() { m_menu->OnDebugWindow(); }

    bool isStarted() const { return m_tabSet.isStarted(); }
    // The window took its size and place from the settings.
    bool placeRestored() const { return m_placeRestored; }
    bool statusIsError() const;
    bool statusIsDemo() const;
    QString registerInfo() const { return m_infoText; }
    // The words under the status bar for the status line's code.
    QString statusDetail() const;
    int lastTab() const { return m_tabSet.lastTab(); }
    QSize minimumWindowSize() const { return {m_minWidth, m_minHeight}; }

    CXTabCtrl* tabs() const { return m_tabSet.control(); }
    CTabInterface* comInterface() const { return m_tabSet.comInterface(); }
    // The connection to the unit, which every page reaches the unit through.
    CConnection& connection() { return m_connection; }
    QWidget* page(PageId id) const { return m_tabSet.page(id); }
    CStatusLine* statusLine() const { return m_status; }
    CStatusLine* registerInfoLine() const { return m_info; }
    CStatusLine* statusDetailLine() const { return m_detail; }
    CDemoBanner* demoBanner() const { return m_demoBanner; }
    CDlgMessage* overlay() const { return m_overlay; }
    CDlgDebug* debugWindow() const { return m_menu->debugWindow(); }
    // The record of the Modbus and BACnet test pages, one file per run.
    CTestLog& testLog() { return m_testLog; }
    // The configuration export and import (exists once start-up has run).
    CConfigFileRunner* configurationFiles() const { return m_menu->configurationFiles(); }
    CReportRunner* reports() const { return m_menu->reports(); }

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
    // The title names the unit and its port (or the demo device), and the
    // demo banner shows in demo mode.
    void updateUnitCaption();
    // The detail line's words for a status carrying its code ("" without one).
    std::string detailText(const std::string& statusLine, std::optional<int> code) const;

    RegisterCatalogue& m_catalogue;
    CModbus& m_modbus;
    CTestLog m_testLog; // before the pages, which write into it
    CTabSet m_tabSet;
    CConnectionHost m_connectionHost;
    // The window's, not a page's: the COM-Interface page drives it from its
    // buttons, every other page reaches the unit through it.
    CConnection m_connection;
    std::unique_ptr<CMainMenu> m_menu;

    QString m_statusText;
    std::optional<int> m_statusCode;
    QString m_infoText;
    bool m_placeRestored = false;
    int m_minWidth = kMinWidth;
    int m_minHeight = kMinHeight;

    CDlgMessage* m_overlay;
    CStatusLine* m_status;
    CStatusLine* m_info;
    CStatusLine* m_detail;
    CDemoBanner* m_demoBanner = nullptr;

    QTimer m_startupTimer;
};
