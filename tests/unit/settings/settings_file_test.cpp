// The settings file and the numbers in its texts, and the settings dialog's logic and scaling.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <set>

#include "dialog_layout.h"
#include "dialog_logic.h"
#include "number_text.h"
#include "resource_pictures.h"
#include "settings_file.h"
#include "settings_values.h"

namespace {

using namespace glowmere;

// Code page 932: a lead byte opens a two-byte character, whose second byte may be '\'.
bool ShiftJisLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Cuts a value to its buffer's size - 1 bytes as the private-profile functions do; records reads, writes, opens.
struct FakeSettingsPlatform final : SettingsPlatform {
    std::map<std::string, std::string> ini;   // key → value, in `iniFile`'s section "Section"
    std::string iniFile;
    std::set<std::string> files;
    std::vector<std::string> reads, writes, opened;   // "section key value file", and the default for a read

    void GetProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                          uint32_t size, const char* file) override
    {
        const bool zeroed = std::all_of(buffer, buffer + size, [](char c) { return c == '\0'; });
        reads.push_back(std::string(section) + " " + key + " [" + defaultValue + "] " + file + " " +
                        std::to_string(size) + (zeroed ? " zeroed" : ""));
        const auto found = ini.find(key);
        const bool stored = file == iniFile && std::string(section) == "Section" && found != ini.end();
        std::snprintf(buffer, size, "%s", stored ? found->second.c_str() : defaultValue);
    }
    void WriteProfileString(const char* section, const char* key, const char* value, const char* file) override
    {
        writes.push_back(std::string(section) + " " + key + " [" + value + "] " + file);
    }
    bool OpenForReading(const std::string& path) override { return opened.push_back(path), files.count(path) != 0; }
    LeadByteTest LeadBytes() const override { return NoLeadBytes; }
};

TEST(NumberText, EachReadingKeepsItsOwnFormsAndRounding)
{
    // The settings file's number (plain decimal, floored, 16 bits), the repeat track typed into the dialog (numeric
    // with exponent, ties to even, 16 bits) and whether the CD's track reply names track 3 (plain decimal, exact;
    // -1: no number at all): blanks, signs, zeros, fractions, exponents, no number, the range after rounding.
    const struct { const char* text; int setting, typed, track3; } rows[] = {
        {"\t12\t ", 12, 12, 0}, {"3", 3, 3, 1}, {"03", 3, 3, 1}, {" 3 ", 3, 3, 1}, {"+3", 3, 3, 1}, {"-3", -3, -3, 0},
        {"30", 30, 30, 0}, {"2.9", 2, 3, 0}, {"-0.5", -1, 0, 0}, {".5", 0, 0, 0}, {"7.", 7, 7, 0}, {"3.0", 3, 3, 1},
        {"3.00001", 3, 3, 0}, {"2.5", 2, 2, 0}, {"3.5", 3, 4, 0}, {"-2.5", -3, -2, 0}, {"1e3", 0, 1000, -1},
        {"2.5E-1", 0, 0, -1}, {"1e400", 0, 0, -1}, {"1e", 0, 0, -1}, {"", 0, 0, -1}, {"   ", 0, 0, -1},
        {"3a", 0, 0, -1}, {"2 3", 0, 0, -1}, {"-", 0, 0, -1}, {".", 0, 0, -1}, {"1,000", 0, 0, -1}, {"&H10", 0, 0, -1},
        {"0x10", 0, 0, -1}, {"２", 0, 0, -1}, {"32767", 32767, 32767, 0}, {"-32768", -32768, -32768, 0},
        {"32767.9", 32767, 0, 0}, {"-32768.5", 0, -32768, 0}, {"32768", 0, 0, 0}, {"-32769", 0, 0, 0},
        {"99999999999999999999999", 0, 0, 0},
    };
    for (const auto& [text, setting, typed, track3] : rows) {
        const auto reply = ParseDecimal(text);
        EXPECT_EQ((std::vector<int>{ParseSettingNumber(text), RepeatFromText(text), reply ? IsExactly(*reply, 3) : -1}),
                  (std::vector<int>{setting, typed, track3})) << '"' << text << '"';
    }
}

