#include <gtest/gtest.h>

#include <cstdio>

#include <string>
#include <vector>

#include "dialog_layout.h"
#include "dialog_logic.h"
#include "settings_values.h"

namespace {

using namespace glowmere;

// Code page 932: a lead byte opens a two-byte character, whose second byte may be '\'.
bool ShiftJisLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Records what reaches the private-profile writer.
class RecordingPlatform final : public SettingsPlatform {
public:
    struct Write {
        std::string section, key, value, file;
    };
    std::vector<Write> writes;

    void GetProfileString(const char*, const char*, const char* defaultValue, char* buffer, uint32_t size,
                          const char*) override
    {
        std::snprintf(buffer, size, "%s", defaultValue);
    }
    void WriteProfileString(const char* section, const char* key, const char* value, const char* file) override
    {
        writes.push_back({section, key, value, file});
    }
    bool OpenForReading(const std::string&) override { return false; }
    LeadByteTest LeadBytes() const override { return ShiftJisLeadByte; }
};

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
    // Marks and labels, at their corners: none (row 76), CD (row 56), file (row 96).
    EXPECT_EQ(SourceAt(28, 76), 0);
    EXPECT_EQ(SourceAt(40, 88), 0);
    EXPECT_EQ(SourceAt(65, 80), 0);    // "なし" ends before x = 66
    EXPECT_EQ(SourceAt(28, 56), 1);
    EXPECT_EQ(SourceAt(86, 68), 1);    // "音楽CD" is 43 wide
    EXPECT_EQ(SourceAt(30, 100), 2);
    EXPECT_EQ(SourceAt(103, 96), 2);   // "MP3、WAV" is 60 wide
    // Around them: the gap between mark and label, below a row, past a label's end, the
    // heading, the repeat box, the file button.
    EXPECT_EQ(SourceAt(42, 60), -1);
    EXPECT_EQ(SourceAt(30, 69), -1);
    EXPECT_EQ(SourceAt(66, 80), -1);
    EXPECT_EQ(SourceAt(87, 60), -1);
    EXPECT_EQ(SourceAt(104, 100), -1);
    EXPECT_EQ(SourceAt(30, 30), -1);
    EXPECT_EQ(SourceAt(120, 60), -1);
    EXPECT_EQ(SourceAt(30, 115), -1);
    EXPECT_EQ(SourceAt(-1, -1), -1);
}

class SettingsDialogSave : public ::testing::Test {
protected:
    RecordingPlatform platform;
    const std::string file = "C:\\Glowmere\\Glowmere.ini";

    void SetUp() override
    {
        BgmKind = 1;
        BgmRepeat = 99;   // whatever it was, the repeat box's text decides
        BgmFile.clear();
    }

    void ExpectWrites(const std::string& kind, const std::string& repeat, const std::string& music)
    {
        ASSERT_EQ(platform.writes.size(), 3u);
        const std::string keys[3] = {"BGM区分", "BGMﾘﾋﾟｰﾄ", "BGMﾌｧｲﾙ"};
        const std::string values[3] = {kind, repeat, music};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(platform.writes[i].section, "Section");
            EXPECT_EQ(platform.writes[i].key, keys[i]);
            EXPECT_EQ(platform.writes[i].value, values[i]) << keys[i];
            EXPECT_EQ(platform.writes[i].file, file);
        }
    }
};

TEST_F(SettingsDialogSave, WritesKindTrackAndFileInOrderWithTheBlankBeforeEachNumber)
{
    BgmFile = "C:\\\x89\xB9\x8A\x79\\song.mp3";   // C:\音楽\song.mp3 in code page 932
    SaveSettings(platform, file, "12");
    ExpectWrites(" 1", " 12", BgmFile);
    EXPECT_EQ(BgmRepeat, 12);
}

TEST_F(SettingsDialogSave, AnEmptyOrUnusableTrackIsSavedAsZero)
{
    for (const char* text : {"", "abc", "40000", "-32769"}) {
        SCOPED_TRACE(text);
        platform.writes.clear();
        BgmRepeat = 99;
        SaveSettings(platform, file, text);
        ExpectWrites(" 1", " 0", "");
        EXPECT_EQ(BgmRepeat, 0);
    }
}

TEST_F(SettingsDialogSave, NegativeNumbersCarryTheirSignInsteadOfTheBlank)
{
    BgmKind = -1;
    SaveSettings(platform, file, "-2.5");
    ExpectWrites("-1", "-2", "");
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
