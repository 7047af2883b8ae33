// The Command button under Wine, in the test tool's button window ("testtool buttons": six
// buttons in a light green window at (100, 100); see tests/wine/testtool_win32.cpp), driven
// with the real mouse and keyboard through the X server. One window serves the cases in
// their order; each counts what its own actions printed.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "harness.h"

namespace {

using harness::Millis;
using harness::Rgb;

// Screen rectangles of the buttons.
struct Box {
    int x, y, width, height;
    int CentreX() const { return x + width / 2; }
    int CentreY() const { return y + height / 2; }
};
constexpr Box kOk = {120, 120, 81, 25};         // 1 "設定"
constexpr Box kCancel = {220, 120, 81, 25};     // 2 "ｷｬﾝｾﾙ"
constexpr Box kDisabled = {120, 170, 81, 25};   // 3 "...", stored disabled
constexpr Box kDefault = {220, 170, 117, 28};   // 4 nothing stored
constexpr Box kClear = {360, 120, 81, 25};      // 5 "透明", transparent
constexpr Box kClose = {360, 170, 81, 25};      // 6 "閉じる": its Click destroys the window
constexpr int kOffX = 300, kOffY = 240;         // over the window's own background
constexpr int kBackground = 0xA0C8A0;

harness::WineSession& Session()
{
    static harness::WineSession session({1024, 768, "button"});
    return session;
}

auto Colour(int rgb)
{
    return [rgb](Rgb p) { return p.Is(rgb); };
}

class Buttons : public ::testing::Test {
protected:
    static harness::Process host;
    static uint64_t window;
    size_t mark_ = 0;   // output lines before this case

    static void SetUpTestSuite()
    {
        Session().MoveMouse(900, 700);   // nothing hovered when the buttons appear
        host = Session().Start(harness::TestProgramsDir() / "testtool.exe", {"buttons"});
        ASSERT_TRUE(host.WaitForLine("ready", Millis(30000))) << host.Output();
        window = Session().FindWindow("Glowmere button host");
        ASSERT_TRUE(Session().WaitForPixel(kOk.x + 40, kOk.y + 1, Colour(0x003C74), Millis(10000)));
    }
    static void TearDownTestSuite() { host.Kill(); }

    void SetUp() override
    {
        ASSERT_TRUE(host.Running()) << host.Output();
        mark_ = harness::Lines(host.Output()).size();
    }

