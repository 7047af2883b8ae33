// The settings file: what is read, how values and names are cut, which music file counts,
// and the path rules that work on characters, not bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_settings_platform.h"
#include "settings_file.h"
#include "settings_values.h"

namespace {

using namespace glowmere;

TEST(SettingsPaths, FoldersAndTrailingBackslashesAreFoundByCharacterNotByByte)
{
    const std::string hyou = "\x95\x5C", so = "\x83\x5C";   // 表 and ソ in code page 932: second byte '\'
    const struct {
        std::string path;
        LeadByteTest lead;
        std::string parent, withoutTrailingBackslash;
    } cases[] = {
        {"C:\\Music\\song.mp3", NoLeadBytes, "C:\\Music", "C:\\Music\\song.mp3"},
        {"C:\\song.mp3", NoLeadBytes, "C:", "C:\\song.mp3"},
        {"D:song.wav", NoLeadBytes, "D:", "D:song.wav"},
        {"\\\\server\\share\\a.wav", NoLeadBytes, "\\\\server\\share", "\\\\server\\share\\a.wav"},
        {"song.mp3", NoLeadBytes, "", "song.mp3"},
        {"C:\\Music\\", NoLeadBytes, "C:\\Music", "C:\\Music"},
        {"C:\\Music\\\\", NoLeadBytes, "C:\\Music\\", "C:\\Music\\"},   // only one goes
        {"C:\\" + hyou + "\\" + hyou + ".mp3", ShiftJisLeadByte, "C:\\" + hyou, "C:\\" + hyou + "\\" + hyou + ".mp3"},
        {"C:\\" + hyou + "\\" + hyou + ".mp3", NoLeadBytes, "C:\\" + hyou + "\\\x95", "C:\\" + hyou + "\\" + hyou + ".mp3"},
        {"C:\\" + so, ShiftJisLeadByte, "C:", "C:\\" + so},
        {"C:\\" + so + "\\", ShiftJisLeadByte, "C:\\" + so, "C:\\" + so},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParentFolder(c.path, c.lead), c.parent) << c.path;
        EXPECT_EQ(WithoutTrailingBackslash(c.path, c.lead), c.withoutTrailingBackslash) << c.path;
    }
}

class SettingsFile : public ::testing::Test {
protected:
    FakeSettingsPlatform platform;
    void SetUp() override
    {
        platform.iniFile = "C:\\Glowmere\\Glowmere.ini";
        BgmKind = BgmRepeat = 99;   // leftovers must not pass for values read here
        BgmFile = BgmFolder = "stale";
    }
};

TEST_F(SettingsFile, ThreeKeysAreReadIntoZeroedBuffersAndValuesCutAt255BytesNamesAt127Characters)
{
    platform.iniFile = "C:\\elsewhere\\Glowmere.ini";
    ReadSettings(platform, "C:\\Glowmere");
    EXPECT_TRUE(BgmKind == 0 && BgmRepeat == 0 && BgmFile.empty() && BgmFolder == "C:\\Glowmere");
    const std::string tail = " [] C:\\Glowmere\\Glowmere.ini 256 zeroed";
    EXPECT_EQ(platform.reads, (std::vector<std::string>{"Section BGM区分" + tail, "Section BGMﾘﾋﾟｰﾄ" + tail,
                                                        "Section BGMﾌｧｲﾙ" + tail}));
    EXPECT_TRUE(platform.writes.empty() && platform.opened.empty());

    platform.ini["k"] = std::string(300, 'x');
    EXPECT_EQ(GetIniString(platform, "Section", "k", platform.iniFile), std::string(255, 'x'));
    platform.ini["k"] = std::string("ab\0cd", 5);
    EXPECT_EQ(GetIniString(platform, "Section", "k", platform.iniFile), "ab");

    std::string japanese;   // 130 characters of three bytes each: cut between characters
    for (int i = 0; i < 130; ++i)
        japanese += "区";
    WriteIniString(platform, std::string(200, 's'), japanese, "C:\\a b\\c.mp3", "C:\\x.ini");
    EXPECT_EQ(platform.writes.back(),
              std::string(127, 's') + " " + japanese.substr(0, 127 * 3) + " [C:\\a b\\c.mp3] C:\\x.ini");
}

TEST_F(SettingsFile, AMusicFileThatCannotBeOpenedIsClearedAndTurnsOffOnlyTheFileSource)
{
    const std::string song = "C:\\Music\\song.mp3", gone = "C:\\gone.mp3", longPath = "C:\\" + std::string(260, 'a');
    const struct {
        const char* kind;
        std::string file;
        int expectedKind;
        std::string expectedFile, expectedFolder, opened;
    } cases[] = {
        {" 2", song, 2, song, "C:\\Music", song},
        {" 2", song + "\\", 2, song + "\\", song, song},   // opened without its trailing backslash
        {"2", "C:\\Music", 0, "", "C:\\Glowmere", "C:\\Music"},
        {"2", "", 0, "", "C:\\Glowmere", ""},
        {"1", gone, 1, "", "C:\\Glowmere", gone},
        {"-1", gone, -1, "", "C:\\Glowmere", gone},
        {"2", longPath, 0, "", "C:\\Glowmere", longPath.substr(0, 255)},   // cut to 255 bytes, then not found
    };
    platform.files = {song, longPath};
    platform.ini["BGMﾘﾋﾟｰﾄ"] = " 5";
    for (const auto& c : cases) {
        platform.ini["BGM区分"] = c.kind;
        platform.ini["BGMﾌｧｲﾙ"] = c.file;
        platform.opened = {""};
        ReadSettings(platform, "C:\\Glowmere");
        EXPECT_EQ(BgmKind, c.expectedKind) << c.file;
        EXPECT_EQ(BgmRepeat, 5) << c.file;
        EXPECT_EQ(BgmFile, c.expectedFile) << c.file;
        EXPECT_EQ(BgmFolder, c.expectedFolder) << c.file;
        EXPECT_EQ(platform.opened.back(), c.opened) << c.file;
    }
}

}  // namespace
