#pragma once
// The saver run's built-in spirit picture, which the renderer puts on every light spirit:
// 128 × 128 pixels, a pure white point at the centre in a blue-white glow with thin
// star-burst rays, fading into black well before the edges.
#include "bitmap_file.h"

namespace glowmere {

constexpr int32_t kSpiritPictureSize = 128;

Bitmap24 MakeSpiritPicture();

}  // namespace glowmere
