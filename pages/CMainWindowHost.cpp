#include "pages/CMainWindowHost.h"

#include "app/IMainWindow.h"

#include <chrono>
#include <thread>

void CMainWindowHost::setStatusText(const std::string& text)
{
    if (m_mainWindow)
        m_mainWindow->SetStatusText(QString::fromStdString(text));
}

std::string CMainWindowHost::statusText() const
{
    return m_mainWindow ? m_mainWindow->statusText().toStdString() : std::string();
}

void CMainWindowHost::setRegisterInfo(const std::string& text)
{
    if (m_mainWindow)
        m_mainWindow->SetRegisterInfo(QString::fromStdString(text));
}

void CMainWindowHost::showBusyOverlay()
{
    if (m_mainWindow)
        m_mainWindow->ShowBusyOverlay();
}

void CMainWindowHost::hideBusyOverlay()
{
    if (m_mainWindow)
        m_mainWindow->HideBusyOverlay();
}

void CMainWindowHost::selectFirstTab()
{
    if (m_mainWindow)
        m_mainWindow->SelectTab(0);
}

void CMainWindowHost::pause(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
