#include <gtest/gtest.h>

#include "dialog_logic.h"

namespace {

using namespace glowmere;

TEST(SettingsDialogRepeatBox, OffersAnEmptyItemThenTracksOneToThirty)
{
    EXPECT_EQ(FormatHashHash(0), "");
    EXPECT_EQ(FormatHashHash(7), "7");
    EXPECT_EQ(FormatHashHash(30), "30");
    EXPECT_EQ(FormatHashHash(-4), "-4");
    const std::vector<std::string> items = RepeatListItems();
    ASSERT_EQ(items.size(), 31u);
    EXPECT_EQ(items.front(), "");
    EXPECT_EQ(items[1], "1");
    EXPECT_EQ(items[12], "12");
    EXPECT_EQ(items.back(), "30");
}

TEST(SettingsDialogRepeatBox, TypedTextBecomesATrackNumberOrZero)
{
    EXPECT_EQ(RepeatFromText(""), 0);
    EXPECT_EQ(RepeatFromText("   "), 0);
    EXPECT_EQ(RepeatFromText("abc"), 0);
    EXPECT_EQ(RepeatFromText("12abc"), 0);
    EXPECT_EQ(RepeatFromText("1 2"), 0);
    EXPECT_EQ(RepeatFromText("12"), 12);
    EXPECT_EQ(RepeatFromText(" 7 "), 7);
    EXPECT_EQ(RepeatFromText("-1"), -1);
    EXPECT_EQ(RepeatFromText("1e1"), 10);
    // Halves go to the even neighbour.
    EXPECT_EQ(RepeatFromText("2.5"), 2);
    EXPECT_EQ(RepeatFromText("3.5"), 4);
    EXPECT_EQ(RepeatFromText("-2.5"), -2);
    EXPECT_EQ(RepeatFromText("2.51"), 3);
    // The stored value is 16-bit: anything beyond it is saved as 0 instead of failing.
    EXPECT_EQ(RepeatFromText("32767"), 32767);
    EXPECT_EQ(RepeatFromText("-32768"), -32768);
    EXPECT_EQ(RepeatFromText("32768"), 0);
    EXPECT_EQ(RepeatFromText("32767.5"), 0);
    EXPECT_EQ(RepeatFromText("-40000"), 0);
    EXPECT_EQ(RepeatFromText("1e400"), 0);
}

TEST(SettingsDialogSource, EachSourceEnablesOnlyItsOwnControls)
{
    const SourceControls none = ControlsForSource(0);
    EXPECT_FALSE(none.repeatEnabled);
    EXPECT_FALSE(none.fileButtonEnabled);
    EXPECT_EQ(none.selectedMark, 0);

    const SourceControls cd = ControlsForSource(1);
    EXPECT_TRUE(cd.repeatEnabled);
    EXPECT_FALSE(cd.fileButtonEnabled);
    EXPECT_EQ(cd.selectedMark, 1);

    const SourceControls file = ControlsForSource(2);
    EXPECT_FALSE(file.repeatEnabled);
    EXPECT_TRUE(file.fileButtonEnabled);
    EXPECT_EQ(file.selectedMark, 2);

    for (int unknown : {-1, 3, 7}) {
        const SourceControls other = ControlsForSource(unknown);
        EXPECT_FALSE(other.repeatEnabled);
        EXPECT_FALSE(other.fileButtonEnabled);
        EXPECT_EQ(other.selectedMark, -1);
    }
}

TEST(SettingsDialogPanel, TheTextureIsTiledInTwoColumnsOfTenBands)
{
    const std::vector<TilePosition> tiles = TilePositions(556, 20, 469, 165);
    ASSERT_EQ(tiles.size(), 20u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(tiles[i].x, 0);
        EXPECT_EQ(tiles[i].y, 20 * i);
        EXPECT_EQ(tiles[10 + i].x, 556);
        EXPECT_EQ(tiles[10 + i].y, 20 * i);
    }
    // A zero-sized tile cannot cover anything and must not loop for ever.
    EXPECT_TRUE(TilePositions(0, 20, 469, 165).empty());
}

TEST(SettingsDialogBackground, TheGradientRisesToPaleBlueAtHalfHeightAndFallsBack)
{
    const double height = 246;
    const GradientColour top = GradientRow(0, height);
    EXPECT_EQ(top.r, 0);
    EXPECT_EQ(top.g, 0);
    EXPECT_EQ(top.b, 30);
    const GradientColour middle = GradientRow(123, height);
    EXPECT_EQ(middle.r, 220);
    EXPECT_EQ(middle.g, 220);
    EXPECT_EQ(middle.b, 250);
    const GradientColour bottom = GradientRow(246, height);
    EXPECT_EQ(bottom.r, 0);
    EXPECT_EQ(bottom.b, 30);
    const GradientColour quarter = GradientRow(61, height);   // sin(π/4) × 220 ≈ 155
    EXPECT_NEAR(quarter.r, 155, 1);
}

}  // namespace
