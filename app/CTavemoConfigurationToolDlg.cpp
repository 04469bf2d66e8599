#include "app/CTavemoConfigurationToolDlg.h"

#include "app/CDemoBanner.h"
#include "app/CDlgMessage.h"
#include "app/CStatusLine.h"
#include "app/CXTabBar.h"
#include "app/CXTabCtrl.h"
#include "app/TabImages.h"
#include "diag/LocalSystem.h"
#include "diag/Result.h"
#include "diag/ui/CDlgDebug.h"
#include "link/CModbus.h"
#include "link/PortOpenProblem.h"
#include "link/ui/CTabInterface.h"
#include "model/RegisterCatalogue.h"

#include <QCloseEvent>
#include <QFontInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <system_error>

CTavemoConfigurationToolDlg::CTavemoConfigurationToolDlg(RegisterCatalogue& catalogue, CModbus& modbus,
                                                         QWidget* parent)
    : QMainWindow(parent), m_catalogue(catalogue), m_modbus(modbus), m_tabSet(*this, catalogue),
      m_connectionHost(*this, m_tabSet), m_connection(modbus, catalogue, m_connectionHost)
{
    setWindowTitle(QStringLiteral("Tavemo-ConfigurationTool"));
    setWindowIcon(TabImages::WindowIcon());

    // Follow the font: the minimum size was laid out for a 16-pixel font.
    const int fontPixels = QFontInfo(font()).pixelSize();
    if (fontPixels > 0) {
        m_minWidth = kMinWidth * fontPixels / 16;
        m_minHeight = kMinHeight * fontPixels / 16;
    }
    setMinimumSize(m_minWidth, m_minHeight);
    // Open wide enough to show every tab without scrolling, when the screen
    // has the room.
    int tabsWidth = 0;
    for (const PageEntry& page : PageRegistry::Entries())
        if (page.protocol != 1) // one of the two protocol pages shows
            tabsWidth += CXTabBar::TabWidth(font(), QString::fromLatin1(page.caption));
    QSize size(qMax(m_minWidth, tabsWidth + 40), m_minHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size()).expandedTo(QSize(m_minWidth, m_minHeight));
    resize(size);
    // Where the user left the window last time (the window system keeps it
    // on a screen that is there now, and the minimum size holds).
    {
        const QSettings settings(WindowSettingsFile(), QSettings::IniFormat);
        const QByteArray place = settings.value(QString::fromLatin1(kPlaceKey)).toByteArray();
        m_placeRestored = !place.isEmpty() && restoreGeometry(place);
    }

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(8, 8, 8, 0);
    layout->setSpacing(6);
    m_demoBanner = new CDemoBanner(central);
    layout->addWidget(m_demoBanner);
    layout->addWidget(m_tabSet.control(), 1);
    auto* bar = new QHBoxLayout;
    bar->setSpacing(0);
    m_status = new CStatusLine(QStringLiteral("Status"), central);
    m_info = new CStatusLine(QStringLiteral("Register Info"), central);
    bar->addWidget(m_status, 1);
    bar->addWidget(m_info, 1);
    layout->addLayout(bar);
    // Under the status bar: what the code in the status line means and what
    // to check, in words.
    m_detail = new CStatusLine(QStringLiteral("Status Detail"), central);
    layout->addWidget(m_detail);
    setCentralWidget(central);

    m_overlay = new CDlgMessage(this);
    m_menu = std::make_unique<CMainMenu>(*this, *this, m_tabSet, m_connection, m_catalogue, m_testLog,
                                         WindowSettingsFile());
    // Escape belongs to the fields and dialogs; the window closes by "File"
    // > "Exit" and its close box only.

    connect(m_demoBanner, &CDemoBanner::leaveRequested, this, &CTavemoConfigurationToolDlg::LeaveDemoMode);
    m_startupTimer.setSingleShot(true);
    connect(&m_startupTimer, &QTimer::timeout, this, &CTavemoConfigurationToolDlg::OnStartupTimer);
}

CTavemoConfigurationToolDlg::~CTavemoConfigurationToolDlg()
{
    m_tabSet.Stop();
    m_startupTimer.stop();
}

