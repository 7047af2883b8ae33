#include "dialog_logic.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "dialog_layout.h"
#include "settings_values.h"

#ifndef GLOWMERE_VERSION
#error "GLOWMERE_VERSION comes from the project's version in CMakeLists.txt"
#endif

namespace glowmere {

std::string FormatHashHash(int value) { return value == 0 ? std::string() : std::to_string(value); }

std::vector<std::string> RepeatListItems()
{
    std::vector<std::string> items;
    for (int track = 0; track <= 30; ++track)
        items.push_back(FormatHashHash(track));
    return items;
}

std::optional<double> ParseNumber(std::string_view text)
{
    size_t i = 0;
    const auto blank = [&](size_t at) { return at < text.size() && (text[at] == ' ' || text[at] == '\t'); };
    const auto digit = [&](size_t at) { return at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); };
    while (blank(i))
        ++i;
    const size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    size_t digits = 0;
    while (digit(i))
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (digit(i))
            ++i, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t e = i + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-'))
            ++e;
        if (!digit(e))
            return std::nullopt;
        while (digit(e))
            ++e;
        i = e;
    }
    const size_t end = i;
    while (blank(i))
        ++i;
    if (i != text.size())
        return std::nullopt;
    const std::string number(text.substr(start, end - start));
    return std::strtod(number.c_str(), nullptr);
}

int16_t RepeatFromText(std::string_view text)
{
    const std::optional<double> number = ParseNumber(text);
    if (!number || !std::isfinite(*number))
        return 0;
    // nearbyint rounds halves to even in the default rounding mode.
    const double rounded = std::nearbyint(*number);
    if (rounded < std::numeric_limits<int16_t>::min() || rounded > std::numeric_limits<int16_t>::max())
        return 0;
    return static_cast<int16_t>(rounded);
}

SourceControls ControlsForSource(int bgmKind)
{
    SourceControls controls;
    controls.repeatEnabled = bgmKind == 1;
    controls.fileButtonEnabled = bgmKind == 2;
    controls.selectedMark = bgmKind >= 0 && bgmKind <= 2 ? bgmKind : -1;
    return controls;
}

std::vector<TilePosition> TilePositions(int tileWidth, int tileHeight, int targetWidth, int targetHeight)
{
    std::vector<TilePosition> positions;
    if (tileWidth <= 0 || tileHeight <= 0)
        return positions;   // a zero-sized tile would never move on
    int x = 0, y = 0;
    for (;;) {
        positions.push_back({x, y});
        if (y > targetHeight) {
            if (x > targetWidth)
                break;
            x += tileWidth;
            y = 0;
        } else {
            y += tileHeight;
        }
    }
    return positions;
}

GradientColour GradientRow(int y, double height)
{
    if (!(height > 0.0))
        return {0, 0, 30};
    const double f = height / 3.142;
    const int v = static_cast<int>(std::lround(std::fabs(std::sin(y / f) * 220.0)));
    return {v, v, v + 30};
}

ScreenPoint DialogOrigin(int screenWidth, int screenHeight, int windowWidth, int windowHeight)
{
    return {(screenWidth - windowWidth) / 2, (screenHeight - windowHeight) / 3};
}

int SourceAt(int panelX, int panelY)
{
    for (int source = 0; source < dialog::kSourceCount; ++source)
        if (dialog::kSourceMarks[source].Contains(panelX, panelY) ||
            dialog::kSourceLabels[source].Contains(panelX, panelY))
            return source;
    return -1;
}

void SaveSettings(SettingsPlatform& platform, const std::string& settingsFile, std::string_view repeatText)
{
    WriteIniString(platform, kSettingsSection, kBgmKindKey, FormatSettingNumber(BgmKind), settingsFile);
    BgmRepeat = RepeatFromText(repeatText);
    WriteIniString(platform, kSettingsSection, kBgmRepeatKey, FormatSettingNumber(BgmRepeat), settingsFile);
    WriteIniString(platform, kSettingsSection, kBgmFileKey, BgmFile, settingsFile);
}

void UseChosenFile(std::string_view fileBuffer, LeadByteTest isLead)
{
    BgmFile = std::string(fileBuffer.substr(0, fileBuffer.find('\0')));
    BgmFolder = ParentFolder(BgmFile, isLead);
}

namespace dialog {

std::string CreditText() { return std::string("Glowmere Ver ") + GLOWMERE_VERSION; }

}  // namespace dialog

}  // namespace glowmere
