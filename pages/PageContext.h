// What every page receives when the main window creates it: the main
// window's services as a page needs them (status line, register information
// line, busy overlay, first tab, protocol tab), the connection to the unit
// (device type, demo flag, identification, the identity check, the protocol
// client), the register catalogue and the test log of the Modbus and BACnet
// test pages.
#pragma once

class CConnection;
class IPageHost;
class QWidget;
class CTestLog;
class RegisterCatalogue;

struct PageContext
{
    IPageHost* host = nullptr;
    CConnection* connection = nullptr;
    RegisterCatalogue* catalogue = nullptr;
    QWidget* parent = nullptr; // the tab control
    CTestLog* testLog = nullptr; // null: the test pages log nothing
};
