// The "Common" page: the unit's identity and its general settings (bus
// address and framing, PIN, language, temperature unit, display, time and
// date formats, daylight saving, dark mode, protocol, date and time) and
// "Factory Reset". The rows and rules are CCommonLogic's; this class adds
// the date-time dialog and the questions before a factory reset and before
// a PIN of 0000 (no protection).
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/CPageWidget.h"
#include "pages/core/CCommonLogic.h"
#include "pages/core/CConfiguration.h"

#include <memory>

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
    // The questions before what cannot be taken back.
    bool confirmFactoryReset();
    bool confirmNoPin();
    // The unit as the questions name it ("ORVELANT E2 on ttyUSB0").
    QString unitName();

    std::unique_ptr<CCommonLogic> m_logic;
};
