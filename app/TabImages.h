// The tool's pictures, drawn in code: the tab image strip (indexes 0 .. 13,
// 16 pixels, transparent background) and the window icon (the unit's
// picture, link/ui/UnitPicture.h).
//
// Tab images: 0 COM-Interface, 1 FW-Update, 2 Modbus/BACnet, 3 Common,
// 4 Sensors, 5 Room Climate, 6 Inputs, 7 Sun Protect, 8 Light,
// 9 Controller, 10 Tiles, 11 Time Program, 12 ReMa, 13 spare.
//
// Thread rules: user-interface thread only (they create pixmaps).
#pragma once

#include <QIcon>
#include <QPixmap>

namespace TabImages {
constexpr int kCount = 14;
constexpr int kSize = 16;

// A null icon for an index outside the strip.
QIcon Icon(int index);
QIcon WindowIcon();
} // namespace TabImages
