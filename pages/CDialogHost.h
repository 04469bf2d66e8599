// IPageHost for a configuration dialog: the register information goes to the
// dialog's own information line and to the main window's; everything else
// is the main window's (the page's host).
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/core/IPageHost.h"

class QLabel;

class CDialogHost : public IPageHost
{
public:
    CDialogHost(IPageHost& outer, QLabel* infoLine) : m_outer(outer), m_info(infoLine) {}

    void setStatusText(const std::string& text) override { m_outer.setStatusText(text); }
    void setRegisterInfo(const std::string& text) override;
    void showBusyOverlay() override { m_outer.showBusyOverlay(); }
    void hideBusyOverlay() override { m_outer.hideBusyOverlay(); }
    void selectFirstTab() override { m_outer.selectFirstTab(); }
    void protocolChanged() override { m_outer.protocolChanged(); }
    void pause(int ms) override { m_outer.pause(ms); }

private:
    IPageHost& m_outer;
    QLabel* m_info;
};
