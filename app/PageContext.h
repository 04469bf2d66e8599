// What every page receives when the main window creates it: the main
// window's services, the COM-Interface page (the unit's device type and demo
// flag, identifyDevice, connectUnit, checkReady, isSameDevice,
// verifySameDevice) and the register catalogue. The protocol client is the
// process-wide theModbus (link/CModbus.h).
#pragma once

class CTabInterface;
class IMainWindow;
class QWidget;
class RegisterCatalogue;

struct PageContext
{
    IMainWindow* mainWindow = nullptr;
    CTabInterface* comInterface = nullptr;
    RegisterCatalogue* catalogue = nullptr;
    QWidget* parent = nullptr; // the tab control
};
