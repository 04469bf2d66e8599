// The Room Climate page's tables and actions, free of any toolkit: the room
// temperature set-points and how the temperature screen shows them, the fan
// (its label, steps and auto/off keys), presence handling, the building
// system's locks (409) and the icon enables (3802). CTabRoomClimate is the
// thin Qt page over it.
//
// Several registers are the unit's live state rather than settings (offset,
// operating mode, presence, fan auto mode and fan level): the page shows
// them but leaves their control to the unit, so every read cycle disables
// those controls. "Fan Control" says whether the unit drives a fan at all;
// without one, "Fan Display In Temp Menu" has nothing to show.
//
// Result codes: those of CPageEngine.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/core/CPageEngine.h"

namespace RoomClimateId {
enum : Page::ControlId {
    StepSize = 1,
    SetpointTemp,
    SetpointOffset,
    SetpointAbsolut,
    OffsetMinMax,
    OpModeStatus,
    FanControl,
    FanLabel,
    FanSteps,
    FanAutoOff,
    PresenceReboot,
    DisplayOpMode,
    SetpointDisplay,
    CurrentTempDisplay,
    CurrentTempMapping,
    PresenceStatus,
    PresenceFunction,
    FanInTempMenu,
    FanAutoMode,
    FanLevel,
    SetpointAfterReboot,
    OffsetMinMaxAfterReboot,
    BmsHeading,
    TempLock,
    FanLock,
    PresenceLock,
    IconHeading,
    FrostProtection,
    WindowContact,
    DewPoint,
    Eco,
    Error,
};
} // namespace RoomClimateId

class CRoomClimateLogic : public CPageEngine
{
public:
    static constexpr uint16_t kFanControlRegister = 3749;
    static constexpr uint16_t kFanLabelRegister = 3750;
    static constexpr uint16_t kCurrentTempDisplayRegister = 3651;
    static constexpr uint16_t kPresenceRebootRegister = 3801;
    static constexpr uint16_t kBmsLockRegister = 409;
    static constexpr uint16_t kIconEnableRegister = 3802;

    CRoomClimateLogic(RegisterCatalogue& catalogue, IUnitAccess& unit, IPageHost& host, IPageControls& controls);

    static const Page::Description& PageDescription();

    // What "Current Temp Display" writes for a list index: the reserved
    // entries 7 and 8 are 0 on every unit, 6 is 0 on the units above device
    // type 2000, whose firmware took 6 away.
    static int CurrentTempDisplayValue(int index, int deviceType);
    // "Current Temp Display" chosen: the list moves to the entry the unit
    // gets, then the change is written.
    int chooseCurrentTempDisplay();
    // "Enable Presence DI Reboot" clicked: the catalogue takes it (the unit
    // gets it with "Undo Changes"). A box that no longer shows the unit's
    // value is marked as an unwritten edit, so that "Save To NVRAM", a tab
    // switch and closing ask first; a unit of device type 0 keeps the
    // catalogue only, as with every change.
    void storePresenceReboot();
    // The two ways out of that edit. Write: to the unit now, after the
    // identity check; a failure (or no unit identified) leaves the box
    // marked. The result code. Discard: the box and the catalogue take the
    // unit's value back.
    int writePresenceReboot();
    void discardPresenceReboot();

protected:
    int afterReads(int result, bool connected) override;

private:
    // What the box showed of the unit before the user's edit: 0 or 1, -1
    // when it showed no value read from the unit.
    int m_presenceRebootShown = -1;
};
