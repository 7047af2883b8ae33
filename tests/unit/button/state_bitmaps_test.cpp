// The six state bitmaps: frame line, rims and outside as the band table binds them, and
// the frame line's blended corners.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "state_bitmaps.h"

namespace {

using namespace glowmere::button;

TEST(StateBitmaps, TheBandsHaveTheTablesColoursAndTheFramesCornersAreBlended)
{
    const struct {
        StateBitmap which;
        int inset;   // of the frame line
        uint32_t frame, rimTop, rimBottom, outsideTop;
    } cases[] = {
        {StateBitmap::Normal, 1, 0x003C74, 0xF3F3EE, 0xD6D0C5, 0xDCD6C2},
        {StateBitmap::HighLight, 1, 0x003C74, 0xFFF0CF, 0xE59700, 0xDCD6C2},
        {StateBitmap::HighLightSelect, 1, 0x003C74, 0xFFF0CF, 0xE59700, 0xDCD6C2},
        {StateBitmap::Selected, 1, 0x003C74, 0xCEE7FF, 0x6982EE, 0xDCD6C2},
        {StateBitmap::Pressed, 2, 0x003C74, 0xD1CCC1, 0xF2F1EE, 0xECE9D8},
        {StateBitmap::Disable, 1, 0xC9C7BA, 0xF5F4EA, 0xF5F4EA, 0xECE9D8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Name(c.which));
        const StatePixels p = DrawStateBitmap(c.which);
        const int f = c.inset;
        for (int x = f + 2; x <= 61 - f; ++x) {
            EXPECT_EQ(p.At(x, 0), Hex(c.outsideTop)) << x;
            EXPECT_EQ(p.At(x, f), Hex(c.frame)) << x;
            EXPECT_EQ(p.At(x, 24 - f), Hex(c.frame)) << x;
            EXPECT_EQ(p.At(x, f + 1), Hex(c.rimTop)) << x;
            EXPECT_EQ(p.At(x, 23 - f), Hex(c.rimBottom)) << x;
        }
        for (int y = f + 1; y <= 23 - f; ++y)
            EXPECT_TRUE(p.At(f, y) == Hex(c.frame) && p.At(63 - f, y) == Hex(c.frame)) << y;
        // Each corner pixel lies strictly between the line and the pixel outside it.
        const std::array<int, 3> corners[] = {{f, f, -1}, {63 - f, f, -1}, {f, 24 - f, 1}, {63 - f, 24 - f, 1}};
        for (const auto& [x, y, out] : corners) {
            const Rgb corner = p.At(x, y), line = Hex(c.frame), outside = p.At(x, y + out);
            EXPECT_TRUE(corner != line && corner != outside) << x << "," << y;
            EXPECT_TRUE(corner.r >= std::min(line.r, outside.r) && corner.r <= std::max(line.r, outside.r) &&
                        corner.b >= std::min(line.b, outside.b) && corner.b <= std::max(line.b, outside.b));
        }
    }
}

}  // namespace
