// The Controller page's tables and actions, free of any toolkit: the unit's
// control loops. The operating mode and the change-over between heating and
// cooling (by the building system's operating mode, by a digital input or a
// temperature, or by the building system directly), the main temperature
// controller for heating and cooling (PI or ON/OFF), a second temperature
// controller, the fan controller and its mapping to a control quantity, and
// the outputs. The page holds the mode selections; every group of detailed
// parameters is edited in a configuration dialog that the page fills from
// the catalogue (launchControllerDialog) and whose results it writes.
//
// After a change of the change-over setup the unit needs a while to settle
// its change-over status: the page reads it at once, and reads the whole
// page again once the change-over timer (6500 ms) has run out. The timer is
// the Qt page's; the logic asks for it through startChangeOverTimer and is
// told when it fires (changeOverTimerFired).
//
// Result codes: those of CPageEngine.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/core/CPageEngine.h"
#include "pages/core/ControllerDialogTypes.h"

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace ControllerId {
enum : Page::ControlId
{
    ControllerHeading = 1,
    GlobalHeading,
    MainHeading,
    SecondHeading,
    FanHeading,
    OutputHeading,
    // The change-over mode: a radio beside each of the three lists.
    OpModeRadio,
    CoDiRadio,
    CoModbusRadio,
    OpModeList,   // 1607
    CoDiList,     // 8054
    CoModbusList, // 1602
    StatusCaption,
    StatusText,
    HeatingCaption,
    HeatingPi,
    HeatingOnOff,
    HeatingConfig,
    CoolingCaption,
    CoolingPi,
    CoolingOnOff,
    CoolingConfig,
    SecondCaption,
    SecondPi,
    SecondOnOff,
    SecondInactive,
    SecondConfig,
    FanMapping, // 8031
    FanConfig,
    FanPi,
    FanOnOff,
    GlobalConfig,
    DefaultReboot,
    ConfigChangeOver,
    HcOutput,
    ValveOutput,
    FanOutputButton,
    ShowOutputValues,
};
} // namespace ControllerId

// A register of a launch's read or write list and when it takes part.
struct LaunchRegister
{
    enum Condition : uint8_t
    {
        Always,
        RelayTypes, // device types 1000, 1002, 1004, 1005, 1006 (relay outputs)
        PiOrAnalog, // PI selected, or device type 1002 or 1006
    };
    uint16_t address;
    Condition condition = Always;
};

// One row of the launch table: a button and the dialog it opens.
struct ControllerLaunch
{
    Page::ControlId button;
    ControllerDialog dialog;
    const char* title;
    Page::ControlId piRadio; // the "PI Ctrl" radio deciding the subtitle and PI flag; 0: none
    std::span<const LaunchRegister> readBefore;
    std::span<const LaunchRegister> writtenAfter;
};

class CControllerLogic : public CPageEngine
{
public:
    static constexpr int kChangeOverDelayMs = 6500;
    static constexpr uint16_t kFanControlRegister = 3749;
    static constexpr uint16_t kInput1Register = 3900;
    static constexpr uint16_t kInput2Register = 3901;
    static constexpr const char* kChangeOverWait = "Refresh Change-Over Status. Please wait...";
    static constexpr const char* kFanInfoCaption = "Fan Controller";
    static constexpr const char* kFanInfoText =
        "Fan control by the BMS.\r\nResponsible registers see Modbus register table";

    // Runs a dialog modally on the request; true for "OK" (values edited).
    using DialogRunner = std::function<bool(DialogRequest& request)>;
    // Shows an information box (caption, text).
    using Informer = std::function<void(const std::string& caption, const std::string& text)>;
    // Starts (or starts again) the one-shot change-over timer.
    using TimerStarter = std::function<void(int ms)>;

    CControllerLogic(RegisterCatalogue& catalogue, IUnitAccess& unit, IPageHost& host,
                     IPageControls& controls);

    static const Page::Description& PageDescription();
    static std::span<const ControllerLaunch> Launches();
    static const ControllerLaunch* LaunchOf(Page::ControlId button);

    void setDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }
    void setInformer(Informer informer) { m_inform = std::move(informer); }
    void setTimerStarter(TimerStarter starter) { m_startTimer = std::move(starter); }

    // 0 "OPMode by Modbus", 1 "by DI / Temp", 2 "by Modbus", from the catalogue.
    int changeOverMode() const;
    // The three mode radios, the lists and buttons they enable.
    void showChangeOver();
    // Re-reads 8054, 1602 and 1600 into their lists.
    int refreshChangeOver();
    // The change-over timer has run out: the page reads itself once.
    void changeOverTimerFired();
    // The re-read will not come (the page stopped the timer).
    void changeOverCancelled() { m_changeOverPending = false; }

    // "Undo Changes" (with the busy overlay).
    int undoChanges();
    // A control the user changed (lists, radios).
    void changed(Page::ControlId id);
    // The change-over timer is waiting for its re-read.
    bool changeOverPending() const { return m_changeOverPending; }

    // A launch button: reads, runs the dialog, writes. The fan controller's
    // "Config" shows the information box when no quantity is mapped.
    int launchControllerDialog(Page::ControlId button);
    // The registers a launch reads and writes for the present state (the
    // PI radios, the device type, the fan mapping).
    std::vector<uint16_t> readList(const ControllerLaunch& launch);
    std::vector<uint16_t> writeList(const ControllerLaunch& launch);
    // The fan controller's registers after 8003 and 8004 (read and written).
    static std::vector<uint16_t> FanRegisters(int mapping, bool pi, int deviceType);

    // The input functions (3900, 3901) a "Change-Over by DI / Temp"
    // selection asks for, from their present values.
    static void AdjustInputs(int selection, uint16_t& input1, uint16_t& input2);

protected:
    int afterReads(int result, bool connected) override;
    void afterCycle(int result) override;

private:
    void showRadios();
    void enableFanGroup();
    void enableSecondGroup();
    void changeOverFollowUp(bool refreshNow);
    int writeInputs(int selection);
    // The change-over lists and radios as the catalogue holds them (the
    // unit's values): after a write the unit refused.
    void showUnitChangeOver();
    void modeChosen(int mode);
    bool piChecked(Page::ControlId piRadio);

    DialogRunner m_runDialog;
    Informer m_inform;
    TimerStarter m_startTimer;
    bool m_changeOverPending = false;
};
