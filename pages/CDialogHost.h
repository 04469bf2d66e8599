// IPageHost for a configuration dialog: the register information goes to the
// dialog's own information line and to the main window's; everything else
// is the main window's (the page's host).
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/core/CForwardingHost.h"

class CInfoLine;

class CDialogHost : public CForwardingHost
{
public:
    CDialogHost(IPageHost& outer, CInfoLine* infoLine) : CForwardingHost(outer), m_info(infoLine) {}

    void setRegisterInfo(const std::string& text) override;

private:
    CInfoLine* m_info;
};
