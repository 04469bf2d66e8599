// The Light page's tables and actions, free of any toolkit: the unit's two
// light channels, switched or dimmed from its keys. Per channel: the label
// on the unit's screen, the key operating mode, whether the light dims and
// by how much a key step dims it, the automatic mode, and the channel's
// present switching status, key status and dimming value, with "Key clear"
// to reset the key status. The page registry builds its Qt page from it.
//
// Register layout: channel n (1, 2) has its state at 1120 + 10 (n - 1) (key
// status, then the dimming value in percent) and its settings at
// 5350 + 50 (n - 1) (12-register label, then at +13 dimmable, +14 operating
// mode, +18 dimming step). Registers 1100 (automatic mode) and 1102
// (switching status) carry both channels: bit 0 channel 1, bit 1 channel 2.
//
// Result codes: those of CPageEngine.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/core/CPageEngine.h"

namespace LightId {
enum : Page::ControlId {
    Circuits = 1,
    DisplayLightStatus,
    Heading1,
    Heading2,
    // Channel 1.
    Status1 = 10,
    Label1,
    AutoMode1,
    OpMode1,
    KeyStatus1,
    KeyClear1,
    Dimmable1,
    DimmStep1,
    DimmValue1,
    // Channel 2, in the same order.
    Status2 = 30,
    Label2,
    AutoMode2,
    OpMode2,
    KeyStatus2,
    KeyClear2,
    Dimmable2,
    DimmStep2,
    DimmValue2,
};
} // namespace LightId

class CLightLogic : public CPageEngine
{
public:
    static constexpr uint16_t kAutoModeRegister = 1100;
    static constexpr uint16_t kStatusRegister = 1102;

    CLightLogic(RegisterCatalogue& catalogue, IUnitAccess& unit, IPageHost& host, IPageControls& controls);

    // The page's rows and orders.
    static const Page::Description& PageDescription();

    // "Key clear": 0 to the key status, then the status as the unit now has it.
    int buttonClicked(Page::ControlId button) override;
};