    // How many times `line` was printed during this case.
    long Count(const std::string& line)
    {
        const auto lines = harness::Lines(host.Output());
        return std::count(lines.begin() + static_cast<long>(std::min(mark_, lines.size())), lines.end(), line);
    }
    bool WaitFor(const std::string& line, long times = 1)
    {
        return harness::Eventually([&] { return Count(line) >= times; }, Millis(5000), Millis(20));
    }
    void ClickOn(const Box& box, int button = 1)
    {
        Session().MoveMouse(box.CentreX() - 3, box.CentreY());
        Session().MoveMouse(box.CentreX(), box.CentreY());
        Session().Click(button);
    }
};

harness::Process Buttons::host;
uint64_t Buttons::window = 0;

TEST_F(Buttons, AtRestFramesFacesCaptionsAndTheFontAreAsStoredAndATransparentButtonShowsOnlyItsCaption)
{
    const harness::Image shot = Session().Screenshot("resting");
    for (const Box& b : {kOk, kCancel, kDefault}) {
        // The frame line away from its rounded corners, and the rim inside it.
        for (const auto& [x, y] : {std::pair{40, 1}, {40, b.height - 2}, {1, 10}, {b.width - 2, 10}})
            EXPECT_EQ(shot.At(b.x + x, b.y + y).Hex(), "003C74") << b.x << "," << b.y << " +" << x << "," << y;
        EXPECT_EQ(shot.At(b.x + 20, b.y + 3).Hex(), "F3F3EE");
    }
    // Inside the frame the face falls evenly from white towards (0xC6, 0xC5, 0xD7), reached
    // at the last row (24) that the frame covers.
    for (int y = 4; y <= 20; ++y) {
        const Rgb p = shot.At(kOk.x + 8, kOk.y + y);
        const double t = y / 24.0;
        EXPECT_NEAR(p.r, 255 + (0xC6 - 255) * t, 2.0) << y;
        EXPECT_NEAR(p.g, 255 + (0xC5 - 255) * t, 2.0) << y;
        EXPECT_NEAR(p.b, 255 + (0xD7 - 255) * t, 2.0) << y;
    }
    // The caption in black in the middle, nowhere near the frame.
    const auto black = [](Rgb p) { return p.Brightness() < 60; };
    EXPECT_GT(shot.Fraction(kOk.x + 20, kOk.y + 5, kOk.x + 61, kOk.y + 19, black), 0.05);
    EXPECT_EQ(shot.Fraction(kOk.x + 4, kOk.y + 2, kOk.x + 18, kOk.y + 23, black), 0.0);
    // The stored captions reached the windows, nothing stored gives "Command1", and the
    // caption asks for the Japanese face at a 14-pixel cell.
    std::string captions;
    for (const harness::ChildWindow& child : Session().Children(window))
        captions += child.className + " " + child.text + "|";
    EXPECT_EQ(captions, "GlowmereCommand 設定|GlowmereCommand ｷｬﾝｾﾙ|GlowmereCommand ...|GlowmereCommand Command1|"
                        "GlowmereCommand 透明|GlowmereCommand 閉じる|");
    EXPECT_TRUE(host.WaitForLine("font 1 ＭＳ Ｐゴシック 128 14", Millis(0))) << host.Output();
    // A transparent button: its caption over the window's own background, no frame.
    const Box& c = kClear;
    EXPECT_GT(shot.Fraction(c.x, c.y, c.x + c.width, c.y + c.height, Colour(kBackground)), 0.8);
    EXPECT_GT(shot.Fraction(c.x, c.y + 5, c.x + c.width, c.y + 19, [](Rgb p) { return p.Brightness() < 150; }), 0.03);
    EXPECT_EQ(shot.Fraction(c.x, c.y, c.x + c.width, c.y + c.height, Colour(0x003C74)), 0.0);
}

TEST_F(Buttons, HoveringShowsTheOrangeRimWithin200MsAndLeavingRestoresIt)
{
    std::vector<long> in;
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        Session().MoveMouse(kOk.CentreX(), kOk.CentreY());
        ASSERT_TRUE(Session().WaitForPixel(kOk.x + 20, kOk.y + 3, Colour(0xFDD889), Millis(5000))) << "no orange rim";
        in.push_back(std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - start).count());
        if (i == 0) {
            const harness::Image shot = Session().Screenshot("hovered");
            EXPECT_EQ(shot.At(kOk.x + 20, kOk.y + 2).Hex(), "FFF0CF");
            EXPECT_EQ(shot.At(kOk.x + 20, kOk.y + 22).Hex(), "E59700");
            // The hot face: lilac at the top, white at the bottom.
            EXPECT_LT(shot.At(kOk.x + 8, kOk.y + 5).Brightness(), shot.At(kOk.x + 8, kOk.y + 19).Brightness());
        }
        // Off the button, a tick of the 100 ms poll restores the resting rim.
        Session().MoveMouse(kOffX, kOffY);
        ASSERT_TRUE(Session().WaitForPixel(kOk.x + 20, kOk.y + 3, Colour(0xF3F3EE), Millis(1000))) << "the rim stayed";
    }
    std::sort(in.begin(), in.end());
    EXPECT_LE(in[1], 200) << "the median of three, from the start of the mouse move";
    EXPECT_EQ(Count("click 1"), 0);
}

TEST_F(Buttons, AClickRaisesOneClickAndLeavesTheButtonFocusedWhereKeysClickNothing)
{
    ClickOn(kOk);
    ASSERT_TRUE(WaitFor("click 1")) << host.Output();
    // Focused and hovered: HighLightSelect, the same orange rim; away from it the focus
    // shows as the blue rim of Selected.
    EXPECT_TRUE(Session().WaitForPixel(kOk.x + 20, kOk.y + 3, Colour(0xFDD889), Millis(2000)));
    Session().MoveMouse(kOffX, kOffY);
    EXPECT_TRUE(Session().WaitForPixel(kOk.x + 20, kOk.y + 2, Colour(0xCEE7FF), Millis(3000)));
    // Keys reach the focused button and click nothing.
    for (const char* key : {"Return", "space", "s", "KP_Enter"})
        Session().Key(key);
    EXPECT_TRUE(WaitFor("key 1 13", 2) && WaitFor("key 1 32")) << host.Output();
    // A second click is a second Click.
    ClickOn(kOk);
    EXPECT_TRUE(WaitFor("click 1", 2));
    std::this_thread::sleep_for(Millis(300));   // no third one follows
    EXPECT_EQ(Count("click 1"), 2) << host.Output();
}

