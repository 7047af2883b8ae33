// Full-screen runs of the real Glowmere.scr on Xorg with three monitors: a 1920 x 1080 primary,
// a 1024 x 768 monitor left of it (at negative coordinates for Windows) and a 1280 x 1024 one
// right of it. The renderer's switch to 1024 x 768 really happens here and moves the right
// monitor; covers black out the other two wherever they go and leave input to the renderer;
// the end of a run, even with the renderer killed, puts every monitor back in its mode and place.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "harness.h"

namespace {

using harness::Image;
using harness::Millis;
using harness::Rgb;

constexpr char kRenderer[] = "Lumadrift_VC";
const Millis kBound(30000);

// Every pixel of the areas (left, top, right, bottom in X's coordinates) has the colour.
bool All(const Image& shot, std::vector<std::array<int, 4>> areas, int colour)
{
    return std::all_of(areas.begin(), areas.end(), [&](auto a) {
        return shot.width >= a[2] && shot.height >= a[3] &&
               shot.Fraction(a[0], a[1], a[2], a[3], [&](Rgb p) { return p.Is(colour); }) == 1.0;
    });
}

TEST(MultiMonitorRun, CoversBlackOutTheOtherMonitorsWhereverTheyGoKeepTheKeyboardOffAndTheLayoutComesBack)
{
    harness::WineSession session({1920, 1080, "monitors", {"1920x1080+1024+0", "1024x768+0+0", "1280x1024+2944+0"}});
    session.StartNative({"xsetroot", "-solid", "#2a6041"}).Wait(kBound);   // one colour stays put when monitors move
    const auto layout = [&] {   // each output that shows, in X's coordinates
        harness::Process xrandr = session.StartNative({"sh", "-c", "xrandr | grep -o '[0-9]*x[0-9]*+[0-9]*+[0-9]*'"});
        xrandr.Wait(kBound);
        return xrandr.Output();
    };
    // After a mode switch the dummy driver shows stale pixels until each window paints again.
    const auto soon = [&](const std::string& name, auto test) { return test(session.ScreenshotWhen(name, test, kBound)); };
    const std::string before = layout();
    const auto folder = session.MakeProgramFolder("Glowmere", {"Glowmere.scr", "Glowmere.dll"});
    harness::Process shell = session.Start(folder / "Glowmere.scr", {"/s"});
    const uint64_t renderer = session.WaitForWindow(kRenderer, kBound);
    ASSERT_NE(renderer, 0u) << shell.Output();

    // The primary is in 1024 x 768 with the right monitor moved up to it. Both others are
    // black; the primary shows a dark sky over the floor in the desktop's colour.
    EXPECT_EQ(layout(), "1024x768+1024+0\n1024x768+0+0\n1280x1024+2048+0\n");
    EXPECT_TRUE(soon("run", [](const Image& s) {
        return All(s, {{0, 0, 1024, 768}, {2048, 0, 3328, 1024}}, 0) &&
               s.Fraction(1024, 0, 2048, 280, [](Rgb p) { return p.Brightness() < 30; }) > 0.5 &&
               s.Fraction(1024, 500, 2048, 768, [](Rgb p) { return p.Near({0x2a, 0x60, 0x41}, 40); }) > 0.8;
    }));

    // A click on a cover leaves the renderer in front; moving the mouse over a cover ends nothing.
    session.MoveMouse(2600, 500);
    session.Click(1);
    EXPECT_EQ(session.Tool({"foreground"}), std::to_string(renderer));
    session.MoveMouse(300, 300);
    // Another program makes the left monitor larger: its cover follows, and so does the right one's.
    EXPECT_EQ(session.Tool({"set-mode", "\\\\.\\DISPLAY2", "1280", "1024"}), "0");
    EXPECT_TRUE(soon("left-larger", [](const Image& s) { return All(s, {{0, 0, 1280, 1024}, {2304, 0, 3584, 1024}}, 0); }));
    // A close request ends the shell; the renderer runs on in its mode.
    session.Post(session.FindWindow("Lumadrift_Main"), harness::kWmClose);
    EXPECT_EQ(shell.Wait(kBound), 0);
    EXPECT_EQ(session.FindWindow(kRenderer), renderer) << "the run ended";
    EXPECT_EQ(layout(), "1024x768+1280+0\n1280x1024+0+0\n1280x1024+2304+0\n");

    // Escape typed over a cover ends the run: every monitor is back in its mode and place,
    // showing the desktop, and no process of the run is left.
    session.Key("Escape");
    EXPECT_TRUE(session.WaitForWindowGone(kRenderer, kBound));
    EXPECT_TRUE(soon("after", [](const Image& s) { return All(s, {{0, 0, 1024, 768}, {2944, 0, 4224, 1024}}, 0x2a6041); }));
    EXPECT_EQ(layout(), before);
    EXPECT_TRUE(harness::Eventually([&] { return session.Tool({"processes"}).find("Glowmere") == std::string::npos; }, kBound));

    // A renderer killed in its mode, held from the moment its window appears, leaves the
    // restore to the shell, and takes the desktop picture along.
    shell = session.Start(folder / "Glowmere.scr", {"/s"});
    EXPECT_EQ(session.Tool({"terminate", session.Tool({"hold", kRenderer})}), "1");
    EXPECT_EQ(shell.Wait(kBound), 0);
    EXPECT_EQ(layout(), before);
    EXPECT_FALSE(std::filesystem::exists(session.DriveC() / "n_hale" / "Lumadrift1.bmp"));
}

}  // namespace
