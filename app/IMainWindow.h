// The services the main window offers to pages, dialogs and the connection
// logic. Pages receive it through PageContext; tests may stand in for it.
//
// Tab indexes count from 0 ("COM-Interface"). Status texts that contain
// "error" (any case) show on red; while demo mode is active every status
// text shows as "Demo mode is active." on green.
//
// Thread rules: user-interface thread only.
#pragma once

#include <QString>

class IMainWindow
{
public:
    virtual ~IMainWindow() = default;

    // The status line (left part of the status bar).
    virtual void SetStatusText(const QString& text) = 0;
    virtual QString statusText() const = 0;
    // The register information line (right part); unchanged text is ignored.
    virtual void SetRegisterInfo(const QString& text) = 0;

    // The busy overlay "Please wait, data transfer is running..."; both act
    // only while a unit is known (device type > 0).
    virtual void ShowBusyOverlay() = 0;
    virtual void HideBusyOverlay() = 0;

    // Enables or disables the tab control and every page together, around
    // modal work (import, export, About box, ReMa files).
    virtual void EnableMainWindow(bool enable) = 0;

    // Rebuilds the tab set for a device type: COM-Interface, FW-Update,
    // Modbus or BACnet (by holding 2045), Common, Sensors, Room Climate,
    // Inputs, Sun Protect, Light, [Controller >= 1000], [Tiles >= 2000],
    // Time Program, ReMa; all enabled.
    virtual void RebuildTabs(int deviceType) = 0;
    // Puts the Modbus or BACnet test page into tab 2 by holding 2045,
    // keeping the current selection.
    virtual void ReplaceProtocolTab() = 0;
    // Runs what happens when a tab becomes current (prepare, same-device
    // check, page activation).
    virtual void ActivatePage(int index) = 0;
    // true when index is current or was selected; false for a disabled tab
    // or an index outside the tab set.
    virtual bool SelectTab(int index) = 0;
    virtual void SetTabEnabled(int index, bool enabled) = 0;
    // Every tab but the first ("COM-Interface").
    virtual void SetOtherTabsEnabled(bool enabled) = 0;
    virtual int tabCount() const = 0;

    // "Save To NVRAM": makes the unit store its configuration.
    virtual void SaveToNvram() = 0;
    // The identified device type; sets "Ready." when it is 0 or more, else
    // "Error: No device connected or PIN wrong.".
    virtual int checkReady() = 0;
};
