#include "update/ui/CTabUpdate.h"

#include "diag/Result.h"
#include "link/CConnection.h"
#include "pages/core/IMainWindow.h"
#include "update/CDownloadSession.h"
#include "update/ui/CUpdateBar.h"

#include <QApplication>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
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

QPushButton* Button(const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    // The page has no default button: Enter does nothing here.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

} // namespace

CTabUpdate::CTabUpdate(IPageHost* host, CConnection* connection, QWidget* parent)
    : QWidget(parent), m_host(host), m_mainWindow(dynamic_cast<IMainWindow*>(host)), m_connection(connection)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->setSpacing(10);

    auto* title = new QLabel(QStringLiteral("FW-Update:"), this);
    layout->addWidget(title);
    auto* fileRow = new QHBoxLayout;
    m_path = new QLineEdit(this);
    m_path->setReadOnly(true);
    m_path->setAccessibleName(QStringLiteral("FW-Update"));
    title->setBuddy(m_path);
    m_search = Button(QStringLiteral("Search"), this);
    fileRow->addWidget(m_path, 1);
    fileRow->addWidget(m_search);
    layout->addLayout(fileRow);

    auto* barRow = new QHBoxLayout;
    m_bar = new CUpdateBar(this);
    m_bar->setRange(0, 100);
    m_bar->setPosition(0);
    m_rate = new QLabel(this);
    // Its name is what it shows: the rate and the time left.
    m_rate->setObjectName(QStringLiteral("TransferRate"));
    m_rate->setMinimumWidth(220);
    barRow->addWidget(m_bar, 1);
    barRow->addWidget(m_rate);
    layout->addLayout(barRow);

    auto* buttons = new QHBoxLayout;
    m_update = Button(QStringLiteral("Update"), this);
    m_cancelButton = Button(QStringLiteral("Cancel"), this);
    buttons->addWidget(m_update);
    buttons->addWidget(m_cancelButton);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    layout->addSpacing(16);
    auto* saveRow = new QHBoxLayout;
    saveRow->addWidget(new QLabel(QStringLiteral("Save Configuration:"), this));
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    saveRow->addWidget(line, 1);
    layout->addLayout(saveRow);
    auto* configRow = new QHBoxLayout;
    m_save = Button(QStringLiteral("Save Configuration"), this);
    m_import = Button(QStringLiteral("Import Configuration"), this);
    configRow->addWidget(m_save);
    configRow->addWidget(m_import);
    configRow->addStretch(1);
    layout->addLayout(configRow);
    layout->addStretch(1);

    connect(m_search, &QPushButton::clicked, this, &CTabUpdate::OnSearch);
    connect(m_update, &QPushButton::clicked, this, &CTabUpdate::OnUpdate);
    connect(m_cancelButton, &QPushButton::clicked, this, &CTabUpdate::OnCancel);
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

void CTabUpdate::setStatus(const std::string& text)
{
    if (m_host)
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
    setStatus(m_session->endText(CDownloadSession::Wording::StatusLine));
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
