// The room unit as the tool pictures it (the COM-Interface page, the About
// box, the window icon): a wall-mounted housing with its display and three
// keys, drawn in code.
//
// Thread rules: user-interface thread only (it creates pixmaps).
#pragma once

#include <QPixmap>

namespace UnitPicture {
// Drawn into a square of the given side in device-independent pixels.
QPixmap Draw(int side, qreal devicePixelRatio = 1.0);
} // namespace UnitPicture
