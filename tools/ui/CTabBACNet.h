// The "BACnet" page: one object of the unit read or written by instance
// number, for each of the eight object types the adapter reaches
// (CBACnetTestLogic). Shown in the protocol tab while the unit speaks
// BACnet.
//
// Rows "Analogue Value", "Analogue Input", "Binary Value", "Binary Input",
// "Integer Value", "Character String Value", "Date Time Value", "Time
// Value"; columns "Instance", "Value (out)", "Value (in)" (names for
// assistive tools: CBusTestPage.h, e.g. "Time Value Value (out)").
//
// Thread rules: user-interface thread only.
#pragma once

#include "tools/bustest/CBACnetTestLogic.h"
#include "tools/ui/CBusTestPage.h"

class CTabBACNet : public CBusTestPage
{
    Q_OBJECT
public:
    // log may be null: nothing is logged.
    CTabBACNet(IPageHost& host, CConnection& connection, CTestLog* log, QWidget* parent = nullptr);

    CBACnetTestLogic& logic() { return m_logic; }

private:
    using Read = CBusTestLogic::Outcome (CBACnetTestLogic::*)(std::string_view);
    using Write = CBusTestLogic::Outcome (CBACnetTestLogic::*)(std::string_view, std::string_view);

    CBACnetTestLogic m_logic;
};
