// How a configuration page is described: one row per control. A row says
// what the control is and where it sits (kind, caption, grid cell, list
// entries, entry filter), which holding register it shows and how (display
// conversion, missing-value marker, plain or special access, list offset),
// and what it takes part in: the read cycle, the undo cycle, the write on a
// change, the register information line on mouse-over and the mark on the
// unit's picture. The form builder makes the widgets from the same rows that
// the page machinery (CPageEngine, CHoverInfo) reads, so a field is written
// once.
//
// Most rows need only their kind, caption, cell and register: what a row
// takes part in follows from its kind (see Row::uses), and the read order is
// the rows' order. A page states a read order of its own only where the unit
// wants another one (Description::readOrder); the page's source checks it
// against the rows when it is compiled (OrdersMatchRows). "Undo Changes"
// writes back what was read, in the read order, a text register by
// register; the rows say which registers take part (Use::Undo).
//
// Controls are named by small integers (ControlId) that each page defines in
// its own enum; 0 stands for "no control" (a register read into the
// catalogue only). The framework's own buttons use ids from kFrameworkIds on.
// The Qt side maps ids to widgets; the core never sees a widget.
//
// Rows are static arrays in the page's source (or a dialog's member array),
// handed over as spans; they must outlive whatever uses them.
//
// Thread rules: plain constant data.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace Page {

using ControlId = int;
constexpr ControlId kNoControl = 0;

// What a control is, as far as showing a value goes (IPageControls::kind).
// Missing: the page has no such control.
enum class ControlKind : uint8_t { Missing, Edit, ComboBox, Button, Other };

// The widget a row makes.
enum class Kind : uint8_t {
    None,      // no widget: a register read into the catalogue only
    Number,    // a number field
    ReadOnly,  // a field that only shows
    Text,      // a text field (a 12-register text)
    List,      // a drop-down list
    Check,     // a check box (its caption is its label)
    Radio,     // a radio button (its caption is its label); the radios of
               // one register form one exclusive set, so do those without
    Button,    // a push button (its caption is its label)
    UnitLabel, // a short text after a field, set by the page
    Heading,   // a bold line of text
    Spin,      // a number in a spin box; the page sets its range
    ListView,  // lines of columns, one selected (items: the column headings);
               // its grid row takes the height the page has
    Progress,  // a bar that fills from 0 to 100 per cent, set by the page
    Rule,      // a sunken horizontal line
};

// What may be typed into a field.
enum class EntryFilter : uint8_t {
    None,
    Integer, // digits and one leading minus
    Digits,  // digits only
    Decimal, // also one decimal separator ("," becomes ".")
    Pin,     // four digits
    Text12,  // at most 12 characters (a 12-register text)
    // The bus test pages' fields; a character not kept goes whole, however
    // many bytes it takes.
    RegisterNumber, // digits only: a register's number
    Time,           // digits and ":"
    DateTime,       // digits, ":", "." and space
};

// What a button does when the framework knows it; Page: the page's own.
enum class ButtonAction : uint8_t { Page, ReadTarget, UndoChanges, SaveToNvram };

// How a register's value is shown after it was read.
enum class Display : uint8_t {
    Number,         // the word as an unsigned decimal (0..65535)
    TenthsSigned,   // the signed word in tenths: -25 -> "-2.5"
    TenthsUnsigned, // the unsigned word in tenths: 555 -> "55.5"
    Text,           // a 12-register text starting at the address
    Custom,         // the row's own format function
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

// What a changed control writes.
enum class Take : uint8_t {
    Auto,         // follows from the kind (see Row::take)
    None,         // nothing
    ListIndex,    // the selected index plus the row's list offset
    CheckState,   // 0 or 1
    Number,       // the typed number, range-checked with the range message
    NumberTenths, // the typed number x 10
    Text,         // the first 12 characters, one per register
    BitField,     // the whole register composed from its bit boxes
    RadioValue,   // the radio's own value for its register (Row::radioValue)
};

using FormatFn = std::string (*)(uint16_t value);

// Where a control or label sits in its grid cells: filling them, or at its
// own size at their left or right.
enum class Align : uint8_t { Fill, Left, Right };

// A list's width (Row::width, in characters): as wide as its longest entry.
constexpr int16_t kFitItems = -1;

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
    RoomTemperature, // the room-climate screens: temperature, presence, fan
    RoomPresence,
    RoomFan,
    UnitInputs,     // the terminals on the unit's back with the two inputs
    UnitSunProtect, // the unit's front with its sun-protection screen and keys
    UnitLight,      // the unit's front with its light screen and keys
    ScreenTimeProgram, // the unit's screen of one time program
    // Diagrams of the controller dialogs.
    CtlPiLoop,      // block diagram of the PI control loop
    CtlPiResponse,  // PI output over the control deviation (Xp, minimum, maximum)
    CtlOnOff,       // ON/OFF characteristic with dead band and hysteresis
    ValveChart2,    // the 6-way valve characteristics of valve entries 2 to 7
    ValveChart3,
    ValveChart4,
    ValveChart5,
    ValveChart6,
    ValveChart7,
    FanOutput,      // analog fan output over the temperature deviation
    FanLevels,      // fan relay levels over the temperature deviation
    FanPiLoop,      // fan controller on humidity/CO2/VOC, PI: the loop
    FanPiResponse,  // ... and the fan output over the deviation
    FanOnOff,       // fan controller on humidity/CO2/VOC, ON/OFF levels
};

