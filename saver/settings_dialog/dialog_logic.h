#pragma once
// The settings dialog's decisions and arithmetic, free of the window system: the texts of
// the repeat box, which controls a music source enables, where the panel texture is
// tiled, the colours of the background gradient, where the dialog is placed, which source
// a mouse press picks, what saving writes, what a chosen file is stored as and what it
// changes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "display_scale.h"
#include "settings_file.h"

namespace glowmere {

// A number in the "##" pattern: its decimal digits, and the empty text for 0.
std::string FormatHashHash(int value);

// The items of the repeat box: the empty text for 0, then "1" to "30".
std::vector<std::string> RepeatListItems();

// Which controls a music source enables, and which source mark shows selected.
struct SourceControls {
    bool repeatEnabled = false;     // BGM_Repeat: only for the audio CD
    bool fileButtonEnabled = false; // Cmd_File: only for a music file
    int selectedMark = -1;          // Img_BGM element, or -1 when the source is none of 0..2
};
SourceControls ControlsForSource(int bgmKind);

struct TilePosition {
    int x;
    int y;
};

// The places where the panel texture is copied: column by column from the top-left, each
// column down to the first tile that starts below the target's bottom edge, stopping after
// the first column that starts beyond its right edge.
std::vector<TilePosition> TilePositions(int tileWidth, int tileHeight, int targetWidth, int targetHeight);

struct GradientColour {
    int r, g, b;
};

// The colour of row y of the background for a client height of `height` pixels: a blue-
// tinted black at the top and bottom and (220, 220, 250) at half height.
GradientColour GradientRow(int y, double height);

struct ScreenPoint {
    int x, y;
};

// The dialog's top-left corner: centred across the screen, and a third of the free height
// from the top. Each division truncates toward zero, so a window larger than the screen
// gets a negative origin.
ScreenPoint DialogOrigin(int screenWidth, int screenHeight, int windowWidth, int windowHeight);

// The music source whose mark or label lies under a point of the group panel laid out at
// `dpi`, or -1.
int SourceAt(int panelX, int panelY, int dpi = kDesignDpi);

// Saving, in this order, each through WriteIniString into section "Section" of
// `settingsFile`: "BGM区分" = BgmKind (" 2", "-1"); BgmRepeat := the repeat text as a
// number (RepeatFromText, number_text.h); "BGMﾘﾋﾟｰﾄ" = BgmRepeat; "BGMﾌｧｲﾙ" = BgmFile
// unchanged.
// `repeatText` is the repeat box's text in the ANSI code page.
void SaveSettings(SettingsPlatform& platform, const std::string& settingsFile, std::string_view repeatText);

// How the system code page sees a path (the platform's conversions, a seam for tests).
class PathCodePage {
public:
    virtual ~PathCodePage() = default;
    // The path in the ANSI code page, or nothing when the code page cannot write it: a
    // character would become the default character or a look-alike.
    virtual std::optional<std::string> Written(std::wstring_view path) const = 0;
    // The path's short (8.3) form, or the empty text when it has none.
    virtual std::wstring ShortForm(std::wstring_view path) const = 0;
};

// What a file chosen in the open-file dialog is stored as: BgmFile is ANSI, and MCI and
// PlaySound open it by that name. A path the code page can write is stored as it is;
// otherwise its short path, when the code page can write that one; otherwise nothing,
// and the previous file stays.
std::optional<std::string> StoredPath(std::wstring_view chosen, const PathCodePage& codePage);

// The open-file request came back with `fileBuffer` (ANSI): BgmFile := the buffer up to
// its first NUL, BgmFolder := its folder. BgmKind stays as it is.
void UseChosenFile(std::string_view fileBuffer, LeadByteTest isLead);

}  // namespace glowmere