QString CTavemoConfigurationToolDlg::WindowSettingsFile()
{
    const std::filesystem::path file = LocalSystem::SettingsFolder() / "tavemo-config.ini";
    return QString::fromStdWString(file.wstring());
}

QSize CTavemoConfigurationToolDlg::FirstSize(QSize largestPage, QSize aroundPage, QSize current, QSize screenRoom,
                                             QSize minimum)
{
    QSize size = (largestPage + aroundPage).expandedTo(current);
    if (screenRoom.isValid())
        size = size.boundedTo(screenRoom);
    return size.expandedTo(minimum);
}

void CTavemoConfigurationToolDlg::fitPages()
{
    const CXTabCtrl* tabs = m_tabSet.control();
    const QScrollArea* area = tabs->scrollArea(tabs->currentWidget());
    if (!area)
        return;
    centralWidget()->layout()->activate();
    const QSize aroundPage = size() - area->size();
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect();
    // The window's frame (title bar, borders) takes its part of the room.
    const QSize frame = frameGeometry().size() - geometry().size();
    const QSize wanted = FirstSize(tabs->largestPageSize(), aroundPage, size(), room.size() - frame,
                                   QSize(m_minWidth, m_minHeight));
    if (wanted == size())
        return;
    resize(wanted);
    if (room.isValid()) {
        // Still whole on the screen.
        const QRect placed = frameGeometry();
        const int x = std::max(room.left(), std::min(placed.left(), room.right() + 1 - placed.width()));
        const int y = std::max(room.top(), std::min(placed.top(), room.bottom() + 1 - placed.height()));
        if (x != placed.left() || y != placed.top())
            move(x, y);
    }
}

void CTavemoConfigurationToolDlg::savePlace()
{
    std::error_code ec;
    std::filesystem::create_directories(LocalSystem::SettingsFolder(), ec);
    QSettings settings(WindowSettingsFile(), QSettings::IniFormat);
    settings.setValue(QString::fromLatin1(kPlaceKey), saveGeometry());
    settings.sync();
}

void CTavemoConfigurationToolDlg::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!isStarted() && !m_startupTimer.isActive() && comInterface() == nullptr)
        m_startupTimer.start(kStartupDelayMs);
}

void CTavemoConfigurationToolDlg::closeEvent(QCloseEvent* event)
{
    if (!m_tabSet.ConfirmClose(this)) {
        event->ignore();
        return;
    }
    m_tabSet.RequestStop();
    QThread::msleep(kCloseWaitMs);
    m_tabSet.Stop();
    m_startupTimer.stop();
    m_overlay->hide();
    debugWindow()->hide();
    savePlace();
    event->accept();
    emit closed();
}

void CTavemoConfigurationToolDlg::OnStartupTimer()
{
    SetStatusText(QStringLiteral("Please wait til interfaces are initialized!"));
    tabs()->hide();

    m_tabSet.CreatePages(m_connection, m_testLog);
    m_menu->CreateRunners();
    SetOtherTabsEnabled(false);
    m_tabSet.MakePagesReady();

    tabs()->show();
    if (!m_placeRestored)
        fitPages();
    m_tabSet.Start();
    SetStatusText(QStringLiteral("Ready."));
    update();
    emit started();
}

void CTavemoConfigurationToolDlg::SetStatusText(const QString& text, std::optional<int> code)
{
    if (text == m_statusText && code == m_statusCode)
        return;
    m_statusText = m_tabSet.demoMode() ? QStringLiteral("Demo mode is active.") : text;
    m_statusCode = code;
    // A failure is one by its code; a text without one (a hint, a count,
    // "Ready.") is never shown as an error, whatever words it holds.
    const bool error = code && *code != Result::Ok;
    m_status->setColourFlags(error, m_statusText.toLower().contains(QLatin1String("demo")));
    m_status->setText(m_statusText);
    m_detail->setColourFlags(error, false);
    m_detail->setText(QString::fromStdString(detailText(m_statusText.toStdString(), code)));
    updateUnitCaption();
}

void CTavemoConfigurationToolDlg::setStatusWithDetail(const std::string& text, int code, const std::string& detail)
{
    SetStatusText(QString::fromStdString(text), code);
    // Demo mode shows its own line, whose detail is not the page's.
    if (m_tabSet.demoMode() || detail.empty())
        return;
    const std::string words = detailText(m_statusText.toStdString(), code);
    m_detail->setText(QString::fromStdString(words.empty() ? detail : words + " " + detail));
}