// A frame's edges in percent of the picture (left, top, right, bottom).
struct FramePercent
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// What the picture panel shows: a picture (None: the page's default one)
// and up to two green frames on it.
struct PictureMark
{
    Picture picture = Picture::None;
    std::array<FramePercent, 2> frames{};
    uint8_t frameCount = 0;

    constexpr bool any() const { return picture != Picture::None || frameCount > 0; }
};

// One green frame on the page's own picture.
constexpr PictureMark Frame(FramePercent frame)
{
    return PictureMark{Picture::None, {frame}, 1};
}

// What a row takes part in. kAutoUses: what its kind suggests (Row::uses).
namespace Use {
constexpr uint8_t Read = 1;   // read in the read cycle
constexpr uint8_t Undo = 2;   // written back by "Undo Changes"
constexpr uint8_t Change = 4; // written when the user changes the control
constexpr uint8_t Hover = 8;  // named in the register information line
constexpr uint8_t kAutoUses = 0xFF;
} // namespace Use

// What a number field counts, so that its limits can be named in the
// field's own scale and unit.
enum class Measure : uint8_t
{
    None,
    Temperature, // °C or °F, as the unit shows temperatures (2010)
    Percent,
};

// One control of a page (or one register without a control).
struct Row
{
    // The widget.
    ControlId id = kNoControl;
    Kind kind = Kind::None;
    const char* caption = ""; // the label's text (and the field's accessible name);
                              // a field without one has no label
    // Grid: a field or list puts its label at (row, column) and itself at
    // (row, column + 1); a check box, button or unit label sits at (row,
    // column) itself. A button with row kButtonBar goes into the page's
    // button bar, whose buttons act on the unit and are off in demo mode;
    // kButtonBarApart keeps it apart there, for an action that cannot be
    // undone.
    int row = 0;
    int column = 0;
    int span = 1; // grid columns the control itself takes
    std::span<const char* const> items = {};
    int initial = -1; // the list's selection before anything was read
    EntryFilter filter = EntryFilter::None;
    ButtonAction action = ButtonAction::Page;
    // A check box without a caption of its own: the caption is a label in
    // front of it, as a field's is.
    bool labelInFront = false;

    // The register and how it is shown.
    uint16_t address = 0; // 0: none
    Display display = Display::Number;
    Marker marker = Marker::None;
    Access access = Access::Plain;
    int16_t listOffset = 0; // list: index = value - listOffset
    bool inverted = false;  // check box: checked when the value is 0
    FormatFn format = nullptr;
    Measure measure = Measure::None;

    // What a change writes; alsoStore: the written number also becomes the
    // catalogue value, where the register takes part in the unit's identity
    // (PIN, bus address) that the next identity check compares.
    Take take = Take::Auto;
    bool alsoStore = false;
    // A check box on bit n of the register (-1: the whole register). Its
    // hover code is 10000 x (n + 1) + address.
    int8_t bit = -1;
    uint8_t uses = Use::kAutoUses;
    // The name in the register information line instead of the register's
    // key name (the bits of a bit-field register have their own).
    const char* hoverName = nullptr;
    PictureMark mark{};

