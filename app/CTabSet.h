// The main window's tab set: every page, made once at start-up, and the tab
// control that shows those the unit has (PageRegistry::TabOrder). It
// enables and selects tabs, puts the Modbus or BACnet test page into the
// protocol tab, and activates a newly selected page (ActivatePage) once the
// selection has rested for one poll period; a page left with changes not
// written asks first, unless the tool itself switches (another unit found,
// a rebuilt tab set, the way back to the first tab).
//
// The COM-Interface page is one of its pages, and the unit as the window
// sees it (device type, demo mode) is that page's; before start-up there is
// no page and no unit.
//
// The pages reach the window through IMainWindow (status line, busy
// overlay); the tab set uses the same services for the activation.
//
// Thread rules: user-interface thread only.
#pragma once

#include "app/PageRegistry.h"

#include <QObject>
#include <QTimer>

#include <array>
#include <string>
#include <vector>

class CConnection;
class CTabInterface;
class CTestLog;
class CXTabCtrl;
class IMainWindow;
class QWidget;
class RegisterCatalogue;

class CTabSet : public QObject
{
    Q_OBJECT
public:
    // How often the selected tab is looked at; two switches within one
    // period activate only the tab selected at the tick.
    static constexpr int kTabPollMs = 100;

    // The tab control exists from here on, without a parent until the
    // window lays it out.
    CTabSet(IMainWindow& host, RegisterCatalogue& catalogue);
    ~CTabSet() override;

    // Makes every page and shows the start-up tab order.
    void CreatePages(CConnection& connection, CTestLog& testLog);
    // Lists the ports and tells every page it may act from now on.
    void MakePagesReady();
    // From here on a selected page is activated.
    void Start();
    void Stop();
    bool isStarted() const { return m_started; }

    // The tab set for a device type; false before Start (nothing done).
    bool Rebuild(int deviceType);
    // Puts the Modbus or BACnet test page into tab 2 by holding 2045,
    // keeping the current selection.
    void ReplaceProtocolTab();
    // The unit now speaks the other protocol: the protocol tab and every page follow.
    void protocolChanged();
    void ActivatePage(int index);
    // The tool's own switch: the page left does not ask about its changes.
    bool SelectTab(int index);
    void SetTabEnabled(int index, bool enabled);
    bool isTabEnabled(int index) const;
    // Every tab but the first ("COM-Interface").
    void SetOtherTabsEnabled(bool enabled);
    int count() const;
    // The tab control and every page together.
    void SetEnabled(bool enable);

    // The first long work a page runs now ("" none).
    std::string busyWork() const;
    // Asks before closing: long work running, changes not written. false: stay.
    bool ConfirmClose(QWidget* parent);
    // Asks every page to stop its long work.
    void RequestStop();

    CXTabCtrl* control() const { return m_tabs; }
    CTabInterface* comInterface() const { return m_comInterface; }
    QWidget* page(PageId id) const { return m_pages[static_cast<std::size_t>(id)]; }
    bool demoMode() const;
    int deviceType() const;
    int lastTab() const { return m_lastTab; }

private:
    // Adds the pages of an order from its index from on.
    void addPages(const std::vector<PageId>& order, std::size_t from);
    // The Modbus (0) or the BACnet (1) test page, by the stored value of holding 2045.
    int protocol() const;
    void onTabChanged(int index);
    void OnTabTimer();

    IMainWindow& m_host;
    RegisterCatalogue& m_catalogue;
    CXTabCtrl* m_tabs;
    CTabInterface* m_comInterface = nullptr;
    std::array<QWidget*, static_cast<std::size_t>(PageId::Count)> m_pages{};
    QTimer m_tabTimer;
    QWidget* m_shownPage = nullptr; // the page the tab control shows now
    int m_lastTab = -1;
    bool m_started = false;
    bool m_inTabTick = false;
    bool m_programSwitch = false; // the tool, not the user, switches tabs
};
