#pragma once
// Size of the preview form inside its host window. The form's size travels in twips as
// signed 16-bit values (1440 / dots-per-inch twips per pixel, 15 at 96 dpi), so a host
// wider or taller than 32,767 twips (2,184 pixels at 96 dpi) leaves that size 0. The form
// and its picture element both cover the host from its client origin.
#include <cstdint>

namespace glowmere {

constexpr int kPreviewPictureWidth = 152;    // the built-in still picture
constexpr int kPreviewPictureHeight = 112;

struct PreviewLayout {
    int16_t widthTwips = 0;
    int16_t heightTwips = 0;
    int width = 0;          // the form and its picture element, in pixels
    int height = 0;
    // The part of the picture that shows: its own size, cut by the element.
    int pictureWidth = 0;
    int pictureHeight = 0;
};

// `hostWidth` and `hostHeight` are the host's outer size in pixels, `dpiX` and `dpiY`
// the display's logical dots per inch (96 when unknown or not positive).
PreviewLayout LayoutPreview(int hostWidth, int hostHeight, int dpiX, int dpiY);

}  // namespace glowmere
