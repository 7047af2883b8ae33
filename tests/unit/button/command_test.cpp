// The Command button's behaviour: its state-and-lifecycle table row by row, the typical
// runs, when Click is raised, a disabled button, and the side effects of its properties.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command.h"
#include "recording_surface.h"

namespace {

using namespace glowmere::button;
using glowmere::Font;
using Log = std::vector<std::string>;

// The button's state as the tables number it.
int StateNumber(const Command& button) { return static_cast<int>(button.State()); }

// The table's events, each one call on the button.
using Action = void (*)(Command&);
namespace act {
void MoveOver(Command& b) { b.MouseMove(0, true); }
void MoveOffCaptured(Command& b) { b.MouseMove(kLeftButton, false); }
void LeftPress(Command& b) { b.MouseDown(kLeftButton); }
void RightPress(Command& b) { b.MouseDown(kRightButton); }
void MiddlePress(Command& b) { b.MouseDown(kMiddleButton); }
void LeftRelease(Command& b) { b.MouseUp(kLeftButton, true); }
void RightRelease(Command& b) { b.MouseUp(kRightButton, true); }
void MiddleRelease(Command& b) { b.MouseUp(kMiddleButton, true); }
void LeftReleaseOff(Command& b) { b.MouseUp(kLeftButton, false); }
void RightReleaseOff(Command& b) { b.MouseUp(kRightButton, false); }
void FocusGained(Command& b) { b.GotFocus(); }
void FocusLost(Command& b) { b.LostFocus(); }
void PollOverParent(Command& b) { b.PollTick(CursorOver::ParentForm); }
void PollElsewhere(Command& b) { b.PollTick(CursorOver::Elsewhere); }
void PollOverButton(Command& b) { b.PollTick(CursorOver::Button); }
void Resize(Command& b) { b.Resize(1215, 375); }
void WriteEnabled(Command& b) { b.SetEnabled(true); }
}  // namespace act

// A button as the settings dialog has it: loaded from its form data (here none stored,
// so every load default), then initialised.
struct LoadedButton {
    RecordingSurface surface;
    Command button{surface, 1215, 375};

    explicit LoadedButton(bool initialize = true)
    {
        button.ReadProperties(PropertyStore(), DesignFont());
        if (initialize)
            button.Initialize();
        surface.Take();
    }