std::string CTavemoConfigurationToolDlg::detailText(const std::string& statusLine, std::optional<int> code) const
{
    if (!code)
        return {};
    // A port that could not be opened: the code's words, then the port's
    // own details (the device's group, the program holding it, unplugged).
    if ((*code == Result::PortNoAccess || *code == Result::PortBusy || *code == Result::PortGone) &&
        !m_modbus.openProblem().empty())
        return OpenFailureText(*code, m_modbus.openProblem());
    std::string words = StatusDetailText(*code);
    // A status that is the code's words already needs no second line.
    return words == statusLine ? std::string() : words;
}

QString CTavemoConfigurationToolDlg::statusDetail() const
{
    return m_detail->text();
}

void CTavemoConfigurationToolDlg::LeaveDemoMode()
{
    if (!comInterface() || !m_tabSet.demoMode())
        return;
    comInterface()->leaveDemoMode();
    // The tool's own switch: the page left does not ask.
    SelectTab(0);
}

void CTavemoConfigurationToolDlg::updateUnitCaption()
{
    static const QString kTitle = QStringLiteral("Tavemo-ConfigurationTool");
    const int type = m_tabSet.deviceType();
    const bool demo = m_tabSet.demoMode();
    // The unit's name ("ORVELANT E2"), not the whole description.
    QString name = QString::fromUtf8(DeviceTypeName(type));
    if (name.isEmpty() && type >= 0)
        name = QStringLiteral("device type %1").arg(type);
    QString title = kTitle;
    if (demo) {
        title += QStringLiteral(" - Demo: ") + name;
    } else if (type >= 0 && comInterface() && m_connection.pinAccepted()) {
        // The port bound at "Connect", not what the list shows now.
        const QString port =
            QString::fromStdString(m_connection.portName()).section(QLatin1Char('/'), -1);
        title += QStringLiteral(" - %1 on %2, bus address %3")
                     .arg(name, port)
                     .arg(m_catalogue.Holding(Reg::BusAddress).value);
    }
    m_demoBanner->showDemo(demo, name);
    if (windowTitle() != title)
        setWindowTitle(title);
}

bool CTavemoConfigurationToolDlg::statusIsError() const
{
    return m_status->isError();
}

bool CTavemoConfigurationToolDlg::statusIsDemo() const
{
    return m_status->isDemo();
}

void CTavemoConfigurationToolDlg::SetRegisterInfo(const QString& text)
{
    if (text == m_infoText)
        return;
    m_infoText = text;
    m_info->setText(text);
}

void CTavemoConfigurationToolDlg::ShowBusyOverlay()
{
    // In demo mode nothing is transferred, so nothing is announced.
    if (m_tabSet.deviceType() > 0 && !m_tabSet.demoMode())
        m_overlay->showCentredOver(this);
}

void CTavemoConfigurationToolDlg::HideBusyOverlay()
{
    // Hidden whatever the device type is now: the check in between may have
    // found another unit.
    if (m_overlay->isVisible())
        m_overlay->hide();
}

void CTavemoConfigurationToolDlg::RebuildTabs(int deviceType)
{
    if (m_tabSet.Rebuild(deviceType))
        updateUnitCaption();
}

void CTavemoConfigurationToolDlg::SetOtherTabsEnabled(bool enabled)
{
    m_tabSet.SetOtherTabsEnabled(enabled);
    m_menu->updateFileActions();
}

void CTavemoConfigurationToolDlg::setConfigurationFileHandlers(std::function<void()> importConfiguration,
                                                               std::function<void()> saveConfiguration,
                                                               std::function<void()> compareWithFile)
{
    m_menu->setConfigurationFileHandlers(std::move(importConfiguration), std::move(saveConfiguration),
                                         std::move(compareWithFile));
}

void CTavemoConfigurationToolDlg::pause(int ms)
{
    // The unit needs the quiet time between commands; the user-interface
    // thread blocks as it does for the whole cycle.
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

void CTavemoConfigurationToolDlg::SaveToNvram()
{
    if (comInterface())
        m_connection.saveToNvram();
}
