#pragma once
// The black covers of a full-screen run: which parts of the desktop they hide (every
// monitor but the one the renderer's window lies on) and how a cover answers its messages.
#include <cstdint>
#include <vector>

#include "program.h"

namespace glowmere::renderer {

// A rectangle in desktop coordinates; right and bottom are exclusive.
struct ScreenRect {
    long left = 0, top = 0, right = 0, bottom = 0;
};

inline bool operator==(const ScreenRect& a, const ScreenRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// One rectangle per monitor other than the renderer's, in the monitors' order. A monitor
// that overlaps the renderer's (a mirror, or a larger monitor showing the same pixels) is
// covered only around it, in bands, so that no cover hides the renderer's picture; an
// empty renderer's monitor (not known) gives no covers at all.
std::vector<ScreenRect> CoverRects(const std::vector<ScreenRect>& monitors, const ScreenRect& rendererMonitor);

// A cover follows the renderer's own rules for keys, clicks and system commands, but a
// click never activates it, the cursor stays hidden over it, and display changes are left
// to the renderer's window, which lays all covers out again.
MessageAction CoverMessageAction(unsigned message, uintptr_t wParam);

}  // namespace glowmere::renderer
