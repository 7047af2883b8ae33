#include <gtest/gtest.h>

#include "texture_upload.h"

namespace {

using namespace glowmere::renderer;
using Way = TextureUpload;

DibLayout Picture(int32_t width, int32_t rows, uint16_t bits = 24, uint32_t compression = kBiRgb, bool topDown = false)
{
    DibLayout layout;
    layout.width = width;
    layout.rows = rows;
    layout.header.bitCount = bits;
    layout.header.compression = compression;
    layout.topDown = topDown;
    return layout;
}

TEST(TextureUpload, PicturesGoUpAtTheirOwnSizeWhereTheGlTakesAnySizeAndStraightFromFilesItReads)
{
    const struct { GlTextureLimits gl; DibLayout picture; Way expected; } cases[] = {
        {{"10.0 Mesa", nullptr, 4096}, Picture(4096, 4096), Way::FileRows},
        {{"2.0", "", 4096}, Picture(4097, 600), Way::Mipmaps},
        {{"2.0", "", 4096}, Picture(1000, 4097), Way::Mipmaps},
        {{"1.9.2", "GL_EXT_bgra GL_ARB_multitexture", 16384}, Picture(1000, 600), Way::Mipmaps},
        {{nullptr, nullptr, 16384}, Picture(1000, 600), Way::Mipmaps},
        {{"1.4", "GL_ARB_texture_non_power_of_two_x xGL_ARB_texture_non_power_of_two", 16384}, Picture(1000, 600),
         Way::Mipmaps},
        // The file's own rows: 24-bit, uncompressed, bottom up, blue first (GL 1.2 or its extension).
        {{"2.1", "", 16384}, Picture(640, 480, 32), Way::BaseLevel},
        {{"2.1", "", 16384}, Picture(640, 480, 24, kBiBitfields), Way::BaseLevel},
        {{"2.1", "", 16384}, Picture(640, 480, 24, kBiRgb, true), Way::BaseLevel},
        {{"1.1", "GL_ARB_texture_non_power_of_two", 16384}, Picture(640, 480), Way::BaseLevel},
        {{"1.2", "GL_A GL_ARB_texture_non_power_of_two GL_B", 16384}, Picture(640, 480), Way::FileRows},
        {{"1.1", "GL_ARB_texture_non_power_of_two GL_EXT_bgra", 16384}, Picture(640, 480), Way::FileRows},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseTextureUpload(c.gl, c.picture), c.expected) << "case " << &c - cases;
}

}  // namespace
