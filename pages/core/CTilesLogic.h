// The Tiles page's tables, free of any toolkit: whether the unit's start
// screen shows tiles, and which function each of its six tiles opens.
// The page registry builds its Qt page from it (no picture). Only units with display tiles
// (device type 2000 and above) have these registers.
//
// "Tile Mode Active" is a check box without a caption of its own; its label
// stands in front of it.
//
// Result codes: those of CPageEngine.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/core/CPageEngine.h"

namespace TilesId {
enum : Page::ControlId {
    TileModeActive = 1,
    Tile1,
    Tile2,
    Tile3,
    Tile4,
    Tile5,
    Tile6,
};
} // namespace TilesId

class CTilesLogic : public CPageEngine
{
public:
    static constexpr uint16_t kTileModeRegister = 6400;
    static constexpr uint16_t kFirstTileRegister = 6450;

    CTilesLogic(RegisterCatalogue& catalogue, IUnitAccess& unit, IPageHost& host, IPageControls& controls);

    // The page's rows.
    static const Page::Description& PageDescription();

protected:
    // A failed read writes "---" into a check box's caption; this box has
    // none and keeps none, and is marked as not read instead.
    int afterReads(int result, bool connected) override;
};
