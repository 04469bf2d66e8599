// The FW-Update page: choose a download file (".dnl"), download it to the
// unit on the port chosen on the COM-Interface page, follow it and cancel
// it; and, because the user should save the configuration first, the
// configuration export and import of the "File" menu.
//
// Each download is one CDownloadSession, run on a worker thread of its own;
// the session does the whole download and publishes its progress. The
// page's 100 ms timer only shows it: the status line "Update status: %3i %%
// ( %s )", the painted bar, and the transfer rate with the time left beside
// the bar. While a download runs every tab is disabled (the page stays on
// screen); at its end each tab gets back the enable state it had before.
//
// The end, once the session has closed the port, is the session's status
// line text with a green bar ("Download complete.") or a red one
// ("Download canceled.", "Download failed: <why>"). The log keeps the detail.
//
// Thread rules: the page lives on the user-interface thread; the worker
// thread only runs the session, whose progress, cancel and end are safe to
// touch from here (CDownloadSession.h).
#pragma once

#include "pages/core/ITabPage.h"
#include "pages/form/CControlSet.h"

#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class CConnection;
class CDownloadSession;
class CProgressBar;
class IMainWindow;
class IPageHost;
class QLabel;
class QLineEdit;
class QPushButton;

class CTabUpdate : public QWidget, public ITabPage
{
    Q_OBJECT
public:
    static constexpr int kTimerMs = 100;

    // host: the main window (its IMainWindow side gives the tabs and the
    // configuration export and import); connection: the port chosen on the
    // COM-Interface page.
    CTabUpdate(IPageHost* host, CConnection* connection, QWidget* parent);
    ~CTabUpdate() override;

    // The buttons.
    void OnSearch();
    void OnUpdate();
    void OnCancel();

    // ITabPage
    std::string busyWork() const override;
    void requestStop() override;

    bool running() const { return m_worker.joinable(); }
    QLineEdit* pathField() const { return m_path; }
    CProgressBar* bar() const { return m_bar; }
    QLabel* rateLabel() const { return m_rate; }
    QPushButton* updateButton() const { return m_update; }
    // Every status text the page has shown since the last "Update".
    const std::vector<std::string>& statusTexts() const { return m_statusTexts; }
    // Skips the question before a download (tests, screenshots).
    void setAskFirst(bool ask) { m_askFirst = ask; }

private:
    void onTimer();
    void finish();
    // The status line; with the result it reports, once the download ends.
    void setStatus(const std::string& text, std::optional<int> code = std::nullopt);
    void setTabsForDownload(bool running);
    // The index of this page's tab in the tab control; -1 outside one.
    int ownTabIndex() const;

    IPageHost* m_host;
    IMainWindow* m_mainWindow;
    CConnection* m_connection;

    CControlSet m_controls; // the form, built from its rows
    QLineEdit* m_path;
    CProgressBar* m_bar;
    QLabel* m_rate;
    QPushButton* m_update;
    QPushButton* m_save;
    QPushButton* m_import;
    QTimer m_timer;
    bool m_askFirst = true;

    std::unique_ptr<CDownloadSession> m_session; // while a download runs
    std::thread m_worker;

    std::vector<bool> m_tabStates;     // as found when the download started
    std::vector<std::string> m_statusTexts;
};
