#include "covers.h"

#include <algorithm>

namespace glowmere::renderer {

namespace {

bool IsEmpty(const ScreenRect& r) { return r.right <= r.left || r.bottom <= r.top; }

bool Overlap(const ScreenRect& a, const ScreenRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// What of `monitor` lies outside `kept`: full-width bands above and below it, then the
// parts left and right of it between those bands.
void AddOutside(const ScreenRect& monitor, const ScreenRect& kept, std::vector<ScreenRect>& rects)
{
    if (monitor.top < kept.top)
        rects.push_back({monitor.left, monitor.top, monitor.right, kept.top});
    if (kept.bottom < monitor.bottom)
        rects.push_back({monitor.left, kept.bottom, monitor.right, monitor.bottom});
    const long top = std::max(monitor.top, kept.top);
    const long bottom = std::min(monitor.bottom, kept.bottom);
    if (monitor.left < kept.left)
        rects.push_back({monitor.left, top, kept.left, bottom});
    if (kept.right < monitor.right)
        rects.push_back({kept.right, top, monitor.right, bottom});
}

}  // namespace

std::vector<ScreenRect> CoverRects(const std::vector<ScreenRect>& monitors, const ScreenRect& rendererMonitor)
{
    std::vector<ScreenRect> rects;
    if (IsEmpty(rendererMonitor))
        return rects;   // nowhere known to keep clear: covering nothing is the safe side
    for (const ScreenRect& monitor : monitors) {
        if (Overlap(monitor, rendererMonitor))
            AddOutside(monitor, rendererMonitor, rects);
        else
            rects.push_back(monitor);
    }
    return rects;
}

MessageAction CoverMessageAction(unsigned message, uintptr_t wParam)
{
    switch (message) {
    case msg::kMouseActivate:
        return MessageAction::KeepInactive;
    case msg::kSetCursor:
        return MessageAction::HideCursor;
    case msg::kDisplayChange:
        return MessageAction::Default;
    default:
        return RendererMessageAction(message, wParam);
    }
}

}  // namespace glowmere::renderer
