// What the connection logic needs from whoever drives it: the port
// settings the user chose, the PIN prompt, the status line and the tab set.
// The main window's connection host implements it (the window's status
// line and tabs, the COM-Interface page's controls and PIN prompt);
// tavemo-cli over its options.
//
// Thread rules: called on the thread that drives the CConnection.
#pragma once

#include <string>

struct PortSettings
{
    std::string portName;
    int baudRate = 115200;
    int stopBits = 0; // 0 one, 1 one and a half, 2 two
    int parity = 0;   // 0 none, 1 odd, 2 even
};

class IConnectionHost
{
public:
    virtual ~IConnectionHost() = default;

    // Result codes (diag/Result.h): Ok; NoLink no port is listed;
    // NoPortSelected no item is selected, or the selected item refers to no
    // port.
    virtual int getPortSettings(PortSettings& settings) = 0;

    // Shows the PIN prompt with the given remember state and text (the
    // text only while remember is on). Returns true for OK; text and
    // remember hold what the user left in the prompt.
    virtual bool askPin(std::string& text, bool& remember) = 0;

    virtual void setStatusText(const std::string& text) = 0;
    // A status with the result it reports (diag/Result.h), so that the
    // window colours and explains it by its code, not by its words.
    virtual void setStatus(const std::string& text, int code)
    {
        (void)code;
        setStatusText(text);
    }
    virtual void rebuildTabs(int deviceType) = 0;
    // Every tab but the first ("COM-Interface").
    virtual void setOtherTabsEnabled(bool enabled) = 0;
    // The display name of the identified device type ("" when none).
    virtual void showDevice(const std::string& name) = 0;
    // Waits while the unit restarts (the user-interface thread blocks).
    virtual void waitMs(int ms) = 0;
    // Back to the first tab so that the user connects again.
    virtual void returnToFirstTab() = 0;
};
