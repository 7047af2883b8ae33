// The Command button's behaviour: its state-and-lifecycle table row by row (looks, Click,
// the hot face), a disabled button, and the side effects of its properties.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "command.h"

namespace {

using namespace glowmere::button;
using Log = std::vector<std::string>;

// Records what the control asks of its platform: "draw Normal" ("*" after a hot face),
// "poll 100", "click", "change Caption", "repaint".
class RecordingSurface final : public CommandSurface {
public:
    Log log;
    void Draw(const DrawPlan& plan) override { log.push_back(std::string("draw ") + Name(plan.bitmap) + (plan.hotFace ? "*" : "")); }
    void Repaint() override { log.push_back("repaint"); }
    void StartPoll(unsigned milliseconds) override { log.push_back("poll " + std::to_string(milliseconds)); }
    void RaiseClick() override { log.push_back("click"); }
    void ReportChange(std::string_view property) override { log.push_back("change " + std::string(property)); }
    Log Take() { return std::exchange(log, {}); }
};

// A button as the settings dialog has one: loaded with every property's default, then
// initialised, then driven into `state` by real events (4 by way of a hover, 2 -> 4).
struct LoadedButton {
    RecordingSurface surface;
    Command button{surface, 1215, 375};

    LoadedButton(int state, bool leftHeld)
    {
        button.ReadProperties(PropertyStore(), DesignFont());
        if (state != 0)
            button.Initialize();
        if (state == 2 || state == 4)
            button.MouseMove(0, true);
        if (state == 3 || state == 4)
            button.GotFocus();
        if (leftHeld)
            button.MouseDown(kLeftButton);
        EXPECT_EQ(static_cast<int>(button.State()), state);
        surface.Take();
    }
};

using Action = void (*)(Command&);
// clang-format off
const std::pair<const char*, Action> kEvents[] = {
    {"move over", [](Command& b) { b.MouseMove(0, true); }},
    {"move off while captured", [](Command& b) { b.MouseMove(kLeftButton, false); }},
    {"left press", [](Command& b) { b.MouseDown(kLeftButton); }},
    {"right press", [](Command& b) { b.MouseDown(kRightButton); }},
    {"left release", [](Command& b) { b.MouseUp(kLeftButton, true); }},
    {"right release", [](Command& b) { b.MouseUp(kRightButton, true); }},
    {"middle release", [](Command& b) { b.MouseUp(kMiddleButton, true); }},
    {"left release off", [](Command& b) { b.MouseUp(kLeftButton, false); }},
    {"right release off", [](Command& b) { b.MouseUp(kRightButton, false); }},
    {"focus gained", [](Command& b) { b.GotFocus(); }},
    {"focus lost", [](Command& b) { b.LostFocus(); }},
    {"poll over the form", [](Command& b) { b.PollTick(CursorOver::ParentForm); }},
    {"poll elsewhere", [](Command& b) { b.PollTick(CursorOver::Elsewhere); }},
    {"poll over the button", [](Command& b) { b.PollTick(CursorOver::Button); }},
    {"resize", [](Command& b) { b.Resize(1215, 375); }},
    {"Enabled written", [](Command& b) { b.SetEnabled(true); }},
    {"Enabled read", [](Command& b) { b.Enabled(); }},
    {"FontColour read", [](Command& b) { b.FontColour(); }},
    {"FontColour written", [](Command& b) { b.SetFontColour(0xFF); }},
    {"Visible read", [](Command& b) { b.Visible(); }},
    {"Visible written False", [](Command& b) { b.SetVisible(false); }},
    {"Visible written True", [](Command& b) { b.SetVisible(true); }},
    {"Caption written", [](Command& b) { b.SetCaption("設定"); }},
    {"initialised", [](Command& b) { b.Initialize(); }},
};
// clang-format on

Action EventNamed(const std::string& name)
{
    for (const auto& [eventName, action] : kEvents)
        if (name == eventName)
            return action;
    ADD_FAILURE() << "no event " << name;
    return [](Command&) {};
}

TEST(CommandStateTable, EveryRowGivesItsStateLookAndClick)
{
    const struct {
        int from;
        bool held;
        const char* event;
        int to;
        bool heldAfter;
        Log recorded;
    } table[] = {
        {1, false, "move over", 2, false, {"draw HighLight*"}},
        {3, false, "move over", 4, false, {"draw HighLightSelect"}},   // from the keyboard: plain face
        {3, true, "move over", 3, true, {}},
        {2, false, "move over", 2, false, {}},
        {0, false, "move over", 0, false, {}},
        {1, true, "move off while captured", 1, true, {}},
        {1, false, "left press", 1, true, {"draw Pressed"}},
        {4, false, "left press", 4, true, {"draw Pressed*"}},
        {2, false, "right press", 2, false, {}},
        {1, true, "left release", 1, false, {"click"}},
        {2, true, "left release", 2, false, {"draw Normal*", "click"}},
        {3, true, "left release", 3, false, {}},
        {4, true, "left release", 4, false, {"draw HighLightSelect*", "click"}},   // from a hover: hot face
        {1, false, "right release", 1, false, {"click"}},
        {3, false, "right release", 3, false, {}},
        {2, false, "middle release", 2, false, {"click"}},
        {4, true, "right release", 4, true, {"click"}},
        {4, true, "left release off", 4, false, {"draw HighLightSelect*"}},
        {1, false, "right release off", 1, false, {}},
        {2, false, "focus gained", 4, false, {"draw Pressed*"}},
        {1, false, "focus gained", 3, false, {"draw Selected"}},
        {4, false, "focus gained", 3, false, {"draw Selected"}},
        {0, false, "focus gained", 3, false, {"draw Selected"}},
        {2, false, "focus lost", 1, false, {"draw Normal"}},
        {4, false, "focus lost", 1, false, {"draw Normal"}},
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
        {4, false, "Visible read", 4, false, {"draw Normal*"}},
        {3, false, "Visible written False", 3, false, {"repaint", "change Visible"}},
        {3, false, "Visible written True", 3, false, {"repaint", "draw Normal", "change Visible"}},
        {3, false, "Caption written", 3, false, {"repaint", "change Caption"}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(std::string(row.event) + " in " + std::to_string(row.from));
        LoadedButton b(row.from, row.held);
        EventNamed(row.event)(b.button);
        EXPECT_EQ(static_cast<int>(b.button.State()), row.to);
        EXPECT_EQ(b.button.LeftPressed(), row.heldAfter);
        EXPECT_EQ(b.surface.Take(), row.recorded);
    }
}

TEST(CommandDisabled, IgnoresMouseFocusAndPollButResizeAndEnabledStillDraw)
{
    for (int state : {1, 2, 3, 4}) {
        SCOPED_TRACE(state);
        LoadedButton b(state, false);
        b.button.SetEnabled(false);
        const std::string hot = state % 2 ? "" : "*";   // the face stays as the state had it
        EXPECT_EQ(b.surface.Take(), (Log{"change Enabled", "draw Disable" + hot, "repaint"}));
        EXPECT_FALSE(b.button.Look().enabled) << "the caption is greyed";
        for (size_t i = 0; i < 14; ++i)   // every mouse, focus and poll event
            kEvents[i].second(b.button);
        b.button.Resize(1215, 420);
        EXPECT_EQ(b.surface.Take(), (Log{"draw Disable" + hot}));
        EXPECT_EQ(static_cast<int>(b.button.State()), state);
        EXPECT_FALSE(b.button.LeftPressed());
        b.button.SetEnabled(true);
        EXPECT_EQ(b.surface.Take(), (Log{"change Enabled", "draw Normal" + hot, "repaint"}));
    }
}

TEST(CommandLife, ANewButtonIsSetUpByItsFirstReadOfEnabledAndBlackensItsCaptionUntilThen)
{
    RecordingSurface surface;
    Command fresh(surface), other(surface);
    EXPECT_EQ((std::vector<int>{fresh.Width(), fresh.Height(), fresh.EnabledValue(), fresh.FirstRun()}),
              (std::vector<int>{1755, 420, false, 0}));
    EXPECT_EQ(fresh.Caption(), "Command");
    EXPECT_TRUE(fresh.Enabled());
    EXPECT_EQ(fresh.FirstRun(), 1);
    EXPECT_EQ(surface.Take(), (Log{"draw Normal"}));

    other.SetEnabled(true);
    other.SetFontColour(0x00FF00);
    EXPECT_EQ(other.Look().colour, 0u);
    fresh.SetFontColour(0x00FF00);
    EXPECT_EQ(fresh.Look().colour, 0x00FF00u);
}

}  // namespace