    // The read pass that reads the register: 0 the read cycle; 1 the page's
    // own pass after it (CPageEngine::readGroup), for a page that writes
    // something back between the two.
    uint8_t readGroup = 0;
    // The control shows a value the unit sets itself: disabled after every
    // read (the user may still use it before the first one).
    bool showOnly = false;
    // The control only shows the unit's state: disabled from the page's
    // attach on and again after every read.
    bool statusOnly = false;
    // The name assistive tools read instead of the caption, where the
    // caption repeats on the page or the control has none.
    const char* accessibleName = nullptr;
    // The value a radio stands for in its register (Take::RadioValue).
    uint16_t radioValue = 0;
    // A field's width in pixels: fixed, or for a read-only field the least
    // (it grows with its column); 0: the form's least width for fields. A
    // list's width in characters of its entries, or kFitItems; a button's
    // or a text's least width in pixels.
    int16_t width = 0;
    // The most characters a field takes (0: only its filter limits it).
    int16_t maxLength = 0;
    // The control acts on the unit: off in demo mode, where there is none
    // (CFormBuilder::EnableUnitControls).
    bool needsUnit = false;
    // Where the control and its label sit in their cells.
    Align align = Align::Fill;
    Align labelAlign = Align::Fill;
    const char* toolTip = nullptr;
    // The control stands in its grid row's line: the controls of one grid
    // row marked so stand side by side from the left, in the rows' order,
    // in one box over the first one's cells (column, span); the rest of the
    // line stays empty. A labelled control there has its label above it.
    bool inLine = false;
    // In a line: the control's share of the line's spare width (0: it keeps
    // its own width). A line where a control has a share has no empty rest.
    uint8_t stretch = 0;

    // What the row takes part in: uses, or when it is kAutoUses, by kind:
    // inputs are read, undone, written on change and hovered; read-only
    // fields and register-only rows are read (the latter also undone); bit
    // boxes are written on change and hovered; buttons and labels with a
    // register are hovered only. A row without a register takes part in
    // nothing.
    constexpr uint8_t effectiveUses() const
    {
        if (address == 0)
            return 0;
        if (uses != Use::kAutoUses)
            return uses;
        switch (kind) {
        case Kind::None: return Use::Read | Use::Undo;
        case Kind::ReadOnly: return Use::Read | Use::Hover;
        case Kind::Number:
        case Kind::Text:
        case Kind::List:
        case Kind::Check:
            return bit >= 0 ? Use::Change | Use::Hover : Use::Read | Use::Undo | Use::Change | Use::Hover;
        case Kind::Button:
        case Kind::UnitLabel:
        case Kind::Heading: return Use::Hover;
        // A radio set stands for one value of its register, a spin box or a
        // list view for the page's own data: the page reads and writes them.
        case Kind::Radio:
        case Kind::Spin:
        case Kind::ListView:
        case Kind::Progress:
        case Kind::Rule: return 0;
        }
        return 0;
    }
    constexpr bool has(uint8_t use) const { return (effectiveUses() & use) != 0; }

    // What a change writes: take, or when it is Auto, by kind.
    constexpr Take effectiveTake() const
    {
        if (take != Take::Auto)
            return take;
        switch (kind) {
        case Kind::Number:
            return display == Display::TenthsSigned || display == Display::TenthsUnsigned ? Take::NumberTenths
                                                                                          : Take::Number;
        case Kind::Text: return Take::Text;
        case Kind::List: return Take::ListIndex;
        case Kind::Check: return bit >= 0 ? Take::BitField : Take::CheckState;
        default: return Take::None;
        }
    }

    // The code of the register information line: the address, or
    // 10000 x (n + 1) + address for bit n.
    constexpr uint32_t hoverCode() const
    {
        return bit >= 0 ? 10000u * static_cast<uint32_t>(bit + 1) + address : address;
    }
};

// Rows of the button bar (Row::row).
constexpr int kButtonBar = -1;
constexpr int kButtonBarApart = -2;

// The framework's own buttons. Ids from kFrameworkIds on are the
// framework's; a page's own ids stay below.
constexpr ControlId kFrameworkIds = 1000;
constexpr ControlId kReadTarget = kFrameworkIds + 0;
constexpr ControlId kUndoChanges = kFrameworkIds + 1;
constexpr ControlId kSaveToNvram = kFrameworkIds + 2;

// "Read Target" (a few pages spell it "Read target").
constexpr Row ReadTargetButton(const char* caption = "Read Target")
{
    return Row{.id = kReadTarget, .kind = Kind::Button, .caption = caption, .row = kButtonBar,
               .action = ButtonAction::ReadTarget};
}
constexpr Row UndoChangesButton()
{
    return Row{.id = kUndoChanges, .kind = Kind::Button, .caption = "Undo Changes", .row = kButtonBar,
               .action = ButtonAction::UndoChanges};
}
// hovered: the register the button names on mouse-over (0: none).
constexpr Row SaveToNvramButton(uint16_t hovered = 0)
{
    return Row{.id = kSaveToNvram, .kind = Kind::Button, .caption = "Save To NVRAM", .row = kButtonBar,
               .action = ButtonAction::SaveToNvram, .address = hovered};
}

