#include "app/CTavemoConfigurationToolDlg.h"

#include "app/CDlgAbout.h"
#include "app/CDlgMessage.h"
#include "app/CStatusLine.h"
#include "app/CXTabBar.h"
#include "app/CXTabCtrl.h"
#include "app/TabImages.h"
#include "app/CDlgCommission.h"
#include "app/CReportRunner.h"
#include "diag/ui/CDlgDebug.h"
#include "link/ui/CTabInterface.h"
#include "pages/CQuestionBox.h"
#include "pages/core/ITabPage.h"
#include "pages/core/PageText.h"
#include "tools/ui/TestLogViewer.h"
#include "tools/ui/CConfigFileRunner.h"
#include "diag/LocalSystem.h"
#include "diag/Result.h"
#include "link/CModbus.h"
#include "link/PortOpenProblem.h"
#include "model/RegisterCatalogue.h"

#include <QCloseEvent>
#include <QFontInfo>
#include <QGuiApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

const QColor kSelectedTabColour(0x00, 0x00, 0xFF);
const QColor kHoverTabColour(0x00, 0x00, 0x00);

} // namespace

CTavemoConfigurationToolDlg::CTavemoConfigurationToolDlg(RegisterCatalogue& catalogue, CModbus& modbus,
                                                         QWidget* parent)
    : QMainWindow(parent), m_catalogue(catalogue), m_modbus(modbus), m_connection(modbus, catalogue, *this)
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
    createDemoBanner(central);
    layout->addWidget(m_demoBanner);
    m_tabs = new CXTabCtrl(central);
    m_tabs->setAccessibleName(QStringLiteral("Pages"));
    layout->addWidget(m_tabs, 1);
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
    m_debug = new CDlgDebug(this);
    createMenu();
    // Escape belongs to the fields and dialogs; the window closes by "File"
    // > "Exit" and its close box only.

    // A tab is activated once the selection has rested for one period, so
    // that quick switches read only the page the user stopped at.
    m_tabTimer.setSingleShot(true);
    m_startupTimer.setSingleShot(true);
    connect(&m_startupTimer, &QTimer::timeout, this, &CTavemoConfigurationToolDlg::OnStartupTimer);
    connect(&m_tabTimer, &QTimer::timeout, this, &CTavemoConfigurationToolDlg::OnTabTimer);
    connect(m_tabs, &QTabWidget::currentChanged, this, &CTavemoConfigurationToolDlg::onTabChanged);
}

CTavemoConfigurationToolDlg::~CTavemoConfigurationToolDlg()
{
    m_tabTimer.stop();
    m_startupTimer.stop();
}

void CTavemoConfigurationToolDlg::createMenu()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
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
    file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&Info..."), this, &CTavemoConfigurationToolDlg::OnAbout);
    help->addAction(QStringLiteral("&Debug Window"), this, &CTavemoConfigurationToolDlg::OnDebugWindow);
    help->addAction(QStringLiteral("Open &Test Log"), this, &CTavemoConfigurationToolDlg::OnOpenTestLog);
}

void CTavemoConfigurationToolDlg::setConfigurationFileHandlers(std::function<void()> importConfiguration,
                                                               std::function<void()> saveConfiguration,
                                                               std::function<void()> compareWithFile)
{
    m_importHandler = std::move(importConfiguration);
    m_exportHandler = std::move(saveConfiguration);
    m_compareHandler = std::move(compareWithFile);
    updateFileActions();
}

bool CTavemoConfigurationToolDlg::unitActionsAllowed() const
{
    return m_comInterface && m_connection.mayActOnUnit();
}

void CTavemoConfigurationToolDlg::updateFileActions()
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

