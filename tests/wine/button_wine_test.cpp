// The Command button under Wine, in a test host window (button_host.exe), driven with
// the real mouse and keyboard through the X server. The host sits at (100, 100) on the
// screen; see tests/wine/button_host_win32.cpp for its buttons and what it prints.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <iostream>
#include <sstream>
#include <vector>

#include "harness.h"

namespace {

using harness::Millis;
using harness::Rgb;

constexpr char kHostTitle[] = "Glowmere button host";
constexpr unsigned kSetEnabled = 0x8000 + 1;   // WM_APP + 1

// Screen rectangles of the host's buttons.
struct Box {
    int x, y, width, height;
    int CentreX() const { return x + width / 2; }
    int CentreY() const { return y + height / 2; }
};
constexpr Box kOk = {120, 120, 81, 25};          // 1 "設定"
constexpr Box kCancel = {220, 120, 81, 25};      // 2 "ｷｬﾝｾﾙ"
constexpr Box kDisabled = {120, 170, 81, 25};    // 3 "...", stored disabled
constexpr Box kDefault = {220, 170, 117, 28};    // 4 nothing stored: "Command1"
constexpr Box kClear = {360, 120, 81, 25};       // 5 "透明", transparent
constexpr Box kClose = {360, 170, 81, 25};       // 6 "閉じる": its Click destroys the host
constexpr Box kHost = {100, 100, 400, 160};
// Over the host's own background, away from every button.
constexpr int kOffX = 300, kOffY = 240;

std::function<bool(Rgb)> Colour(int rgb)
{
    return [rgb](Rgb p) { return p.Is(rgb); };
}

harness::WineSession& Session()
{
    static harness::WineSession session({1024, 768, "button"});
    return session;
}

// How many pixels of the rectangle [x0, x1) x [y0, y1) pass `test`.
template <class Test>
int Pixels(const harness::Image& shot, int x0, int y0, int x1, int y1, Test test)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            n += test(shot.At(x, y)) ? 1 : 0;
    return n;
}

int Count(const std::string& output, const std::string& line)
{
    const auto lines = harness::Lines(output);
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

class ButtonHost : public ::testing::Test {
protected:
    harness::Process host;
    uint64_t window = 0;

    void SetUp() override
    {
        Session().MoveMouse(900, 700);   // nothing hovered when the buttons appear
        host = Session().Start(harness::TestProgramsDir() / "button_host.exe");
        ASSERT_TRUE(WaitForLine("ready", Millis(30000))) << host.Output();
        window = Session().FindWindow(kHostTitle);
        ASSERT_NE(window, 0u);
        std::this_thread::sleep_for(Millis(500));   // the first paint reaches the screen
    }

    void TearDown() override
    {
        if (host.Running()) {
            Session().Post(window, harness::kWmClose);
            host.Wait(Millis(5000));
        }
    }

    bool WaitForLine(const std::string& line, Millis timeout)
    {
        return harness::Eventually([&] { return Count(host.Output(), line) > 0; }, timeout, Millis(20));
    }

    // How long until the pixel passes `test`, counted from before the mouse starts to move.
    std::optional<Millis> MoveAndTime(int x, int y, int px, int py, const std::function<bool(Rgb)>& test)
    {
        const auto start = std::chrono::steady_clock::now();
        Session().MoveMouse(x, y);
        const auto moved = std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - start);
        const auto seen = Session().WaitForPixel(px, py, test, Millis(5000));
        if (!seen)
            return std::nullopt;
        return moved + *seen;
    }

    void Xdotool(const std::vector<std::string>& args)
    {
        std::vector<std::string> argv = {"xdotool"};
        argv.insert(argv.end(), args.begin(), args.end());
        Session().StartNative(argv).Wait(Millis(10000));
    }
};

