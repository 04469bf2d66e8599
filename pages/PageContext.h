// What every page receives when the main window creates it: the main
// window's services as a page needs them (status line, register information
// line, busy overlay, first tab, protocol tab), the connection to the unit
// (device type, demo flag, identification, the identity check, the protocol
// client) and the register catalogue.
#pragma once

class CConnection;
class IPageHost;
class QWidget;
class RegisterCatalogue;

struct PageContext
{
    IPageHost* host = nullptr;
    CConnection* connection = nullptr;
    RegisterCatalogue* catalogue = nullptr;
    QWidget* parent = nullptr; // the tab control
};
