#pragma once
// The Command button as a Win32 child window of its own class, "GlowmereCommand". The
// host (the settings dialog, or a test host) creates buttons with CreateCommand, fills a
// PropertyStore from its stored form data for each, calls InitializeCommand once per
// button, and reads and writes the properties with the functions below. Handles cross
// this header as opaque values (an HWND is a NativeWindow); it does not include
// <windows.h>.
//
// Events to the host. The host is the button's parent form, the top-level window that
// contains it (a button inside a panel reports to the form, not to the panel):
//   - Click:  WM_COMMAND, wParam = MAKEWPARAM(control id, kCommandClicked),
//             lParam = the button's window. Sent, so the handler runs before the release
//             handling returns; it may destroy the button or its form.
//   - a change of a stored property: WM_COMMAND with the codes below in the high word;
//     CommandChangeName turns a code back into the property's name.
// The caption is also the button's window text (in the ANSI code page), and WM_GETFONT
// answers the font the caption is drawn with.
#include <cstdint>
#include <string>
#include <string_view>

#include "properties.h"

namespace glowmere::button {

using NativeWindow = void*;

constexpr char kCommandClassName[] = "GlowmereCommand";

// Notification codes in the high word of WM_COMMAND's wParam.
constexpr unsigned short kCommandClicked = 0;   // BN_CLICKED
constexpr unsigned short kCommandChangedCaption = 0x4001;
constexpr unsigned short kCommandChangedFont = 0x4002;
constexpr unsigned short kCommandChangedFontColour = 0x4003;
constexpr unsigned short kCommandChangedEnabled = 0x4004;
constexpr unsigned short kCommandChangedVisible = 0x4005;
// "Caption", "Font", "FontColour", "Enabled", "Visible"; nullptr for other codes.
const char* CommandChangeName(unsigned short code);

// Registers the window class (once per process).
bool RegisterCommandClass();

// Creates a visible button at (x, y), width x height pixels, in `parent`'s client area,
// with the control id `id`, laid out at the dpi of `parent`. Its properties are read from `stored` (a missing name takes
// its default; an empty store gives the load defaults, caption "Command1"); without a
// store the button is as newly created (disabled until the host first reads Enabled).
// `ambient` is the host's font, the default caption font; without one the caption's
// own font ("ＭＳ Ｐゴシック" 9.75 pt, Shift-JIS) stands in. Returns nullptr on failure.
NativeWindow CreateCommand(NativeWindow parent, int id, int x, int y, int width, int height,
                           const PropertyStore* stored = nullptr, const Font* ambient = nullptr);

// True when `window` is a Command button.
bool IsCommand(NativeWindow window);

// The dpi of the display the button is now on (the host was told of a change): the
// button redraws itself for it. The host moves and sizes it to go with it.
void SetCommandDpi(NativeWindow button, int dpi);

// ButtonState 1 and the 100 ms hover poll. Call it once for every button after creating
// it; a button that is never initialised has no hover poll.
void InitializeCommand(NativeWindow button);

// Writes the stored properties into `store`: values equal to their save defaults are left
// out (and removed if the store held them).
void SaveCommandProperties(NativeWindow button, PropertyStore& store);

// Properties. Texts are UTF-8. Reading Enabled, FontColour or Visible redraws the button,
// as the control's property rules say.
std::string CommandCaption(NativeWindow button);
void SetCommandCaption(NativeWindow button, std::string_view caption);
Font CommandFont(NativeWindow button);
void SetCommandFont(NativeWindow button, const Font& font);
uint32_t CommandFontColour(NativeWindow button);
void SetCommandFontColour(NativeWindow button, uint32_t colour);
bool CommandEnabled(NativeWindow button);
void SetCommandEnabled(NativeWindow button, bool enabled);
bool CommandVisible(NativeWindow button);
void SetCommandVisible(NativeWindow button, bool visible);

}  // namespace glowmere::button
