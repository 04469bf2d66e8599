#include "app/CTabSet.h"

#include "app/CXTabBar.h"
#include "app/CXTabCtrl.h"
#include "link/ui/CTabInterface.h"
#include "model/RegisterCatalogue.h"
#include "pages/CQuestionBox.h"
#include "pages/core/IMainWindow.h"
#include "pages/core/ITabPage.h"
#include "pages/core/PageText.h"

#include <QMessageBox>

namespace {

const QColor kSelectedTabColour(0x00, 0x00, 0xFF);
const QColor kHoverTabColour(0x00, 0x00, 0x00);

} // namespace

CTabSet::CTabSet(IMainWindow& host, RegisterCatalogue& catalogue)
    : m_host(host), m_catalogue(catalogue), m_tabs(new CXTabCtrl)
{
    m_tabs->setAccessibleName(QStringLiteral("Pages"));
    // A tab is activated once the selection has rested for one period, so
    // that quick switches read only the page the user stopped at.
    m_tabTimer.setSingleShot(true);
    connect(&m_tabTimer, &QTimer::timeout, this, &CTabSet::OnTabTimer);
    connect(m_tabs, &QTabWidget::currentChanged, this, &CTabSet::onTabChanged);
}

CTabSet::~CTabSet()
{
    m_tabTimer.stop();
}

void CTabSet::CreatePages(CConnection& connection, CTestLog& testLog)
{
    m_comInterface = new CTabInterface(m_host, m_catalogue, connection, m_tabs);
    m_pages[static_cast<std::size_t>(PageId::Interface)] = m_comInterface;
    const PageContext context{&m_host, &connection, &m_catalogue, &testLog};
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
}

void CTabSet::MakePagesReady()
{
    m_comInterface->refreshPortList();
    for (QWidget* created : m_pages)
        if (auto* tabPage = dynamic_cast<ITabPage*>(created))
            tabPage->setPageReady();
}

void CTabSet::Start()
{
    m_started = true;
    m_tabTimer.start(kTabPollMs);
}

void CTabSet::Stop()
{
    m_tabTimer.stop();
}

void CTabSet::addPages(const std::vector<PageId>& order, std::size_t from)
{
    for (std::size_t i = from; i < order.size(); ++i) {
        const PageEntry& entry = PageRegistry::Of(order[i]);
        m_tabs->AddTab(page(entry.id), QString::fromLatin1(entry.caption), entry.image);
    }
}

int CTabSet::protocol() const
{
    return ProtocolOf(m_catalogue.Holding(Reg::Protocol).value);
}

bool CTabSet::demoMode() const
{
    return m_comInterface && m_comInterface->demoMode();
}

int CTabSet::deviceType() const
{
    return m_comInterface ? m_comInterface->deviceType() : kNoDevice;
}

void CTabSet::onTabChanged(int index)
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

void CTabSet::OnTabTimer()
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
            m_host.showBusyOverlay();
    ActivatePage(current);
    m_host.hideBusyOverlay();
    m_inTabTick = false;
}

bool CTabSet::Rebuild(int deviceType)
{
    if (!m_started)
        return false;
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
    return true;
}

void CTabSet::ReplaceProtocolTab()
{
    if (!m_started || m_tabs->count() < 3)
        return;
    const int current = m_tabs->currentIndex();
    const PageEntry& entry = PageRegistry::Of(protocol() != 0 ? PageId::BACnet : PageId::Modbus);
    m_tabs->ReplaceTab2(page(entry.id), QString::fromLatin1(entry.caption));
    m_tabs->SelectTab(current);
}

void CTabSet::protocolChanged()
{
    ReplaceProtocolTab();
    for (QWidget* created : m_pages)
        if (auto* page = dynamic_cast<ITabPage*>(created))
            page->protocolChanged();
}

void CTabSet::ActivatePage(int index)
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
        m_host.setStatus(PageText::kAnotherUnit, Result::AnotherUnit);
        return;
    }
    if (tabPage)
        tabPage->activatePage();
}

bool CTabSet::SelectTab(int index)
{
    const bool outer = m_programSwitch;
    m_programSwitch = true;
    const bool selected = m_tabs->SelectTab(index);
    m_programSwitch = outer;
    return selected;
}

void CTabSet::SetTabEnabled(int index, bool enabled)
{
    m_tabs->SetTabEnabled(index, enabled);
}

bool CTabSet::isTabEnabled(int index) const
{
    return m_tabs->IsTabEnabled(index);
}

void CTabSet::SetOtherTabsEnabled(bool enabled)
{
    for (int i = 1; i < m_tabs->count(); ++i)
        m_tabs->SetTabEnabled(i, enabled);
}

int CTabSet::count() const
{
    return m_tabs->count();
}

void CTabSet::SetEnabled(bool enable)
{
    m_tabs->setEnabled(enable);
    for (QWidget* created : m_pages)
        if (created)
            created->setEnabled(enable);
}

std::string CTabSet::busyWork() const
{
    for (QWidget* created : m_pages)
        if (const auto* page = dynamic_cast<const ITabPage*>(created); page && !page->busyWork().empty())
            return page->busyWork();
    return {};
}

bool CTabSet::ConfirmClose(QWidget* parent)
{
    for (int i = 0; i < m_tabs->count(); ++i) {
        const auto* page = dynamic_cast<const ITabPage*>(m_tabs->widget(i));
        const std::string work = page ? page->busyWork() : std::string();
        if (work.empty())
            continue;
        enum { Close, Keep };
        const int choice = CQuestionBox::Ask(
            parent, QMessageBox::Warning, QStringLiteral("CloseWhileBusy"), QStringLiteral("Close"),
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

void CTabSet::RequestStop()
{
    for (QWidget* page : m_pages)
        if (auto* tabPage = dynamic_cast<ITabPage*>(page))
            tabPage->requestStop();
}
