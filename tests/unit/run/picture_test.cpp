#include <gtest/gtest.h>

#include <cmath>

#include "bitmap_file.h"
#include "byte_order.h"
#include "spirit_picture.h"

namespace {

using glowmere::Bitmap24;

uint32_t Read32(const std::vector<uint8_t>& f, size_t at) { return glowmere::ReadLe32(f.data() + at); }

TEST(BitmapFile, WritesAnUncompressed24BitFileWithPaddedBottomUpRows)
{
    Bitmap24 picture = Bitmap24::Black(5, 2);   // 15 bytes of pixels per row, 1 byte of padding
    picture.SetPixel(0, 0, 0x11, 0x22, 0x33);   // top-left
    picture.SetPixel(4, 1, 0x44, 0x55, 0x66);   // bottom-right
    const std::vector<uint8_t> file = glowmere::EncodeBmp24(picture);

    ASSERT_EQ(file.size(), 54u + 2 * 16);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    // File size, pixel offset, header size, width, height (positive: bottom-up), planes
    // and bits, BI_RGB, image size.
    const std::pair<size_t, uint32_t> fields[] = {{2, 86}, {10, 54}, {14, 40}, {18, 5},
                                                  {22, 2}, {26, 1 | 24 << 16}, {30, 0}, {34, 32}};
    for (const auto& [at, value] : fields)
        EXPECT_EQ(Read32(file, at), value) << "at " << at;

    // The first stored row is the bottom one, in blue, green, red order.
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 54 + 12, file.begin() + 54 + 19),
              (std::vector<uint8_t>{0x66, 0x55, 0x44, 0, 0x33, 0x22, 0x11}));
}

TEST(BitmapFile, AShortPixelBufferIsWrittenAsACompleteFile)
{
    Bitmap24 picture;
    picture.width = 4;
    picture.height = 3;
    picture.bits.assign(12, 0xAB);   // one row of three
    const std::vector<uint8_t> file = glowmere::EncodeBmp24(picture);
    ASSERT_EQ(file.size(), 54u + 36);
    EXPECT_EQ(file[54], 0xAB);
    EXPECT_EQ(file[54 + 12], 0);
}

class SpiritPicture : public ::testing::Test {
protected:
    Bitmap24 picture = glowmere::MakeSpiritPicture();
    struct Rgb {
        int r, g, b;
    };
    Rgb At(int x, int y) const
    {
        const uint8_t* p = &picture.bits[Bitmap24::Stride(picture.width) * (picture.height - 1 - y) + x * 3];
        return {p[2], p[1], p[0]};
    }
};

TEST_F(SpiritPicture, IsAWhitePointOnBlackWithBlackEdges)
{
    ASSERT_EQ(picture.width, 128);
    ASSERT_EQ(picture.height, 128);
    for (int x : {63, 64})
        for (int y : {63, 64}) {
            const Rgb p = At(x, y);
            EXPECT_EQ(p.r + p.g + p.b, 3 * 255) << x << "," << y;
        }
    for (int i = 0; i < 128; ++i) {
        for (const Rgb p : {At(i, 0), At(i, 127), At(0, i), At(127, i)})
            EXPECT_EQ(p.r + p.g + p.b, 0) << i;
    }
}

TEST_F(SpiritPicture, GlowsBlueWhiteWithRaysAndFadesOutwards)
{
    int previous = 3 * 255 + 1;
    for (int radius = 4; radius < 60; radius += 8) {
        // Blue-white: blue is never weaker than red or green.
        const Rgb offAxis = At(64 + radius * 3 / 10, 64 + radius * 95 / 100);
        EXPECT_GE(offAxis.b, offAxis.r) << radius;
        EXPECT_GE(offAxis.b, offAxis.g) << radius;
        // A ray runs along each axis: brighter than the glow beside it at the same distance.
        const Rgb ray = At(64 + radius, 64);
        const Rgb beside = At(64 + static_cast<int>(radius * std::cos(0.4)), 64 + static_cast<int>(radius * std::sin(0.4)));
        EXPECT_GT(ray.r + ray.g + ray.b, beside.r + beside.g + beside.b) << radius;
        // Dimmer with every step away from the centre.
        EXPECT_LT(ray.r + ray.g + ray.b, previous) << radius;
        previous = ray.r + ray.g + ray.b;
    }
}

}  // namespace