TEST_F(ButtonHost, AtRestFramesFacesCaptionsAndTheFontAreAsStoredAndATransparentButtonShowsOnlyItsCaption)
{
    const harness::Image shot = Session().Screenshot("resting");
    for (const Box& b : {kOk, kCancel, kDefault}) {
        // The frame line, away from its rounded corners.
        EXPECT_EQ(shot.At(b.x + 40, b.y + 1).Hex(), "003C74");
        EXPECT_EQ(shot.At(b.x + 40, b.y + b.height - 2).Hex(), "003C74");
        EXPECT_EQ(shot.At(b.x + 1, b.y + 10).Hex(), "003C74");
        EXPECT_EQ(shot.At(b.x + b.width - 2, b.y + 10).Hex(), "003C74");
        EXPECT_EQ(shot.At(b.x + 20, b.y + 3).Hex(), "F3F3EE");
    }
    // Inside the frame the face falls evenly from white towards (0xC6, 0xC5, 0xD7),
    // reached at the last row (24) that the frame covers.
    for (int y = 4; y <= 20; ++y) {
        const Rgb p = shot.At(kOk.x + 8, kOk.y + y);
        const double t = y / 24.0;
        EXPECT_NEAR(p.r, 255 + (0xC6 - 255) * t, 2.0) << y;
        EXPECT_NEAR(p.g, 255 + (0xC5 - 255) * t, 2.0) << y;
        EXPECT_NEAR(p.b, 255 + (0xD7 - 255) * t, 2.0) << y;
    }
    // The caption is drawn in black in the middle, and nowhere near the frame.
    const auto black = [](Rgb p) { return p.Brightness() < 60; };
    EXPECT_GT(shot.Fraction(kOk.x + 20, kOk.y + 5, kOk.x + 61, kOk.y + 19, black), 0.05);
    EXPECT_EQ(shot.Fraction(kOk.x + 4, kOk.y + 2, kOk.x + 18, kOk.y + 23, black), 0.0);

    // The stored captions reached the windows; nothing stored gives "Command1".
    std::vector<std::string> handles(7);
    for (const std::string& line : harness::Lines(host.Output())) {
        std::istringstream words(line);
        std::string kind;
        size_t id = 0;
        if (words >> kind >> id && kind == "button" && id < handles.size())
            words >> handles[id];
    }
    EXPECT_EQ(Session().Tool({"text", handles[1]}), "設定");
    EXPECT_EQ(Session().Tool({"text", handles[4]}), "Command1");
    EXPECT_EQ(Session().Window(std::stoull(handles[1])).className, "GlowmereCommand");
    // Wine reports the requested face; the font file's own name says it is IPA's P gothic.
    EXPECT_EQ(Count(host.Output(), "font 1 ＭＳ Ｐゴシック 128 14 IPAPGothic"), 1) << host.Output();

    // A transparent button: its caption over the host's own background, no frame.
    const Box& c = kClear;
    const auto background = Colour(0xA0C8A0);
    EXPECT_GT(shot.Fraction(c.x, c.y, c.x + c.width, c.y + c.height, background), 0.8);
    EXPECT_GT(shot.Fraction(c.x, c.y + 5, c.x + c.width, c.y + 19, [](Rgb p) { return p.Brightness() < 150; }), 0.03);
    EXPECT_EQ(shot.Fraction(c.x, c.y, c.x + c.width, c.y + c.height, Colour(0x003C74)), 0.0);
    // Below the buttons the host is its own background.
    EXPECT_GT(shot.Fraction(kHost.x, kHost.y + 120, kHost.x + kHost.width, kHost.y + 160, background), 0.99);
}

TEST_F(ButtonHost, HoveringShowsTheOrangeRimWithin200MsAndLeavingRestoresIt)
{
    std::vector<long> in, out;
    for (int i = 0; i < 3; ++i) {
        const auto hovered = MoveAndTime(kOk.CentreX(), kOk.CentreY(), kOk.x + 20, kOk.y + 3, Colour(0xFDD889));
        ASSERT_TRUE(hovered.has_value()) << "no orange rim";
        in.push_back(hovered->count());
        if (i == 0) {
            const harness::Image shot = Session().Screenshot("hovered");
            EXPECT_EQ(shot.At(kOk.x + 20, kOk.y + 2).Hex(), "FFF0CF");
            EXPECT_EQ(shot.At(kOk.x + 20, kOk.y + 22).Hex(), "E59700");
            // The hot face: lilac at the top, white at the bottom.
            EXPECT_LT(shot.At(kOk.x + 8, kOk.y + 5).Brightness(), shot.At(kOk.x + 8, kOk.y + 19).Brightness());
        }
        // Off the button, the next tick of the 100 ms poll restores the resting rim.
        const auto left = MoveAndTime(kOffX, kOffY, kOk.x + 20, kOk.y + 3, Colour(0xF3F3EE));
        ASSERT_TRUE(left.has_value()) << "the orange rim stayed";
        out.push_back(left->count());
    }
    std::cout << "hover in / out (ms, from the start of the mouse move): " << ::testing::PrintToString(in) << " / "
              << ::testing::PrintToString(out) << std::endl;
    std::sort(in.begin(), in.end());
    std::sort(out.begin(), out.end());
    EXPECT_LE(in[1], 200);   // the median of three
    EXPECT_LE(out[1], 1000);
    EXPECT_EQ(Count(host.Output(), "click 1"), 0);
}

