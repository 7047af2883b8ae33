#include <gtest/gtest.h>

#include "preview_layout.h"

namespace {

using glowmere::LayoutPreview;

TEST(PreviewLayout, TheUsualHostIsCoveredByTheWholePicture)
{
    const auto layout = LayoutPreview(152, 112, 96, 96);
    EXPECT_EQ(layout.widthTwips, 2280);
    EXPECT_EQ(layout.heightTwips, 1680);
    EXPECT_EQ(layout.width, 152);
    EXPECT_EQ(layout.height, 112);
    EXPECT_EQ(layout.pictureWidth, 152);
    EXPECT_EQ(layout.pictureHeight, 112);
}

TEST(PreviewLayout, ThePictureKeepsItsSizeInALargerHostAndIsCutInASmallerOne)
{
    const auto large = LayoutPreview(300, 200, 96, 96);
    EXPECT_EQ(large.width, 300);
    EXPECT_EQ(large.height, 200);
    EXPECT_EQ(large.pictureWidth, 152);
    EXPECT_EQ(large.pictureHeight, 112);

    const auto small = LayoutPreview(100, 60, 96, 96);
    EXPECT_EQ(small.width, 100);
    EXPECT_EQ(small.height, 60);
    EXPECT_EQ(small.pictureWidth, 100);
    EXPECT_EQ(small.pictureHeight, 60);
}

TEST(PreviewLayout, SizesBeyondSixteenBitsOfTwipsBecomeZero)
{
    const auto wide = LayoutPreview(2184, 112, 96, 96);   // 32,760 twips: still fits
    EXPECT_EQ(wide.widthTwips, 32760);
    EXPECT_EQ(wide.width, 2184);
    const auto tooWide = LayoutPreview(2185, 112, 96, 96);
    EXPECT_EQ(tooWide.widthTwips, 0);
    EXPECT_EQ(tooWide.width, 0);
    EXPECT_EQ(tooWide.pictureWidth, 0);
    EXPECT_EQ(tooWide.height, 112);   // the other direction is unaffected
    const auto tooTall = LayoutPreview(152, 5000, 96, 96);
    EXPECT_EQ(tooTall.height, 0);
    EXPECT_EQ(tooTall.width, 152);
}

TEST(PreviewLayout, OtherDisplayDensitiesRoundThroughTwips)
{
    // 120 dpi: 12 twips per pixel, exact.
    const auto at120 = LayoutPreview(152, 112, 120, 120);
    EXPECT_EQ(at120.widthTwips, 1824);
    EXPECT_EQ(at120.width, 152);
    // 100 dpi: 14.4 twips per pixel; 7 px = 100.8 → 101 twips → 7.01 px → 7.
    const auto at100 = LayoutPreview(7, 3, 100, 100);
    EXPECT_EQ(at100.widthTwips, 101);
    EXPECT_EQ(at100.heightTwips, 43);
    EXPECT_EQ(at100.width, 7);
    EXPECT_EQ(at100.height, 3);
    // 144 dpi reaches the 16-bit limit later: 3,276 px fit.
    EXPECT_EQ(LayoutPreview(3276, 1, 144, 144).width, 3276);
    // An unknown density counts as 96 dpi.
    EXPECT_EQ(LayoutPreview(152, 112, 0, -5).widthTwips, 2280);
}

TEST(PreviewLayout, AFailedHostRectangleGivesAnEmptyForm)
{
    const auto empty = LayoutPreview(0, 0, 96, 96);
    EXPECT_EQ(empty.width, 0);
    EXPECT_EQ(empty.height, 0);
    const auto negative = LayoutPreview(-10, -10, 96, 96);
    EXPECT_EQ(negative.width, 0);   // -150 twips, and no negative size in pixels
    EXPECT_EQ(negative.pictureHeight, 0);
}

}  // namespace
