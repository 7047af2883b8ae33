#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "../settings/fake_settings_platform.h"
#include "dialog_layout.h"
#include "dialog_logic.h"
#include "settings_values.h"

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

TEST(SettingsDialogSource, EachSourceEnablesOnlyItsOwnControls)
{
    const struct {
        int kind;
        bool repeat, fileButton;
        int mark;
    } cases[] = {{0, false, false, 0}, {1, true, false, 1}, {2, false, true, 2},
                 {-1, false, false, -1}, {3, false, false, -1}, {7, false, false, -1}};
    for (const auto& c : cases) {
        const SourceControls controls = ControlsForSource(c.kind);
        EXPECT_EQ(controls.repeatEnabled, c.repeat) << c.kind;
        EXPECT_EQ(controls.fileButtonEnabled, c.fileButton) << c.kind;
        EXPECT_EQ(controls.selectedMark, c.mark) << c.kind;
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
    const auto rgb = [](const GradientColour& c) { return std::vector<int>{c.r, c.g, c.b}; };
    EXPECT_EQ(rgb(GradientRow(0, 246)), (std::vector<int>{0, 0, 30}));
    EXPECT_EQ(rgb(GradientRow(123, 246)), (std::vector<int>{220, 220, 250}));
    EXPECT_EQ(rgb(GradientRow(246, 246)), (std::vector<int>{0, 0, 30}));
    EXPECT_NEAR(GradientRow(61, 246).r, 155, 1);   // sin(π/4) × 220 ≈ 155
}

TEST(SettingsDialogPlacement, CentredAcrossAndAThirdOfTheFreeHeightDown)
{
    const ScreenPoint usual = DialogOrigin(1024, 768, 502, 271);
    EXPECT_EQ(usual.x, 261);
    EXPECT_EQ(usual.y, 165);   // 497 / 3, the remainder dropped
    // A dialog larger than the screen: the divisions truncate toward zero.
    const ScreenPoint larger = DialogOrigin(400, 200, 503, 271);
    EXPECT_EQ(larger.x, -51);
    EXPECT_EQ(larger.y, -23);
}

TEST(SettingsDialogSource, APressOnAMarkOrItsLabelPicksThatSourceAndNothingElseDoes)
{
    const struct {
        int x, y, source;
    } cases[] = {
        // Marks and labels, at their corners: none (row 76), CD (row 56), file (row 96).
        {28, 76, 0}, {40, 88, 0}, {65, 80, 0},   // "なし" ends before x = 66
        {28, 56, 1}, {86, 68, 1},                // "音楽CD" is 43 wide
        {30, 100, 2}, {103, 96, 2},              // "MP3、WAV" is 60 wide
        // Around them: the gap between mark and label, below a row, past a label's end,
        // the heading, the repeat box, the file button.
        {42, 60, -1}, {30, 69, -1}, {66, 80, -1}, {87, 60, -1}, {104, 100, -1}, {30, 30, -1},
        {120, 60, -1}, {30, 115, -1}, {-1, -1, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SourceAt(c.x, c.y), c.source) << c.x << "," << c.y;
}

TEST(SettingsDialogSave, WritesKindTrackAndFileInOrderWithTheSignOrABlankBeforeEachNumber)
{
    const std::string ini = "C:\\Glowmere\\Glowmere.ini";
    const std::string music = "C:\\\x89\xB9\x8A\x79\\song.mp3";   // C:\音楽\song.mp3 in code page 932
    const struct {
        int16_t kind;
        const char* typed;   // the repeat box's text
        std::string file;
        std::string written[3];
        int16_t repeat;
    } cases[] = {
        {1, "12", music, {" 1", " 12", music}, 12},
        {1, "", "", {" 1", " 0", ""}, 0},   // an empty or unusable track is saved as 0
        {1, "abc", "", {" 1", " 0", ""}, 0},
        {1, "40000", "", {" 1", " 0", ""}, 0},
        {-1, "-2.5", "", {"-1", "-2", ""}, -2},
    };
    const std::string keys[3] = {"BGM区分", "BGMﾘﾋﾟｰﾄ", "BGMﾌｧｲﾙ"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        FakeSettingsPlatform platform;
        BgmKind = c.kind;
        BgmRepeat = 99;   // whatever it was, the repeat box's text decides
        BgmFile = c.file;
        SaveSettings(platform, ini, c.typed);
        EXPECT_EQ(BgmRepeat, c.repeat);
        ASSERT_EQ(platform.writes.size(), 3u);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(platform.writes[i].section, "Section");
            EXPECT_EQ(platform.writes[i].key, keys[i]);
            EXPECT_EQ(platform.writes[i].value, c.written[i]) << keys[i];
            EXPECT_EQ(platform.writes[i].file, ini);
        }
    }
}

TEST(SettingsDialogFileChoice, TheChosenPathAndItsFolderReplaceTheOldOnesButNotTheSource)
{
    BgmKind = 0;
    BgmFile = "C:\\old.mp3";
    BgmFolder = "C:";
    // The file buffer as the open-file request fills it: the path, a NUL, then the rest.
    std::string buffer(255, '\0');
    const std::string path = "C:\\\x95\x5C\\\x83\x5C.wav";   // C:\表\ソ.wav: second bytes are '\'
    buffer.replace(0, path.size(), path);
    buffer[path.size() + 3] = 'x';   // leftovers after the NUL are not part of it
    UseChosenFile(buffer, ShiftJisLeadByte);
    EXPECT_EQ(BgmFile, path);
    EXPECT_EQ(BgmFolder, "C:\\\x95\x5C");
    EXPECT_EQ(BgmKind, 0);
}

}  // namespace
