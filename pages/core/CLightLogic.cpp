#include "pages/core/CLightLogic.h"

#include "pages/core/KeyLists.h"

using namespace Page;
using namespace KeyLists;
using namespace LightId;

namespace {

// The unit's front (UnitLight): the channel's label on the screen, the
// auto-mode sign beside it, the lamp with its dimming bar below, and under
// the screen one rocker key per light channel.
constexpr PictureMark kLabelMark = Frame({31, 20, 50, 31});
constexpr PictureMark kAutoModeMark = Frame({61, 20, 69, 31});
constexpr PictureMark kDimmMark = Frame({37, 27, 63, 45});
constexpr PictureMark kKeys1Mark = Frame({50, 60, 62, 92});
constexpr PictureMark kKeys2Mark = Frame({61, 60, 73, 92});

constexpr EntryFilter Int = EntryFilter::Integer;

// One channel in grid columns c (labels) and c + 1 (controls). Captions
// carry the channel number: the two channels' labels would read the same
// to an assistive tool otherwise. "Key clear" is a push button, never
// checked: its change writes 0 to the key status. The switching status is
// the unit's to set; its box shows it, and hovering it names the bit.
#define LIGHT_CHANNEL_ROWS(n, c, state, base, statusName, autoName, keysMark)                                     \
    Row{.id = Heading##n, .kind = Kind::Heading, .caption = "Light " #n ":", .row = 1, .column = c, .span = 2},      \
        Row{.id = Status##n, .kind = Kind::Check, .caption = "Status " #n, .row = 2, .column = c + 1,                \
            .address = CLightLogic::kStatusRegister, .bit = n - 1, .hoverName = statusName},                         \
        Row{.id = Label##n, .kind = Kind::Text, .caption = "Label " #n, .row = 3, .column = c,                       \
            .filter = EntryFilter::Text12, .address = base, .display = Display::Text, .mark = kLabelMark},           \
        Row{.id = AutoMode##n, .kind = Kind::Check, .caption = "Auto Mode " #n, .row = 4, .column = c + 1,           \
            .address = CLightLogic::kAutoModeRegister, .bit = n - 1, .hoverName = autoName,                          \
            .mark = kAutoModeMark},                                                                                  \
        Row{.id = OpMode##n, .kind = Kind::List, .caption = "OpMode " #n, .row = 5, .column = c, .items = kOpModes,  \
            .initial = 0, .address = base + 14, .mark = keysMark},                                                   \
        Row{.id = KeyStatus##n, .kind = Kind::List, .caption = "Key Status " #n, .row = 6, .column = c,              \
            .items = kKeyStates, .initial = 0, .address = state, .mark = keysMark},                                  \
        Row{.id = KeyClear##n, .kind = Kind::Button, .caption = "Key clear " #n, .row = 7, .column = c + 1,          \
            .address = state, .take = Take::CheckState, .uses = Use::Change},                                        \
        Row{.id = Dimmable##n, .kind = Kind::Check, .caption = "Dimmable " #n, .row = 8, .column = c + 1,            \
            .address = base + 13, .mark = kDimmMark},                                                                \
        Row{.id = DimmStep##n, .kind = Kind::Number, .caption = "Dimm Step Size " #n, .row = 9, .column = c,         \
            .filter = Int, .address = base + 18, .mark = kDimmMark},                                                 \
        Row{.id = DimmValue##n, .kind = Kind::Number, .caption = "Dimm Value " #n, .row = 10, .column = c,           \
            .filter = Int, .address = state + 1, .mark = kDimmMark}

constexpr Row kRows[] = {
    // The number of circuits: fixed on the smaller units (read-only there,
    // the field is then disabled), a setting on the larger ones.
    {.id = Circuits, .kind = Kind::Number, .caption = "Light Circuits", .row = 0, .address = 5300},
    {.id = DisplayLightStatus, .kind = Kind::Check, .caption = "Display Light Status", .row = 0, .column = 3,
     .address = 5301},
    // Both automatic modes in one register and both switching states in
    // another, into the catalogue; the boxes show their bits.
    {.address = CLightLogic::kAutoModeRegister},
    {.address = CLightLogic::kStatusRegister},
    LIGHT_CHANNEL_ROWS(1, 0, 1120, 5350, "L1_LightStatus_1102_bit0", "L1_AutoMode_1100_bit0", kKeys1Mark),
    LIGHT_CHANNEL_ROWS(2, 2, 1130, 5400, "L2_LightStatus_1102_bit1", "L2_AutoMode_1100_bit1", kKeys2Mark),
    Page::ReadTargetButton(),
    Page::UndoChangesButton(),
    Page::SaveToNvramButton(),
};

#undef LIGHT_CHANNEL_ROWS

// The unit's order: the two bit registers, both channels' states, the
// page's own settings, then each channel's settings.
constexpr uint16_t kReadOrder[] = {1100, 1102, 1120, 1130, 1121, 1131, 5300, 5301, 5350,
                                   5363, 5364, 5368, 5400, 5413, 5414, 5418};

// Everything read goes back, both labels register by register (read-only
// registers are skipped).
constexpr uint16_t kUndoOrder[] = {1100, 1102, 1120, 1130, 1121, 1131, 5300, 5301, 5350, 5351, 5352,
                                   5353, 5354, 5355, 5356, 5357, 5358, 5359, 5360, 5361, 5363, 5364,
                                   5368, 5400, 5401, 5402, 5403, 5404, 5405, 5406, 5407, 5408, 5409,
                                   5410, 5411, 5413, 5414, 5418};

// Switching status, key status and dimming value only show the unit's state.
constexpr ControlId kStatusControls[] = {Status1, KeyStatus1, DimmValue1, Status2, KeyStatus2, DimmValue2};

constexpr Description kPage = {
    .rows = kRows,
    .readOrder = kReadOrder,
    .undoOrder = kUndoOrder,
    .defaultPicture = Picture::UnitLight,
    .statusForTypeZero = true,
    .alwaysDisabled = kStatusControls,
    // Two channels side by side: the picture gives way.
    .frame = Page::PictureFrame::Reduced,
};

} // namespace

CLightLogic::CLightLogic(RegisterCatalogue& catalogue, IUnitAccess& unit, IPageHost& host, IPageControls& controls)
    : CPageEngine(kPage, catalogue, unit, host, controls)
{
}

const Description& CLightLogic::PageDescription()
{
    return kPage;
}


int CLightLogic::buttonClicked(Page::ControlId button)
{
    using namespace LightId;
    switch (button) {
    case KeyClear1: return writeThenRead(KeyClear1, KeyStatus1);
    case KeyClear2: return writeThenRead(KeyClear2, KeyStatus2);
    default: return 0;
    }
}