TEST_F(ButtonHost, AClickRaisesExactlyOneClickAndLeavesTheButtonFocused)
{
    Session().MoveMouse(kOk.CentreX(), kOk.CentreY());
    Session().Click(1);
    ASSERT_TRUE(WaitForLine("click 1", Millis(5000))) << host.Output();
    std::this_thread::sleep_for(Millis(800));
    EXPECT_EQ(Count(host.Output(), "click 1"), 1) << host.Output();
    // Focused and hovered: HighLightSelect, the same orange rim.
    EXPECT_TRUE(Session().WaitForPixel(kOk.x + 20, kOk.y + 3, Colour(0xFDD889), Millis(2000)));
    // Away from it the focus shows as the blue rim of Selected.
    Session().MoveMouse(kOffX, kOffY);
    EXPECT_TRUE(Session().WaitForPixel(kOk.x + 20, kOk.y + 2, Colour(0xCEE7FF), Millis(3000)));
    Session().Screenshot("clicked-then-left");
    // A second click is a second Click.
    Session().MoveMouse(kOk.CentreX(), kOk.CentreY());
    Session().Click(1);
    EXPECT_TRUE(WaitForLine("click 1", Millis(5000)));
    std::this_thread::sleep_for(Millis(500));
    EXPECT_EQ(Count(host.Output(), "click 1"), 2) << host.Output();
}

TEST_F(ButtonHost, RightAndMiddleReleasesClickButNoKeyDoes)
{
    Session().MoveMouse(kCancel.CentreX(), kCancel.CentreY());
    Session().Click(3);   // X button 3 is the right button
    ASSERT_TRUE(WaitForLine("click 2", Millis(5000))) << host.Output();
    Session().Click(2);   // the middle button
    std::this_thread::sleep_for(Millis(800));
    EXPECT_EQ(Count(host.Output(), "click 2"), 2) << host.Output();

    // Focus button 1 with a click, then press keys: they reach it and click nothing.
    Session().MoveMouse(kOk.CentreX(), kOk.CentreY());
    Session().Click(1);
    ASSERT_TRUE(WaitForLine("click 1", Millis(5000)));
    for (const char* key : {"Return", "space", "s", "KP_Enter"})
        Session().Key(key);
    ASSERT_TRUE(WaitForLine("key 1 32", Millis(5000))) << "the keys never reached the button\n" << host.Output();
    std::this_thread::sleep_for(Millis(800));
    EXPECT_EQ(Count(host.Output(), "key 1 13"), 2) << host.Output();
    EXPECT_EQ(Count(host.Output(), "click 1"), 1) << host.Output();
    EXPECT_EQ(Count(host.Output(), "click 2"), 2) << host.Output();
}

