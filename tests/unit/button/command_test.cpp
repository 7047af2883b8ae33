// The Command button: its states, looks and Click, its properties, and its frame.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "command.h"
#include "properties.h"

namespace {

using namespace glowmere::button;
using Log = std::vector<std::string>;

// Records what the control asks: "draw Normal" ("*": hot face), "poll 100", "click", "change Caption", "repaint".
struct RecordingSurface final : CommandSurface {
    Log log;
    void Draw(const DrawPlan& plan) override
    {
        log.push_back(std::string("draw ") + Name(plan.bitmap) + (plan.hotFace ? "*" : ""));
    }
    void Repaint() override { log.push_back("repaint"); }
    void StartPoll(unsigned milliseconds) override { log.push_back("poll " + std::to_string(milliseconds)); }
    void RaiseClick() override { log.push_back("click"); }
    void ReportChange(std::string_view property) override { log.push_back("change " + std::string(property)); }
    Log Take() { return std::exchange(log, {}); }
};

// A button as the settings dialog has one: loaded with every default, initialised, driven into
// `state` by real events (4 by way of a hover, 2 -> 4), and disabled when `state` is negative.
struct LoadedButton {
    RecordingSurface surface;
    Command button{surface, 1215, 375};
    LoadedButton(int state, bool leftHeld)
    {
        button.ReadProperties(PropertyStore(), DesignFont());
        if (state != 0)
            button.Initialize();
        if (std::abs(state) % 2 == 0 && state != 0)
            button.MouseMove(0, true);
        if (std::abs(state) >= 3)
            button.GotFocus();
        if (leftHeld)
            button.MouseDown(kLeftButton);
        if (state < 0)
            button.SetEnabled(false);
        EXPECT_EQ(static_cast<int>(button.State()), std::abs(state));
        surface.Take();
    }
};

const std::map<std::string, void (*)(Command&)> kEvents = {
    {"move over", [](auto& b) { b.MouseMove(0, true); }}, {"left press", [](auto& b) { b.MouseDown(kLeftButton); }},
    {"move off while captured", [](auto& b) { b.MouseMove(kLeftButton, false); }},
    {"right press", [](auto& b) { b.MouseDown(kRightButton); }}, {"focus gained", [](auto& b) { b.GotFocus(); }},
    {"left release", [](auto& b) { b.MouseUp(kLeftButton, true); }}, {"focus lost", [](auto& b) { b.LostFocus(); }},
    {"right release", [](auto& b) { b.MouseUp(kRightButton, true); }}, {"resize", [](auto& b) { b.Resize(1215, 375); }},
    {"left release off", [](auto& b) { b.MouseUp(kLeftButton, false); }},
    {"poll over the form", [](auto& b) { b.PollTick(CursorOver::ParentForm); }},
    {"poll elsewhere", [](auto& b) { b.PollTick(CursorOver::Elsewhere); }},
    {"poll over the button", [](auto& b) { b.PollTick(CursorOver::Button); }},
    {"initialised", [](auto& b) { b.Initialize(); }}, {"Enabled read", [](auto& b) { b.Enabled(); }},
    {"Enabled written", [](auto& b) { b.SetEnabled(true); }}, {"FontColour read", [](auto& b) { b.FontColour(); }},
    {"Enabled written False", [](auto& b) { b.SetEnabled(false); }},
    {"FontColour written", [](auto& b) { b.SetFontColour(0xFF); }},
    {"Visible written False", [](auto& b) { b.SetVisible(false); }},
    {"Visible written True", [](auto& b) { b.SetVisible(true); }},
};

TEST(CommandStateTable, EveryRowGivesItsStateLookAndClick)
{
    const struct { int from; bool held; const char* event; int to; bool heldAfter; Log recorded; } table[] = {
        {1, false, "move over", 2, false, {"draw HighLight*"}},
        {3, false, "move over", 4, false, {"draw HighLightSelect"}},   // from the keyboard: plain face
        {3, true, "move over", 3, true, {}},
        {2, false, "move over", 2, false, {}},
        {1, true, "move off while captured", 1, true, {}},
        {4, false, "left press", 4, true, {"draw Pressed*"}},
        {2, false, "right press", 2, false, {}},
        {1, true, "left release", 1, false, {"click"}},
        {2, true, "left release", 2, false, {"draw Normal*", "click"}},
        {3, true, "left release", 3, false, {}},
        {4, true, "left release", 4, false, {"draw HighLightSelect*", "click"}},   // from a hover: hot face
        {1, false, "right release", 1, false, {"click"}},
        {4, true, "right release", 4, true, {"click"}},
        {4, true, "left release off", 4, false, {"draw HighLightSelect*"}},
        {2, false, "focus gained", 4, false, {"draw Pressed*"}},
        {1, false, "focus gained", 3, false, {"draw Selected"}},
        {0, false, "focus gained", 3, false, {"draw Selected"}},
        {2, false, "focus lost", 1, false, {"draw Normal"}},
        {1, false, "focus lost", 1, false, {}},
        {2, false, "poll over the form", 1, false, {"draw Normal"}},
        {4, true, "poll elsewhere", 3, true, {"draw Selected"}},
        {1, false, "poll elsewhere", 1, false, {}},
        {4, false, "poll over the button", 4, false, {}},
        {0, false, "initialised", 1, false, {"poll 100"}},
        {4, false, "resize", 4, false, {"draw Normal*"}},
        {2, false, "Enabled written", 2, false, {"change Enabled", "draw Normal*"}},
        // Property reads and writes redraw as their table says, and never change the state.
        {4, false, "Enabled read", 4, false, {"draw Normal*"}},
        {4, false, "FontColour read", 4, false, {"draw Normal*"}},
        {4, false, "FontColour written", 4, false, {"repaint", "draw Normal*", "change FontColour"}},
        {3, false, "Visible written False", 3, false, {"repaint", "change Visible"}},
        {3, false, "Visible written True", 3, false, {"repaint", "draw Normal", "change Visible"}},
        // Disabled, the button ignores the mouse, the focus and the poll; resize and Enabled still draw.
        {2, false, "Enabled written False", 2, false, {"change Enabled", "draw Disable*", "repaint"}},
        {-4, true, "left release", 4, true, {}}, {-2, false, "left press", 2, false, {}},
        {-1, false, "move over", 1, false, {}}, {-3, false, "focus lost", 3, false, {}},
        {-1, false, "focus gained", 1, false, {}}, {-4, false, "poll elsewhere", 4, false, {}},
        {-4, false, "resize", 4, false, {"draw Disable*"}},
        {-3, false, "Enabled written", 3, false, {"change Enabled", "draw Normal", "repaint"}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(std::string(row.event) + " in " + std::to_string(row.from));
        LoadedButton b(row.from, row.held);
        kEvents.at(row.event)(b.button);
        EXPECT_EQ(b.button.Look().enabled, b.button.EnabledValue()) << "a disabled caption is greyed";
        EXPECT_EQ(static_cast<int>(b.button.State()), row.to);
        EXPECT_EQ(b.button.LeftPressed(), row.heldAfter);
        EXPECT_EQ(b.surface.Take(), row.recorded);
    }
}

TEST(CommandStore, ALoadTakesTheDefaultsOfMissingValuesAndRefusesValuesOfTheWrongKind)
{
    RecordingSurface surface;
    Command empty(surface), stored(surface), wrong(surface);
    const glowmere::Font ambient{"Tahoma"};   // the host's font
    empty.SetVisible(false);
    empty.ReadProperties(PropertyStore(), ambient);
    EXPECT_TRUE(empty.EnabledValue() && empty.Opaque() && empty.FirstRun() == 1 && empty.Caption() == "Command1");
    EXPECT_EQ(empty.CaptionFont(), ambient);
    PropertyStore values, mistyped;   // each mistyped value leaves the property as the created button has it
    values.Put("Enabled", false), mistyped.Put("Enabled", std::string("yes"));
    values.Put("Caption", std::string("...")), mistyped.Put("Caption", uint32_t{7});
    values.Put("FontColour", uint32_t{0xFF}), mistyped.Put("FirstRun", int16_t{1});
    values.Put("Visible", int16_t{0}), mistyped.Put("Visible", int16_t{2});
    stored.ReadProperties(values, ambient);
    wrong.ReadProperties(mistyped, ambient);
    EXPECT_TRUE(!stored.EnabledValue() && stored.Caption() == "..." && stored.Look().colour == 255 && !stored.Opaque());
    EXPECT_TRUE(!wrong.EnabledValue() && wrong.Caption() == "Command" && wrong.FirstRun() == 0 && wrong.Opaque());
}

using Rects = std::vector<PixelRect>;
Rects Destinations(int32_t width, int32_t height)
{
    Rects out;
    for (const FrameCopy& copy : FrameCopies(width, height))
        out.push_back(ToPixels(copy.destination));
    return out;
}

TEST(CommandGeometry, TheBitmapsOuterBandsFrameTheButtonInThirtyTwoBits)
{
    // 81 × 25 pixels (1215 × 375 twips), as OK and Cancel: the 56-pixel middle stretched to 73.
    EXPECT_EQ(Destinations(1215, 375), (Rects{{0, 0, 4, 4}, {4, 0, 73, 4}, {77, 0, 4, 4}, {77, 4, 4, 17},
                                              {77, 21, 4, 4}, {4, 21, 73, 4}, {0, 21, 4, 4}, {0, 4, 4, 17}}));
    for (const FrameCopy& copy : FrameCopies(1215, 375)) {   // the bitmap's centre is never copied
        const PixelRect s = ToPixels(copy.source);
        EXPECT_TRUE((s.width == 4 || s.height == 4) && s.x + s.width <= 64 && s.y + s.height <= 25);
    }
    // 2400 pixels wide: 35940 twips, beyond 16 bits, still a whole frame.
    const Rects wide = Destinations(36000, 375);
    EXPECT_EQ(Rects(wide.begin() + 1, wide.begin() + 5),
              (Rects{{4, 0, 2392, 4}, {2396, 0, 4, 4}, {2396, 4, 4, 17}, {2396, 21, 4, 4}}));
    // 6 × 6 pixels: the stretched pieces would be -2 pixels and are left out.
    const auto tiny = FrameCopies(90, 90);
    for (int piece = 0; piece < 8; ++piece)
        EXPECT_EQ(tiny[piece].Drawn(), piece % 2 == 0) << piece;
}

}  // namespace
