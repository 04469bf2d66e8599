// The Sun Protect page's tables and actions, free of any toolkit: the
// unit's two sun-protection channels (blinds or shutters driven from its
// keys). Per channel: the type (position, slat angle or both), the label on
// the unit's screen, the key operating mode, step sizes and limits of
// position and angle, the automatic mode, and the channel's present key
// status, position and angle, with "Key clear" to reset the key status.
// The page registry builds its Qt page from it.
//
// Register layout: channel n (1, 2) has its state at 720 + 10 (n - 1) (key
// status, position in tenths of a percent, signed angle in degrees) and its
// settings at 4250 + 50 (n - 1) (12-register label, then at +13 operating
// mode, type, position step, angle step, position min and max, angle min
// and max). Register 700 carries both automatic modes: bit 0 channel 1,
// bit 1 channel 2. 0xFFFF in a position register: the unit does not know
// the position (a drive that has not yet run to an end stop).
//
// Result codes: those of CPageEngine.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/core/CPageEngine.h"

#include <string>

namespace SunProtectId {
enum : Page::ControlId {
    Circuits = 1,
    SunProtectDisplay,
    Heading1,
    Heading2,
    // Channel 1.
    Type1 = 10,
    AutoMode1,
    Label1,
    OpMode1,
    KeyStatus1,
    KeyClear1,
    Position1,
    PositionStep1,
    PositionMin1,
    PositionMax1,
    Angle1,
    AngleStep1,
    AngleMin1,
    AngleMax1,
    // Channel 2, in the same order.
    Type2 = 30,
    AutoMode2,
    Label2,
    OpMode2,
    KeyStatus2,
    KeyClear2,
    Position2,
    PositionStep2,
    PositionMin2,
    PositionMax2,
    Angle2,
    AngleStep2,
    AngleMin2,
    AngleMax2,
};
// The same control of the other channel is this far on.
constexpr Page::ControlId kChannelStride = Type2 - Type1;
} // namespace SunProtectId

class CSunProtectLogic : public CPageEngine
{
public:
    static constexpr int kChannels = 2;
    static constexpr uint16_t kAutoModeRegister = 700;

    CSunProtectLogic(RegisterCatalogue& catalogue, IUnitAccess& unit, IPageHost& host, IPageControls& controls);

    // The page's rows and orders.
    static const Page::Description& PageDescription();

    // A channel's key status register (720, 730).
    static uint16_t KeyStatusRegister(int channel);
    // A number field of a register whose minimum is negative (the angles)
    // shows the word as a signed number.
    static std::string SignedNumber(uint16_t value);

    // "Undo Changes": writes back what was read, with the busy overlay. A
    // position or step the unit reported as unknown (0xFFFF) is not
    // written: clamped into the limits it would send the drive to an end.
    int undoChanges();

    // "Key clear" (0 to the key status, then the status as the unit now
    // has it) and the page's own "Undo Changes".
    int buttonClicked(Page::ControlId button) override;
};
