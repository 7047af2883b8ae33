// The six state bitmaps: the colours of their frame lines, rims and outsides as the
// band table binds them, and the rounded corners of the frame line.
#include <gtest/gtest.h>

#include <string>

#include "state_bitmaps.h"

namespace {

using namespace glowmere::button;

std::string Show(Rgb c)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", c.r, c.g, c.b);
    return text;
}

// Every pixel of row y from x0 to x1 (inclusive) is `colour`.
void ExpectRow(const StatePixels& p, int y, int x0, int x1, uint32_t colour)
{
    for (int x = x0; x <= x1; ++x)
        ASSERT_EQ(Show(p.At(x, y)), Show(Hex(colour))) << "x " << x << " y " << y;
}

void ExpectColumn(const StatePixels& p, int x, int y0, int y1, uint32_t colour)
{
    for (int y = y0; y <= y1; ++y)
        ASSERT_EQ(Show(p.At(x, y)), Show(Hex(colour))) << "x " << x << " y " << y;
}

// The frame line as a rectangle at inset `i`, away from its corner pixels.
void ExpectFrameLine(const StatePixels& p, int i, uint32_t colour)
{
    ExpectRow(p, i, i + 1, 62 - i, colour);
    ExpectRow(p, 24 - i, i + 1, 62 - i, colour);
    ExpectColumn(p, i, i + 1, 23 - i, colour);
    ExpectColumn(p, 63 - i, i + 1, 23 - i, colour);
}

bool Between(int v, int a, int b) { return (v > a && v < b) || (v > b && v < a); }

// A rounded corner: strictly between the line and what lies outside it, in every
// channel that differs.
void ExpectBlendedCorner(Rgb corner, Rgb line, Rgb outside)
{
    EXPECT_NE(corner, line);
    EXPECT_NE(corner, outside);
    if (line.r != outside.r) {
        EXPECT_TRUE(Between(corner.r, line.r, outside.r)) << Show(corner);
    }
    if (line.b != outside.b) {
        EXPECT_TRUE(Between(corner.b, line.b, outside.b)) << Show(corner);
    }
}

void ExpectRestingOutside(const StatePixels& p)
{
    ExpectRow(p, 0, 0, 63, 0xDCD6C2);
    ExpectRow(p, 24, 0, 63, 0xFAFAF6);
    ExpectColumn(p, 0, 1, 23, 0xE2DECB);
    ExpectColumn(p, 63, 1, 23, 0xF0EEE0);
}

TEST(StateBitmaps, NormalHasTheBlueLineANearWhiteRimAndTheRestingOutside)
{
    const StatePixels p = DrawStateBitmap(StateBitmap::Normal);
    ExpectFrameLine(p, 1, 0x003C74);
    ExpectRestingOutside(p);
    ExpectRow(p, 2, 3, 60, 0xF3F3EE);
    ExpectRow(p, 3, 2, 61, 0xF3F3EE);
    ExpectRow(p, 21, 2, 61, 0xE2DFD6);
    ExpectRow(p, 22, 3, 60, 0xD6D0C5);
    // The sides shade from near white down to #ECEBE6; the right side a little darker.
    EXPECT_EQ(Show(p.At(2, 4)), "FDFDFC");
    EXPECT_EQ(Show(p.At(3, 20)), "ECEBE6");
    for (int y = 4; y <= 20; ++y) {
        EXPECT_LT(p.At(61, y).r, p.At(2, y).r) << y;
        EXPECT_GE(p.At(2, y).r, 0xEC) << y;
        if (y > 4) {
            EXPECT_LE(p.At(2, y).r, p.At(2, y - 1).r) << y;
        }
    }
}

