// The "Light" page: the unit's two light channels with their label, key
// mode, dimming and automatic mode, and present switching status, key
// status and dimming value. The rows and rules are CLightLogic's; this
// class wires "Key clear".
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/CPageWidget.h"
#include "pages/core/CLightLogic.h"

#include <memory>

class CTabLight : public CPageWidget
{
    Q_OBJECT
public:
    explicit CTabLight(const PageContext& context);
    ~CTabLight() override;

    CLightLogic& logic() { return *m_logic; }

protected:
    void buttonClicked(Page::ControlId id) override;

private:
    std::unique_ptr<CLightLogic> m_logic;
};
