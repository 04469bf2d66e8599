#include "update/ui/CTabUpdate.h"

#include "diag/Result.h"
#include "link/CConnection.h"
#include "pages/core/IMainWindow.h"
#include "pages/form/CFormBuilder.h"
#include "pages/form/CProgressBar.h"
#include "update/CDownloadSession.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cstdio>

namespace {

const QColor kComplete(0, 255, 0);
const QColor kFailed(255, 0, 0);

using Page::Kind;
using Page::Row;

enum Id : Page::ControlId
{
    Title = 1,
    Path,
    Search,
    Bar,
    Rate,
    Update,
    Cancel,
    SaveTitle,
    SaveRule,
    Save,
    Import,
};

// Room above the configuration's part, apart from the download's.
constexpr int kGapAboveSave = 16;
// The rate and the time left fit beside the bar.
constexpr int16_t kRateWidth = 220;

constexpr Row InLine(Id id, Kind kind, const char* caption, int row, uint8_t stretch = 0)
{
    return {.id = id, .kind = kind, .caption = caption, .row = row, .inLine = true, .stretch = stretch};
}

// One column of lines; the file's label names its field.
constexpr Row kRows[] = {
    {.id = Title, .kind = Kind::UnitLabel, .caption = "FW-Update:"},
    {.id = Path, .kind = Kind::Text, .row = 1, .accessibleName = "FW-Update", .inLine = true, .stretch = 1},
    InLine(Search, Kind::Button, "Search", 1),
    InLine(Bar, Kind::Progress, "", 2, 1),
    {.id = Rate, .kind = Kind::UnitLabel, .row = 2, .width = kRateWidth, .inLine = true},
    InLine(Update, Kind::Button, "Update", 3),
    InLine(Cancel, Kind::Button, "Cancel", 3),
    InLine(SaveTitle, Kind::UnitLabel, "Save Configuration:", 5),
    InLine(SaveRule, Kind::Rule, "", 5, 1),
    InLine(Save, Kind::Button, "Save Configuration", 6),
    InLine(Import, Kind::Button, "Import Configuration", 6),
};

} // namespace

CTabUpdate::CTabUpdate(IPageHost* host, CConnection* connection, QWidget* parent)
    : QWidget(parent), m_host(host), m_mainWindow(dynamic_cast<IMainWindow*>(host)), m_connection(connection),
      m_controls(this, CControlSet::EditCues::Off)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    auto* grid = new QGridLayout;
    grid->setSpacing(10);
    layout->addLayout(grid);
    layout->addStretch(1);
    // The page has no default button: Enter does nothing here (the form's
    // buttons are not default ones).
    CFormBuilder::Build(kRows, grid, nullptr, m_controls, CFormBuilder::Mnemonics::Off);
    grid->setRowMinimumHeight(4, kGapAboveSave);
    m_path = m_controls.as<QLineEdit>(Path);
    m_path->setReadOnly(true);
    m_controls.as<QLabel>(Title)->setBuddy(m_path);
    m_bar = m_controls.as<CProgressBar>(Bar);
    m_rate = m_controls.as<QLabel>(Rate);
    // Its name is what it shows: the rate and the time left.
    m_rate->setObjectName(QStringLiteral("TransferRate"));
    m_update = m_controls.as<QPushButton>(Update);
    m_save = m_controls.as<QPushButton>(Save);
    m_import = m_controls.as<QPushButton>(Import);

    connect(m_controls.as<QPushButton>(Search), &QPushButton::clicked, this, &CTabUpdate::OnSearch);
    connect(m_update, &QPushButton::clicked, this, &CTabUpdate::OnUpdate);
    connect(m_controls.as<QPushButton>(Cancel), &QPushButton::clicked, this, &CTabUpdate::OnCancel);
    connect(m_save, &QPushButton::clicked, this, [this] {
        if (m_mainWindow)
            m_mainWindow->saveConfiguration();
    });
    connect(m_import, &QPushButton::clicked, this, [this] {
        if (m_mainWindow)
            m_mainWindow->importConfiguration();
    });
    m_timer.setInterval(kTimerMs);
    connect(&m_timer, &QTimer::timeout, this, &CTabUpdate::onTimer);
}

CTabUpdate::~CTabUpdate()
{
    m_timer.stop();
    if (m_session)
        m_session->cancel();
    if (m_worker.joinable())
        m_worker.join();
}

