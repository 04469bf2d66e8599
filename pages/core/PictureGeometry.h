// Where the green frames of a picture panel go. A mark's edges are given in
// percent of the picture rectangle; the frame is five pixels wide, drawn as
// five nested one-pixel frames, each one pixel inside the previous, and it
// stops early when the rectangle gets narrower or lower than two pixels.
//
// Thread rules: none (pure functions).
#pragma once

#include "pages/core/IPageControls.h"
#include "pages/core/PageTypes.h"

#include <vector>

namespace PictureGeometry {

constexpr int kFrameWidth = 5;

// edge = origin + extent x percent / 100, in integers.
inline PageRect FrameRect(const PageRect& picture, const Page::FramePercent& p)
{
    const int w = picture.width();
    const int h = picture.height();
    return PageRect{picture.left + w * p.left / 100, picture.top + h * p.top / 100,
                    picture.left + w * p.right / 100, picture.top + h * p.bottom / 100};
}

// The one-pixel frames that make up a green frame, outermost first.
inline std::vector<PageRect> NestedFrames(PageRect r)
{
    std::vector<PageRect> frames;
    for (int i = 0; i < kFrameWidth; ++i) {
        if (r.width() < 2 || r.height() < 2)
            break;
        frames.push_back(r);
        r = PageRect{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    }
    return frames;
}

} // namespace PictureGeometry
