#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "settings_file.h"
#include "settings_values.h"

namespace {

using namespace glowmere;

// Code page 932: a lead byte opens a two-byte character, whose second byte may be '\'.
bool ShiftJisLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
const std::string kHyou = "\x95\x5C";   // 表
const std::string kSo = "\x83\x5C";     // ソ

// Stands in for the private-profile functions and the file system, as the platform
// behaves: a value longer than the buffer is cut to size - 1 bytes and NUL-terminated.
class FakePlatform final : public SettingsPlatform {
public:
    std::map<std::pair<std::string, std::string>, std::string> ini;   // (section, key) → value
    std::string iniFile;
    std::set<std::string> files;

    struct Call {
        std::string section, key, value, file;
        uint32_t size = 0;
        bool bufferWasZeroed = false;
    };
    std::vector<Call> reads, writes;
    std::vector<std::string> opened;

    void GetProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                          uint32_t size, const char* file) override
    {
        Call call{section, key, defaultValue, file, size, true};
        for (uint32_t i = 0; i < size; ++i)
            call.bufferWasZeroed = call.bufferWasZeroed && buffer[i] == '\0';
        reads.push_back(call);
        std::string value = defaultValue;
        const auto found = ini.find({section, key});
        if (file == iniFile && found != ini.end())
            value = found->second;
        const size_t n = std::min<size_t>(value.size(), size - 1);
        std::memcpy(buffer, value.data(), n);
        buffer[n] = '\0';
    }

    void WriteProfileString(const char* section, const char* key, const char* value, const char* file) override
    {
        writes.push_back({section, key, value, file, 0, false});
    }

    bool OpenForReading(const std::string& path) override
    {
        opened.push_back(path);
        return files.count(path) != 0;
    }

    LeadByteTest LeadBytes() const override { return NoLeadBytes; }
};

class SettingsFile : public ::testing::Test {
protected:
    FakePlatform platform;
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

TEST(SettingNumber, ReadsPlainDecimalsRoundedDownWithOrWithoutTheBlankAndAnythingElseAsZero)
{
    const std::pair<const char*, int16_t> numbers[] = {
        {" 2", 2}, {"2", 2}, {"-1", -1}, {" -1", -1}, {"+3", 3}, {"2.9", 2}, {"-0.5", -1}, {"-2.0", -2},
        {"-0", 0}, {".5", 0}, {"7.", 7}, {"\t12\t ", 12}, {"007", 7},
        // Reading floors before the range check: -32768.5 would be -32769.
        {"32767.9", 32767}, {"-32768", -32768},
    };
    for (const auto& [text, value] : numbers)
        EXPECT_EQ(ParseSettingNumber(text), value) << '"' << text << '"';
    for (const char* text : {"", " ", "abc", "2abc", "2 3", "-", ".", "1e3", "1,000", "&H10", "0x10", "２",
                             "40000", "32768", "-32769", "-32768.5", "99999999999999999999999"})
        EXPECT_EQ(ParseSettingNumber(text), 0) << '"' << text << '"';
}

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

TEST_F(SettingsFile, GetIniStringHandsA256ByteZeroedBufferAndReadsUpToTheFirstNul)
{
    Store("BGMﾌｧｲﾙ", std::string(300, 'x'));
    EXPECT_EQ(GetIniString(platform, "Section", "BGMﾌｧｲﾙ", platform.iniFile), std::string(255, 'x'));
    Store("BGMﾌｧｲﾙ", std::string("ab\0cd", 5));
    EXPECT_EQ(GetIniString(platform, "Section", "BGMﾌｧｲﾙ", platform.iniFile), "ab");
    EXPECT_EQ(GetIniString(platform, "Section", "missing", platform.iniFile), "");
    EXPECT_EQ(GetIniString(platform, "Other", "BGMﾌｧｲﾙ", platform.iniFile), "");
    ASSERT_EQ(platform.reads.size(), 4u);
    for (const auto& call : platform.reads) {
        EXPECT_EQ(call.size, 256u);
        EXPECT_TRUE(call.bufferWasZeroed);
        EXPECT_EQ(call.value, "");   // the default
    }
}

TEST_F(SettingsFile, WriteIniStringPassesNamesCutTo127CharactersAndTheValueUnchanged)
{
    WriteIniString(platform, "Section", "BGM区分", " 2", platform.iniFile);
    WriteIniString(platform, std::string(200, 's'), std::string(127, 'k'), "C:\\a b\\c.mp3", "C:\\x.ini");
    // 130 characters of three bytes each: the cut falls between characters.
    std::string longJapanese;
    for (int i = 0; i < 130; ++i)
        longJapanese += "区";
    WriteIniString(platform, "Section", longJapanese, "-1", "C:\\x.ini");

    ASSERT_EQ(platform.writes.size(), 3u);
    EXPECT_EQ(platform.writes[0].section, "Section");
    EXPECT_EQ(platform.writes[0].key, "BGM区分");
    EXPECT_EQ(platform.writes[0].value, " 2");   // the blank reaches the platform
    EXPECT_EQ(platform.writes[0].file, platform.iniFile);
    EXPECT_EQ(platform.writes[1].section, std::string(127, 's'));
    EXPECT_EQ(platform.writes[1].key, std::string(127, 'k'));
    EXPECT_EQ(platform.writes[1].value, "C:\\a b\\c.mp3");
    EXPECT_EQ(platform.writes[2].key, longJapanese.substr(0, 127 * 3));
}

TEST_F(SettingsFile, NoFileReadsAsNothingAndTheProgramFolder)
{
    platform.iniFile = "C:\\elsewhere\\Glowmere.ini";
    Read();
    EXPECT_EQ(BgmKind, 0);
    EXPECT_EQ(BgmRepeat, 0);
    EXPECT_EQ(BgmFile, "");
    EXPECT_EQ(BgmFolder, folder);
    // Three keys of one section in the file beside the program, nothing written.
    ASSERT_EQ(platform.reads.size(), 3u);
    EXPECT_EQ(platform.reads[0].key, "BGM区分");
    EXPECT_EQ(platform.reads[1].key, "BGMﾘﾋﾟｰﾄ");
    EXPECT_EQ(platform.reads[2].key, "BGMﾌｧｲﾙ");
    for (const auto& call : platform.reads) {
        EXPECT_EQ(call.section, "Section");
        EXPECT_EQ(call.file, "C:\\Glowmere\\Glowmere.ini");
    }
    EXPECT_TRUE(platform.writes.empty());
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
