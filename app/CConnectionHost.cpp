#include "app/CConnectionHost.h"

#include "app/CTabSet.h"
#include "diag/Result.h"
#include "link/ui/CTabInterface.h"
#include "pages/core/IMainWindow.h"

CConnectionHost::CConnectionHost(IMainWindow& window, const CTabSet& tabs) : m_window(window), m_tabs(tabs)
{
}

int CConnectionHost::getPortSettings(PortSettings& settings)
{
    CTabInterface* page = m_tabs.comInterface();
    return page ? page->getPortSettings(settings) : Result::NoLink;
}

bool CConnectionHost::askPin(std::string& text, bool& remember)
{
    CTabInterface* page = m_tabs.comInterface();
    return page && page->askPin(text, remember);
}

void CConnectionHost::setStatusText(const std::string& text)
{
    m_window.setStatusText(text);
}

void CConnectionHost::setStatus(const std::string& text, int code)
{
    m_window.setStatus(text, code);
}

void CConnectionHost::rebuildTabs(int deviceType)
{
    m_window.rebuildTabs(deviceType);
}

void CConnectionHost::setOtherTabsEnabled(bool enabled)
{
    m_window.setOtherTabsEnabled(enabled);
}

void CConnectionHost::showDevice(const std::string& name)
{
    if (CTabInterface* page = m_tabs.comInterface())
        page->showDevice(name);
}

void CConnectionHost::waitMs(int ms)
{
    if (CTabInterface* page = m_tabs.comInterface())
        page->waitMs(ms);
}

void CConnectionHost::returnToFirstTab()
{
    if (m_window.tabCount() > 0) {
        m_window.selectTab(0);
        m_window.activatePage(0);
    }
}