    // Drives the button into `state` by real events; state 4 by way of a hover (2 -> 4).
    void Reach(int state, bool leftHeld)
    {
        if (state == 2 || state == 4)
            button.MouseMove(0, true);
        if (state == 3 || state == 4)
            button.GotFocus();
        if (leftHeld)
            button.MouseDown(kLeftButton);
        EXPECT_EQ(StateNumber(button), state);
        EXPECT_EQ(button.LeftPressed(), leftHeld);
        surface.Take();
    }
};

struct Row {
    const char* what;
    int from;
    bool leftHeld;
    Action action;
    int to;
    bool leftHeldAfter;
    Log recorded;
};

TEST(CommandStateTable, EveryRowOfTheTable)
{
    const std::vector<Row> table = {
        // mouse moves over the button
        {"move over in 1", 1, false, act::MoveOver, 2, false, {"draw HighLight"}},
        {"move over in 3, not held", 3, false, act::MoveOver, 4, false, {"draw HighLightSelect"}},
        {"move over in 3, held", 3, true, act::MoveOver, 3, true, {}},
        {"move over in 2", 2, false, act::MoveOver, 2, false, {}},
        {"move over in 4", 4, false, act::MoveOver, 4, false, {}},
        {"move off while captured in 1", 1, true, act::MoveOffCaptured, 1, true, {}},
        // presses
        {"left press in 1", 1, false, act::LeftPress, 1, true, {"draw Pressed"}},
        {"left press in 4", 4, false, act::LeftPress, 4, true, {"draw Pressed"}},
        {"right press in 2", 2, false, act::RightPress, 2, false, {}},
        {"middle press in 4", 4, false, act::MiddlePress, 4, false, {}},
        // left release: the look, then Click unless in state 3
        {"left release in 1", 1, true, act::LeftRelease, 1, false, {"click"}},
        {"left release in 2", 2, true, act::LeftRelease, 2, false, {"draw Normal", "click"}},
        {"left release in 3", 3, true, act::LeftRelease, 3, false, {}},
        {"left release in 4", 4, true, act::LeftRelease, 4, false, {"draw HighLightSelect", "click"}},
        // right and middle releases skip the look and click unless in state 3
        {"right release in 1", 1, false, act::RightRelease, 1, false, {"click"}},
        {"right release in 3", 3, false, act::RightRelease, 3, false, {}},
        {"middle release in 2", 2, false, act::MiddleRelease, 2, false, {"click"}},
        {"middle release in 3", 3, false, act::MiddleRelease, 3, false, {}},
        {"right release, left still held, in 4", 4, true, act::RightRelease, 4, true, {"click"}},
        // a release off the button (the press captured the mouse) clicks nothing
        {"left release off in 4", 4, true, act::LeftReleaseOff, 4, false, {"draw HighLightSelect"}},
        {"right release off in 1", 1, false, act::RightReleaseOff, 1, false, {}},
        // focus
        {"focus gained in 2", 2, false, act::FocusGained, 4, false, {"draw Pressed"}},
        {"focus gained in 1", 1, false, act::FocusGained, 3, false, {"draw Selected"}},
        {"focus gained in 4", 4, false, act::FocusGained, 3, false, {"draw Selected"}},
        {"focus lost in 2", 2, false, act::FocusLost, 1, false, {"draw Normal"}},
        {"focus lost in 3", 3, false, act::FocusLost, 1, false, {"draw Normal"}},
        {"focus lost in 4", 4, false, act::FocusLost, 1, false, {"draw Normal"}},
        {"focus lost in 1", 1, false, act::FocusLost, 1, false, {}},
        // the hover poll
        {"poll over the form in 2", 2, false, act::PollOverParent, 1, false, {"draw Normal"}},
        {"poll elsewhere in 4", 4, true, act::PollElsewhere, 3, true, {"draw Selected"}},
        {"poll elsewhere in 1", 1, false, act::PollElsewhere, 1, false, {}},
        {"poll elsewhere in 3", 3, false, act::PollElsewhere, 3, false, {}},
        {"poll over the button in 4", 4, false, act::PollOverButton, 4, false, {}},
        // resize and Enabled written
        {"resize in 4", 4, false, act::Resize, 4, false, {"draw Normal"}},
        {"Enabled written in 2", 2, false, act::WriteEnabled, 2, false, {"change Enabled", "draw Normal"}},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.what);
        LoadedButton b;
        b.Reach(row.from, row.leftHeld);
        row.action(b.button);
        EXPECT_EQ(StateNumber(b.button), row.to);
        EXPECT_EQ(b.button.LeftPressed(), row.leftHeldAfter);
        EXPECT_EQ(b.surface.Take(), row.recorded);
    }
}

TEST(CommandStateTable, BeforeInitializeTheButtonIsInStateZeroAndHasNoPoll)
{
    LoadedButton b(false);
    EXPECT_EQ(StateNumber(b.button), 0);
    EXPECT_FALSE(b.button.Polling());
    act::MoveOver(b.button);   // neither 1 nor 3: nothing
    EXPECT_EQ(StateNumber(b.button), 0);
    act::FocusGained(b.button);
    EXPECT_EQ(StateNumber(b.button), 3);

    b.button.Initialize();
    EXPECT_EQ(StateNumber(b.button), 1);
    EXPECT_TRUE(b.button.Polling());
    EXPECT_EQ(b.surface.Take(), (Log{"draw Selected", "poll 100"}));
}

