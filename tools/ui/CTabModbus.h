// The "Modbus" page: one holding register written or read, one input
// register read and one coil written or read, by number, bypassing the
// register catalogue (CModbusTestLogic). Shown in the protocol tab while
// the unit speaks Modbus.
//
// Rows "Holding", "Input", "Coil"; columns "Address", "Value (out)",
// "Value (in)" (names for assistive tools: CBusTestPage.h).
//
// Thread rules: user-interface thread only.
#pragma once

#include "tools/bustest/CModbusTestLogic.h"
#include "tools/ui/CBusTestPage.h"

class CTabModbus : public CBusTestPage
{
    Q_OBJECT
public:
    // log may be null: nothing is logged.
    CTabModbus(IPageHost& host, CConnection& connection, CTestLog* log, QWidget* parent = nullptr);

    CModbusTestLogic& logic() { return m_logic; }

private:
    CModbusTestLogic m_logic;
};
