// The Command button's behaviour: its state-and-lifecycle table row by row, the typical
// runs, when Click is raised, a disabled button, and the side effects of its properties.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command.h"
#include "recording_surface.h"

namespace {

using namespace glowmere::button;
using Log = std::vector<std::string>;

enum class Action {
    MoveOver,
    MoveOffCaptured,
    LeftPress,
    RightPress,
    MiddlePress,
    LeftRelease,
    RightRelease,
    MiddleRelease,
    LeftReleaseOff,
    RightReleaseOff,
    FocusGained,
    FocusLost,
    PollOverParent,
    PollElsewhere,
    PollOverButton,
    Resize,
    WriteEnabled,
};

void Apply(Command& button, Action action)
{
    switch (action) {
    case Action::MoveOver: button.MouseMove(0, true); break;
    case Action::MoveOffCaptured: button.MouseMove(kLeftButton, false); break;
    case Action::LeftPress: button.MouseDown(kLeftButton); break;
    case Action::RightPress: button.MouseDown(kRightButton); break;
    case Action::MiddlePress: button.MouseDown(kMiddleButton); break;
    case Action::LeftRelease: button.MouseUp(kLeftButton, true); break;
    case Action::RightRelease: button.MouseUp(kRightButton, true); break;
    case Action::MiddleRelease: button.MouseUp(kMiddleButton, true); break;
    case Action::LeftReleaseOff: button.MouseUp(kLeftButton, false); break;
    case Action::RightReleaseOff: button.MouseUp(kRightButton, false); break;
    case Action::FocusGained: button.GotFocus(); break;
    case Action::FocusLost: button.LostFocus(); break;
    case Action::PollOverParent: button.PollTick(CursorOver::ParentForm); break;
    case Action::PollElsewhere: button.PollTick(CursorOver::Elsewhere); break;
    case Action::PollOverButton: button.PollTick(CursorOver::Button); break;
    case Action::Resize: button.Resize(1215, 375); break;
    case Action::WriteEnabled: button.SetEnabled(true); break;
    }
}

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

