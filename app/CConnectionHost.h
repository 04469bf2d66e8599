// What the window's connection to the unit talks to (IConnectionHost): the
// status line and the tab set are the window's, reached as the pages reach
// them (IMainWindow); the port settings, the PIN prompt, the device shown
// and the wait while the unit restarts are the COM-Interface page's. Before
// start-up has made that page there are no port settings and no PIN.
//
// Thread rules: user-interface thread only.
#pragma once

#include "link/IConnectionHost.h"

class CTabSet;
class IMainWindow;

class CConnectionHost : public IConnectionHost
{
public:
    CConnectionHost(IMainWindow& window, const CTabSet& tabs);

    int getPortSettings(PortSettings& settings) override;
    bool askPin(std::string& text, bool& remember) override;
    void setStatusText(const std::string& text) override;
    void setStatus(const std::string& text, int code) override;
    void rebuildTabs(int deviceType) override;
    void setOtherTabsEnabled(bool enabled) override;
    void showDevice(const std::string& name) override;
    void waitMs(int ms) override;
    void returnToFirstTab() override;

private:
    IMainWindow& m_window;
    const CTabSet& m_tabs;
};
