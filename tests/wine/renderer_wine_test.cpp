// The real Glowmere.dll under Wine: its window, its first frames, and what ends a run.
#include <gtest/gtest.h>

#include <thread>

#include "harness.h"

namespace {

using harness::Millis;
using harness::Rgb;

constexpr char kTitle[] = "Lumadrift_VC";
constexpr unsigned kWmClose = 0x0010;
constexpr unsigned kWmSysCommand = 0x0112;
constexpr unsigned kScScreenSave = 0xF140;

harness::WineSession& Session()
{
    static harness::WineSession session({1024, 768, "renderer"});
    return session;
}

class RendererRun : public ::testing::Test {
protected:
    harness::Process renderer;
    uint64_t window = 0;

    void SetUp() override
    {
        const auto folder = Session().MakeProgramFolder("glowmere", {"Glowmere.dll"});
        renderer = Session().Start(folder / "Glowmere.dll");
        window = Session().WaitForWindow(kTitle, Millis(20000));
        ASSERT_NE(window, 0u) << renderer.Output();
    }

    void TearDown() override
    {
        // Ask a renderer that is still running to close, so the next case starts clean.
        if (renderer.Running()) {
            Session().Tool({"post", std::to_string(window), std::to_string(kWmClose), "0", "0"});
            renderer.Wait(Millis(5000));
        }
    }

    void ExpectStillRunning()
    {
        EXPECT_FALSE(renderer.Wait(Millis(1500)).has_value()) << "the renderer ended";
        EXPECT_NE(Session().FindWindow(kTitle), 0u);
    }

    void ExpectEndsWithZero()
    {
        EXPECT_EQ(renderer.Wait(Millis(10000)), 0);
        EXPECT_EQ(Session().FindWindow(kTitle), 0u);
    }
};

TEST_F(RendererRun, OpensItsWindowAndDrawsAWhiteFloorAndColouredSquaresUnderABlackSky)
{
    EXPECT_EQ(Session().Tool({"class", std::to_string(window)}), kTitle);
    EXPECT_EQ(Session().Tool({"text", std::to_string(window)}), kTitle);
    // Visible, no parent, WS_POPUP, covering the 1024 x 768 screen from (0, 0).
    EXPECT_EQ(Session().Tool({"info", std::to_string(window)}).substr(0, 4), "1 0 ");
    EXPECT_NE(Session().Tool({"info", std::to_string(window)}).find(" 0 0 1024 768"), std::string::npos);

    // This prefix holds no hand-off pictures: they are skipped without a message, and
    // both textures stay untextured.
    EXPECT_EQ(Session().Tool({"message-box", "Error", "1000"}), "0");
    std::this_thread::sleep_for(Millis(1500));
    const harness::Image shot = Session().Screenshot("untextured-floor");
    // The floor's far edge lies 300 units ahead and 15.5 below the eye, which a 45-degree
    // view puts about 48 rows below the middle of the screen. Spirits' light added to
    // the white floor leaves it white.
    const auto white = [](Rgb p) { return p.r > 240 && p.g > 240 && p.b > 240; };
    EXPECT_GT(shot.Fraction(0, 460, 1024, 768, white), 0.99);
    EXPECT_LT(shot.Fraction(0, 0, 1024, 400, white), 0.001);

    // The sky is black but for the spirits: flat squares of their own colours, which
    // hold red and green but no blue.
    const auto lit = [](Rgb p) { return p.Brightness() >= 30; };
    EXPECT_GT(shot.Fraction(0, 0, 1024, 400, lit), 0.001);
    EXPECT_LT(shot.Fraction(0, 0, 1024, 400, [](Rgb p) { return p.b > 10; }), 0.001);
    long litPixels = 0, flat = 0;
    for (int y = 0; y < 400; ++y) {
        for (int x = 0; x + 1 < 1024; ++x) {
            const Rgb p = shot.At(x, y), right = shot.At(x + 1, y);
            if (!lit(p))
                continue;
            ++litPixels;
            flat += p.r == right.r && p.g == right.g && p.b == right.b;
        }
    }
    EXPECT_GT(flat, litPixels * 9 / 10) << "untextured spirits are flat squares";
}

TEST_F(RendererRun, EscapeEndsTheRunWithExitCodeZero)
{
    ASSERT_TRUE(Session().FocusWindow(kTitle));
    Session().Key("Escape");
    ExpectEndsWithZero();
}

TEST_F(RendererRun, ACloseRequestEndsTheRunWithExitCodeZero)
{
    Session().Tool({"post", std::to_string(window), std::to_string(kWmClose), "0", "0"});
    ExpectEndsWithZero();
}

TEST_F(RendererRun, OtherKeysTheMouseAndScreenSaveRequestsDoNotEndIt)
{
    ASSERT_TRUE(Session().FocusWindow(kTitle));
    for (const char* key : {"a", "q", "x", "space", "Return", "F1"})
        Session().Key(key);
    Session().MoveMouse(100, 100);
    Session().MoveMouse(900, 700);
    Session().Click(1);
    Session().Click(3);
    EXPECT_EQ(Session().Tool({"send", std::to_string(window), std::to_string(kWmSysCommand),
                              std::to_string(kScScreenSave), "0"}),
              "0");
    ExpectStillRunning();

    // It still listens: the same input path ends it with Escape.
    ASSERT_TRUE(Session().FocusWindow(kTitle));
    Session().Key("Escape");
    ExpectEndsWithZero();
}

TEST(RendererOnAnotherScreenSize, ARefusedModeSwitchEndsTheRunAndLeavesTheModeAlone)
{
    // Xvfb offers only its own mode, so 1024 x 768 is refused on an 800 x 600 screen.
    harness::WineSession small({800, 600, "renderer-800x600"});
    const std::string before = small.Tool({"display-mode"});
    ASSERT_EQ(before.substr(0, 8), "800 600 ");
    const auto folder = small.MakeProgramFolder("glowmere", {"Glowmere.dll"});
    harness::Process renderer = small.Start(folder / "Glowmere.dll");
    EXPECT_EQ(renderer.Wait(Millis(20000)), 0) << renderer.Output();
    EXPECT_EQ(small.FindWindow(kTitle), 0u);
    EXPECT_EQ(small.Tool({"display-mode"}), before);
}

}  // namespace
