#include <gtest/gtest.h>

#include <vector>

#include "covers.h"

namespace glowmere::renderer {
void PrintTo(const ScreenRect& r, std::ostream* out) { *out << r.left << ',' << r.top << '-' << r.right << ',' << r.bottom; }
}  // namespace glowmere::renderer

namespace {

using namespace glowmere::renderer;
using Rects = std::vector<ScreenRect>;

const ScreenRect kPrimary = {0, 0, 1024, 768};

TEST(Covers, EveryMonitorButTheRenderersIsCoveredAndNothingOverTheRenderersPicture)
{
    const ScreenRect right = {1024, 0, 2304, 1024}, left = {-1280, 0, 0, 1024}, below = {0, 768, 1024, 1536};
    const struct {
        const char* layout;
        Rects monitors;
        ScreenRect renderer;
        Rects covers;
    } cases[] = {
        {"one monitor", {kPrimary}, kPrimary, {}},
        {"right of it", {kPrimary, right}, kPrimary, {right}},
        {"left of it and below it", {left, kPrimary, below}, kPrimary, {left, below}},
        {"renderer on the second", {kPrimary, right}, right, {kPrimary}},
        {"a mirror of it", {kPrimary, kPrimary}, kPrimary, {}},
        {"a larger mirror", {kPrimary, {0, 0, 1280, 1024}}, kPrimary, {{0, 768, 1280, 1024}, {1024, 0, 1280, 768}}},
        {"a monitor around it", {{-10, -20, 1100, 800}}, kPrimary,
         {{-10, -20, 1100, 0}, {-10, 768, 1100, 800}, {-10, 0, 0, 768}, {1024, 0, 1100, 768}}},
        {"overlapping its left part", {{-500, 100, 10, 900}}, kPrimary, {{-500, 768, 10, 900}, {-500, 100, 0, 768}}},
        {"an empty monitor", {kPrimary, {2000, 0, 2000, 768}}, kPrimary, {}},
        {"renderer's monitor unknown", {kPrimary, right}, {}, {}},
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
