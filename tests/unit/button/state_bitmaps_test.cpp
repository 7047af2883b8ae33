// The six state bitmaps: the colours of their frame lines, rims and outsides as the
// band table binds them, and the rounded corners of the frame line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "state_bitmaps.h"

namespace {

using namespace glowmere::button;

std::string Show(Rgb c)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", c.r, c.g, c.b);
    return text;
}

// A run of pixels that must all have one colour: row `at` from `from` to `to` (columns),
// or column `at` from `from` to `to` (rows).
struct Run {
    bool row;
    int at, from, to;
    uint32_t colour;
};

constexpr Run Row(int y, int x0, int x1, uint32_t c) { return {true, y, x0, x1, c}; }
constexpr Run Column(int x, int y0, int y1, uint32_t c) { return {false, x, y0, y1, c}; }

// The frame line at inset i, away from its corner pixels.
std::vector<Run> Line(int i, uint32_t c)
{
    return {Row(i, i + 1, 62 - i, c), Row(24 - i, i + 1, 62 - i, c), Column(i, i + 1, 23 - i, c),
            Column(63 - i, i + 1, 23 - i, c)};
}

const std::vector<Run> kRestingOutside = {Row(0, 0, 63, 0xDCD6C2), Row(24, 0, 63, 0xFAFAF6),
                                          Column(0, 1, 23, 0xE2DECB), Column(63, 1, 23, 0xF0EEE0)};

void ExpectRuns(StateBitmap which, std::vector<std::vector<Run>> groups)
{
    SCOPED_TRACE(Name(which));
    const StatePixels p = DrawStateBitmap(which);
    for (const auto& group : groups)
        for (const Run& run : group)
            for (int i = run.from; i <= run.to; ++i) {
                const Rgb pixel = run.row ? p.At(i, run.at) : p.At(run.at, i);
                ASSERT_EQ(Show(pixel), Show(Hex(run.colour)))
                    << (run.row ? "row " : "column ") << run.at << " at " << i;
            }
}

TEST(StateBitmaps, TheBandsHaveTheColoursOfTheTable)
{
    ExpectRuns(StateBitmap::Normal, {Line(1, 0x003C74), kRestingOutside,
                                     {Row(2, 3, 60, 0xF3F3EE), Row(3, 2, 61, 0xF3F3EE), Row(21, 2, 61, 0xE2DFD6),
                                      Row(22, 3, 60, 0xD6D0C5)}});
    for (StateBitmap hot : {StateBitmap::HighLight, StateBitmap::HighLightSelect})
        ExpectRuns(hot, {Line(1, 0x003C74), kRestingOutside,
                         {Row(2, 3, 60, 0xFFF0CF), Row(3, 2, 61, 0xFDD889), Row(21, 2, 61, 0xF8B330),
                          Row(22, 3, 60, 0xE59700), Row(4, 2, 3, 0xFEDF9A), Row(4, 60, 61, 0xFEDF9A),
                          Row(20, 2, 3, 0xF9B435), Row(20, 60, 61, 0xF9B435)}});
    ExpectRuns(StateBitmap::Selected, {Line(1, 0x003C74), kRestingOutside,
                                       {Row(2, 3, 60, 0xCEE7FF), Row(3, 2, 61, 0xCEE7FF), Row(21, 2, 61, 0x6982EE),
                                        Row(22, 3, 60, 0x6982EE), Row(4, 2, 3, 0xB7D0F4), Row(4, 60, 61, 0xB7D0F4),
                                        Row(20, 2, 3, 0x8BADE4), Row(20, 60, 61, 0x8BADE4)}});
    ExpectRuns(StateBitmap::Pressed,
               {Line(2, 0x003C74),
                {Row(0, 0, 63, 0xECE9D8), Row(24, 0, 63, 0xECE9D8), Column(0, 0, 24, 0xECE9D8),
                 Column(63, 0, 24, 0xECE9D8), Row(1, 1, 62, 0xDCD6C2), Row(23, 1, 62, 0xFAFAF6),
                 Row(3, 4, 59, 0xD1CCC1), Row(21, 4, 59, 0xF2F1EE), Column(3, 4, 20, 0xD7D4CB),
                 Column(60, 4, 20, 0xE4E3DC)}});
    ExpectRuns(StateBitmap::Disable,
               {Line(1, 0xC9C7BA),
                {Row(0, 0, 63, 0xECE9D8), Row(24, 0, 63, 0xECE9D8), Column(0, 0, 24, 0xECE9D8),
                 Column(63, 0, 24, 0xECE9D8), Row(2, 3, 60, 0xF5F4EA), Row(22, 3, 60, 0xF5F4EA),
                 Column(2, 4, 20, 0xF5F4EA), Column(61, 4, 20, 0xF5F4EA)}});
}

TEST(StateBitmaps, NormalSidesShadeDownFromNearWhiteAndTheRightIsALittleDarker)
{
    const StatePixels p = DrawStateBitmap(StateBitmap::Normal);
    EXPECT_EQ(Show(p.At(2, 4)), "FDFDFC");
    EXPECT_EQ(Show(p.At(3, 20)), "ECEBE6");
    for (int y = 5; y <= 20; ++y) {
        EXPECT_LE(p.At(2, y).r, p.At(2, y - 1).r) << y;
        EXPECT_LT(p.At(61, y).r, p.At(2, y).r) << y;
    }
}

TEST(StateBitmaps, TheFrameLinesCornersAreRoundedAndBlended)
{
    for (int i = 0; i < kStateBitmapCount; ++i) {
        const StateBitmap which = static_cast<StateBitmap>(i);
        SCOPED_TRACE(Name(which));
        const BandLook look = LookOf(which);
        const StatePixels p = DrawStateBitmap(look);
        const int f = static_cast<int>(look.outside.size());   // inset of the frame line
        const int corners[4][3] = {{f, f, -1}, {63 - f, f, -1}, {f, 24 - f, 1}, {63 - f, 24 - f, 1}};
        for (const auto& c : corners) {
            // Strictly between the line and the pixel outside it, in red and blue.
            const Rgb corner = p.At(c[0], c[1]);
            const Rgb outside = p.At(c[0], c[1] + c[2]);
            EXPECT_NE(corner, look.frame);
            EXPECT_NE(corner, outside);
            EXPECT_LE(corner.r, std::max(look.frame.r, outside.r));
            EXPECT_GE(corner.r, std::min(look.frame.r, outside.r));
            EXPECT_LE(corner.b, std::max(look.frame.b, outside.b));
            EXPECT_GE(corner.b, std::min(look.frame.b, outside.b));
        }
        // The pixel diagonally inside a corner leans towards the line.
        EXPECT_NE(p.At(f + 1, f + 1), p.At(f + 2, f + 1));
    }
}

}  // namespace