TEST(StateBitmaps, HighLightHasTheOrangeRimAndHighLightSelectTheSamePixels)
{
    const StatePixels p = DrawStateBitmap(StateBitmap::HighLight);
    ExpectFrameLine(p, 1, 0x003C74);
    ExpectRestingOutside(p);
    ExpectRow(p, 2, 3, 60, 0xFFF0CF);
    ExpectRow(p, 3, 2, 61, 0xFDD889);
    ExpectRow(p, 21, 2, 61, 0xF8B330);
    ExpectRow(p, 22, 3, 60, 0xE59700);
    for (int x : {2, 3, 60, 61}) {
        EXPECT_EQ(Show(p.At(x, 4)), "FEDF9A") << x;
        EXPECT_EQ(Show(p.At(x, 20)), "F9B435") << x;
    }
    EXPECT_TRUE(DrawStateBitmap(StateBitmap::HighLightSelect).pixels == p.pixels);
}

TEST(StateBitmaps, SelectedHasTheBlueRim)
{
    const StatePixels p = DrawStateBitmap(StateBitmap::Selected);
    ExpectFrameLine(p, 1, 0x003C74);
    ExpectRestingOutside(p);
    ExpectRow(p, 2, 3, 60, 0xCEE7FF);
    ExpectRow(p, 3, 2, 61, 0xCEE7FF);
    ExpectRow(p, 21, 2, 61, 0x6982EE);
    ExpectRow(p, 22, 3, 60, 0x6982EE);
    for (int x : {2, 3, 60, 61}) {
        EXPECT_EQ(Show(p.At(x, 4)), "B7D0F4") << x;
        EXPECT_EQ(Show(p.At(x, 20)), "8BADE4") << x;
    }
}

TEST(StateBitmaps, PressedIsSunkByOnePixel)
{
    const StatePixels p = DrawStateBitmap(StateBitmap::Pressed);
    ExpectFrameLine(p, 2, 0x003C74);
    ExpectRow(p, 0, 0, 63, 0xECE9D8);
    ExpectRow(p, 24, 0, 63, 0xECE9D8);
    ExpectColumn(p, 0, 0, 24, 0xECE9D8);
    ExpectColumn(p, 63, 0, 24, 0xECE9D8);
    ExpectRow(p, 1, 1, 62, 0xDCD6C2);
    ExpectRow(p, 23, 1, 62, 0xFAFAF6);
    ExpectRow(p, 3, 4, 59, 0xD1CCC1);
    ExpectRow(p, 21, 4, 59, 0xF2F1EE);
    ExpectColumn(p, 3, 4, 20, 0xD7D4CB);
    ExpectColumn(p, 60, 4, 20, 0xE4E3DC);
}

TEST(StateBitmaps, DisableHasAGreyLineOnAFlatBand)
{
    const StatePixels p = DrawStateBitmap(StateBitmap::Disable);
    ExpectFrameLine(p, 1, 0xC9C7BA);
    ExpectRow(p, 0, 0, 63, 0xECE9D8);
    ExpectRow(p, 24, 0, 63, 0xECE9D8);
    ExpectColumn(p, 0, 0, 24, 0xECE9D8);
    ExpectColumn(p, 63, 0, 24, 0xECE9D8);
    for (int y : {2, 3, 21, 22})
        ExpectRow(p, y, 3, 60, 0xF5F4EA);
    for (int x : {2, 3, 60, 61})
        ExpectColumn(p, x, 4, 20, 0xF5F4EA);
}

TEST(StateBitmaps, TheFrameLinesCornersAreRoundedAndBlended)
{
    for (int i = 0; i < kStateBitmapCount; ++i) {
        const StateBitmap which = static_cast<StateBitmap>(i);
        SCOPED_TRACE(Name(which));
        const BandLook look = LookOf(which);
        const StatePixels p = DrawStateBitmap(look);
        const int f = static_cast<int>(look.outside.size());   // inset of the frame line
        const Rgb corners[] = {p.At(f, f), p.At(63 - f, f), p.At(f, 24 - f), p.At(63 - f, 24 - f)};
        const Rgb outside[] = {p.At(f, f - 1), p.At(63 - f, f - 1), p.At(f, 25 - f), p.At(63 - f, 25 - f)};
        for (int c = 0; c < 4; ++c)
            ExpectBlendedCorner(corners[c], look.frame, outside[c]);
        // The pixel diagonally inside a corner leans towards the line.
        EXPECT_NE(p.At(f + 1, f + 1), p.At(f + 2, f + 1));
    }
}

}  // namespace
