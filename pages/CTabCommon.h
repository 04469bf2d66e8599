// The "Common" page: the unit's identity and its general settings (bus
// address and framing, PIN, language, temperature unit, display, time and
// date formats, daylight saving, dark mode, protocol, date and time) and
// "Factory Reset". The rules are CCommonLogic's; this class is its widgets.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/CPageWidget.h"
#include "pages/core/CCommonLogic.h"
#include "pages/core/CConfiguration.h"

#include <memory>

class CTabInterface;

class CTabCommon : public CPageWidget
{
    Q_OBJECT
public:
    explicit CTabCommon(const PageContext& context, CConfiguration& configuration = CConfiguration::Instance());
    ~CTabCommon() override;

    CCommonLogic& logic() { return *m_logic; }
    // "Configure Date / Time": the date-time dialog, then the write.
    void configureDateTime();

protected:
    void controlChanged(Page::ControlId id) override;
    void buttonClicked(Page::ControlId id) override;

private:
    CTabInterface* m_comInterface;
    std::unique_ptr<CCommonLogic> m_logic;
};