    // Drives the button into `state` by real events; state 4 by way of a click (2 -> 4)
    // or of the keyboard (3 -> 4).
    void Reach(int state, bool leftHeld, bool byClick = true)
    {
        switch (state) {
        case 2: button.MouseMove(0, true); break;
        case 3: button.GotFocus(); break;
        case 4:
            if (byClick) {
                button.MouseMove(0, true);
                button.GotFocus();
            } else {
                button.GotFocus();
                button.MouseMove(0, true);
            }
            break;
        default: break;
        }
        if (leftHeld)
            button.MouseDown(kLeftButton);
        EXPECT_EQ(button.ButtonState(), state);
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
        {"move over in 1", 1, false, Action::MoveOver, 2, false, {"draw HighLight"}},
        {"move over in 3, not held", 3, false, Action::MoveOver, 4, false, {"draw HighLightSelect"}},
        {"move over in 3, held", 3, true, Action::MoveOver, 3, true, {}},
        {"move over in 2", 2, false, Action::MoveOver, 2, false, {}},
        {"move over in 4", 4, false, Action::MoveOver, 4, false, {}},
        {"move off while captured in 1", 1, true, Action::MoveOffCaptured, 1, true, {}},
        // presses
        {"left press in 1", 1, false, Action::LeftPress, 1, true, {"draw Pressed"}},
        {"left press in 2", 2, false, Action::LeftPress, 2, true, {"draw Pressed"}},
        {"left press in 3", 3, false, Action::LeftPress, 3, true, {"draw Pressed"}},
        {"left press in 4", 4, false, Action::LeftPress, 4, true, {"draw Pressed"}},
        {"right press in 2", 2, false, Action::RightPress, 2, false, {}},
        {"middle press in 4", 4, false, Action::MiddlePress, 4, false, {}},
        // left release: the look, then Click unless in state 3
        {"left release in 1", 1, true, Action::LeftRelease, 1, false, {"click"}},
        {"left release in 2", 2, true, Action::LeftRelease, 2, false, {"draw Normal", "click"}},
        {"left release in 3", 3, true, Action::LeftRelease, 3, false, {}},
        {"left release in 4", 4, true, Action::LeftRelease, 4, false, {"draw HighLightSelect", "click"}},
        // right and middle releases skip the look and click unless in state 3
        {"right release in 1", 1, false, Action::RightRelease, 1, false, {"click"}},
        {"right release in 2", 2, false, Action::RightRelease, 2, false, {"click"}},
        {"right release in 3", 3, false, Action::RightRelease, 3, false, {}},
        {"right release in 4", 4, false, Action::RightRelease, 4, false, {"click"}},
        {"middle release in 2", 2, false, Action::MiddleRelease, 2, false, {"click"}},
        {"middle release in 3", 3, false, Action::MiddleRelease, 3, false, {}},
        {"right release, left still held, in 4", 4, true, Action::RightRelease, 4, true, {"click"}},
        // a release off the button (the press captured the mouse) clicks nothing
        {"left release off in 4", 4, true, Action::LeftReleaseOff, 4, false, {"draw HighLightSelect"}},
        {"right release off in 1", 1, false, Action::RightReleaseOff, 1, false, {}},
        // focus
        {"focus gained in 2", 2, false, Action::FocusGained, 4, false, {"draw Pressed"}},
        {"focus gained in 1", 1, false, Action::FocusGained, 3, false, {"draw Selected"}},
        {"focus gained in 4", 4, false, Action::FocusGained, 3, false, {"draw Selected"}},
        {"focus lost in 2", 2, false, Action::FocusLost, 1, false, {"draw Normal"}},
        {"focus lost in 3", 3, false, Action::FocusLost, 1, false, {"draw Normal"}},
        {"focus lost in 4", 4, false, Action::FocusLost, 1, false, {"draw Normal"}},
        {"focus lost in 1", 1, false, Action::FocusLost, 1, false, {}},
        // the hover poll
        {"poll over the form in 2", 2, false, Action::PollOverParent, 1, false, {"draw Normal"}},
        {"poll elsewhere in 2", 2, false, Action::PollElsewhere, 1, false, {"draw Normal"}},
        {"poll over the form in 4", 4, false, Action::PollOverParent, 3, false, {"draw Selected"}},
        {"poll elsewhere in 4", 4, true, Action::PollElsewhere, 3, true, {"draw Selected"}},
        {"poll elsewhere in 1", 1, false, Action::PollElsewhere, 1, false, {}},
        {"poll elsewhere in 3", 3, false, Action::PollElsewhere, 3, false, {}},
        {"poll over the button in 2", 2, false, Action::PollOverButton, 2, false, {}},
        {"poll over the button in 4", 4, false, Action::PollOverButton, 4, false, {}},
        // resize and Enabled written
        {"resize in 4", 4, false, Action::Resize, 4, false, {"draw Normal"}},
        {"Enabled written in 2", 2, false, Action::WriteEnabled, 2, false, {"change Enabled", "draw Normal"}},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.what);
        LoadedButton b;
        b.Reach(row.from, row.leftHeld);
        Apply(b.button, row.action);
        EXPECT_EQ(b.button.ButtonState(), row.to);
        EXPECT_EQ(b.button.LeftPressed(), row.leftHeldAfter);
        EXPECT_EQ(b.surface.Take(), row.recorded);
    }
}

TEST(CommandStateTable, BeforeInitializeTheButtonIsInStateZeroAndHasNoPoll)
{
    LoadedButton b(false);
    EXPECT_EQ(b.button.ButtonState(), 0);
    EXPECT_FALSE(b.button.Polling());
    Apply(b.button, Action::MoveOver);   // neither 1 nor 3: nothing
    EXPECT_EQ(b.button.ButtonState(), 0);
    Apply(b.button, Action::FocusGained);
    EXPECT_EQ(b.button.ButtonState(), 3);

    b.button.Initialize();
    EXPECT_EQ(b.button.ButtonState(), 1);
    EXPECT_TRUE(b.button.Polling());
    EXPECT_EQ(b.surface.Take(), (Log{"draw Selected", "poll 100"}));
}

TEST(CommandRuns, AClickOnAnUnfocusedButton)
{
    LoadedButton b;
    b.button.MouseMove(0, true);
    b.button.MouseDown(kLeftButton);
    b.button.GotFocus();   // the focus the press brings
    b.button.MouseUp(kLeftButton, true);
    EXPECT_EQ(b.surface.Take(),
              (Log{"draw HighLight", "draw Pressed", "draw Pressed", "draw HighLightSelect", "click"}));
    EXPECT_EQ(b.button.ButtonState(), 4);
}

