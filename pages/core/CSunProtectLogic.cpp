#include "pages/core/CSunProtectLogic.h"

#include "model/RegisterCatalogue.h"
#include "pages/core/KeyLists.h"

#include <algorithm>
#include <vector>

using namespace Page;
using namespace KeyLists;
using namespace SunProtectId;

namespace {

constexpr const char* kTypes[] = {"0 = Position", "1 = Angle", "2 = Position + Angle"};

// The unit's front (UnitSunProtect): the channel's label on the screen, the
// blind with its position bar and its slats, the auto-mode sign beside it,
// and below the screen one rocker key per channel.
constexpr PictureMark kLabelMark = Frame({32, 22, 47, 30});
constexpr PictureMark kAutoModeMark = Frame({49, 35, 56, 44});
constexpr PictureMark kPositionMark = Frame({54, 20, 59, 44});
constexpr PictureMark kAngleMark = Frame({57, 26, 66, 44});
constexpr PictureMark kTypeMark = Frame({54, 20, 66, 44});
constexpr PictureMark kKeys1Mark = Frame({50, 60, 61, 92});
constexpr PictureMark kKeys2Mark = Frame({61, 60, 72, 92});

constexpr Display Tenths = Display::TenthsUnsigned;
constexpr Marker NoFFFF = Marker::Word0xFFFF;
constexpr Display Signed = Display::Custom;
constexpr FormatFn kSigned = CSunProtectLogic::SignedNumber;
constexpr EntryFilter Int = EntryFilter::Integer;
constexpr EntryFilter Dec = EntryFilter::Decimal;

// One channel (1 or 2) in grid columns c (labels) and c + 1 (controls).
// Captions carry the channel number: the two channels' labels would read
// the same to an assistive tool otherwise. "Key clear" is a push button,
// never checked: its change writes 0 to the key status. Key status,
// position and angle only show the unit's state.
template <int n>
constexpr std::array<Row, 15> ChannelRows(int c, uint16_t state, uint16_t base, const char* bitName,
                                          PictureMark keysMark)
{
    constexpr ControlId k = (n - 1) * (Type2 - Type1);
    const auto at = [](uint16_t first, int offset) { return static_cast<uint16_t>(first + offset); };
    return {
        Row{.id = Heading1 + n - 1, .kind = Kind::Heading, .caption = Numbered<"Sun Protect ", n>(), .row = 1,
            .column = c, .span = 2},
        Row{.id = Type1 + k, .kind = Kind::List, .caption = Numbered<"Type ", n>(), .row = 2, .column = c,
            .items = kTypes, .initial = 2, .address = at(base, 14), .mark = kTypeMark},
        Row{.id = AutoMode1 + k, .kind = Kind::Check, .caption = Numbered<"Auto Mode ", n>(), .row = 3,
            .column = c + 1, .address = CSunProtectLogic::kAutoModeRegister, .bit = n - 1, .hoverName = bitName,
            .mark = kAutoModeMark},
        Row{.id = Label1 + k, .kind = Kind::Text, .caption = Numbered<"Label ", n>(), .row = 4, .column = c,
            .filter = EntryFilter::Text12, .address = base, .display = Display::Text, .mark = kLabelMark},
        Row{.id = OpMode1 + k, .kind = Kind::List, .caption = Numbered<"OpMode ", n>(), .row = 5, .column = c,
            .items = kOpModes, .initial = 1, .address = at(base, 13), .mark = keysMark},
        Row{.id = KeyStatus1 + k, .kind = Kind::List, .caption = Numbered<"Key Status ", n>(), .row = 6,
            .column = c, .items = kKeyStates, .initial = 0, .address = state, .mark = keysMark,
            .statusOnly = true},
        Row{.id = KeyClear1 + k, .kind = Kind::Button, .caption = Numbered<"Key clear ", n>(), .row = 7,
            .column = c + 1, .address = state, .take = Take::CheckState, .uses = Use::Change},
        Row{.id = Position1 + k, .kind = Kind::Number, .caption = Numbered<"Position ", n>(), .row = 8,
            .column = c, .filter = Dec, .address = at(state, 1), .display = Tenths, .marker = NoFFFF,
            .measure = Measure::Percent, .mark = kPositionMark, .statusOnly = true},
        Row{.id = PositionStep1 + k, .kind = Kind::Number, .caption = Numbered<"Position Step Size ", n>(),
            .row = 9, .column = c, .filter = Dec, .address = at(base, 15), .display = Tenths, .marker = NoFFFF,
            .measure = Measure::Percent, .mark = kPositionMark},
        Row{.id = PositionMin1 + k, .kind = Kind::Number, .caption = Numbered<"Position Min ", n>(), .row = 10,
            .column = c, .filter = Int, .address = at(base, 17), .mark = kPositionMark},
        Row{.id = PositionMax1 + k, .kind = Kind::Number, .caption = Numbered<"Postion Max ", n>(), .row = 11,
            .column = c, .filter = Int, .address = at(base, 18), .mark = kPositionMark},
        Row{.id = Angle1 + k, .kind = Kind::Number, .caption = Numbered<"Angle ", n>(), .row = 12, .column = c,
            .filter = Int, .address = at(state, 2), .display = Signed, .format = kSigned, .mark = kAngleMark,
            .statusOnly = true},
        Row{.id = AngleStep1 + k, .kind = Kind::Number, .caption = Numbered<"Angle Step Size ", n>(), .row = 13,
            .column = c, .filter = Int, .address = at(base, 16), .mark = kAngleMark},
        Row{.id = AngleMin1 + k, .kind = Kind::Number, .caption = Numbered<"Angle Min ", n>(), .row = 14,
            .column = c, .filter = Int, .address = at(base, 19), .display = Signed, .format = kSigned,
            .mark = kAngleMark},
        Row{.id = AngleMax1 + k, .kind = Kind::Number, .caption = Numbered<"Angle Max ", n>(), .row = 15,
            .column = c, .filter = Int, .address = at(base, 20), .display = Signed, .format = kSigned,
            .mark = kAngleMark},
    };
}

constexpr auto kRows = Join(
    std::array{
        // The number of circuits: fixed on the smaller units (read-only
        // there, the field is then disabled), a setting on the larger ones,
        // written like any typed number.
        Row{.id = Circuits, .kind = Kind::Number, .caption = "Sun Protect Circuits", .row = 0, .filter = Int,
            .address = 4200},
        Row{.id = SunProtectDisplay, .kind = Kind::Check, .caption = "Sun Protect Display", .row = 0, .column = 3,
            .address = 4201},
        // Both automatic modes in one register, into the catalogue; the
        // boxes show its bits.
        Row{.address = CSunProtectLogic::kAutoModeRegister},
    },
    ChannelRows<1>(0, 720, 4250, "SP1_AutoMode_700_bit0", kKeys1Mark),
    ChannelRows<2>(2, 730, 4300, "SP1_AutoMode_700_bit1", kKeys2Mark),
    std::array{
        Page::ReadTargetButton(),
        // The page's own undo (undoChanges), in the framework's place.
        Row{.id = Page::kUndoChanges, .kind = Kind::Button, .caption = "Undo Changes", .row = Page::kButtonBar},
        Page::SaveToNvramButton(),
    });

// The unit's order: the automatic modes, both channels' states, the page's
// own settings, then each channel's settings. "Undo Changes" writes back
// the same in the same order, both labels register by register (read-only
// registers are skipped).
constexpr uint16_t kReadOrder[] = {700,  720,  721,  722,  730,  731,  732,  4200, 4201, 4250, 4263, 4264, 4265,
                                   4266, 4267, 4268, 4269, 4270, 4300, 4313, 4314, 4315, 4316, 4317, 4318, 4319,
                                   4320};

constexpr Description kPage = {
    .rows = kRows,
    .readOrder = kReadOrder,
    .defaultPicture = Picture::UnitSunProtect,
    // A unit of device type 0 is told how the read went, as on Room Climate.
    .statusForTypeZero = true,
    // Two channels side by side take the room of one column more: the
    // picture gives way.
    .frame = Page::PictureFrame::Reduced,
};
static_assert(OrdersMatchRows(kPage));

} // namespace