void CTabUpdate::OnSearch()
{
    QFileDialog dialog(this, QString(), QString(), QStringLiteral("Update File (*.dnl)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        m_path->setText(dialog.selectedFiles().first());
}

void CTabUpdate::OnUpdate()
{
    if (m_worker.joinable())
        return;
    // The loader takes file names in UTF-8, as every file of the tool.
    auto session = std::make_unique<CDownloadSession>(m_path->text().toStdString(),
                                                      m_connection && m_connection->demoMode());
    if (session->check() != Result::Ok) {
        QMessageBox box(QMessageBox::Information, QStringLiteral("FW-Update"),
                        QString::fromStdString(session->endText(CDownloadSession::Wording::StatusLine)),
                        QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("UpdateRefusedInDemoMode"));
        box.exec();
        return;
    }
    if (m_askFirst) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("FW-Update"),
                        QStringLiteral("Attention:\r\nSave Configuration before FW-Update.\r\n"), QMessageBox::NoButton,
                        this);
        box.setObjectName(QStringLiteral("StartUpdateQuestion"));
        QPushButton* start = box.addButton(QStringLiteral("Start Update"), QMessageBox::AcceptRole);
        QPushButton* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
        box.setDefaultButton(cancel);
        box.setEscapeButton(cancel);
        QApplication::beep();
        box.exec();
        if (box.clickedButton() != start)
            return;
    }
    std::string port;
    if (m_connection) {
        PortSettings settings;
        if (m_connection->getPortSettings(settings) >= 0)
            port = settings.portName;
    }
    m_session = std::move(session);
    m_statusTexts.clear();
    m_rate->clear();

    m_timer.start();
    m_worker = std::thread([session = m_session.get(), port] { session->run(port); });
    m_update->setEnabled(false);
    m_save->setEnabled(false);
    m_import->setEnabled(false);
    m_bar->setBarColour(palette().color(QPalette::Highlight));
    m_bar->setBackground(palette().color(QPalette::Button));
    m_bar->setPosition(0);
    setTabsForDownload(true);
}

void CTabUpdate::OnCancel()
{
    // The worker notices within 20 ms, stops the receive thread and closes
    // the port; the timer reports the end once it has.
    if (m_worker.joinable())
        m_session->cancel();
}

std::string CTabUpdate::busyWork() const
{
    return m_worker.joinable() ? "A firmware download" : "";
}

void CTabUpdate::requestStop()
{
    if (m_session)
        m_session->cancel();
}

void CTabUpdate::setStatus(const std::string& text, std::optional<int> code)
{
    if (m_host && code)
        m_host->setStatus(text, *code);
    else if (m_host)
        m_host->setStatusText(text);
    if (m_statusTexts.empty() || m_statusTexts.back() != text)
        m_statusTexts.push_back(text);
}

void CTabUpdate::onTimer()
{
    const CDownloadSession::Progress p = m_session->progress();
    char text[96];
    std::snprintf(text, sizeof text, "Update status: %3i %% ( %s )", p.percent, p.stateText);
    setStatus(text);
    m_bar->setPosition(p.percent);
    if (p.state == int32_t(SwDlState::Transfer) && p.rateKnown)
        m_rate->setText(QString::fromStdString(p.rateText() + ", " + p.timeLeftText()));
    if (m_session->finished())
        finish();
    update();
}

void CTabUpdate::finish()
{
    m_timer.stop();
    if (m_worker.joinable())
        m_worker.join();
    setTabsForDownload(false);
    m_update->setEnabled(true);
    m_save->setEnabled(true);
    m_import->setEnabled(true);
    m_rate->clear();
    m_bar->setPosition(m_session->progress().percent);
    // The end carries the download's result: a failed or canceled one is
    // shown as such by its code.
    setStatus(m_session->endText(CDownloadSession::Wording::StatusLine), m_session->result());
    m_bar->setBarColour(m_session->result() == Result::Ok ? kComplete : kFailed);
    // The download's objects (the file's bytes, the port) go with it.
    m_session.reset();
}

int CTabUpdate::ownTabIndex() const
{
    // The tab holds the page, or a scroll area around it.
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                if (tabs->widget(i) == this || tabs->widget(i)->isAncestorOf(this))
                    return i;
            return -1;
        }
    return -1;
}

void CTabUpdate::setTabsForDownload(bool running)
{
    if (!m_mainWindow)
        return;
    if (running) {
        m_tabStates.clear();
        for (int i = 0; i < m_mainWindow->tabCount(); ++i)
            m_tabStates.push_back(m_mainWindow->isTabEnabled(i));
        // A tab bar whose current tab is disabled moves on to the next
        // enabled one: this page's own tab goes last, so it stays on screen.
        const int own = ownTabIndex();
        for (int i = 0; i < m_mainWindow->tabCount(); ++i)
            if (i != own)
                m_mainWindow->setTabEnabled(i, false);
        m_mainWindow->setTabEnabled(own, false);
        // A disabled tab disables its page (and the scroll area around it)
        // as well; this one stays usable, or the download could not be
        // canceled.
        for (QWidget* w = this; w && !qobject_cast<QStackedWidget*>(w); w = w->parentWidget())
            w->setEnabled(true);
        return;
    }
    for (int i = 0; i < m_mainWindow->tabCount() && static_cast<std::size_t>(i) < m_tabStates.size(); ++i)
        m_mainWindow->setTabEnabled(i, m_tabStates[static_cast<std::size_t>(i)]);
}
