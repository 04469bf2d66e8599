// The tables that describe a configuration page. A page is mostly data: which
// control shows which holding register and how, in which order the registers
// are read and written back, which control writes what when the user changes
// it, which label names which register on mouse-over, and which element of
// the unit's picture a hovered control marks. CPageEngine carries the
// machinery that works on these tables once for every page.
//
// Controls are named by small integers (ControlId) that each page defines in
// its own enum; 0 stands for "no control" (a register read into the catalogue
// only). The Qt side maps the ids to widgets; the core never sees a widget.
//
// Tables are static arrays in the page's source, handed over as spans; they
// must outlive the engine that uses them.
//
// Thread rules: plain constant data.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace Page {

using ControlId = int;
constexpr ControlId kNoControl = 0;

// What a control is, as far as showing a value goes. Missing: the page has
// no such control (the register goes into the catalogue only).
enum class ControlKind : uint8_t { Missing, Edit, ComboBox, Button, Other };

// How a register's value is shown after it was read.
enum class Display : uint8_t {
    Number,         // the word as an unsigned decimal (0..65535)
    TenthsSigned,   // the signed word in tenths: -25 -> "-2.5"
    TenthsUnsigned, // the unsigned word in tenths: 555 -> "55.5"
    Text,           // a 12-register text starting at the address
    Custom,         // the binding's own format function
};

// The unit's markers for a value it does not have; shown as "---".
enum class Marker : uint8_t {
    None,
    Signed420, // signed tenths word -420 (0xFE5C): sensor missing
    Word0xFFFF // unsigned word 0xFFFF
};

// How the register is reached: the plain holding commands, or the special
// ones for the few registers that change how the unit talks on its bus.
enum class Access : uint8_t { Plain, Special };

using FormatFn = std::string (*)(uint16_t value);

// One control bound to one holding register.
struct RegisterBinding
{
    ControlId control = kNoControl;
    uint16_t address = 0;
    Display display = Display::Number;
    Marker marker = Marker::None;
    Access access = Access::Plain;
    int16_t listOffset = 0; // combo box: index = value - listOffset
    bool inverted = false;  // check box: checked when the value is 0
    FormatFn format = nullptr;
};

// What a changed control writes.
enum class Take : uint8_t {
    ListIndex,    // the selected index plus the binding's list offset
    CheckState,   // 0 or 1
    Number,       // the typed number, range-checked with the range message
    NumberTenths, // the typed number x 10
    Text,         // the first 12 characters, one per register
    BitField,     // the whole register composed from the boxes of a BitFieldBinding
};

struct ChangeEntry
{
    ControlId control = kNoControl;
    uint16_t address = 0;
    Take take = Take::ListIndex;
    Access access = Access::Plain;
    // The written number also becomes the catalogue value. Needed where the
    // register takes part in the unit's identity (PIN, bus address): the
    // next identity check compares the catalogue with the unit.
    bool alsoStore = false;
};

// A group of check boxes on the low bits of one register, box n on bit n.
struct BitFieldBinding
{
    uint16_t address = 0;
    std::array<ControlId, 16> boxes{}; // unused slots stay kNoControl
};

// Label control -> register code for the register information line: the
// address, or 10000 x n + address for bit n-1 of a bit-field register.
struct HoverRegion
{
    ControlId control = kNoControl;
    uint32_t code = 0;
};

// The name shown for one bit of a bit-field register (code as above).
struct BitName
{
    uint32_t code = 0;
    const char* name = "";
};

// Pictures of the unit and of its display screens.
enum class Picture : uint8_t {
    None,
    UnitFront,
    DisplayNormal,
    DisplayScreenSaver,
    DisplayDark,
    ScreenTemperature,
    ScreenHumidity,
    ScreenCo2,
    ScreenVoc,
    ScreenParticulate,
    ScreenPressure,
};

// A frame's edges in percent of the picture (left, top, right, bottom).
struct FramePercent
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// What the picture panel shows while a control's label is hovered.
struct PictureMark
{
    ControlId control = kNoControl;
    Picture picture = Picture::None; // None: keep the panel's default picture
    std::array<FramePercent, 2> frames{};
    uint8_t frameCount = 0;
};

// The whole description of a page, for CPageEngine.
struct PageTables
{
    std::span<const RegisterBinding> readOrder; // read cycle, in order; also the binding lookup
    std::span<const uint16_t> undoOrder;        // undo cycle, in order (addresses of bindings)
    std::span<const ChangeEntry> changeMap;
    std::span<const BitFieldBinding> bitFields;
    std::span<const HoverRegion> hoverRegions;
    std::span<const BitName> bitNames;
    std::span<const PictureMark> marks;
    Picture defaultPicture = Picture::None;
    // Buttons that work only outside demo mode ("Read target", "Undo
    // changes", "Save To NVRAM" and the page's like).
    std::span<const ControlId> commonButtons;
    // Pause after each register read; the sensor readings need a longer one.
    int readPauseMs = 10;
    // Report "Running..." and the result also for a unit of device type 0.
    bool statusForTypeZero = false;
};

} // namespace Page