CSunProtectLogic::CSunProtectLogic(RegisterCatalogue& catalogue, IUnitAccess& unit, IPageHost& host,
                                   IPageControls& controls)
    : CPageEngine(kPage, catalogue, unit, host, controls)
{
}

const Description& CSunProtectLogic::PageDescription()
{
    return kPage;
}

uint16_t CSunProtectLogic::KeyStatusRegister(int channel)
{
    return channel == 2 ? 730 : 720;
}

std::string CSunProtectLogic::SignedNumber(uint16_t value)
{
    return std::to_string(static_cast<int16_t>(value));
}

int CSunProtectLogic::undoChanges()
{
    // Held back for this undo as if read-only; the engine skips those.
    std::vector<const Row*> held;
    for (const Row& row : kRows) {
        if (row.marker != Marker::Word0xFFFF)
            continue;
        RegisterEntry& entry = catalogue().Holding(row.address);
        if (entry.value == 0xFFFF && !entry.readOnly) {
            entry.readOnly = true;
            held.push_back(&row);
        }
    }
    const int result = undoChangesButton();
    for (const Row* row : held) {
        catalogue().Holding(row->address).readOnly = false;
        // The read after the writes took the field for a read-only one.
        controls().setEnabled(row->id, !row->statusOnly);
    }
    return result;
}

int CSunProtectLogic::buttonClicked(Page::ControlId button)
{
    using namespace SunProtectId;
    switch (button) {
    case KeyClear1: return writeThenRead(KeyClear1, KeyStatus1);
    case KeyClear2: return writeThenRead(KeyClear2, KeyStatus2);
    case Page::kUndoChanges: return undoChanges();
    default: return 0;
    }
}
