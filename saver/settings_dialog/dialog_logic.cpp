#include "dialog_logic.h"

#include <cmath>

#include "dialog_layout.h"
#include "number_text.h"
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
