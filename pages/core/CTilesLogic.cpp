#include "pages/core/CTilesLogic.h"

#include "pages/core/PageText.h"

using namespace Page;
using namespace TilesId;

namespace {

// What a tile opens (index = value): the unit's menus, a light or scene it
// switches, or a reading it shows. 20 is kept free by the unit.
constexpr const char* kFunctions[] = {
    "0 = no tile",        "1 = current / setpoint temperature menu",
    "2 = fan menu",       "3 = sun protection menu",
    "4 = light menu",     "5 = sensor menu",
    "6 = presence",       "7 = light 1",
    "8 = light 2",        "9 = light 3",
    "10 = light 4",       "11 = scene 1",
    "12 = scene 2",       "13 = scene 3",
    "14 = scene 4",       "15 = TempS1Int",
    "16 = HumS1Int",      "17 = CO2S1Int",
    "18 = VOCS1Int_ppb",  "19 = VOCS1int_%",
    "20 = reserved",      "21 = TempS2Ext",
    "22 = TempS3Bus",     "23 = HumS2Bus",
    "24 = CO2S2Bus",      "25 = VOCS2Bus",
    "26 = PMS2Bus",       "27 = PressureS2Bus",
};

// Before anything is read each list shows the unit's factory choice.
constexpr Row Tile(ControlId id, const char* caption, int n, int initial)
{
    return Row{.id = id, .kind = Kind::List, .caption = caption, .row = n, .items = kFunctions, .initial = initial,
               .address = static_cast<uint16_t>(CTilesLogic::kFirstTileRegister + n - 1)};
}

constexpr Row kRows[] = {
    {.id = TileModeActive, .kind = Kind::Check, .caption = "Tile Mode Active", .row = 0, .labelInFront = true,
     .address = CTilesLogic::kTileModeRegister},
    Tile(Tile1, "Tile 1", 1, 4),
    Tile(Tile2, "Tile 2", 2, 1),
    Tile(Tile3, "Tile 3", 3, 3),
    Tile(Tile4, "Tile 4", 4, 11),
    Tile(Tile5, "Tile 5", 5, 2),
    Tile(Tile6, "Tile 6", 6, 6),
    Page::ReadTargetButton(),
    Page::UndoChangesButton(),
};

constexpr Description kPage = {.rows = kRows, .statusForTypeZero = true};

} // namespace

CTilesLogic::CTilesLogic(RegisterCatalogue& catalogue, IUnitAccess& unit, IPageHost& host, IPageControls& controls)
    : CPageEngine(kPage, catalogue, unit, host, controls)
{
}

const Description& CTilesLogic::PageDescription()
{
    return kPage;
}

int CTilesLogic::afterReads(int result, bool)
{
    const bool failed = controls().text(TileModeActive) == PageText::kMissing;
    controls().setText(TileModeActive, "");
    // Its tick is then still the one read before: it may be out of date.
    if (failed)
        controls().setEditState(TileModeActive, EditState::Stale);
    return result;
}
