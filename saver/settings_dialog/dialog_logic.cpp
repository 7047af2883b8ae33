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

int SourceAt(int panelX, int panelY, int dpi)
{
    const dialog::Layout layout = dialog::LayoutAt(dpi);
    for (int source = 0; source < dialog::kSourceCount; ++source)
        if (layout.sourceMarks[source].Contains(panelX, panelY) || layout.sourceLabels[source].Contains(panelX, panelY))
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

std::optional<std::string> StoredPath(std::wstring_view chosen, const PathCodePage& codePage)
{
    if (std::optional<std::string> written = codePage.Written(chosen))
        return written;
    const std::wstring shortForm = codePage.ShortForm(chosen);
    if (shortForm.empty())
        return std::nullopt;
    return codePage.Written(shortForm);
}

void UseChosenFile(std::string_view fileBuffer, LeadByteTest isLead)
{
    BgmFile = std::string(fileBuffer.substr(0, fileBuffer.find('\0')));
    BgmFolder = ParentFolder(BgmFile, isLead);
}

namespace dialog {

Box ScaleBox(const Box& box, int dpi)
{
    const int left = ScaleToDpi(box.x, dpi), top = ScaleToDpi(box.y, dpi);
    return {left, top, ScaleToDpi(box.x + box.width, dpi) - left, ScaleToDpi(box.y + box.height, dpi) - top};
}

Layout LayoutAt(int dpi)
{
    Layout layout;
    layout.dpi = dpi;
    const auto at = [dpi](const Box& box) { return ScaleBox(box, dpi); };
    layout.client = at({0, 0, kClientWidth, kClientHeight});
    layout.panel = at(kPanel);
    layout.creditLabel = at(kCreditLabel);
    layout.linkLabel = at(kLinkLabel);
    layout.setButton = at(kSetButton);
    layout.cancelButton = at(kCancelButton);
    layout.headingFrame = at(kHeadingFrame);
    layout.headingLabel = at(kHeadingLabel);
    layout.repeatBox = at(kRepeatBox);
    layout.repeatLabel = at(kRepeatLabel);
    layout.fileButton = at(kFileButton);
    layout.fileLabel = at(kFileLabel);
    for (int source = 0; source < kSourceCount; ++source) {
        layout.sourceMarks[source] = at(kSourceMarks[source]);
        layout.sourceLabels[source] = at(kSourceLabels[source]);
    }
    layout.repeatListHeight = ScaleToDpi(kRepeatListHeight, dpi);
    layout.lineWidth = ScaleToDpi(1, dpi);
    return layout;
}

std::string CreditText() { return std::string("Glowmere Ver ") + GLOWMERE_VERSION; }

}  // namespace dialog

}  // namespace glowmere