TEST_F(Buttons, RightAndMiddleReleasesClickButADragOffTheButtonWhileHeldDoesNot)
{
    ClickOn(kCancel, 3);   // X button 3 is the right button
    ClickOn(kCancel, 2);
    EXPECT_TRUE(WaitFor("click 2", 2)) << host.Output();
    // Off and back again, slowly enough for the poll to see the cursor leave.
    Session().Xdotool({"mousedown", "1"});
    // Held: the Pressed frame, its line one pixel further in.
    EXPECT_TRUE(Session().WaitForPixel(kCancel.x + 20, kCancel.y + 2, Colour(0x003C74), Millis(2000)));
    EXPECT_EQ(Session().ReadPixel(kCancel.x + 20, kCancel.y).value().Hex(), "ECE9D8");
    Session().MoveMouse(kOffX, kOffY);
    EXPECT_TRUE(Session().WaitForPixel(kCancel.x + 20, kCancel.y + 2, Colour(0xCEE7FF), Millis(3000)))
        << "Selected was not drawn after the cursor left";
    Session().MoveMouse(kCancel.CentreX(), kCancel.CentreY());
    Session().Xdotool({"mouseup", "1"});
    // Off and released at once, before the poll can have looked.
    Session().MoveMouse(kOk.CentreX(), kOk.CentreY());
    Session().Xdotool({"mousedown", "1", "mousemove", std::to_string(kOffX), std::to_string(kOffY), "mouseup", "1"});
    std::this_thread::sleep_for(Millis(500));   // a Click would have come by now
    EXPECT_EQ(Count("click 2"), 2) << host.Output();
    EXPECT_EQ(Count("click 1"), 0) << host.Output();
}

TEST_F(Buttons, ADisabledButtonShowsTheDisableFrameAGreyedCaptionAndRaisesNothingUntilEnabled)
{
    const Box& b = kDisabled;
    const auto black = [](Rgb p) { return p.Brightness() < 150; };
    // Wine's grey text is #A6A6A6: three grey dots, no black.
    const auto grey = [](Rgb p) { return p.r >= 0x60 && p.r <= 0xC0 && std::abs(p.r - p.g) < 12 && std::abs(p.r - p.b) < 12; };
    const auto caption = [&](const harness::Image& s, auto test) { return s.Fraction(b.x + 30, b.y + 5, b.x + 51, b.y + 19, test); };
    const harness::Image shot = Session().Screenshot("disabled");
    EXPECT_EQ(shot.At(b.x + 40, b.y + 1).Hex(), "C9C7BA");
    EXPECT_EQ(shot.At(b.x + 1, b.y + 10).Hex(), "C9C7BA");
    EXPECT_EQ(shot.At(b.x + 20, b.y + 3).Hex(), "F5F4EA");
    EXPECT_EQ(shot.Fraction(b.x + 4, b.y + 4, b.x + 77, b.y + 21, black), 0.0);
    EXPECT_GT(caption(shot, grey), 0.0);
    // Hover, clicks with every button and the poll change nothing.
    for (int button : {1, 3, 2})
        ClickOn(b, button);
    Session().MoveMouse(kOffX, kOffY);
    std::this_thread::sleep_for(Millis(300));   // two poll ticks
    EXPECT_EQ(Count("click 3"), 0) << host.Output();
    EXPECT_EQ(Session().ReadPixel(b.x + 20, b.y + 3).value().Hex(), "F5F4EA");

    // The same button, enabled by its host, clicks.
    Session().Post(window, 0x8001, 3, 1);   // WM_APP + 1
    ASSERT_TRUE(WaitFor("change 3 Enabled")) << host.Output();
    EXPECT_TRUE(Session().WaitForPixel(b.x + 40, b.y + 1, Colour(0x003C74), Millis(3000)));
    const harness::Image enabled = Session().Screenshot("disabled-then-enabled");
    EXPECT_GT(caption(enabled, black), 0.0);
    EXPECT_EQ(caption(enabled, grey), 0.0);
    ClickOn(b);
    EXPECT_TRUE(WaitFor("click 3")) << host.Output();
}

TEST_F(Buttons, AClickThatClosesTheFormEndsTheHostCleanly)
{
    ClickOn(kClose);
    EXPECT_EQ(host.Wait(Millis(10000)), 0) << host.Output();
    EXPECT_EQ(Count("click 6"), 1) << host.Output();
    EXPECT_EQ(Session().FindWindow("Glowmere button host"), 0u);
}

}  // namespace