TEST(CommandRuns, AClickOnAnUnfocusedButtonAndKeyboardFocusThenTheMouseInAndOut)
{
    LoadedButton clicked;
    clicked.button.MouseMove(0, true);
    clicked.button.MouseDown(kLeftButton);
    clicked.button.GotFocus();   // the focus the press brings
    clicked.button.MouseUp(kLeftButton, true);
    EXPECT_EQ(clicked.surface.Take(),
              (Log{"draw HighLight", "draw Pressed", "draw Pressed", "draw HighLightSelect", "click"}));
    EXPECT_EQ(StateNumber(clicked.button), 4);

    LoadedButton keyed;
    keyed.button.GotFocus();
    keyed.button.MouseMove(0, true);
    keyed.button.PollTick(CursorOver::ParentForm);
    EXPECT_EQ(keyed.surface.Take(), (Log{"draw Selected", "draw HighLightSelect", "draw Selected"}));
    EXPECT_EQ(StateNumber(keyed.button), 3);
}

TEST(CommandRuns, ADragOutAndBackWhileHeldRaisesNoClick)
{
    for (bool releaseOver : {false, true}) {
        SCOPED_TRACE(releaseOver ? "released over the button" : "released outside");
        LoadedButton b;
        b.Reach(4, true);
        b.button.MouseMove(kLeftButton, false);        // dragged off, still captured
        b.button.PollTick(CursorOver::ParentForm);     // 4 -> 3
        if (releaseOver) {
            b.button.MouseMove(kLeftButton, true);     // back: LeftPressed blocks 3 -> 4
            b.button.PollTick(CursorOver::Button);
        }
        b.button.MouseUp(kLeftButton, releaseOver);
        EXPECT_EQ(b.surface.Take(), (Log{"draw Selected"}));
        EXPECT_EQ(StateNumber(b.button), 3);
        EXPECT_FALSE(b.button.LeftPressed());
    }
}

TEST(CommandFace, AClickKeepsTheHotFaceInStateFourAndTheKeyboardThePlainOne)
{
    LoadedButton clicked;
    clicked.button.MouseMove(0, true);
    EXPECT_TRUE(clicked.surface.plans.back().hotFace);   // hovered: hot face
    clicked.button.GotFocus();
    clicked.button.MouseDown(kLeftButton);
    clicked.button.MouseUp(kLeftButton, true);
    ASSERT_EQ(StateNumber(clicked.button), 4);
    EXPECT_EQ(clicked.surface.plans.back().bitmap, StateBitmap::HighLightSelect);
    EXPECT_TRUE(clicked.surface.plans.back().hotFace);

    LoadedButton keyed;
    keyed.button.GotFocus();
    keyed.button.MouseMove(0, true);
    ASSERT_EQ(StateNumber(keyed.button), 4);
    EXPECT_EQ(keyed.surface.plans.back().bitmap, StateBitmap::HighLightSelect);
    EXPECT_FALSE(keyed.surface.plans.back().hotFace);

    // Back to 3 and 1 the face is plain again.
    clicked.button.PollTick(CursorOver::Elsewhere);
    EXPECT_FALSE(clicked.surface.plans.back().hotFace);
}

TEST(CommandDisabled, IgnoresMouseFocusAndPollButResizeAndEnabledWritesStillDraw)
{
    for (int state : {1, 2, 3, 4}) {
        SCOPED_TRACE(state);
        LoadedButton b;
        b.Reach(state, false);
        b.button.SetEnabled(false);
        EXPECT_EQ(b.surface.Take(), (Log{"change Enabled", "draw Disable"}));
        EXPECT_FALSE(b.button.Look().enabled);   // greyed caption

        for (Action action : {act::MoveOver, act::LeftPress, act::LeftRelease, act::RightPress,
                              act::RightRelease, act::MiddleRelease, act::FocusGained,
                              act::FocusLost, act::PollOverParent, act::PollElsewhere})
            action(b.button);
        EXPECT_EQ(b.surface.Take(), Log{});
        EXPECT_EQ(StateNumber(b.button), state);
        EXPECT_FALSE(b.button.LeftPressed());

        b.button.Resize(1215, 420);
        EXPECT_EQ(b.surface.Take(), (Log{"draw Disable"}));
        b.button.SetEnabled(true);
        EXPECT_EQ(b.surface.Take(), (Log{"change Enabled", "draw Normal"}));
        EXPECT_TRUE(b.button.Look().enabled);
        EXPECT_EQ(StateNumber(b.button), state);
    }
}

