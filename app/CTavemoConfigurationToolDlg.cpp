#include "app/CTavemoConfigurationToolDlg.h"

#include "app/CDlgAbout.h"
#include "app/CDlgMessage.h"
#include "app/CStatusLine.h"
#include "app/CXTabBar.h"
#include "app/CXTabCtrl.h"
#include "app/TabImages.h"
#include "diag/ui/CDlgDebug.h"
#include "link/ui/CTabInterface.h"
#include "pages/core/ITabPage.h"
#include "model/RegisterCatalogue.h"

#include <QCloseEvent>
#include <QFontInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QThread>
#include <QVBoxLayout>

namespace {

const QColor kSelectedTabColour(0x00, 0x00, 0xFF);
const QColor kHoverTabColour(0x00, 0x00, 0x00);

} // namespace

CTavemoConfigurationToolDlg::CTavemoConfigurationToolDlg(RegisterCatalogue& catalogue, CModbus& modbus,
                                                         QWidget* parent)
    : QMainWindow(parent), m_catalogue(catalogue), m_modbus(modbus)
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

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(8, 8, 8, 0);
    layout->setSpacing(6);
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
    setCentralWidget(central);

    m_overlay = new CDlgMessage(this);
    m_debug = new CDlgDebug(this);
    createMenu();
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    m_startupTimer.setSingleShot(true);
    connect(&m_startupTimer, &QTimer::timeout, this, &CTavemoConfigurationToolDlg::OnStartupTimer);
    connect(&m_tabTimer, &QTimer::timeout, this, &CTavemoConfigurationToolDlg::OnTabTimer);
}

CTavemoConfigurationToolDlg::~CTavemoConfigurationToolDlg()
{
    m_tabTimer.stop();
    m_startupTimer.stop();
}

void CTavemoConfigurationToolDlg::createMenu()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    m_importAction = file->addAction(QStringLiteral("Import Configuration..."), this, [this] {
        if (m_importHandler)
            m_importHandler();
    });
    m_exportAction = file->addAction(QStringLiteral("Save Configuration..."), this, [this] {
        if (m_exportHandler)
            m_exportHandler();
    });
    m_importAction->setEnabled(false);
    m_exportAction->setEnabled(false);
    file->addSeparator();
    file->addAction(QStringLiteral("Exit"), this, &QWidget::close);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("Info..."), this, &CTavemoConfigurationToolDlg::OnAbout);
    help->addAction(QStringLiteral("Debug Window"), this, &CTavemoConfigurationToolDlg::OnDebugWindow);
}

void CTavemoConfigurationToolDlg::setConfigurationFileHandlers(std::function<void()> importConfiguration,
                                                               std::function<void()> saveConfiguration)
{
    m_importHandler = std::move(importConfiguration);
    m_exportHandler = std::move(saveConfiguration);
    m_importAction->setEnabled(bool(m_importHandler));
    m_exportAction->setEnabled(bool(m_exportHandler));
}

void CTavemoConfigurationToolDlg::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_started && !m_startupTimer.isActive() && m_comInterface == nullptr)
        m_startupTimer.start(kStartupDelayMs);
}

void CTavemoConfigurationToolDlg::closeEvent(QCloseEvent* event)
{
    for (QWidget* page : m_pages)
        if (auto* tabPage = dynamic_cast<ITabPage*>(page))
            tabPage->requestStop();
    QThread::msleep(kCloseWaitMs);
    m_tabTimer.stop();
    m_startupTimer.stop();
    m_overlay->hide();
    m_debug->hide();
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
    return m_catalogue.Holding(Reg::Protocol).value != 0 ? 1 : 0;
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

    m_comInterface = new CTabInterface(*this, m_catalogue, m_modbus, m_tabs);
    m_pages[static_cast<std::size_t>(PageId::Interface)] = m_comInterface;
    const PageContext context{this, &m_comInterface->connection(), &m_catalogue, m_tabs};
    for (const PageEntry& entry : PageRegistry::Entries()) {
        if (entry.id == PageId::Interface)
            continue;
        QWidget* created = PageRegistry::Create(entry.id, context);
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
    m_started = true;
    SetStatusText(QStringLiteral("Ready."));
    m_tabTimer.start(kTabPollMs);
    update();
    emit started();
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

void CTavemoConfigurationToolDlg::SetStatusText(const QString& text)
{
    if (text == m_statusText)
        return;
    m_statusText = demoMode() ? QStringLiteral("Demo mode is active.") : text;
    const QString lower = m_statusText.toLower();
    m_status->setColourFlags(lower.contains(QLatin1String("error")), lower.contains(QLatin1String("demo")));
    m_status->setText(m_statusText);
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
    // The COM-Interface and FW-Update tabs stay.
    constexpr int kKept = 2;
    m_tabs->RemoveTabsFrom(kKept);
    addPages(PageRegistry::TabOrder(false, deviceType, protocol()), kKept);
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
    if (!m_comInterface->verifySameDevice())
        return;
    if (tabPage)
        tabPage->activatePage();
}

bool CTavemoConfigurationToolDlg::SelectTab(int index)
{
    return m_tabs->SelectTab(index);
}

void CTavemoConfigurationToolDlg::SetTabEnabled(int index, bool enabled)
{
    m_tabs->SetTabEnabled(index, enabled);
}

void CTavemoConfigurationToolDlg::SetOtherTabsEnabled(bool enabled)
{
    for (int i = 1; i < m_tabs->count(); ++i)
        m_tabs->SetTabEnabled(i, enabled);
}

int CTavemoConfigurationToolDlg::tabCount() const
{
    return m_tabs->count();
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
        m_comInterface->connection().saveToNvram();
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
