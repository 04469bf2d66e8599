// The FW-Update page: choose a download file (".dnl"), download it to the
// unit on the port chosen on the COM-Interface page, follow it and cancel
// it; and, because the user should save the configuration first, the
// configuration export and import of the "File" menu.
//
// Each download runs on a worker thread of its own that owns one CAppl for
// the download's length; it publishes progress, state and the bytes sent
// into atomics every 20 ms. The page's 100 ms timer shows them: the status
// line "Update status: %3i %% ( %s )", the painted bar, and the transfer
// rate with the time left beside the bar. While a download runs every tab
// is disabled (the page stays on screen); at its end each tab gets back the
// enable state it had before.
//
// The end, once the worker has closed the port: "Download complete." with a
// green bar; "Download canceled." (Cancel) or "Download failed: <why>"
// with a red bar. The log keeps the detail.
//
// Thread rules: the page lives on the user-interface thread; the worker
// touches only the atomics and the failure words (written before it
// reports itself done, read after).
#pragma once

#include "pages/core/ITabPage.h"

#include <QTimer>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

class CConnection;
class CUpdateBar;
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
    CUpdateBar* bar() const { return m_bar; }
    QLabel* rateLabel() const { return m_rate; }
    QPushButton* updateButton() const { return m_update; }
    // Every status text the page has shown since the last "Update".
    const std::vector<std::string>& statusTexts() const { return m_statusTexts; }
    // Skips the question before a download (tests, screenshots).
    void setAskFirst(bool ask) { m_askFirst = ask; }

private:
    void onTimer();
    void worker(std::string path, std::string port);
    void finish();
    void setStatus(const std::string& text);
    void setTabsForDownload(bool running);
    // The index of this page's tab in the tab control; -1 outside one.
    int ownTabIndex() const;
    std::string failureWords() const;

    IPageHost* m_host;
    IMainWindow* m_mainWindow;
    CConnection* m_connection;

    QLineEdit* m_path;
    CUpdateBar* m_bar;
    QLabel* m_rate;
    QPushButton* m_search;
    QPushButton* m_update;
    QPushButton* m_cancelButton;
    QPushButton* m_save;
    QPushButton* m_import;
    QTimer m_timer;
    bool m_askFirst = true;

    std::thread m_worker;
    std::atomic<int> m_progress{0};
    std::atomic<int32_t> m_state{0};
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_complete{false};
    std::atomic<bool> m_done{false};
    std::atomic<int> m_failure{0};     // the failure's code; 0 none or a cancel
    std::atomic<uint32_t> m_sent{0};
    std::atomic<uint32_t> m_total{0};
    std::string m_failureText;         // the unit's side, in words

    std::vector<bool> m_tabStates;     // as found when the download started
    std::vector<std::string> m_statusTexts;
    bool m_transferStarted = false;
    std::chrono::steady_clock::time_point m_transferStart;
};
