#include "preview_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace glowmere {

namespace {

double TwipsPerPixel(int dpi) { return 1440.0 / (dpi > 0 ? dpi : 96); }

int16_t ToTwips(int pixels, double factor)
{
    const double twips = std::nearbyint(static_cast<double>(pixels) * factor);
    if (twips < std::numeric_limits<int16_t>::min() || twips > std::numeric_limits<int16_t>::max())
        return 0;
    return static_cast<int16_t>(twips);
}

int ToPixels(int16_t twips, double factor)
{
    return std::max(0, static_cast<int>(std::lround(twips / factor)));
}

}  // namespace

PreviewLayout LayoutPreview(int hostWidth, int hostHeight, int dpiX, int dpiY)
{
    const double factorX = TwipsPerPixel(dpiX);
    const double factorY = TwipsPerPixel(dpiY);
    PreviewLayout layout;
    layout.widthTwips = ToTwips(hostWidth, factorX);
    layout.heightTwips = ToTwips(hostHeight, factorY);
    layout.width = ToPixels(layout.widthTwips, factorX);
    layout.height = ToPixels(layout.heightTwips, factorY);
    layout.pictureWidth = std::min(layout.width, kPreviewPictureWidth);
    layout.pictureHeight = std::min(layout.height, kPreviewPictureHeight);
    return layout;
}

}  // namespace glowmere
