// A full-screen run on Xorg with three monitors: black covers over every monitor but the
// renderer's, at their places after a real display-mode switch and another program's change,
// input on them, the layout put back at the end; then a single monitor.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "harness.h"
#include "xorg_display.h"

namespace {

using harness::Millis;
using harness::Rgb;

constexpr char kLayout[] = "xrandr | grep -o '[0-9]*x[0-9]*+[0-9]*+[0-9]*'";   // each output that shows

struct Area { int left, top, right, bottom; };

// Whether the screen soon shows every pixel of the areas in `colour`: after a mode switch the
// dummy driver shows stale pixels until each window has repainted.
bool Shows(const harness::XorgDisplay& xorg, std::vector<Area> areas, int colour)
{
    return harness::Eventually([&] {
        const harness::Image shot = xorg.Screen();
        return std::all_of(areas.begin(), areas.end(), [&](Area a) {
            return shot.width >= a.right && shot.height >= a.bottom &&
                   shot.Fraction(a.left, a.top, a.right, a.bottom, [&](Rgb p) { return p.Is(colour); }) == 1.0;
        });
    }, Millis(15000), Millis(50));
}

TEST(MultiMonitorRun, EveryOtherMonitorIsBlackWhereverItMovesAndTheKeyboardStaysWithTheRenderer)
{
    // X places the left monitor at 0, the 1920 x 1080 primary after it and the right one after
    // that; Wine puts the primary at 0 and the left monitor at -1024. The registry's modes,
    // which the end of a run restores, are the layout Wine's server first sees. Windows Wine
    // does not hand to a window manager (there is none) go at once, not after two seconds.
    harness::XorgDisplay xorg;
    xorg.Apply({{1920, 1080, 1024, 0}, {1024, 768, 0, 0}, {1280, 1024, 2944, 0}});
    xorg.Run("xsetroot -solid '#2a6041'");   // the desktop: one colour stays put when monitors move
    harness::WineSession session({1920, 1080, "monitors", false, xorg.Name()});
    std::ofstream(session.Prefix() / "user.reg", std::ios::app) << "\n[Software\\\\Wine\\\\X11 Driver]\n\"Managed\"=\"N\"\n";
    const auto folder = session.MakeProgramFolder("Glowmere", {"Glowmere.scr", "Glowmere.dll"});
    harness::Process shell = session.Start(folder / "Glowmere.scr", {"/s"});
    const uint64_t renderer = session.WaitForWindow("Lumadrift_VC", Millis(30000));
    ASSERT_NE(renderer, 0u) << shell.Output();

    // The primary is in 1024 x 768 with the right monitor moved up to it, and shows the scene:
    // black sky over the floor, which carries the desktop's colour.
    EXPECT_EQ(xorg.Run(kLayout), "1024x768+1024+0\n1024x768+0+0\n1280x1024+2048+0\n");
    EXPECT_TRUE(Shows(xorg, {{0, 0, 1024, 768}, {2048, 0, 3328, 1024}}, 0));
    EXPECT_TRUE(harness::Eventually([&] {
        const harness::Image shot = xorg.Screen();
        return shot.Fraction(1024, 0, 2048, 280, [](Rgb p) { return p.Brightness() < 30; }) > 0.5 &&
               shot.Fraction(1024, 500, 2048, 768, [](Rgb p) { return std::abs(p.g - 0x60) + std::abs(p.b - 0x41) < 30; }) > 0.8;
    }, Millis(15000)));

    // A click on a cover leaves the renderer in front; moving the mouse there ends nothing.
    session.MoveMouse(2600, 500);
    session.Click(1);
    EXPECT_EQ(session.Tool({"foreground"}), std::to_string(renderer));
    session.MoveMouse(300, 300);
    EXPECT_FALSE(shell.Wait(Millis(800)).has_value()) << "the run ended";
    // Another program makes the left monitor larger; its cover grows with it.
    EXPECT_EQ(session.Tool({"set-mode", "\\\\.\\DISPLAY2", "1280", "1024"}), "0");
    EXPECT_TRUE(Shows(xorg, {{0, 0, 1280, 1024}, {2304, 0, 3584, 1024}}, 0));
    // Escape typed while the pointer is over a cover ends the run: every monitor is back in its
    // mode and place, showing the desktop, and no process of the run is left.
    session.Key("Escape");
    EXPECT_EQ(shell.Wait(Millis(10000)), 0);
    EXPECT_TRUE(Shows(xorg, {{0, 0, 1024, 768}, {2944, 0, 4224, 1024}}, 0x2a6041));
    EXPECT_EQ(xorg.Run(kLayout), "1920x1080+1024+0\n1024x768+0+0\n1280x1024+2944+0\n");
    EXPECT_TRUE(harness::Eventually(
        [&] { return session.Tool({"processes"}).find("Glowmere") == std::string::npos; }, Millis(10000)));

    // On a single monitor the renderer makes no cover.
    xorg.Apply({{1920, 1080, 0, 0}});
    harness::Process alone = session.Start(folder / "Glowmere.dll");
    ASSERT_NE(session.WaitForWindow("Lumadrift_VC", Millis(30000)), 0u) << alone.Output();
    EXPECT_EQ(session.Tool({"find-class", "Lumadrift_Cover"}), "0");
}

}  // namespace
