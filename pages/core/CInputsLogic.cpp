#include "pages/core/CInputsLogic.h"

#include <algorithm>
#include <array>
#include <iterator>

using namespace Page;
using namespace InputsId;

namespace {

constexpr const char* kInput1Functions[] = {
    "0 = inactive",           "1 = external temperature sensor NTC10K",
    "2 = DI as pure bus value", "3 = DI window contact NO",
    "4 = DI window contact NC", "5 = DI dew point monitor NO",
    "6 = DI dew point monitor NC", "7 = DI presence contact NO",
    "8 = DI presence contact NC", "9 = DI key card NO",
    "10 = DI key card NC",    "11 = DI alarm NO",
    "12 = DI alarm NC",       "13 = DI frost protection NO",
    "14 = DI frost protection NC", "15 = DI ECO NO",
    "16 = DI ECO NC",         "17 = DI change-over NO",
    "18 = DI change-over NC",
};
// Only input 1 has the temperature sensor circuit: input 2 offers the
// same functions with that entry reserved.
constexpr auto kInput2Functions = [] {
    std::array<const char*, std::size(kInput1Functions)> functions{};
    std::copy(std::begin(kInput1Functions), std::end(kInput1Functions), functions.begin());
    functions[1] = "1 = reserved";
    return functions;
}();

// The terminal of each input on the back of the unit, with what is wired to it.
constexpr FramePercent kDi1Terminal{54, 47, 62, 64};
constexpr FramePercent kDi2Terminal{62, 47, 70, 64};
constexpr FramePercent kInput1Contact{25, 71, 50, 97};
constexpr FramePercent kInput2Contact{60, 71, 85, 97};
constexpr PictureMark kInput1Mark{Picture::UnitInputs, {kDi1Terminal, kInput1Contact}, 2};
constexpr PictureMark kInput2Mark{Picture::UnitInputs, {kDi2Terminal, kInput2Contact}, 2};

// The functions first, then the states: the rows' order is the read order;
// the states are read-only and stay out of the undo list.
constexpr Row kRows[] = {
    {.id = Input1Config, .kind = Kind::List, .caption = "Input 1 Config", .row = 0, .items = kInput1Functions,
     .initial = 1, .address = CInputsLogic::kInput1Register, .mark = kInput1Mark},
    {.id = Input2Config, .kind = Kind::List, .caption = "Input 2 Config", .row = 1, .items = kInput2Functions,
     .initial = 2, .address = CInputsLogic::kInput2Register, .mark = kInput2Mark},
    {.id = D1Status, .kind = Kind::ReadOnly, .caption = "D1 Input Status", .row = 2, .address = 126,
     .mark = kInput1Mark},
    {.id = D2Status, .kind = Kind::ReadOnly, .caption = "D2 Input Status", .row = 3, .address = 127,
     .mark = kInput2Mark},
    Page::ReadTargetButton(),
    Page::UndoChangesButton(),
    Page::SaveToNvramButton(),
};

constexpr Description kPage = {
    .rows = kRows,
    .defaultPicture = Picture::UnitInputs,
};

} // namespace

CInputsLogic::CInputsLogic(RegisterCatalogue& catalogue, IUnitAccess& unit, IPageHost& host,
                           IPageControls& controls)
    : CPageEngine(kPage, catalogue, unit, host, controls)
{
}

const Description& CInputsLogic::PageDescription()
{
    return kPage;
}

int CInputsLogic::chooseFunction(ControlId list)
{
    if (!unitKnown())
        return 0;
    return writeOnChange(list);
}
