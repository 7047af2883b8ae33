#include "settings_file.h"

#include <vector>

#include "number_text.h"
#include "settings_values.h"

namespace glowmere {

namespace {

// Start index of every character of an ANSI text: a lead byte and the byte after it form
// one character.
template <class Visit>
void ForEachCharacter(std::string_view text, LeadByteTest isLead, Visit visit)
{
    for (size_t i = 0; i < text.size();) {
        const size_t width = isLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
        visit(i, width);
        i += width;
    }
}

bool EndsWithBackslash(std::string_view text, LeadByteTest isLead)
{
    bool last = false;
    ForEachCharacter(text, isLead, [&](size_t i, size_t width) { last = width == 1 && text[i] == '\\'; });
    return last;
}

}  // namespace

bool NoLeadBytes(unsigned char) { return false; }

std::string FormatSettingNumber(int16_t value)
{
    const std::string digits = std::to_string(value);
    return value < 0 ? digits : " " + digits;
}

std::string ParentFolder(std::string_view path, LeadByteTest isLead)
{
    size_t cut = 0;   // length up to and including the last ':' or '\'
    ForEachCharacter(path, isLead, [&](size_t i, size_t width) {
        if (width == 1 && (path[i] == ':' || path[i] == '\\'))
            cut = i + 1;
    });
    return WithoutTrailingBackslash(path.substr(0, cut), isLead);
}

std::string WithoutTrailingBackslash(std::string_view path, LeadByteTest isLead)
{
    if (EndsWithBackslash(path, isLead))
        path.remove_suffix(1);
    return std::string(path);
}

std::string IniNameField(std::string_view utf8Name)
{
    // Characters, not bytes: a UTF-8 continuation byte never starts one.
    size_t characters = 0, end = 0;
    for (; end < utf8Name.size(); ++end) {
        const bool starts = (static_cast<unsigned char>(utf8Name[end]) & 0xC0) != 0x80;
        if (starts && ++characters > kIniNameFieldSize - 1)
            break;
    }
    return std::string(utf8Name.substr(0, end));
}

std::string GetIniString(SettingsPlatform& platform, const std::string& section, const std::string& key,
                         const std::string& file)
{
    std::vector<char> buffer(kIniValueBufferSize, '\0');
    platform.GetProfileString(section.c_str(), key.c_str(), "", buffer.data(), kIniValueBufferSize, file.c_str());
    buffer.back() = '\0';   // whatever the platform did, the text ends inside the buffer
    return std::string(buffer.data());
}

void WriteIniString(SettingsPlatform& platform, const std::string& section, const std::string& key,
                    const std::string& value, const std::string& file)
{
    const std::string sectionField = IniNameField(section);
    const std::string keyField = IniNameField(key);
    platform.WriteProfileString(sectionField.c_str(), keyField.c_str(), value.c_str(), file.c_str());
}

bool FileExists(SettingsPlatform& platform, const std::string& path)
{
    return platform.OpenForReading(WithoutTrailingBackslash(path, platform.LeadBytes()));
}

void ReadSettings(SettingsPlatform& platform, const std::string& programFolder)
{
    const std::string file = programFolder + kSettingsFileName;
    BgmKind = ParseSettingNumber(GetIniString(platform, kSettingsSection, kBgmKindKey, file));
    BgmRepeat = ParseSettingNumber(GetIniString(platform, kSettingsSection, kBgmRepeatKey, file));

    BgmFile = GetIniString(platform, kSettingsSection, kBgmFileKey, file);
    if (!BgmFile.empty() && !FileExists(platform, BgmFile))
        BgmFile.clear();
    if (BgmFile.empty() && BgmKind == 2)
        BgmKind = 0;

    BgmFolder = BgmFile.empty() ? programFolder : ParentFolder(BgmFile, platform.LeadBytes());
}

}  // namespace glowmere
