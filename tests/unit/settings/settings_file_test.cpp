#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fake_settings_platform.h"
#include "settings_file.h"
#include "settings_values.h"

namespace {

using namespace glowmere;

const std::string kHyou = "\x95\x5C";   // 表
const std::string kSo = "\x83\x5C";     // ソ

class SettingsFile : public ::testing::Test {
protected:
    FakeSettingsPlatform platform;
    const std::string folder = "C:\\Glowmere";

    void SetUp() override
    {
        platform.iniFile = folder + "\\Glowmere.ini";
        // Leftovers from another test must not pass for values read here.
        BgmKind = 99;
        BgmRepeat = 99;
        BgmFile = "stale";
        BgmFolder = "stale";
    }

    void Store(const std::string& key, const std::string& value) { platform.ini[{"Section", key}] = value; }
    void Read() { ReadSettings(platform, folder); }
};

TEST(ParentFolderOf, APathLosesItsLastNameAndTrailingBackslash)
{
    EXPECT_EQ(ParentFolder("C:\\Music\\song.mp3", NoLeadBytes), "C:\\Music");
    EXPECT_EQ(ParentFolder("C:\\song.mp3", NoLeadBytes), "C:");
    EXPECT_EQ(ParentFolder("D:song.wav", NoLeadBytes), "D:");
    EXPECT_EQ(ParentFolder("\\\\server\\share\\a.wav", NoLeadBytes), "\\\\server\\share");
    EXPECT_EQ(ParentFolder("song.mp3", NoLeadBytes), "");
    EXPECT_EQ(ParentFolder("", NoLeadBytes), "");
    EXPECT_EQ(ParentFolder("C:\\Music\\", NoLeadBytes), "C:\\Music");
    EXPECT_EQ(ParentFolder("C:\\a\\b\\c.mp3", NoLeadBytes), "C:\\a\\b");
}

TEST(ParentFolderOf, ASecondByteThatLooksLikeABackslashIsPartOfItsCharacter)
{
    // C:\音楽\表.mp3 in code page 932: the 0x5C inside 表 is no separator.
    const std::string inFolder = "C:\\" + kHyou + "\\" + kHyou + ".mp3";
    EXPECT_EQ(ParentFolder(inFolder, ShiftJisLeadByte), "C:\\" + kHyou);
    EXPECT_EQ(ParentFolder("C:\\" + kHyou + "song.mp3", ShiftJisLeadByte), "C:");
    // Read byte by byte, the same text would be cut inside the character.
    EXPECT_EQ(ParentFolder(inFolder, NoLeadBytes), "C:\\" + kHyou + "\\\x95");
}

TEST(TrailingBackslash, OnlyARealBackslashCharacterIsDropped)
{
    EXPECT_EQ(WithoutTrailingBackslash("C:\\Music\\song.mp3\\", NoLeadBytes), "C:\\Music\\song.mp3");
    EXPECT_EQ(WithoutTrailingBackslash("C:\\Music\\\\", NoLeadBytes), "C:\\Music\\");   // only one
    EXPECT_EQ(WithoutTrailingBackslash("", NoLeadBytes), "");
    EXPECT_EQ(WithoutTrailingBackslash("C:\\" + kSo, ShiftJisLeadByte), "C:\\" + kSo);
    EXPECT_EQ(WithoutTrailingBackslash("C:\\" + kSo + "\\", ShiftJisLeadByte), "C:\\" + kSo);
}

TEST_F(SettingsFile, NoFileReadsAsNothingAndTheProgramFolder)
{
    platform.iniFile = "C:\\elsewhere\\Glowmere.ini";
    Read();
    EXPECT_EQ(BgmKind, 0);
    EXPECT_EQ(BgmRepeat, 0);
    EXPECT_EQ(BgmFile, "");
    EXPECT_EQ(BgmFolder, folder);
    // Three keys of one section in the file beside the program, each into a zeroed
    // 256-byte buffer with an empty default; nothing written.
    const char* keys[] = {"BGM区分", "BGMﾘﾋﾟｰﾄ", "BGMﾌｧｲﾙ"};
    ASSERT_EQ(platform.reads.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const auto& call = platform.reads[i];
        EXPECT_EQ(call.section + " " + call.key + " " + call.file,
                  std::string("Section ") + keys[i] + " C:\\Glowmere\\Glowmere.ini");
        EXPECT_EQ(call.size, 256u);
        EXPECT_TRUE(call.bufferWasZeroed);
        EXPECT_EQ(call.value, "");
    }
    EXPECT_TRUE(platform.writes.empty());
}

TEST_F(SettingsFile, IniValuesAreReadUpToTheFirstNulOr255BytesAndNamesWrittenCutTo127Characters)
{
    Store("BGMﾌｧｲﾙ", std::string(300, 'x'));
    EXPECT_EQ(GetIniString(platform, "Section", "BGMﾌｧｲﾙ", platform.iniFile), std::string(255, 'x'));
    Store("BGMﾌｧｲﾙ", std::string("ab\0cd", 5));
    EXPECT_EQ(GetIniString(platform, "Section", "BGMﾌｧｲﾙ", platform.iniFile), "ab");

    WriteIniString(platform, std::string(200, 's'), std::string(127, 'k'), "C:\\a b\\c.mp3", "C:\\x.ini");
    std::string longJapanese;   // 130 characters of three bytes each: cut between characters
    for (int i = 0; i < 130; ++i)
        longJapanese += "区";
    WriteIniString(platform, "Section", longJapanese, "-1", "C:\\x.ini");
    ASSERT_EQ(platform.writes.size(), 2u);
    EXPECT_EQ(platform.writes[0].section, std::string(127, 's'));
    EXPECT_EQ(platform.writes[0].key, std::string(127, 'k'));
    EXPECT_EQ(platform.writes[0].value, "C:\\a b\\c.mp3");
    EXPECT_EQ(platform.writes[1].key, longJapanese.substr(0, 127 * 3));
}

TEST_F(SettingsFile, AMusicFileThatCannotBeOpenedIsClearedAndTurnsOffOnlyTheFileSource)
{
    const std::string song = "C:\\Music\\song.mp3", gone = "C:\\gone.mp3";
    const struct {
        const char* kind;
        std::string file;
        int16_t expectedKind;
        std::string expectedFile, expectedFolder;
    } cases[] = {
        {" 2", song, 2, song, "C:\\Music"},
        // Opened without its trailing backslash, kept as written.
        {" 2", song + "\\", 2, song + "\\", song},
        {"2", "C:\\Music", 0, "", folder},   // a folder: the open fails
        {"2", "", 0, "", folder},
        {"1", gone, 1, "", folder},
        {"-1", gone, -1, "", folder},
    };
    platform.files = {song};
    Store("BGMﾘﾋﾟｰﾄ", " 5");
    for (const auto& c : cases) {
        Store("BGM区分", c.kind);
        Store("BGMﾌｧｲﾙ", c.file);
        Read();
        EXPECT_EQ(BgmKind, c.expectedKind) << c.file;
        EXPECT_EQ(BgmRepeat, 5) << c.file;
        EXPECT_EQ(BgmFile, c.expectedFile) << c.file;
        EXPECT_EQ(BgmFolder, c.expectedFolder) << c.file;
    }
}

TEST_F(SettingsFile, APathBeyond255BytesIsCutAndThenFailsTheTest)
{
    const std::string longPath = "C:\\" + std::string(260, 'a') + ".mp3";
    Store("BGM区分", " 2");
    Store("BGMﾌｧｲﾙ", longPath);
    platform.files = {longPath};
    Read();
    EXPECT_EQ(platform.opened.back(), longPath.substr(0, 255));
    EXPECT_EQ(BgmFile, "");
    EXPECT_EQ(BgmKind, 0);
}

}  // namespace
