// The pictures a run hands to the renderer: the 24-bit file layout and the spirit picture.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "bitmap_file.h"
#include "byte_order.h"
#include "spirit_picture.h"

namespace {

using glowmere::Bitmap24;

TEST(BitmapFile, WritesAnUncompressed24BitFileWithPaddedBottomUpRows)
{
    Bitmap24 picture = Bitmap24::Black(5, 3);   // 15 bytes of pixels per row, 1 byte of padding
    picture.SetPixel(0, 0, 0x11, 0x22, 0x33);   // top-left
    picture.SetPixel(4, 2, 0x44, 0x55, 0x66);   // bottom-right
    picture.bits.resize(32);                    // the top row missing: written black
    const std::vector<uint8_t> file = glowmere::EncodeBmp24(picture);
    ASSERT_EQ(file.size(), 54u + 3 * 16);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 2), "BM");
    // File size, pixel offset, header size, width, height (bottom-up), planes and bits,
    // BI_RGB, image size, 96 dpi.
    const std::vector<uint32_t> fields = {102, 54, 40, 5, 3, 1 | 24 << 16, 0, 48, 3780, 3780};
    for (size_t i = 0; i < fields.size(); ++i)
        EXPECT_EQ(glowmere::ReadLe32(file.data() + (i < 1 ? 2 : 6 + 4 * i)), fields[i]) << "field " << i;
    // The first stored row is the bottom one, in blue, green, red order.
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 66, file.begin() + 73), (std::vector<uint8_t>{0x66, 0x55, 0x44, 0, 0, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 86, file.end()), std::vector<uint8_t>(16, 0));
}

TEST(SpiritPicture, IsABlueWhiteGlowWithRaysAroundAWhitePointAndBlackAtItsEdges)
{
    const Bitmap24 picture = glowmere::MakeSpiritPicture();
    ASSERT_EQ(picture.width * 1000 + picture.height, 128128);
    const auto at = [&](int x, int y) {   // red, green, blue, from the top
        const uint8_t* p = &picture.bits[Bitmap24::Stride(128) * (127 - y) + x * 3];
        return std::array<int, 3>{p[2], p[1], p[0]};
    };
    const auto sum = [](std::array<int, 3> c) { return c[0] + c[1] + c[2]; };
    EXPECT_EQ(sum(at(63, 63)) + sum(at(64, 64)), 6 * 255);
    for (int i = 0; i < 128; ++i)
        EXPECT_EQ(sum(at(i, 0)) + sum(at(i, 127)) + sum(at(0, i)) + sum(at(127, i)), 0) << i;
    int previous = 3 * 255 + 1;
    for (int radius = 4; radius < 60; radius += 8) {
        const auto glow = at(64 + radius * 3 / 10, 64 + radius * 95 / 100);
        EXPECT_TRUE(glow[2] >= glow[0] && glow[2] >= glow[1]) << radius;
        const int ray = sum(at(64 + radius, 64));
        EXPECT_GT(ray, sum(at(64 + int(radius * std::cos(0.4)), 64 + int(radius * std::sin(0.4))))) << radius;
        EXPECT_LT(ray, previous) << radius;
        previous = ray;
    }
}

}  // namespace