void CTavemoConfigurationToolDlg::OpenCommissionDialog()
{
    CDlgCommission dialog(m_connection, m_catalogue, WindowSettingsFile(), this);
    dialog.setObjectName(QStringLiteral("CommissionDialog"));
    dialog.exec();
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
    const QScrollArea* area = m_tabs->scrollArea(m_tabs->currentWidget());
    if (!area)
        return;
    centralWidget()->layout()->activate();
    const QSize aroundPage = size() - area->size();
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect();
    // The window's frame (title bar, borders) takes its part of the room.
    const QSize frame = frameGeometry().size() - geometry().size();
    const QSize wanted = FirstSize(m_tabs->largestPageSize(), aroundPage, size(), room.size() - frame,
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
    if (!m_started && !m_startupTimer.isActive() && m_comInterface == nullptr)
        m_startupTimer.start(kStartupDelayMs);
}

void CTavemoConfigurationToolDlg::closeEvent(QCloseEvent* event)
{
    if (!confirmClose()) {
        event->ignore();
        return;
    }
    for (QWidget* page : m_pages)
        if (auto* tabPage = dynamic_cast<ITabPage*>(page))
            tabPage->requestStop();
    QThread::msleep(kCloseWaitMs);
    m_tabTimer.stop();
    m_startupTimer.stop();
    m_overlay->hide();
    m_debug->hide();
    savePlace();
    event->accept();
    emit closed();
}

void CTavemoConfigurationToolDlg::addPages(const std::vector<PageId>& order, std::size_t from)
{
    for (std::size_t i = from; i < order.size(); ++i) {
        const PageEntry& entry = PageRegistry::Of(order[i]);
        m_tabs->AddTab(page(entry.id), QString::fromLatin1(entry.caption), entry.image);
    }
}

int CTavemoConfigurationToolDlg::protocol() const
{
    return ProtocolOf(m_catalogue.Holding(Reg::Protocol).value);
}

bool CTavemoConfigurationToolDlg::demoMode() const
{
    return m_comInterface && m_comInterface->demoMode();
}

int CTavemoConfigurationToolDlg::deviceType() const
{
    return m_comInterface ? m_comInterface->deviceType() : kNoDevice;
}

void CTavemoConfigurationToolDlg::OnStartupTimer()
{
    SetStatusText(QStringLiteral("Please wait til interfaces are initialized!"));
    m_tabs->hide();

    m_comInterface = new CTabInterface(*this, m_catalogue, m_connection, m_tabs);
    m_pages[static_cast<std::size_t>(PageId::Interface)] = m_comInterface;
    m_configFiles = std::make_unique<CConfigFileRunner>(this, *this, m_connection, m_catalogue);
    m_reports = std::make_unique<CReportRunner>(this, *this, *m_configFiles, m_connection, m_catalogue,
                                                WindowSettingsFile());
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
    const PageContext context{this, &m_connection, &m_catalogue, &m_testLog};
    for (const PageEntry& entry : PageRegistry::Entries()) {
        if (entry.id == PageId::Interface)
            continue;
        QWidget* created = PageRegistry::Create(entry.id, context, m_tabs);
        created->hide();
        m_pages[static_cast<std::size_t>(entry.id)] = created;
    }
    addPages(PageRegistry::TabOrder(true, kNoDevice, protocol()), 0);

    m_tabs->bar()->SetSelectedColour(true, kSelectedTabColour);
    m_tabs->bar()->SetHoverColour(true, kHoverTabColour);
    SetOtherTabsEnabled(false);

    m_comInterface->refreshPortList();
    for (QWidget* created : m_pages)
        if (auto* tabPage = dynamic_cast<ITabPage*>(created))
            tabPage->setPageReady();

    m_tabs->show();
    if (!m_placeRestored)
        fitPages();
    m_started = true;
    SetStatusText(QStringLiteral("Ready."));
    m_tabTimer.start(kTabPollMs);
    update();
    emit started();
}

void CTavemoConfigurationToolDlg::onTabChanged(int index)
{
    QWidget* left = m_shownPage;
    m_shownPage = m_tabs->widget(index);
    // A page left with changes not written asks first; "stay" takes the
    // switch back. A switch the tool makes itself (another unit found, a
    // rebuilt tab set) does not ask.
    if (!m_programSwitch && left && left != m_shownPage && m_tabs->indexOf(left) >= 0)
        if (auto* page = dynamic_cast<ITabPage*>(left); page && !page->confirmLeave()) {
            m_programSwitch = true;
            m_tabs->SelectTab(m_tabs->indexOf(left));
            m_programSwitch = false;
            return;
        }
    if (m_started)
        m_tabTimer.start(kTabPollMs);
}

void CTavemoConfigurationToolDlg::OnTabTimer()
{
    if (m_inTabTick)
        return;
    const int current = m_tabs->currentIndex();
    if (current == m_lastTab)
        return;
    m_inTabTick = true;
    m_lastTab = current;
    const QWidget* selected = m_tabs->widget(current);
    for (const PageEntry& entry : PageRegistry::Entries())
        if (entry.readsOnActivation && page(entry.id) == selected)
            ShowBusyOverlay();
    ActivatePage(current);
    HideBusyOverlay();
    m_inTabTick = false;
}

bool CTavemoConfigurationToolDlg::confirmClose()
{
    for (int i = 0; i < m_tabs->count(); ++i) {
        const auto* page = dynamic_cast<const ITabPage*>(m_tabs->widget(i));
        const std::string work = page ? page->busyWork() : std::string();
        if (work.empty())
            continue;
        enum { Close, Keep };
        const int choice = CQuestionBox::Ask(
            this, QMessageBox::Warning, QStringLiteral("CloseWhileBusy"), QStringLiteral("Close"),
            QStringLiteral("%1 is running. Closing now stops it and may leave the unit without working "
                           "firmware.\n\nClose anyway?")
                .arg(QString::fromStdString(work)),
            {{QStringLiteral("&Close"), QMessageBox::DestructiveRole},
             {QStringLiteral("&Keep Running"), QMessageBox::RejectRole}},
            Keep, Keep);
        if (choice != Close)
            return false;
    }
    auto* current = dynamic_cast<ITabPage*>(m_tabs->currentWidget());
    return !current || current->confirmLeave();
}

void CTavemoConfigurationToolDlg::SetStatusText(const QString& text, std::optional<int> code)
{
    if (text == m_statusText && code == m_statusCode)
        return;
    m_statusText = demoMode() ? QStringLiteral("Demo mode is active.") : text;
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
    if (demoMode() || detail.empty())
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

void CTavemoConfigurationToolDlg::createDemoBanner(QWidget* parent)
{
    m_demoBanner = new QFrame(parent);
    m_demoBanner->setObjectName(QStringLiteral("DemoBanner"));
    m_demoBanner->setAutoFillBackground(true);
    QPalette palette = m_demoBanner->palette();
    palette.setColor(QPalette::Window, CStatusLine::kDemoColour);
    palette.setColor(QPalette::WindowText, Qt::black);
    m_demoBanner->setPalette(palette);
    m_demoBanner->setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(m_demoBanner);
    row->setContentsMargins(10, 4, 10, 4);
    m_demoText = new QLabel(m_demoBanner);
    QFont bold = m_demoText->font();
    bold.setBold(true);
    m_demoText->setFont(bold);
    auto* leave = new QPushButton(QStringLiteral("&Leave Demo Mode"), m_demoBanner);
    leave->setAutoDefault(false);
    connect(leave, &QPushButton::clicked, this, &CTavemoConfigurationToolDlg::LeaveDemoMode);
    row->addWidget(m_demoText, 1);
    row->addWidget(leave);
    m_demoBanner->hide();
}

void CTavemoConfigurationToolDlg::LeaveDemoMode()
{
    if (!m_comInterface || !demoMode())
        return;
    m_comInterface->leaveDemoMode();
    m_programSwitch = true;
    SelectTab(0);
    m_programSwitch = false;
}

void CTavemoConfigurationToolDlg::updateUnitCaption()
{
    static const QString kTitle = QStringLiteral("Tavemo-ConfigurationTool");
    const int type = deviceType();
    // The unit's name ("ORVELANT E2"), not the whole description.
    QString name = QString::fromUtf8(DeviceTypeName(type));
    if (name.isEmpty() && type >= 0)
        name = QStringLiteral("device type %1").arg(type);
    QString title = kTitle;
    if (demoMode()) {
        title += QStringLiteral(" - Demo: ") + name;
        m_demoText->setText(QStringLiteral("Demo mode: %1. No unit is connected; nothing is read or written.")
                                .arg(name));
    } else if (type >= 0 && m_comInterface && m_connection.pinAccepted()) {
        // The port bound at "Connect", not what the list shows now.
        const QString port =
            QString::fromStdString(m_connection.portName()).section(QLatin1Char('/'), -1);
        title += QStringLiteral(" - %1 on %2, bus address %3")
                     .arg(name, port)
                     .arg(m_catalogue.Holding(Reg::BusAddress).value);
    }
    m_demoBanner->setVisible(demoMode());
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
    if (deviceType() > 0 && !demoMode())
        m_overlay->showCentredOver(this);
}

void CTavemoConfigurationToolDlg::HideBusyOverlay()
{
    // Hidden whatever the device type is now: the check in between may have
    // found another unit.
    if (m_overlay->isVisible())
        m_overlay->hide();
}

void CTavemoConfigurationToolDlg::EnableMainWindow(bool enable)
{
    m_tabs->setEnabled(enable);
    for (QWidget* created : m_pages)
        if (created)
            created->setEnabled(enable);
}

void CTavemoConfigurationToolDlg::RebuildTabs(int deviceType)
{
    if (!m_started)
        return;
    // Another unit or demo device: nothing a page showed of the previous
    // one stays on screen.
    for (QWidget* created : m_pages)
        if (auto* page = dynamic_cast<ITabPage*>(created); page && created != m_comInterface)
            page->clearPage();
    // The COM-Interface and FW-Update tabs stay.
    constexpr int kKept = 2;
    m_programSwitch = true;
    m_tabs->RemoveTabsFrom(kKept);
    addPages(PageRegistry::TabOrder(false, deviceType, protocol()), kKept);
    m_programSwitch = false;
    // The page on screen follows the new mode at once (its buttons in demo
    // mode), without waiting for the next tab switch.
    if (auto* current = dynamic_cast<ITabPage*>(m_tabs->currentWidget()))
        current->preparePage();
    updateUnitCaption();
}

void CTavemoConfigurationToolDlg::protocolChanged()
{
    ReplaceProtocolTab();
    for (QWidget* created : m_pages)
        if (auto* page = dynamic_cast<ITabPage*>(created))
            page->protocolChanged();
}

void CTavemoConfigurationToolDlg::ReplaceProtocolTab()
{
    if (!m_started || m_tabs->count() < 3)
        return;
    const int current = m_tabs->currentIndex();
    const PageEntry& entry = PageRegistry::Of(protocol() != 0 ? PageId::BACnet : PageId::Modbus);
    m_tabs->ReplaceTab2(page(entry.id), QString::fromLatin1(entry.caption));
    m_tabs->SelectTab(current);
}

void CTavemoConfigurationToolDlg::ActivatePage(int index)
{
    if (index < 0 || index >= m_tabs->count())
        return;
    auto* tabPage = dynamic_cast<ITabPage*>(m_tabs->widget(index));
    if (tabPage)
        tabPage->preparePage();
    if (demoMode())
        return;
    // With no unit identified there is nothing to compare: the check would
    // open a port the user has not connected to yet.
    if (deviceType() < 0)
        return;
    if (!m_comInterface->verifySameDevice()) {
        SetStatusText(QString::fromLatin1(PageText::kAnotherUnit), Result::AnotherUnit);
        return;
    }
    if (tabPage)
        tabPage->activatePage();
}

bool CTavemoConfigurationToolDlg::SelectTab(int index)
{
    // The tool's own switch: the page left does not ask about its changes.
    const bool outer = m_programSwitch;
    m_programSwitch = true;
    const bool selected = m_tabs->SelectTab(index);
    m_programSwitch = outer;
    return selected;
}

void CTavemoConfigurationToolDlg::SetTabEnabled(int index, bool enabled)
{
    m_tabs->SetTabEnabled(index, enabled);
}

void CTavemoConfigurationToolDlg::SetOtherTabsEnabled(bool enabled)
{
    for (int i = 1; i < m_tabs->count(); ++i)
        m_tabs->SetTabEnabled(i, enabled);
    updateFileActions();
}

int CTavemoConfigurationToolDlg::tabCount() const
{
    return m_tabs->count();
}

bool CTavemoConfigurationToolDlg::isTabEnabled(int index) const
{
    return m_tabs->IsTabEnabled(index);
}

bool CTavemoConfigurationToolDlg::refuseWhileBusy(const QString& what)
{
    for (QWidget* created : m_pages)
        if (const auto* page = dynamic_cast<const ITabPage*>(created); page && !page->busyWork().empty()) {
            QMessageBox::information(this, QStringLiteral("Configuration"),
                                     QString::fromStdString(page->busyWork()) +
                                         QStringLiteral(" is running; %1 when it has ended.").arg(what));
            return true;
        }
    return false;
}

void CTavemoConfigurationToolDlg::runFileAction(const std::function<void()>& handler)
{
    if (!handler)
        return;
    // Nothing but demo mode reads or writes a unit before its PIN was accepted.
    if (!unitActionsAllowed()) {
        showResult(Result::PinNotAccepted);
        return;
    }
    handler();
}

void CTavemoConfigurationToolDlg::saveConfiguration()
{
    runFileAction(m_exportHandler);
}

void CTavemoConfigurationToolDlg::importConfiguration()
{
    runFileAction(m_importHandler);
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
    if (m_comInterface)
        m_connection.saveToNvram();
}

int CTavemoConfigurationToolDlg::checkReady()
{
    return m_comInterface ? m_comInterface->checkReady() : kNoDevice;
}

void CTavemoConfigurationToolDlg::OnAbout()
{
    EnableMainWindow(false);
    CDlgAbout about(this);
    about.exec();
    EnableMainWindow(true);
}

void CTavemoConfigurationToolDlg::OnDebugWindow()
{
    if (!m_debug->isVisible()) {
        m_debug->show();
        m_debug->placeTopRight();
    }
    m_debug->raise();
    m_debug->activateWindow();
}

void CTavemoConfigurationToolDlg::OnOpenTestLog()
{
    TestLogViewer::Open(&m_testLog, *this);
}

int CTavemoConfigurationToolDlg::getPortSettings(PortSettings& settings)
{
    return m_comInterface ? m_comInterface->getPortSettings(settings) : Result::NoLink;
}

bool CTavemoConfigurationToolDlg::askPin(std::string& text, bool& remember)
{
    return m_comInterface && m_comInterface->askPin(text, remember);
}

void CTavemoConfigurationToolDlg::showDevice(const std::string& name)
{
    if (m_comInterface)
        m_comInterface->showDevice(name);
}

void CTavemoConfigurationToolDlg::waitMs(int ms)
{
    if (m_comInterface)
        m_comInterface->waitMs(ms);
}

void CTavemoConfigurationToolDlg::returnToFirstTab()
{
    if (tabCount() > 0) {
        selectTab(0);
        activatePage(0);
    }
}
