// One drawing of the Command button: the eight frame copies, the face and the caption.
#include <gtest/gtest.h>

#include <vector>

#include "command.h"

namespace {

using namespace glowmere::button;
using Rects = std::vector<PixelRect>;

Rects Destinations(int32_t width, int32_t height)
{
    Rects out;
    for (const FrameCopy& copy : FrameCopies(width, height))
        out.push_back(ToPixels(copy.destination));
    return out;
}

TEST(CommandGeometry, TheBitmapsOuterBandsFrameTheButtonInThirtyTwoBits)
{
    // 81 × 25 pixels (1215 × 375 twips), as OK and Cancel: the 56-pixel middle stretched to 73.
    EXPECT_EQ(Destinations(1215, 375), (Rects{{0, 0, 4, 4}, {4, 0, 73, 4}, {77, 0, 4, 4}, {77, 4, 4, 17},
                                              {77, 21, 4, 4}, {4, 21, 73, 4}, {0, 21, 4, 4}, {0, 4, 4, 17}}));
    for (const FrameCopy& copy : FrameCopies(1215, 375)) {   // the bitmap's centre is never copied
        const PixelRect s = ToPixels(copy.source);
        EXPECT_TRUE((s.width == 4 || s.height == 4) && s.x + s.width <= 64 && s.y + s.height <= 25);
    }
    // 28 pixels high: the 17-pixel sides stretched to 20.
    EXPECT_EQ(Destinations(1755, 420)[3], (PixelRect{113, 4, 4, 20}));
    // 2400 pixels wide: 35940 twips, beyond 16 bits, still a whole frame.
    const Rects wide = Destinations(36000, 375);
    EXPECT_EQ(Rects(wide.begin() + 1, wide.begin() + 5),
              (Rects{{4, 0, 2392, 4}, {2396, 0, 4, 4}, {2396, 4, 4, 17}, {2396, 21, 4, 4}}));
    // 6 × 6 pixels: the stretched pieces would be -2 pixels and are left out.
    const auto tiny = FrameCopies(90, 90);
    for (int piece = 0; piece < 8; ++piece)
        EXPECT_EQ(tiny[piece].Drawn(), piece % 2 == 0) << piece;
}

TEST(CommandGeometry, TheFaceRunsWhiteToLilacOrBackAndTheCaptionSitsTenTwipsAboveTheMiddle)
{
    EXPECT_EQ(ParseFaceColour("&HC6C5D7"), (FaceColour{0xC600, 0xC500, 0xD700, 0}));
    EXPECT_EQ(ParseFaceColour("&h0a0B0c"), (FaceColour{0x0A00, 0x0B00, 0x0C00, 0}));
    for (const char* bad : {"&HC6C5D", "&HC6C5D7F", "#HC6C5D7", "&XC6C5D7", "&HC6C5G7"})
        EXPECT_FALSE(ParseFaceColour(bad).has_value()) << bad;

    const FaceColour white{0xFF00, 0xFF00, 0xFF00, 0}, lilac{0xC600, 0xC500, 0xD700, 0};
    for (bool hot : {false, true}) {
        const DrawPlan plan = PlanDrawing(StateBitmap::HighLight, hot, 1755, 420);
        const GradientVertex* v = plan.face.vertices.data();   // the last column and row are the frame's
        EXPECT_EQ((std::vector<int>{v[0].x, v[0].y, v[1].x, v[1].y}), (std::vector<int>{0, 0, 116, 27}));
        EXPECT_EQ(v[0].colour, hot ? lilac : white);
        EXPECT_EQ(v[1].colour, hot ? white : lilac);
        EXPECT_EQ(plan.face.mesh.upperLeft + 2 * plan.face.mesh.lowerRight, 1u);
        EXPECT_EQ(plan.caption.top, 102.5);
    }
    const CaptionPlacement caption = PlanDrawing(StateBitmap::Normal, false, 1215, 375).caption;
    EXPECT_EQ((std::vector<double>{caption.top, double(caption.left), double(caption.width), double(caption.height)}),
              (std::vector<double>{80, 0, 1215, 195}));
}

}  // namespace