TEST(SettingsPaths, FoldersAndTrailingBackslashesAreFoundByCharacterNotByByteAlsoInAChosenFile)
{
    // C:\表 and C:\ソ in code page 932: their second bytes are '\'.
    const std::string hyou = "C:\\\x95\x5C", so = "C:\\\x83\x5C", inHyou = hyou + "\\\x95\x5C.mp3";
    const struct { std::string path; LeadByteTest lead; std::string parent; bool backslashDropped; } cases[] = {
        {"C:\\Music\\song.mp3", NoLeadBytes, "C:\\Music", false}, {"C:\\song.mp3", NoLeadBytes, "C:", false},
        {"D:song.wav", NoLeadBytes, "D:", false}, {"\\\\server\\share\\a.wav", NoLeadBytes, "\\\\server\\share", false},
        {"song.mp3", NoLeadBytes, "", false}, {"C:\\Music\\", NoLeadBytes, "C:\\Music", true},
        {"C:\\Music\\\\", NoLeadBytes, "C:\\Music\\", true},   // only one goes
        {inHyou, ShiftJisLeadByte, hyou, false}, {inHyou, NoLeadBytes, hyou + "\\\x95", false},
        {so, ShiftJisLeadByte, "C:", false}, {so + "\\", ShiftJisLeadByte, so, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParentFolder(c.path, c.lead), c.parent) << c.path;
        EXPECT_EQ(WithoutTrailingBackslash(c.path, c.lead), c.path.substr(0, c.path.size() - c.backslashDropped))
            << c.path;
    }
    // A chosen file replaces path and folder but not the source.
    BgmKind = 0;
    const std::string path = hyou + "\\\x83\x5C.wav";   // C:\表\ソ.wav
    std::string buffer = path + std::string(3, '\0') + "x";   // as the request fills it, leftovers after the NUL
    UseChosenFile(buffer + std::string(255 - buffer.size(), '\0'), ShiftJisLeadByte);
    EXPECT_EQ(BgmFile + "|" + BgmFolder + "|" + std::to_string(BgmKind), path + "|" + hyou + "|0");
}