TEST(CommandProperties, ReadingEnabledRedrawsAndReadingFontColourOrAnOpaqueVisibleRedrawsAnEnabledButton)
{
    for (bool enabled : {true, false}) {
        SCOPED_TRACE(enabled ? "enabled" : "disabled");
        LoadedButton b;
        b.Reach(4, false);
        b.button.SetFontColour(0x0000FF);
        EXPECT_EQ(b.surface.Take(), (Log{"draw Normal", "change FontColour"}));
        b.button.SetEnabled(enabled);
        b.surface.Take();

        const Log redrawn = {enabled ? "draw Normal" : "draw Disable"};
        EXPECT_EQ(b.button.Enabled(), enabled);
        EXPECT_EQ(b.surface.Take(), redrawn);
        EXPECT_EQ(b.button.FontColour(), 0x0000FFu);
        EXPECT_EQ(b.surface.Take(), enabled ? redrawn : Log{});
        EXPECT_TRUE(b.button.Visible());
        EXPECT_EQ(b.surface.Take(), enabled ? redrawn : Log{});
        EXPECT_EQ(StateNumber(b.button), 4);
    }
}

TEST(CommandProperties, VisibleSwitchesTheBackgroundStyleAndOnlyOpaqueRedraws)
{
    LoadedButton b;
    b.button.SetVisible(false);
    EXPECT_EQ(b.surface.log, (Log{"change Visible"}));
    EXPECT_GT(b.surface.repaints, 0);   // the platform shows the host's background now
    b.surface.Take();
    EXPECT_FALSE(b.button.Opaque());
    EXPECT_FALSE(b.button.Visible());
    EXPECT_EQ(b.surface.Take(), Log{});   // a transparent read draws nothing

    b.button.SetVisible(true);
    EXPECT_EQ(b.surface.Take(), (Log{"draw Normal", "change Visible"}));
    EXPECT_TRUE(b.button.Opaque());
}

TEST(CommandProperties, CaptionAndFontWritesReportTheChangeAndLeaveTheFrameAlone)
{
    LoadedButton b;
    b.Reach(3, false);
    b.button.SetCaption("設定");
    Font bold = DesignFont();
    bold.weight = 700;
    b.button.SetFont(bold);
    EXPECT_EQ(b.surface.log, (Log{"change Caption", "change Font"}));
    EXPECT_EQ(b.surface.repaints, 2);
    EXPECT_EQ(b.button.Caption(), "設定");
    EXPECT_EQ(b.button.CaptionFont(), bold);
    EXPECT_EQ(StateNumber(b.button), 3);
}

TEST(CommandLife, ANewButtonIsSetUpByItsFirstReadOfEnabled)
{
    RecordingSurface surface;
    Command button(surface);
    EXPECT_EQ(button.Width(), 1755);
    EXPECT_EQ(button.Height(), 420);
    EXPECT_FALSE(button.EnabledValue());
    EXPECT_EQ(button.FirstRun(), 0);
    EXPECT_EQ(button.Caption(), "Command");
    EXPECT_EQ(surface.Take(), Log{});   // nothing draws it by itself

    EXPECT_TRUE(button.Enabled());
    EXPECT_EQ(surface.Take(), (Log{"draw Normal"}));
    EXPECT_EQ(button.FirstRun(), 1);
    EXPECT_TRUE(button.EnabledValue());
}

TEST(CommandLife, ResetLookBlackensTheCaptionOnlyBeforeTheFirstRun)
{
    RecordingSurface surface;
    Command button(surface);
    button.SetEnabled(true);   // FirstRun still 0
    button.SetFontColour(0x00FF00);
    EXPECT_EQ(button.Look().colour, 0u);   // the first-use set-up turned it black
    EXPECT_EQ(button.Enabled(), true);     // FirstRun becomes 1
    button.SetFontColour(0x00FF00);
    EXPECT_EQ(button.Look().colour, 0x00FF00u);
}

}  // namespace
