#pragma once
// The six frame sources of the Command button, drawn from a table of band colours: the
// rings outside the frame line, the 1-pixel frame line with rounded, blended corner
// pixels, and the rim just inside it. Only the outer 4-pixel band is ever copied onto a
// button; the centre holds a plain face for anyone who looks at a bitmap on its own.
// They are 64 x 25 at 96 dpi and drawn for their size at the button's dpi, where a 1-pixel
// band becomes as many pixels as the display's scale gives it (2 at 192 dpi).
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

// One state bitmap, drawn on the 64 x 25 design grid. At another dpi each design cell is
// a block of pixels between its scaled edges (ScaleToDpi), counted from the near edge of
// the bitmap up to its middle and from the far edge beyond, so that the bands at opposite
// edges are equally wide.
class StatePixels {
public:
    static constexpr int kWidth = 64;
    static constexpr int kHeight = 25;

    explicit StatePixels(int dpi = kDesignDpi);

    int Width() const { return width_; }
    int Height() const { return height_; }
    // A pixel, top row first.
    Rgb At(int x, int y) const { return pixels_[static_cast<size_t>(y * width_ + x)]; }

    // Design cell (x, y): the colour painted into it, and painting its block.
    Rgb Cell(int x, int y) const { return At(ColumnEdge(x), RowEdge(y)); }
    void Paint(int x, int y, Rgb colour);

private:
    int ColumnEdge(int x) const;
    int RowEdge(int y) const;

    int dpi_;
    int width_, height_;
    std::vector<Rgb> pixels_;
};

StatePixels DrawStateBitmap(const BandLook& look, int dpi = kDesignDpi);
inline StatePixels DrawStateBitmap(StateBitmap bitmap, int dpi = kDesignDpi)
{
    return DrawStateBitmap(LookOf(bitmap), dpi);
}

}  // namespace glowmere::button