TEST(CommandRuns, KeyboardFocusThenTheMouseInAndOut)
{
    LoadedButton b;
    b.button.GotFocus();
    b.button.MouseMove(0, true);
    b.button.PollTick(CursorOver::ParentForm);
    EXPECT_EQ(b.surface.Take(), (Log{"draw Selected", "draw HighLightSelect", "draw Selected"}));
    EXPECT_EQ(b.button.ButtonState(), 3);
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
        EXPECT_EQ(b.button.ButtonState(), 3);
        EXPECT_FALSE(b.button.LeftPressed());
    }
}

TEST(CommandRuns, AReleaseOffTheButtonBeforeThePollHasSeenItRaisesNoClick)
{
    // The poll runs every 100 ms; a quick drag off and release still finds state 4.
    LoadedButton b;
    b.Reach(4, true);
    b.button.MouseMove(kLeftButton, false);
    b.button.MouseUp(kLeftButton, false);
    EXPECT_EQ(b.surface.Take(), (Log{"draw HighLightSelect"}));
}

TEST(CommandFace, AClickKeepsTheHotFaceInStateFourAndTheKeyboardThePlainOne)
{
    LoadedButton clicked;
    clicked.button.MouseMove(0, true);
    EXPECT_TRUE(clicked.surface.plans.back().hotFace);   // hovered: hot face
    clicked.button.GotFocus();
    clicked.button.MouseDown(kLeftButton);
    clicked.button.MouseUp(kLeftButton, true);
    ASSERT_EQ(clicked.button.ButtonState(), 4);
    EXPECT_EQ(clicked.surface.plans.back().bitmap, StateBitmap::HighLightSelect);
    EXPECT_TRUE(clicked.surface.plans.back().hotFace);

    LoadedButton keyed;
    keyed.button.GotFocus();
    keyed.button.MouseMove(0, true);
    ASSERT_EQ(keyed.button.ButtonState(), 4);
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

        for (Action action : {Action::MoveOver, Action::LeftPress, Action::LeftRelease, Action::RightPress,
                              Action::RightRelease, Action::MiddleRelease, Action::FocusGained,
                              Action::FocusLost, Action::PollOverParent, Action::PollElsewhere})
            Apply(b.button, action);
        EXPECT_EQ(b.surface.Take(), Log{});
        EXPECT_EQ(b.button.ButtonState(), state);
        EXPECT_FALSE(b.button.LeftPressed());

        b.button.Resize(1215, 420);
        EXPECT_EQ(b.surface.Take(), (Log{"draw Disable"}));
        b.button.SetEnabled(true);
        EXPECT_EQ(b.surface.Take(), (Log{"change Enabled", "draw Normal"}));
        EXPECT_TRUE(b.button.Look().enabled);
        EXPECT_EQ(b.button.ButtonState(), state);
    }
}

TEST(CommandProperties, ReadingEnabledRedrawsWithoutChangingTheState)
{
    LoadedButton b;
    b.Reach(4, false);
    EXPECT_TRUE(b.button.Enabled());
    EXPECT_EQ(b.surface.Take(), (Log{"draw Normal"}));
    EXPECT_EQ(b.button.ButtonState(), 4);

    b.button.SetEnabled(false);
    b.surface.Take();
    EXPECT_FALSE(b.button.Enabled());
    EXPECT_EQ(b.surface.Take(), (Log{"draw Disable"}));
    EXPECT_EQ(b.button.ButtonState(), 4);
}

TEST(CommandProperties, ReadingFontColourOrAnOpaqueVisibleRedrawsAnEnabledButton)
{
    LoadedButton b;
    b.Reach(2, false);
    b.button.SetFontColour(0x0000FF);
    EXPECT_EQ(b.surface.Take(), (Log{"draw Normal", "change FontColour"}));
    EXPECT_EQ(b.button.FontColour(), 0x0000FFu);
    EXPECT_TRUE(b.button.Visible());
    EXPECT_EQ(b.surface.Take(), (Log{"draw Normal", "draw Normal"}));
    EXPECT_EQ(b.button.ButtonState(), 2);

    // Disabled: the reads draw nothing.
    b.button.SetEnabled(false);
    b.surface.Take();
    EXPECT_EQ(b.button.FontColour(), 0x0000FFu);
    EXPECT_TRUE(b.button.Visible());
    EXPECT_EQ(b.surface.Take(), Log{});
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
    EXPECT_EQ(b.button.ButtonState(), 3);
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
