#include <gtest/gtest.h>

#include <vector>

#include "covers.h"

namespace glowmere::renderer {
void PrintTo(const ScreenRect& r, std::ostream* out) { *out << r.left << ',' << r.top << '-' << r.right << ',' << r.bottom; }
}  // namespace glowmere::renderer

namespace {

using namespace glowmere::renderer;
using Rects = std::vector<ScreenRect>;

TEST(Covers, EveryMonitorButTheRenderersIsCoveredAndNothingOverTheRenderersPicture)
{
    const ScreenRect primary = {0, 0, 1024, 768}, right = {1024, 0, 2304, 1024}, left = {-1280, 0, 0, 1024},
                     below = {0, 768, 1280, 1792}, above = {-200, -1024, 1080, 0};
    const struct {
        const char* layout;
        Rects monitors;
        ScreenRect renderer;
        Rects covers;
    } cases[] = {
        {"one monitor", {primary}, primary, {}},
        {"right of it", {primary, right}, primary, {right}},
        {"left of, below and above it", {left, primary, below, above}, primary, {left, below, above}},
        {"renderer on the second", {primary, right}, right, {primary}},
        {"a mirror of it", {primary, primary}, primary, {}},
        {"a larger mirror", {primary, {0, 0, 1280, 1024}}, primary, {{0, 768, 1280, 1024}, {1024, 0, 1280, 768}}},
        {"a monitor around it", {{-10, -20, 1100, 800}}, primary,
         {{-10, -20, 1100, 0}, {-10, 768, 1100, 800}, {-10, 0, 0, 768}, {1024, 0, 1100, 768}}},
        {"renderer's monitor unknown", {primary, right}, {}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CoverRects(c.monitors, c.renderer), c.covers) << c.layout;
}

TEST(Covers, ACoverEndsTheRunOnEscapeLikeTheRendererButNeverTakesTheActivationOrShowsTheCursor)
{
    EXPECT_EQ(CoverMessageAction(msg::kMouseActivate, 0), MessageAction::KeepInactive);
    EXPECT_EQ(CoverMessageAction(msg::kSetCursor, 0), MessageAction::HideCursor);
    EXPECT_EQ(CoverMessageAction(msg::kKeyDown, msg::kEscapeKey), MessageAction::Quit);
    EXPECT_EQ(CoverMessageAction(msg::kKeyDown, 'A'), MessageAction::Handled);
    EXPECT_EQ(CoverMessageAction(msg::kSysCommand, msg::kScreenSaveCommand), MessageAction::Handled);
    EXPECT_EQ(CoverMessageAction(0x0201 /* left button down */, 1), MessageAction::Default);
    // The renderer's window alone lays the covers out again when the monitors change.
    EXPECT_EQ(RendererMessageAction(msg::kDisplayChange, 16), MessageAction::LayOutCovers);
    EXPECT_EQ(CoverMessageAction(msg::kDisplayChange, 16), MessageAction::Default);
}

}  // namespace