struct SettingsFile : ::testing::Test {
    FakeSettingsPlatform platform;
    void SetUp() override
    {
        platform.iniFile = "C:\\Glowmere\\Glowmere.ini";
        BgmKind = BgmRepeat = 99, BgmFile = BgmFolder = "stale";   // leftovers must not pass for values read here
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
    const struct { const char* kind; std::string file; int newKind; std::string newFile, folder, opened; } cases[] = {
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
        EXPECT_TRUE(BgmKind == c.newKind && BgmRepeat == 5 && BgmFile == c.newFile) << c.file;
        EXPECT_EQ(BgmFolder + "|" + platform.opened.back(), c.folder + "|" + c.opened) << c.file;
    }
}

TEST(SettingsDialog, SavingWritesKindTrackAndFileWithTheSignOrABlankAndTheTrackAsTyped)
{
    const std::string music = "C:\\\x89\xB9\x8A\x79\\song.mp3";   // C:\音楽\song.mp3 in code page 932
    // The kind, the repeat box's text (read as the number table says) and the file; the values written, the repeat.
    const struct { int16_t kind; const char* typed; std::string file; std::vector<std::string> writes; int repeat; }
        cases[] = {
        {1, "12", music, {" 1", " 12", music}, 12},
        {2, "", "", {" 2", " 0", ""}, 0},
        {-1, "-2.5", "", {"-1", "-2", ""}, -2},
    };
    for (const auto& c : cases) {
        FakeSettingsPlatform platform;
        BgmKind = c.kind, BgmRepeat = 99, BgmFile = c.file;   // whatever the repeat was, the text decides
        SaveSettings(platform, "C:\\G\\Glowmere.ini", c.typed);
        EXPECT_EQ(BgmRepeat, c.repeat) << c.typed;
        const std::string tail = "] C:\\G\\Glowmere.ini";
        EXPECT_EQ(platform.writes, (std::vector<std::string>{"Section BGM区分 [" + c.writes[0] + tail,
                                                             "Section BGMﾘﾋﾟｰﾄ [" + c.writes[1] + tail,
                                                             "Section BGMﾌｧｲﾙ [" + c.writes[2] + tail}));
    }
}

TEST(DialogScaling, BoxesThatMeetStillMeetHalvesRoundAwayFromZeroAndPicturesAreDrawnForTheirSize)
{
    for (int dpi : {120, 144, 168, 192}) {
        SCOPED_TRACE(std::to_string(dpi) + " dpi");
        int x = 28, right = ScaleToDpi(x, dpi);   // odd widths side by side, as in a row of the dialog
        for (int width : {13, 3, 43, 41, 1, 81, 25}) {
            const dialog::Box box = dialog::ScaleBox({x, 56, width, 13}, dpi);
            EXPECT_EQ(box.x, right) << "the box at " << x;
            right = box.x + box.width;
            x += width;
        }
        // The mark's dot, white well and dark ring at the same shares of its width as at 96 dpi.
        const Bitmap24 mark = resources::DrawRadioMark(true, dpi), texture = resources::DrawPanelTexture(dpi);
        const auto blue = [&](double share) {
            return mark.bits[Bitmap24::Stride(mark.width) * (mark.height / 2) + int(share * mark.width) * 3];
        };
        EXPECT_TRUE(blue(0.5) < 200 && blue(0.2) > 235 && std::max(blue(0.05), blue(0.95)) < blue(0.2) - 40);
        EXPECT_TRUE(mark.width == ScaleToDpi(12, dpi) && mark.height == mark.width);
        EXPECT_TRUE(texture.width == ScaleToDpi(556, dpi) && texture.height == ScaleToDpi(20, dpi));
    }
    for (const auto& [value, dpi, scaled] : std::vector<std::array<int, 3>>{
             {13, 144, 20}, {-13, 144, -20}, {1, 144, 2}, {2, 168, 4}, {6, 120, 8}, {13, 120, 16}, {-1, 120, -1}})
        EXPECT_EQ(ScaleToDpi(value, dpi), scaled) << value << " at " << dpi;
    EXPECT_EQ(SourceAt(120, 160, 192), 0);   // "なし" at 192 dpi, where nothing is at 96
    EXPECT_EQ(SourceAt(120, 160), -1);
}

// A code page that writes ASCII only, with the short forms a file system gave some paths.
struct AsciiCodePage final : PathCodePage {
    std::map<std::wstring, std::wstring, std::less<>> shorts;
    std::optional<std::string> Written(std::wstring_view p) const override
    {
        if (std::any_of(p.begin(), p.end(), [](wchar_t c) { return c > 0x7F; }))
            return std::nullopt;
        return std::string(p.begin(), p.end());
    }
    std::wstring ShortForm(std::wstring_view p) const override { return shorts.count(p) ? shorts.find(p)->second : L""; }
};

TEST(SettingsDialog, APathTheCodePageCannotSpellIsStoredByItsShortFormOrNotAtAll)
{
    AsciiCodePage codePage;
    codePage.shorts = {{L"C:\\music\\song.mp3", L"C:\\MUSIC~1\\SONG~1.MP3"},
                           {L"C:\\音楽\\song.mp3", L"C:\\__~~~KS4\\song.mp3"},
                           {L"C:\\音楽\\曲.mp3", L"C:\\__~~~KS4\\曲.mp3"}};
    EXPECT_EQ(StoredPath(L"C:\\music\\song.mp3", codePage), "C:\\music\\song.mp3");     // as it is
    EXPECT_EQ(StoredPath(L"C:\\音楽\\song.mp3", codePage), "C:\\__~~~KS4\\song.mp3");  // by its short form
    EXPECT_EQ(StoredPath(L"C:\\音楽\\曲.mp3", codePage), std::nullopt);   // nor can its short form
    EXPECT_EQ(StoredPath(L"C:\\楽\\song.mp3", codePage), std::nullopt);   // it has none
}

}  // namespace
