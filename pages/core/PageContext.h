// What every page receives when the main window creates it: the main
// window's services as a page needs them (status line, register information
// line, busy overlay, first tab, protocol tab), the connection to the unit
// (device type, demo flag, identification, the identity check, the protocol
// client), the register catalogue and the test log of the Modbus and BACnet
// test pages. Free of any toolkit: the widget a page sits in is the Qt
// side's own argument.
//
// Thread rules: user-interface thread only; the pointers outlive the pages.
#pragma once

class CConnection;
class CTestLog;
class IPageHost;
class RegisterCatalogue;

struct PageContext
{
    IPageHost* host = nullptr;
    CConnection* connection = nullptr;
    RegisterCatalogue* catalogue = nullptr;
    CTestLog* testLog = nullptr; // null: the test pages log nothing
};
