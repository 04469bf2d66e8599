// IPageHost over the main window: the status line, the register information
// line, the busy overlay and the first tab. Pauses block the calling
// (user-interface) thread, as a cycle does while it talks to the unit.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/core/IPageHost.h"

class IMainWindow;

class CMainWindowHost : public IPageHost
{
public:
    explicit CMainWindowHost(IMainWindow* mainWindow) : m_mainWindow(mainWindow) {}

    void setStatusText(const std::string& text) override;
    std::string statusText() const override;
    void setRegisterInfo(const std::string& text) override;
    void showBusyOverlay() override;
    void hideBusyOverlay() override;
    void selectFirstTab() override;
    void pause(int ms) override;

private:
    IMainWindow* m_mainWindow;
};
