// An IPageHost that passes everything on to another one (the page's host); a
// dialog's or a view's host derives from it and overrides what it shows in
// a place of its own.
//
// Thread rules: those of the outer host.
#pragma once

#include "pages/core/IPageHost.h"

class CForwardingHost : public IPageHost
{
public:
    explicit CForwardingHost(IPageHost& outer) : m_outer(outer) {}

    void setStatusText(const std::string& text) override { m_outer.setStatusText(text); }
    void setStatus(const std::string& text, int code) override { m_outer.setStatus(text, code); }
    void setStatusWithDetail(const std::string& text, int code, const std::string& detail) override
    {
        m_outer.setStatusWithDetail(text, code, detail);
    }
    void setRegisterInfo(const std::string& text) override { m_outer.setRegisterInfo(text); }
    void showBusyOverlay() override { m_outer.showBusyOverlay(); }
    void hideBusyOverlay() override { m_outer.hideBusyOverlay(); }
    void selectFirstTab() override { m_outer.selectFirstTab(); }
    void protocolChanged() override { m_outer.protocolChanged(); }
    void pause(int ms) override { m_outer.pause(ms); }

protected:
    IPageHost& outer() { return m_outer; }

private:
    IPageHost& m_outer;
};
