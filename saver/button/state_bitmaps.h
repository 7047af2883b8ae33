#pragma once
// The six 64 x 25 frame sources of the Command button, drawn at start-up from a table of
// band colours: the rings outside the frame line, the 1-pixel frame line with rounded,
// blended corner pixels, and the rim just inside it. Only the outer 4-pixel band is ever
// copied onto a button; the centre holds a plain face for anyone who looks at a bitmap
// on its own.
#include <array>
#include <cstdint>
#include <vector>

#include "command.h"

namespace glowmere::button {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};

// 0xRRGGBB as written in a colour table.
constexpr Rgb Hex(uint32_t rrggbb)
{
    return {static_cast<uint8_t>(rrggbb >> 16), static_cast<uint8_t>(rrggbb >> 8), static_cast<uint8_t>(rrggbb)};
}

// `weight` of a and the rest of b, each channel rounded.
Rgb Mix(Rgb a, Rgb b, double weight);

// The looks of one bitmap's band, from the edge inward.
struct BandLook {
    struct Ring {
        Rgb top, left, bottom, right;
    };
    struct Shade {
        Rgb top, bottom;   // first and last row of the side columns between the rims
    };
    std::vector<Ring> outside;     // rings outside the frame line, outermost first
    Rgb frame;                     // the frame line
    std::vector<Rgb> rimTop;       // rows just inside the frame's top line, outward first
    std::vector<Rgb> rimBottom;    // rows just inside its bottom line, outward first
    Shade left, right;             // as many side columns as there are rim rows
};

// The table of the six looks. HighLightSelect is the same as HighLight.
BandLook LookOf(StateBitmap bitmap);

struct StatePixels {
    static constexpr int kWidth = 64;
    static constexpr int kHeight = 25;
    std::array<Rgb, kWidth * kHeight> pixels{};   // top row first

    Rgb At(int x, int y) const { return pixels[static_cast<size_t>(y * kWidth + x)]; }
    Rgb& At(int x, int y) { return pixels[static_cast<size_t>(y * kWidth + x)]; }
};

StatePixels DrawStateBitmap(const BandLook& look);
inline StatePixels DrawStateBitmap(StateBitmap bitmap) { return DrawStateBitmap(LookOf(bitmap)); }

}  // namespace glowmere::button
