// Where one drawing of the Command button puts things: the eight frame copies, the face
// gradient and the caption.
#include <gtest/gtest.h>

#include <vector>

#include "command.h"

namespace {

using namespace glowmere::button;

std::vector<PixelRect> Destinations(int32_t width, int32_t height)
{
    std::vector<PixelRect> out;
    for (const FrameCopy& copy : FrameCopies(width, height))
        out.push_back(ToPixels(copy.destination));
    return out;
}

TEST(CommandGeometry, AnEightyOnePixelButtonStretchesTheFiftySixPixelMiddleToSeventyThree)
{
    // 1215 x 375 twips = 81 x 25 pixels, as the dialog's OK and Cancel buttons.
    const auto copies = FrameCopies(1215, 375);
    EXPECT_EQ(copies[1].destination, (TwipRect{60, 1, 1095, 60}));
    EXPECT_EQ(copies[2].destination, (TwipRect{1155, 1, 60, 60}));
    EXPECT_EQ(copies[4].destination, (TwipRect{1155, 315, 60, 60}));
    EXPECT_EQ(copies[5].destination, (TwipRect{60, 315, 1095, 60}));
    EXPECT_EQ(Destinations(1215, 375), (std::vector<PixelRect>{
                                           {0, 0, 4, 4},     // top-left corner
                                           {4, 0, 73, 4},    // top edge
                                           {77, 0, 4, 4},    // top-right corner
                                           {77, 4, 4, 17},   // right edge
                                           {77, 21, 4, 4},   // bottom-right corner
                                           {4, 21, 73, 4},   // bottom edge
                                           {0, 21, 4, 4},    // bottom-left corner
                                           {0, 4, 4, 17},    // left edge
                                       }));

    // Only the bitmap's outer 4-pixel bands are copied; its centre never is.
    for (const FrameCopy& copy : copies) {
        const PixelRect s = ToPixels(copy.source);
        EXPECT_FALSE(s.x >= 4 && s.x + s.width <= 60 && s.y >= 4 && s.y + s.height <= 21);
        EXPECT_TRUE(s.width == 4 || s.height == 4);
        EXPECT_LE(s.x + s.width, 64);
        EXPECT_LE(s.y + s.height, 25);
    }
}

TEST(CommandGeometry, ATwentyFivePixelHighButtonCopiesItsSideBandsOneToOne)
{
    const auto copies = FrameCopies(1755, 375);
    for (int side : {3, 7}) {
        EXPECT_EQ(copies[side].destination.height, 255);
        EXPECT_EQ(copies[side].source.height, 255);
    }
    // A 28-pixel button (420 twips) stretches them to 20.
    EXPECT_EQ(ToPixels(FrameCopies(1755, 420)[3].destination).height, 20);
}

TEST(CommandGeometry, VeryWideAndTinyButtonsGetWhatFramesTheyCan)
{
    // 2400 x 25 pixels: W - 60 = 35940 twips, beyond a 16-bit value, still a whole frame.
    const auto wide = Destinations(36000, 375);
    EXPECT_EQ(wide[1], (PixelRect{4, 0, 2392, 4}));
    EXPECT_EQ(wide[2], (PixelRect{2396, 0, 4, 4}));
    EXPECT_EQ(wide[4], (PixelRect{2396, 21, 4, 4}));

    // 6 x 6 pixels: the stretched edges would be -2 pixels and are left out.
    const auto tiny = FrameCopies(90, 90);
    for (int piece = 0; piece < 8; ++piece)
        EXPECT_EQ(tiny[piece].Drawn(), piece % 2 == 0) << piece;
}

TEST(CommandGeometry, TheCaptionSitsTenTwipsAboveTheMiddle)
{
    EXPECT_EQ(CaptionTop(375), 80.0);
    EXPECT_EQ(CaptionTop(420), 102.5);
    const DrawPlan plan = PlanDrawing(StateBitmap::Normal, false, 1215, 375);
    EXPECT_EQ(plan.caption.top, 80.0);
    EXPECT_EQ(plan.caption.left, 0);
    EXPECT_EQ(plan.caption.width, 1215);
    EXPECT_EQ(plan.caption.height, 195);
}

TEST(CommandFace, TheColoursAreReadLeftToRightAsRedGreenBlueWithZeroBytesAppended)
{
    EXPECT_EQ(ParseFaceColour("&HC6C5D7"), (FaceColour{0xC600, 0xC500, 0xD700, 0}));
    EXPECT_EQ(ParseFaceColour("&h0a0B0c"), (FaceColour{0x0A00, 0x0B00, 0x0C00, 0}));
    for (const char* bad : {"", "&H", "&HC6C5D", "&HC6C5D7F", "#C6C5D7", "&HC6C5G7"})
        EXPECT_FALSE(ParseFaceColour(bad).has_value()) << bad;
}

TEST(CommandFace, ThePlainFaceRunsWhiteToLilacAndTheHotFaceTheOtherWay)
{
    const FaceColour white{0xFF00, 0xFF00, 0xFF00, 0};
    const FaceColour lilac{0xC600, 0xC500, 0xD700, 0};
    const FaceGradient plain = FillFace(81, 25, false);
    // The last column and row are left to the frame.
    EXPECT_EQ((std::vector<int>{plain.vertices[0].x, plain.vertices[0].y, plain.vertices[1].x, plain.vertices[1].y}),
              (std::vector<int>{0, 0, 80, 24}));
    EXPECT_EQ(plain.vertices[0].colour, white);
    EXPECT_EQ(plain.vertices[1].colour, lilac);
    EXPECT_EQ(plain.mesh.upperLeft, 1u);
    EXPECT_EQ(plain.mesh.lowerRight, 0u);

    const FaceGradient hot = FillFace(81, 25, true);
    EXPECT_EQ(hot.vertices[0].colour, lilac);
    EXPECT_EQ(hot.vertices[1].colour, white);

    // A drawing sets the face up in pixels from the button's twips.
    const DrawPlan plan = PlanDrawing(StateBitmap::HighLight, true, 1755, 420);
    EXPECT_EQ(plan.face.vertices[1].x, 116);
    EXPECT_EQ(plan.face.vertices[1].y, 27);
    EXPECT_EQ(plan.face.vertices[0].colour, lilac);
}

}  // namespace
