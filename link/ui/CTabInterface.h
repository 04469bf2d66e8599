// The COM-Interface page: the user picks the interface adapter's port and
// presses "Connect" (PIN prompt, unlock, identification, PIN check) or
// "Demo-Mode". The page is thin: the connection logic is CConnection, which
// the main window owns; the page shows it and drives it from its buttons,
// and supplies what the connection asks its user for (the port settings,
// the PIN prompt, the device shown, the wait while the unit restarts).
//
// Every other page reaches the unit through the operations below: the
// device type and demo flag, identifyDevice, connectUnit, checkReady,
// isSameDevice, verifySameDevice, getPortSettings (see CConnection.h for
// their result codes). getPortSettings is the list's choice now; the unit
// actions use the port bound at "Connect" ("Refresh COM" and another
// choice in the list change the list only, until the next "Connect").
//
// Thread rules: user-interface thread only.
#pragma once

#include "link/CConnection.h"
#include "link/IConnectionHost.h"
#include "link/PortDiscovery.h"
#include "pages/core/ITabPage.h"
#include "pages/form/CControlSet.h"

#include <QWidget>

#include <functional>
#include <vector>

class IMainWindow;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class RegisterCatalogue;

class CTabInterface : public QWidget, public ITabPage
{
    Q_OBJECT
public:
    static constexpr int kBaudRates[9] = {4800, 9600, 14400, 19200, 38400, 56000, 57600, 76800, 115200};
    // The unit block: firmware, production date, operation days, bus
    // address, protocol, temperature unit.
    static constexpr int kUnitFields = 6;

    CTabInterface(IMainWindow& mainWindow, RegisterCatalogue& catalogue, CConnection& connection,
                  QWidget* parent = nullptr);
    ~CTabInterface() override;

    // The unit as the whole tool sees it.
    int deviceType() const { return m_connection.deviceType(); }
    bool demoMode() const { return m_connection.demoMode(); }
    CConnection& connection() { return m_connection; }

    // Operations the other pages use (CConnection.h lists the codes).
    int getPortSettings(PortSettings& settings);
    void connectLink() { m_connection.connectLink(); }
    int connectUnit(bool requireDevice) { return m_connection.connectUnit(requireDevice); }
    void disconnectLink() { m_connection.disconnectLink(); }
    int checkReady() { return m_connection.checkReady(); }
    int identifyDevice() { return m_connection.identifyDevice(); }
    bool isSameDevice() { return m_connection.isSameDevice(); }
    bool verifySameDevice() { return m_connection.verifySameDevice(); }
    void switchProtocol(int value) { m_connection.switchProtocol(value); }

    // Empties the port list and fills it with the ports present.
    void refreshPortList();
    // The buttons.
    void OnConnect();
    void StartDemoMode();
    // Leaves demo mode: no device type, the other tabs off, no device shown.
    void leaveDemoMode();

    // The wait while the unit restarts after a protocol switch; tests make
    // it short. By default the window stays painted but takes no input.
    void setRebootWait(std::function<void(int ms)> wait) { m_rebootWait = std::move(wait); }

    QComboBox* portList() const { return m_portList; }
    QPushButton* refreshButton() const { return m_refreshButton; }
    QComboBox* baudList() const { return m_baudList; }
    QComboBox* framingList() const { return m_framingList; }
    QLineEdit* deviceField() const { return m_deviceField; }
    QPushButton* connectButton() const { return m_connectButton; }
    QPushButton* demoButton() const { return m_demoButton; }
    // Tries left before the lockout, or the rest of a running block.
    QLabel* lockoutNote() const { return m_lockoutNote; }
    QLabel* unitValue(int field) const { return m_unitValues[field]; }

    // Reads the lockout file again; while a block runs, every second.
    void updateLockoutNote();

    // The page's part of the connection's host (IConnectionHost; the main
    // window passes them on): the PIN prompt, the identified device, the
    // wait while the unit restarts.
    bool askPin(std::string& text, bool& remember);
    void showDevice(const std::string& name);
    void waitMs(int ms);

protected:
    // The lockout countdown runs only while the page is on screen.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Fills the unit block from the identification ("---" when no unit is known).
    void showUnitInfo();

    IMainWindow& m_mainWindow;
    RegisterCatalogue& m_catalogue;
    CConnection& m_connection;
    std::vector<PortEntry> m_ports;
    std::function<void(int)> m_rebootWait;
    bool m_busyCursor = false;

    CControlSet m_controls; // the adapter block, built from its rows
    QComboBox* m_portList;
    QPushButton* m_refreshButton;
    QComboBox* m_baudList;
    QComboBox* m_framingList;
    QLineEdit* m_deviceField;
    QPushButton* m_connectButton;
    QPushButton* m_demoButton;
    QLabel* m_unitValues[kUnitFields];
    QLabel* m_lockoutNote;
    QTimer* m_lockoutTimer;
};
