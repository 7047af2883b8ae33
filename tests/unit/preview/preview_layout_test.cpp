// The preview's size: the host's through 16-bit twips, and the picture cut to it.
#include <gtest/gtest.h>

#include <vector>

#include "preview_layout.h"

namespace {

TEST(PreviewLayout, TheFormCoversTheHostThroughSixteenBitTwipsAndThePictureIsCutToIt)
{
    const struct {
        const char* what;
        int hostWidth, hostHeight, dpiX, dpiY;
        std::vector<int> expected;   // twips across and down, pixels across and down, picture size
    } cases[] = {
        {"the usual host", 152, 112, 96, 96, {2280, 1680, 152, 112, 152, 112}},
        {"a larger host keeps the picture's size", 300, 200, 96, 96, {4500, 3000, 300, 200, 152, 112}},
        {"a smaller host cuts the picture", 100, 60, 96, 96, {1500, 900, 100, 60, 100, 60}},
        {"32,760 twips still fit", 2184, 112, 96, 96, {32760, 1680, 2184, 112, 152, 112}},
        {"too wide for 16 bits", 2185, 5000, 96, 96, {0, 0, 0, 0, 0, 0}},
        {"120 dpi: 12 twips a pixel", 152, 112, 120, 120, {1824, 1344, 152, 112, 152, 112}},
        {"100 dpi rounds through twips", 7, 3, 100, 100, {101, 43, 7, 3, 7, 3}},   // 100.8 → 101 → 7.01 → 7
        {"an unknown density counts as 96 dpi", 152, 112, 0, -5, {2280, 1680, 152, 112, 152, 112}},
        {"no negative size in pixels", -10, -10, 96, 96, {-150, -150, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        const auto l = glowmere::LayoutPreview(c.hostWidth, c.hostHeight, c.dpiX, c.dpiY);
        EXPECT_EQ((std::vector<int>{l.widthTwips, l.heightTwips, l.width, l.height, l.pictureWidth, l.pictureHeight}),
                  c.expected) << c.what;
    }
}

}  // namespace
