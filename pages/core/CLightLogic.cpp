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

// One channel (1 or 2) in grid columns c (labels) and c + 1 (controls).
// Captions carry the channel number: the two channels' labels would read
// the same to an assistive tool otherwise. "Key clear" is a push button,
// never checked: its change writes 0 to the key status. The switching
// status is the unit's to set; its box shows it, and hovering it names the
// bit. Switching status, key status and dimming value only show the unit's
// state.
template <int n>
constexpr std::array<Row, 10> ChannelRows(int c, uint16_t state, uint16_t base, const char* statusName,
                                          const char* autoName, PictureMark keysMark)
{
    constexpr ControlId k = (n - 1) * (Status2 - Status1);
    return {
        Row{.id = Heading1 + n - 1, .kind = Kind::Heading, .caption = Numbered<"Light ", n, ":">(), .row = 1,
            .column = c, .span = 2},
        Row{.id = Status1 + k, .kind = Kind::Check, .caption = Numbered<"Status ", n>(), .row = 2, .column = c + 1,
            .address = CLightLogic::kStatusRegister, .bit = n - 1, .hoverName = statusName, .statusOnly = true},
        Row{.id = Label1 + k, .kind = Kind::Text, .caption = Numbered<"Label ", n>(), .row = 3, .column = c,
            .filter = EntryFilter::Text12, .address = base, .display = Display::Text, .mark = kLabelMark},
        Row{.id = AutoMode1 + k, .kind = Kind::Check, .caption = Numbered<"Auto Mode ", n>(), .row = 4,
            .column = c + 1, .address = CLightLogic::kAutoModeRegister, .bit = n - 1, .hoverName = autoName,
            .mark = kAutoModeMark},
        Row{.id = OpMode1 + k, .kind = Kind::List, .caption = Numbered<"OpMode ", n>(), .row = 5, .column = c,
            .items = kOpModes, .initial = 0, .address = static_cast<uint16_t>(base + 14), .mark = keysMark},
        Row{.id = KeyStatus1 + k, .kind = Kind::List, .caption = Numbered<"Key Status ", n>(), .row = 6,
            .column = c, .items = kKeyStates, .initial = 0, .address = state, .mark = keysMark,
            .statusOnly = true},
        Row{.id = KeyClear1 + k, .kind = Kind::Button, .caption = Numbered<"Key clear ", n>(), .row = 7,
            .column = c + 1, .address = state, .take = Take::CheckState, .uses = Use::Change},
        Row{.id = Dimmable1 + k, .kind = Kind::Check, .caption = Numbered<"Dimmable ", n>(), .row = 8,
            .column = c + 1, .address = static_cast<uint16_t>(base + 13), .mark = kDimmMark},
        Row{.id = DimmStep1 + k, .kind = Kind::Number, .caption = Numbered<"Dimm Step Size ", n>(), .row = 9,
            .column = c, .filter = Int, .address = static_cast<uint16_t>(base + 18), .mark = kDimmMark},
        Row{.id = DimmValue1 + k, .kind = Kind::Number, .caption = Numbered<"Dimm Value ", n>(), .row = 10,
            .column = c, .filter = Int, .address = static_cast<uint16_t>(state + 1), .mark = kDimmMark,
            .statusOnly = true},
    };
}

constexpr auto kRows = Join(
    std::array{
        // The number of circuits: fixed on the smaller units (read-only
        // there, the field is then disabled), a setting on the larger ones.
        Row{.id = Circuits, .kind = Kind::Number, .caption = "Light Circuits", .row = 0, .address = 5300},
        Row{.id = DisplayLightStatus, .kind = Kind::Check, .caption = "Display Light Status", .row = 0,
            .column = 3, .address = 5301},
        // Both automatic modes in one register and both switching states in
        // another, into the catalogue; the boxes show their bits.
        Row{.address = CLightLogic::kAutoModeRegister},
        Row{.address = CLightLogic::kStatusRegister},
    },
    ChannelRows<1>(0, 1120, 5350, "L1_LightStatus_1102_bit0", "L1_AutoMode_1100_bit0", kKeys1Mark),
    ChannelRows<2>(2, 1130, 5400, "L2_LightStatus_1102_bit1", "L2_AutoMode_1100_bit1", kKeys2Mark),
    std::array{
        Page::ReadTargetButton(),
        Page::UndoChangesButton(),
        Page::SaveToNvramButton(),
    });

// The unit's order: the two bit registers, both channels' states, the
// page's own settings, then each channel's settings. "Undo Changes" writes
// back the same in the same order, both labels register by register
// (read-only registers are skipped).
constexpr uint16_t kReadOrder[] = {1100, 1102, 1120, 1130, 1121, 1131, 5300, 5301, 5350,
                                   5363, 5364, 5368, 5400, 5413, 5414, 5418};

constexpr Description kPage = {
    .rows = kRows,
    .readOrder = kReadOrder,
    .defaultPicture = Picture::UnitLight,
    .statusForTypeZero = true,
    // Two channels side by side: the picture gives way.
    .frame = Page::PictureFrame::Reduced,
};
static_assert(OrdersMatchRows(kPage));

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