// The size of a page's picture frame: the full 4:3 frame, or a smaller
// one in the same 4:3 where two channels side by side need the room.
enum class PictureFrame : uint8_t { Full, Reduced };

// The whole description of a page or dialog.
struct Description
{
    std::span<const Row> rows;
    // The read order (addresses of reading rows, all read groups), where it
    // is not the rows' order; every reading row once (OrdersMatchRows).
    std::span<const uint16_t> readOrder = {};
    // The undo order, where it is not the one the read order gives.
    std::span<const uint16_t> undoOrder = {};
    Picture defaultPicture = Picture::None;
    // Pause after each register read; the sensor readings need a longer one.
    int readPauseMs = 10;
    // Report "Running..." and the result also for a unit of device type 0.
    bool statusForTypeZero = false;
    // The page's picture frame (a page without a default picture has none).
    PictureFrame frame = PictureFrame::Full;
};

// The registers of a text row (a 12-register text).
constexpr int kTextRegisterCount = 12;

// The rows of several parts in one array: a page's fixed rows and the rows
// of its repeated groups (a channel, a sensor) made by constexpr functions.
template <std::size_t... N> constexpr std::array<Row, (N + ...)> Join(const std::array<Row, N>&... parts)
{
    std::array<Row, (N + ...)> all{};
    std::size_t next = 0;
    ((std::copy(parts.begin(), parts.end(), all.begin() + static_cast<std::ptrdiff_t>(next)), next += N), ...);
    return all;
}

// A string literal as a template argument (Numbered).
template <std::size_t N> struct Literal
{
    char text[N];
    constexpr Literal(const char (&s)[N]) { std::copy_n(s, N, text); }
};

// A caption with a one-digit number in it, kept for the program's life:
// Numbered<"Label ", 2>() is "Label 2", Numbered<"Light ", 1, ":">() is
// "Light 1:". The channels of a page carry their number in their captions so
// that assistive tools can tell them apart.
template <Literal prefix, int n, Literal suffix> struct NumberedText
{
    static_assert(n >= 0 && n <= 9, "one digit");
    static constexpr std::size_t kSize = sizeof(prefix.text) + sizeof(suffix.text);
    static constexpr std::array<char, kSize> kText = [] {
        std::array<char, kSize> t{};
        std::copy_n(prefix.text, sizeof(prefix.text) - 1, t.begin());
        t[sizeof(prefix.text) - 1] = static_cast<char>('0' + n);
        std::copy_n(suffix.text, sizeof(suffix.text), t.begin() + sizeof(prefix.text));
        return t;
    }();
};
template <Literal prefix, int n, Literal suffix = ""> constexpr const char* Numbered()
{
    return NumberedText<prefix, n, suffix>::kText.data();
}

namespace Check {

// How many reading rows of the page read the address.
constexpr int ReadingRows(std::span<const Row> rows, uint16_t address)
{
    int n = 0;
    for (const Row& row : rows)
        if (row.address == address && row.has(Use::Read))
            ++n;
    return n;
}

// A row has the address, or a text row holds it among its registers.
constexpr bool Covered(std::span<const Row> rows, uint16_t address)
{
    for (const Row& row : rows) {
        if (row.address == 0)
            continue;
        if (row.address == address)
            return true;
        if (row.display == Display::Text && address > row.address && address < row.address + kTextRegisterCount)
            return true;
    }
    return false;
}

} // namespace Check

// The page's own orders name its rows: every address of the read order has
// exactly one reading row and comes once, every reading row is in it, and
// every address of the undo order belongs to a row (or a text row's
// registers). A page checks its description with static_assert, so that an
// order and its rows cannot drift apart unnoticed.
constexpr bool OrdersMatchRows(const Description& page)
{
    if (!page.readOrder.empty()) {
        for (std::size_t i = 0; i < page.readOrder.size(); ++i) {
            if (Check::ReadingRows(page.rows, page.readOrder[i]) != 1)
                return false;
            for (std::size_t k = 0; k < i; ++k)
                if (page.readOrder[k] == page.readOrder[i])
                    return false;
        }
        for (const Row& row : page.rows) {
            if (!row.has(Use::Read))
                continue;
            bool listed = false;
            for (const uint16_t address : page.readOrder)
                listed = listed || address == row.address;
            if (!listed)
                return false;
        }
    }
    for (const uint16_t address : page.undoOrder)
        if (!Check::Covered(page.rows, address))
            return false;
    return true;
}

} // namespace Page
