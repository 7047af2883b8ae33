#pragma once
// The settings file Glowmere.ini beside the program and the module routines around it:
// reading the settings, INI access, the two path tests. The platform's private-profile
// functions and the file open sit behind SettingsPlatform, so that every rule here runs
// natively against a fake.
//
// File: section "Section", keys "BGM区分" (BgmKind), "BGMﾘﾋﾟｰﾄ" (BgmRepeat) and
// "BGMﾌｧｲﾙ" (BgmFile). Numbers are written as " 2" / "-1" (FormatSettingNumber) and read
// with or without that blank (ParseSettingNumber, number_text.h); the path is stored
// unchanged.
//
// Encodings: section and key names are the program's own texts (UTF-8) and reach the
// platform in the ANSI code page; values and paths are ANSI bytes as the platform hands
// them over. Path rules work on characters, not bytes: in a double-byte code page the
// second byte of a character may equal '\' (0x5C), as in 表 or ソ in code page 932.
#include <cstdint>
#include <string>
#include <string_view>

namespace glowmere {

constexpr char kSettingsFileName[] = "\\Glowmere.ini";    // appended to the program folder
constexpr char kSettingsSection[] = "Section";
constexpr char kBgmKindKey[] = "BGM区分";
constexpr char kBgmRepeatKey[] = "BGMﾘﾋﾟｰﾄ";
constexpr char kBgmFileKey[] = "BGMﾌｧｲﾙ";

constexpr uint32_t kIniValueBufferSize = 256;   // values longer than 255 bytes come back cut
constexpr size_t kIniNameFieldSize = 128;       // names longer than 127 characters are cut

// Whether a byte opens a two-byte character of the ANSI code page in use.
using LeadByteTest = bool (*)(unsigned char);
bool NoLeadBytes(unsigned char);   // a single-byte code page

class SettingsPlatform {
public:
    virtual ~SettingsPlatform() = default;
    // GetPrivateProfileStringA: fills `buffer` (`size` bytes) and NUL-terminates it.
    virtual void GetProfileString(const char* section, const char* key, const char* defaultValue,
                                  char* buffer, uint32_t size, const char* file) = 0;
    // WritePrivateProfileStringA.
    virtual void WriteProfileString(const char* section, const char* key, const char* value,
                                    const char* file) = 0;
    // Opens the file for sequential reading and closes it again: whether that worked.
    virtual bool OpenForReading(const std::string& path) = 0;
    virtual LeadByteTest LeadBytes() const = 0;
};

// " 2", " 0", "-1": the text every writer stores for a number.
std::string FormatSettingNumber(int16_t value);

// The folder part of a path: up to its last ':' or '\', without a trailing '\'.
// C:\Music\song.mp3 → C:\Music, C:\song.mp3 → C:, D:song.wav → D:,
// \\server\share\a.wav → \\server\share, song.mp3 → (empty).
std::string ParentFolder(std::string_view path, LeadByteTest isLead);

// The path with one trailing '\' character dropped, as the existence test opens it.
std::string WithoutTrailingBackslash(std::string_view path, LeadByteTest isLead);

// A section or key name as the INI writer hands it over: cut to 127 characters.
std::string IniNameField(std::string_view utf8Name);

std::string GetIniString(SettingsPlatform& platform, const std::string& section, const std::string& key,
                         const std::string& file);
void WriteIniString(SettingsPlatform& platform, const std::string& section, const std::string& key,
                    const std::string& value, const std::string& file);
bool FileExists(SettingsPlatform& platform, const std::string& path);

// Fills BgmKind, BgmRepeat, BgmFile and BgmFolder (settings_values.h) from
// programFolder + "\Glowmere.ini". A missing file, section or key reads as empty. A file
// that cannot be opened is cleared, and then a file source (BgmKind 2) becomes 0; no
// other kind is touched.
void ReadSettings(SettingsPlatform& platform, const std::string& programFolder);

}  // namespace glowmere
