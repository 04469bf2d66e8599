// The "Sun Protect" page: the unit's two sun-protection channels with their
// type, label, key mode, steps and limits, automatic mode, and present key
// status, position and angle. The rows and rules are CSunProtectLogic's;
// this class wires "Key clear" and the page's "Undo Changes".
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/CPageWidget.h"
#include "pages/core/CSunProtectLogic.h"

#include <memory>

class CTabSunProtect : public CPageWidget
{
    Q_OBJECT
public:
    explicit CTabSunProtect(const PageContext& context);
    ~CTabSunProtect() override;

    CSunProtectLogic& logic() { return *m_logic; }

protected:
    void buttonClicked(Page::ControlId id) override;

private:
    std::unique_ptr<CSunProtectLogic> m_logic;
};
