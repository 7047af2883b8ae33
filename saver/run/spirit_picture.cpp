#include "spirit_picture.h"

#include <algorithm>
#include <cmath>

namespace glowmere {

namespace {

// The picture is additive light: everything is a brightness that fades to exactly 0
// at kFadeRadius, so the square edges of a spirit never show.
constexpr double kCentre = 63.5;        // between the four middle pixels
constexpr double kFadeRadius = 60.0;
constexpr double kCoreRadius = 1.5;     // the white point: the four middle pixels

double Brightness(double dx, double dy)
{
    const double r = std::hypot(dx, dy);
    if (r >= kFadeRadius)
        return 0.0;
    const double fade = std::pow(1.0 - r / kFadeRadius, 2.0);

    const double core = std::exp(-r / 5.0);
    const double halo = 0.45 * std::exp(-r / 16.0);

    // Four long rays along the axes and four shorter, fainter ones on the diagonals,
    // each about a pixel wide.
    const double axial = std::min(std::fabs(dx), std::fabs(dy));
    const double diagonal = std::fabs(std::fabs(dx) - std::fabs(dy)) / std::sqrt(2.0);
    const double rays = 0.9 * std::exp(-axial * axial / 0.9) * std::exp(-r / 38.0) +
                        0.5 * std::exp(-diagonal * diagonal / 0.7) * std::exp(-r / 20.0);

    return (core + halo + rays) * fade;
}

uint8_t Channel(double value)
{
    return static_cast<uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
}

}  // namespace

Bitmap24 MakeSpiritPicture()
{
    Bitmap24 picture = Bitmap24::Black(kSpiritPictureSize, kSpiritPictureSize);
    for (int32_t y = 0; y < kSpiritPictureSize; ++y) {
        for (int32_t x = 0; x < kSpiritPictureSize; ++x) {
            const double dx = x - kCentre;
            const double dy = y - kCentre;
            if (std::hypot(dx, dy) < kCoreRadius) {
                picture.SetPixel(x, y, 255, 255, 255);
                continue;
            }
            // Blue-white: blue carries the full brightness, red and green fall off faster,
            // so the bright middle is white and the fringe turns blue.
            const double v = Brightness(dx, dy);
            picture.SetPixel(x, y, Channel(0.95 * std::pow(v, 1.35)), Channel(0.97 * std::pow(v, 1.2)),
                             Channel(1.1 * v));
        }
    }
    return picture;
}

}  // namespace glowmere
