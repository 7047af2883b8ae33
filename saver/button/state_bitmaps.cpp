#include "state_bitmaps.h"

#include <cmath>

namespace glowmere::button {

namespace {

constexpr int kW = StatePixels::kWidth;
constexpr int kH = StatePixels::kHeight;

// Outside the frame line of the Normal, HighLight and Selected bitmaps.
constexpr BandLook::Ring kResting = {Hex(0xDCD6C2), Hex(0xE2DECB), Hex(0xFAFAF6), Hex(0xF0EEE0)};
constexpr BandLook::Ring kFlat = {Hex(0xECE9D8), Hex(0xECE9D8), Hex(0xECE9D8), Hex(0xECE9D8)};
constexpr Rgb kFrameBlue = Hex(0x003C74);

uint8_t MixChannel(uint8_t a, uint8_t b, double weight)
{
    return static_cast<uint8_t>(std::lround(a * weight + b * (1.0 - weight)));
}

// Where design edge v of a `designSize` grid falls in a picture of `size` pixels.
int ScaledEdge(int v, int designSize, int size, int dpi)
{
    return 2 * v <= designSize ? ScaleToDpi(v, dpi) : size - ScaleToDpi(designSize - v, dpi);
}

}  // namespace

Rgb Mix(Rgb a, Rgb b, double weight)
{
    return {MixChannel(a.r, b.r, weight), MixChannel(a.g, b.g, weight), MixChannel(a.b, b.b, weight)};
}

StatePixels::StatePixels(int dpi)
    : dpi_(dpi),
      width_(ScaleToDpi(kWidth, dpi)),
      height_(ScaleToDpi(kHeight, dpi)),
      pixels_(static_cast<size_t>(width_) * static_cast<size_t>(height_))
{
}

int StatePixels::ColumnEdge(int x) const { return ScaledEdge(x, kWidth, width_, dpi_); }

int StatePixels::RowEdge(int y) const { return ScaledEdge(y, kHeight, height_, dpi_); }

void StatePixels::Paint(int x, int y, Rgb colour)
{
    for (int row = RowEdge(y); row < RowEdge(y + 1); ++row)
        for (int column = ColumnEdge(x); column < ColumnEdge(x + 1); ++column)
            pixels_[static_cast<size_t>(row * width_ + column)] = colour;
}

BandLook LookOf(StateBitmap bitmap)
{
    switch (bitmap) {
    case StateBitmap::Normal:
        // Near-white sides, the right one a little darker.
        return {{kResting},
                kFrameBlue,
                {Hex(0xF3F3EE), Hex(0xF3F3EE)},
                {Hex(0xD6D0C5), Hex(0xE2DFD6)},
                {Hex(0xFDFDFC), Hex(0xECEBE6)},
                {Hex(0xF8F8F5), Hex(0xE6E5DF)}};
    case StateBitmap::HighLight:
    case StateBitmap::HighLightSelect:
        // The orange rim of a hovered button.
        return {{kResting},
                kFrameBlue,
                {Hex(0xFFF0CF), Hex(0xFDD889)},
                {Hex(0xE59700), Hex(0xF8B330)},
                {Hex(0xFEDF9A), Hex(0xF9B435)},
                {Hex(0xFEDF9A), Hex(0xF9B435)}};
    case StateBitmap::Selected:
        // The blue rim of the focused button.
        return {{kResting},
                kFrameBlue,
                {Hex(0xCEE7FF), Hex(0xCEE7FF)},
                {Hex(0x6982EE), Hex(0x6982EE)},
                {Hex(0xB7D0F4), Hex(0x8BADE4)},
                {Hex(0xB7D0F4), Hex(0x8BADE4)}};
    case StateBitmap::Pressed:
        // Sunk by one pixel: a flat ring, the resting outside, then the frame and a
        // 1-pixel rim.
        return {{kFlat, kResting},
                kFrameBlue,
                {Hex(0xD1CCC1)},
                {Hex(0xF2F1EE)},
                {Hex(0xD7D4CB), Hex(0xD7D4CB)},
                {Hex(0xE4E3DC), Hex(0xE4E3DC)}};
    case StateBitmap::Disable:
        return {{kFlat},
                Hex(0xC9C7BA),
                {Hex(0xF5F4EA), Hex(0xF5F4EA)},
                {Hex(0xF5F4EA), Hex(0xF5F4EA)},
                {Hex(0xF5F4EA), Hex(0xF5F4EA)},
                {Hex(0xF5F4EA), Hex(0xF5F4EA)}};
    }
    return {};
}

StatePixels DrawStateBitmap(const BandLook& look, int dpi)
{
    StatePixels bitmap(dpi);

    // The centre, never copied: the plain face, white to (0xC6, 0xC5, 0xD7).
    for (int y = 0; y < kH; ++y) {
        const Rgb row = Mix(Hex(0xC6C5D7), Hex(0xFFFFFF), static_cast<double>(y) / (kH - 1));
        for (int x = 0; x < kW; ++x)
            bitmap.Paint(x, y, row);
    }

    // Rings outside the frame; where a row meets a column the row's colour wins.
    const int frame = static_cast<int>(look.outside.size());
    for (int i = 0; i < frame; ++i) {
        const BandLook::Ring& ring = look.outside[static_cast<size_t>(i)];
        for (int y = i; y <= kH - 1 - i; ++y) {
            bitmap.Paint(i, y, ring.left);
            bitmap.Paint(kW - 1 - i, y, ring.right);
        }
        for (int x = i; x <= kW - 1 - i; ++x) {
            bitmap.Paint(x, i, ring.top);
            bitmap.Paint(x, kH - 1 - i, ring.bottom);
        }
    }

    // The rim: side columns shading down between the rim rows, then the rim rows across.
    const int rim = static_cast<int>(look.rimTop.size());
    const int firstSideRow = frame + 1 + rim;
    const int lastSideRow = kH - 2 - frame - rim;
    for (int y = firstSideRow; y <= lastSideRow; ++y) {
        const double down = lastSideRow > firstSideRow
                                ? static_cast<double>(y - firstSideRow) / (lastSideRow - firstSideRow)
                                : 0.0;
        const Rgb left = Mix(look.left.bottom, look.left.top, down);
        const Rgb right = Mix(look.right.bottom, look.right.top, down);
        for (int j = 0; j < rim; ++j) {
            bitmap.Paint(frame + 1 + j, y, left);
            bitmap.Paint(kW - 2 - frame - j, y, right);
        }
    }
    for (int j = 0; j < rim; ++j) {
        for (int x = frame + 1; x <= kW - 2 - frame; ++x) {
            bitmap.Paint(x, frame + 1 + j, look.rimTop[static_cast<size_t>(j)]);
            bitmap.Paint(x, kH - 2 - frame - j, look.rimBottom[static_cast<size_t>(j)]);
        }
    }

    // The frame line.
    for (int x = frame; x <= kW - 1 - frame; ++x) {
        bitmap.Paint(x, frame, look.frame);
        bitmap.Paint(x, kH - 1 - frame, look.frame);
    }
    for (int y = frame; y <= kH - 1 - frame; ++y) {
        bitmap.Paint(frame, y, look.frame);
        bitmap.Paint(kW - 1 - frame, y, look.frame);
    }

    // Rounded corners: each corner pixel of the line is half line, half the outside it
    // turns away from; the pixel diagonally inside it takes a quarter of the line.
    if (frame > 0) {
        const BandLook::Ring& out = look.outside.back();
        struct Corner {
            int x, y, dx, dy;
            Rgb outside;
        };
        const Corner corners[] = {
            {frame, frame, 1, 1, Mix(out.top, out.left, 0.5)},
            {kW - 1 - frame, frame, -1, 1, Mix(out.top, out.right, 0.5)},
            {frame, kH - 1 - frame, 1, -1, Mix(out.bottom, out.left, 0.5)},
            {kW - 1 - frame, kH - 1 - frame, -1, -1, Mix(out.bottom, out.right, 0.5)},
        };
        for (const Corner& c : corners) {
            bitmap.Paint(c.x, c.y, Mix(look.frame, c.outside, 0.5));
            bitmap.Paint(c.x + c.dx, c.y + c.dy, Mix(look.frame, bitmap.Cell(c.x + c.dx, c.y + c.dy), 0.25));
        }
    }
    return bitmap;
}

}  // namespace glowmere::button
