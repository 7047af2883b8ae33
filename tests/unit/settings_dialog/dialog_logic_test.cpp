// The settings dialog's decisions: the repeat box, the controls of each source, the panel
// texture's tiles, the background, the placement, the source a press picks, what saving
// writes and what a chosen file changes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../settings/fake_settings_platform.h"
#include "dialog_logic.h"
#include "settings_values.h"

namespace {

using namespace glowmere;

TEST(SettingsDialog, TheRepeatBoxOffersAnEmptyItemThenTracksOneToThirty)
{
    EXPECT_EQ(FormatHashHash(0) + "|" + FormatHashHash(7) + "|" + FormatHashHash(-4), "|7|-4");
    const std::vector<std::string> items = RepeatListItems();
    ASSERT_EQ(items.size(), 31u);
    EXPECT_EQ(items[0] + "|" + items[1] + "|" + items[12] + "|" + items[30], "|1|12|30");
}

TEST(SettingsDialog, EachSourceEnablesOnlyItsOwnControlsAndAPressOnAMarkOrLabelPicksIt)
{
    const struct {
        int kind;
        bool repeat, fileButton;
        int mark;
    } sources[] = {{0, false, false, 0}, {1, true, false, 1}, {2, false, true, 2}, {-1, false, false, -1},
                   {3, false, false, -1}};
    for (const auto& c : sources) {
        const SourceControls controls = ControlsForSource(c.kind);
        EXPECT_EQ(controls.repeatEnabled, c.repeat) << c.kind;
        EXPECT_EQ(controls.fileButtonEnabled, c.fileButton) << c.kind;
        EXPECT_EQ(controls.selectedMark, c.mark) << c.kind;
    }
    // Marks and labels at their corners: none (row 76), CD (row 56), file (row 96); then
    // the gap between mark and label, below a row, past a label's end, the heading, the
    // repeat box, the file button.
    const int presses[][3] = {{28, 76, 0},  {40, 88, 0},  {65, 80, 0},   {28, 56, 1},   {86, 68, 1},  {30, 100, 2},
                              {103, 96, 2}, {42, 60, -1}, {30, 69, -1},  {66, 80, -1},  {87, 60, -1}, {104, 100, -1},
                              {30, 30, -1}, {120, 60, -1}, {30, 115, -1}, {-1, -1, -1}};
    for (const auto& [x, y, source] : presses)
        EXPECT_EQ(SourceAt(x, y), source) << x << "," << y;
}

TEST(SettingsDialog, TilesGradientAndPlacementFollowTheirArithmetic)
{
    const std::vector<TilePosition> tiles = TilePositions(556, 20, 469, 165);   // two columns of ten
    ASSERT_EQ(tiles.size(), 20u);
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(tiles[i].x == 556 * (i / 10) && tiles[i].y == 20 * (i % 10)) << i;
    EXPECT_TRUE(TilePositions(0, 20, 469, 165).empty()) << "a zero-sized tile must not loop for ever";

    const auto rgb = [](int y) {
        const GradientColour c = GradientRow(y, 246);
        return std::vector<int>{c.r, c.g, c.b};
    };
    EXPECT_EQ(rgb(0), (std::vector<int>{0, 0, 30}));
    EXPECT_EQ(rgb(61), (std::vector<int>{155, 155, 185}));   // sin(π/4) × 220
    EXPECT_EQ(rgb(123), (std::vector<int>{220, 220, 250}));
    EXPECT_EQ(rgb(246), (std::vector<int>{0, 0, 30}));

    // Centred across, a third of the free height down; larger than the screen: truncated toward 0.
    const ScreenPoint usual = DialogOrigin(1024, 768, 502, 271), larger = DialogOrigin(400, 200, 503, 271);
    EXPECT_EQ((std::vector<int>{usual.x, usual.y, larger.x, larger.y}), (std::vector<int>{261, 165, -51, -23}));
}

TEST(SettingsDialog, SavingWritesKindTrackAndFileWithTheSignOrABlankAndATrackOutsideSixteenBitsAsZero)
{
    const std::string music = "C:\\\x89\xB9\x8A\x79\\song.mp3";   // C:\音楽\song.mp3 in code page 932
    const struct {
        int16_t kind;
        const char* typed;   // the repeat box's text
        std::string file;
        std::vector<std::string> written;
        int16_t repeat;
    } cases[] = {
        {1, "12", music, {" 1", " 12", music}, 12},
        {2, "", "", {" 2", " 0", ""}, 0},
        {1, "abc", "", {" 1", " 0", ""}, 0},
        {1, "40000", "", {" 1", " 0", ""}, 0},
        {-1, "-2.5", "", {"-1", "-2", ""}, -2},
    };
    const char* keys[] = {"BGM区分", "BGMﾘﾋﾟｰﾄ", "BGMﾌｧｲﾙ"};
    for (const auto& c : cases) {
        FakeSettingsPlatform platform;
        BgmKind = c.kind;
        BgmRepeat = 99;   // whatever it was, the repeat box's text decides
        BgmFile = c.file;
        SaveSettings(platform, "C:\\G\\Glowmere.ini", c.typed);
        EXPECT_EQ(BgmRepeat, c.repeat) << c.typed;
        std::vector<std::string> expected;
        for (int i = 0; i < 3; ++i)
            expected.push_back(std::string("Section ") + keys[i] + " [" + c.written[i] + "] C:\\G\\Glowmere.ini");
        EXPECT_EQ(platform.writes, expected) << c.typed;
    }
}

TEST(SettingsDialog, AChosenFileReplacesPathAndFolderButNotTheSource)
{
    BgmKind = 0;
    std::string buffer(255, '\0');   // as the open-file request fills it
    const std::string path = "C:\\\x95\x5C\\\x83\x5C.wav";   // C:\表\ソ.wav: second bytes are '\'
    buffer.replace(0, path.size(), path);
    buffer[path.size() + 3] = 'x';   // leftovers after the NUL are not part of it
    UseChosenFile(buffer, ShiftJisLeadByte);
    EXPECT_EQ(BgmFile, path);
    EXPECT_EQ(BgmFolder, "C:\\\x95\x5C");
    EXPECT_EQ(BgmKind, 0);
}

}  // namespace