TEST_F(ButtonHost, ADragOffTheButtonWhileHeldRaisesNoClick)
{
    // Off and back again, slowly enough for the poll to see the cursor leave.
    Session().MoveMouse(kCancel.CentreX(), kCancel.CentreY());
    Xdotool({"mousedown", "1"});
    // Held: the Pressed frame, its line one pixel further in.
    EXPECT_TRUE(Session().WaitForPixel(kCancel.x + 20, kCancel.y + 2, Colour(0x003C74), Millis(2000)));
    EXPECT_EQ(Session().ReadPixel(kCancel.x + 20, kCancel.y + 0).value().Hex(), "ECE9D8");
    Session().Screenshot("held");
    Session().MoveMouse(kOffX, kOffY);
    EXPECT_TRUE(Session().WaitForPixel(kCancel.x + 20, kCancel.y + 2, Colour(0xCEE7FF), Millis(3000)))
        << "Selected was not drawn after the cursor left";
    Session().MoveMouse(kCancel.CentreX(), kCancel.CentreY());
    std::this_thread::sleep_for(Millis(400));
    Xdotool({"mouseup", "1"});
    // Off and released at once, before the poll can have looked.
    Session().MoveMouse(kOk.CentreX(), kOk.CentreY());
    Xdotool({"mousedown", "1"});
    Xdotool({"mousemove", std::to_string(kOffX), std::to_string(kOffY), "mouseup", "1"});
    std::this_thread::sleep_for(Millis(1000));
    EXPECT_EQ(Count(host.Output(), "click 2"), 0) << host.Output();
    EXPECT_EQ(Count(host.Output(), "click 1"), 0) << host.Output();
}

TEST_F(ButtonHost, ADisabledButtonShowsTheDisableFrameAGreyedCaptionAndRaisesNothing)
{
    const harness::Image shot = Session().Screenshot("disabled");
    const Box& b = kDisabled;
    EXPECT_EQ(shot.At(b.x + 40, b.y + 1).Hex(), "C9C7BA");
    EXPECT_EQ(shot.At(b.x + 1, b.y + 10).Hex(), "C9C7BA");
    EXPECT_EQ(shot.At(b.x + 20, b.y + 3).Hex(), "F5F4EA");
    // "..." is drawn, but greyed (Wine's grey text is #A6A6A6): three grey dots, no black.
    const auto black = [](Rgb p) { return p.Brightness() < 150; };
    const auto grey = [](Rgb p) {
        return p.r >= 0x60 && p.r <= 0xC0 && std::abs(p.r - p.g) < 12 && std::abs(p.r - p.b) < 12;
    };
    EXPECT_EQ(Pixels(shot, b.x + 4, b.y + 4, b.x + 77, b.y + 21, black), 0);
    EXPECT_GE(Pixels(shot, b.x + 30, b.y + 5, b.x + 51, b.y + 19, grey), 3);

    // Hover, clicks with every button and the poll change nothing.
    Session().MoveMouse(b.CentreX(), b.CentreY());
    std::this_thread::sleep_for(Millis(400));
    EXPECT_EQ(Session().ReadPixel(b.x + 20, b.y + 3).value().Hex(), "F5F4EA");
    for (int button : {1, 3, 2})
        Session().Click(button);
    Session().MoveMouse(kOffX, kOffY);
    std::this_thread::sleep_for(Millis(800));
    EXPECT_EQ(Count(host.Output(), "click 3"), 0) << host.Output();
    EXPECT_EQ(Session().ReadPixel(b.x + 40, b.y + 1).value().Hex(), "C9C7BA");

    // The same button, enabled by its host, clicks.
    Session().Tool({"post", std::to_string(window), std::to_string(kSetEnabled), "3", "1"});
    ASSERT_TRUE(WaitForLine("change 3 Enabled", Millis(5000))) << host.Output();
    EXPECT_TRUE(Session().WaitForPixel(b.x + 40, b.y + 1, Colour(0x003C74), Millis(3000)));
    const harness::Image enabled = Session().Screenshot("disabled-then-enabled");
    EXPECT_GE(Pixels(enabled, b.x + 30, b.y + 5, b.x + 51, b.y + 19, black), 3);
    EXPECT_EQ(Pixels(enabled, b.x + 30, b.y + 5, b.x + 51, b.y + 19, grey), 0);
    Session().MoveMouse(b.CentreX(), b.CentreY());
    Session().Click(1);
    EXPECT_TRUE(WaitForLine("click 3", Millis(5000))) << host.Output();
}

TEST_F(ButtonHost, AClickThatClosesTheFormEndsTheHostCleanly)
{
    Session().MoveMouse(kClose.CentreX(), kClose.CentreY());
    Session().Click(1);
    EXPECT_EQ(host.Wait(Millis(10000)), 0) << host.Output();
    EXPECT_EQ(Count(host.Output(), "click 6"), 1) << host.Output();
    EXPECT_EQ(Session().FindWindow(kHostTitle), 0u);
}

}  // namespace
