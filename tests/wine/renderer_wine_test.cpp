// The real Glowmere.dll under Wine: its window, what ends a run, and what it draws with
// and without hand-off pictures in C:\n_hale (the desktop picture on the floor in
// perspective, the spirit picture on the spirits, a desktop picture that cannot be opened).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "bmp_builder.h"
#include "harness.h"

namespace {

namespace fs = std::filesystem;
using harness::Millis;
using harness::Rgb;

constexpr char kTitle[] = "Lumadrift_VC";
constexpr unsigned kWmSysCommand = 0x0112;
constexpr unsigned kScScreenSave = 0xF140;

// The desktop picture: four colours in eight vertical stripes (the four twice over).
// 202 pixels make 606-byte rows, which are not a multiple of 4, so rows read with the
// default alignment would shear and mix the colours; the stripes run along the floor's
// depth, so the floor's scrolling keeps them where they are on the screen.
constexpr int kPictureWidth = 202;
const bmp::Rgb kStripes[4] = {{220, 40, 40}, {40, 200, 60}, {40, 60, 220}, {230, 210, 40}};

std::vector<uint8_t> StripePicture()
{
    return bmp::Build24(kPictureWidth, 150, [](int x, int) { return kStripes[(x * 8 / kPictureWidth) % 4]; });
}

// The spirit picture: a white glow fading to black, 128 x 128 like the saver shell's.
std::vector<uint8_t> GlowPicture()
{
    return bmp::Build24(128, 128, [](int x, int y) {
        const double r = std::hypot(x - 63.5, y - 63.5) / 60.0;
        const auto level = static_cast<uint8_t>(std::lround(r >= 1.0 ? 0.0 : 255.0 * (1.0 - r) * (1.0 - r)));
        return bmp::Rgb{level, level, level};
    });
}

harness::WineSession& Session()
{
    static harness::WineSession session({1024, 768, "renderer"});
    return session;
}

// The stripe a screen pixel shows, or -1 (a boundary, a spirit's light, the sky).
int StripeOf(Rgb p)
{
    for (int i = 0; i < 4; ++i) {
        const bmp::Rgb& c = kStripes[i];
        if (std::abs(p.r - c[0]) + std::abs(p.g - c[1]) + std::abs(p.b - c[2]) <= 60)
            return i;
    }
    return -1;
}

// Changes from one stripe to another along a screen row, counting only runs of at least
// four pixels, so filtered boundaries and spirits' light do not count.
int StripeChanges(const harness::Image& shot, int y)
{
    int changes = 0, last = -1, current = -1, run = 0;
    for (int x = 0; x < shot.width; ++x) {
        const int stripe = StripeOf(shot.At(x, y));
        run = stripe == current ? run + 1 : 1;
        current = stripe;
        if (current >= 0 && run == 4) {
            if (last >= 0 && current != last)
                ++changes;
            last = current;
        }
    }
    return changes;
}

// Spirits only add light, and the striped floor looks the same at every moment (its
// stripes run along the way it scrolls), so the darkest value each pixel takes over a
// few pictures is the floor without the spirits' light.
harness::Image Darkest(const std::vector<harness::Image>& shots)
{
    harness::Image out = shots.front();
    for (const harness::Image& shot : shots)
        for (size_t i = 0; i + 2 < out.rgb.size(); i += 3)
            if (shot.rgb[i] + shot.rgb[i + 1] + shot.rgb[i + 2] < out.rgb[i] + out.rgb[i + 1] + out.rgb[i + 2])
                for (int c = 0; c < 3; ++c)
                    out.rgb[i + c] = shot.rgb[i + c];
    return out;
}

// The share of lit sky pixels whose right neighbour has the very same colour: nearly
// all for untextured spirits (flat squares), few for spirits carrying the glow.
double FlatShareOfTheSky(const harness::Image& shot)
{
    long lit = 0, flat = 0;
    for (int y = 0; y < 400; ++y) {
        for (int x = 0; x + 1 < shot.width; ++x) {
            const Rgb p = shot.At(x, y), right = shot.At(x + 1, y);
            if (p.Brightness() < 30)
                continue;
            ++lit;
            flat += p.r == right.r && p.g == right.g && p.b == right.b;
        }
    }
    return lit ? static_cast<double>(flat) / static_cast<double>(lit) : 1.0;
}

// The floor's far edge lies 300 units ahead and 15.5 below the eye, which a 45-degree
// view puts about 48 rows below the middle of the screen. Spirits' light added to the
// white floor leaves it white.
double WhiteFloorShare(const harness::Image& shot)
{
    return shot.Fraction(0, 460, 1024, 768, [](Rgb p) { return p.r > 240 && p.g > 240 && p.b > 240; });
}

class RendererRun : public ::testing::Test {
protected:
    harness::Process renderer;
    uint64_t window = 0;
    fs::path handOff = Session().DriveC() / "n_hale";

    void SetUp() override
    {
        fs::remove_all(handOff);
        fs::create_directories(handOff);
    }

    void Start()
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
            Session().Post(window, harness::kWmClose);
            renderer.Wait(Millis(5000));
        }
    }

    void ExpectEndsWithZero()
    {
        EXPECT_EQ(renderer.Wait(Millis(10000)), 0);
        EXPECT_EQ(Session().FindWindow(kTitle), 0u);
    }
};

TEST_F(RendererRun, WithoutPicturesItDrawsAWhiteFloorAndFlatColouredSquaresUnderABlackSkyUntilClosed)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_EQ(Session().Tool({"text", std::to_string(window)}), kTitle);
    // Visible, no parent, covering the 1024 x 768 screen from (0, 0).
    const harness::WindowInfo info = Session().Window(window);
    EXPECT_EQ(info.className, kTitle);
    EXPECT_TRUE(info.visible);
    EXPECT_EQ(info.parent, 0u);
    EXPECT_EQ(std::vector<long>({info.left, info.top, info.right, info.bottom}), std::vector<long>({0, 0, 1024, 768}));

    // Missing hand-off pictures are skipped without a message, and both textures stay
    // untextured.
    EXPECT_EQ(Session().WaitForMessageBox("Error", Millis(1000)).handle, 0u);
    std::this_thread::sleep_for(Millis(1500));
    const harness::Image shot = Session().Screenshot("untextured-floor");
    EXPECT_GT(WhiteFloorShare(shot), 0.99);
    EXPECT_LT(shot.Fraction(0, 0, 1024, 400, [](Rgb p) { return p.r > 240 && p.g > 240 && p.b > 240; }), 0.001);
    // The sky is black but for the spirits: flat squares of their own colours, which hold
    // red and green but no blue.
    EXPECT_GT(shot.Fraction(0, 0, 1024, 400, [](Rgb p) { return p.Brightness() >= 30; }), 0.001);
    EXPECT_LT(shot.Fraction(0, 0, 1024, 400, [](Rgb p) { return p.b > 10; }), 0.001);
    EXPECT_GT(FlatShareOfTheSky(shot), 0.9) << "untextured spirits are flat squares";

    Session().Post(window, harness::kWmClose);
    ExpectEndsWithZero();
}

TEST_F(RendererRun, OtherKeysTheMouseAndScreenSaveRequestsDoNotEndItButEscapeDoes)
{
    ASSERT_NO_FATAL_FAILURE(Start());
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
    EXPECT_FALSE(renderer.Wait(Millis(1500)).has_value()) << "the renderer ended";
    EXPECT_NE(Session().FindWindow(kTitle), 0u);

    ASSERT_TRUE(Session().FocusWindow(kTitle));
    Session().Key("Escape");
    ExpectEndsWithZero();
}

TEST_F(RendererRun, TheDesktopPictureLiesOnTheFloorInPerspectiveUnderGlowingSpirits)
{
    harness::WriteFile(handOff / "Lumadrift1.bmp", StripePicture());
    harness::WriteFile(handOff / "Lumadrift2.bmp", GlowPicture());
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_EQ(Session().WaitForMessageBox("Error", Millis(1500)).handle, 0u) << "no message for good pictures";
    std::this_thread::sleep_for(Millis(2500));
    std::vector<harness::Image> shots = {Session().Screenshot("textured-floor-and-spirits")};
    for (int i = 1; i < 6; ++i) {
        std::this_thread::sleep_for(Millis(900));
        shots.push_back(Session().Screenshot("textured-floor-" + std::to_string(i)));
    }
    const harness::Image floor = Darkest(shots);
    const harness::Image& shot = shots.front();

    // The floor shows the four colours, each over a good part of it. Anything else is a
    // filtered boundary, or a large spirit that stayed in front of the same part of the
    // floor in all six pictures.
    EXPECT_GT(floor.Fraction(0, 440, 1024, 768, [](Rgb p) { return StripeOf(p) >= 0; }), 0.8);
    for (int i = 0; i < 4; ++i)
        EXPECT_GT(floor.Fraction(0, 440, 1024, 768, [i](Rgb p) { return StripeOf(p) == i; }), 0.08) << i;

    // Perspective: the stripes run away from the viewer and narrow with distance, so a
    // row near the horizon crosses many of them and the bottom row two or three.
    EXPECT_GE(StripeChanges(floor, 445), 8);
    EXPECT_LE(StripeChanges(floor, 760), 3);
    EXPECT_GT(StripeChanges(floor, 445), StripeChanges(floor, 600));

    // Above the floor: black sky and bright spirits. Their colours have no blue (their
    // red and green vary), so the glow's white texture shows as red, yellow and green.
    EXPECT_GT(shot.Fraction(0, 0, 1024, 400, [](Rgb p) { return std::max(p.r, p.g) >= 150; }), 0.0005);
    EXPECT_GT(shot.Fraction(0, 0, 1024, 400, [](Rgb p) { return p.Brightness() < 30; }), 0.5);
    EXPECT_LT(shot.Fraction(0, 0, 1024, 400, [](Rgb p) { return p.b > 40; }), 0.001);
    EXPECT_LT(FlatShareOfTheSky(shot), 0.5) << "the spirits should carry the glow, not be flat squares";
}

TEST_F(RendererRun, ADesktopPictureThatCannotBeOpenedIsReportedAndTheRunGoesOn)
{
    harness::WriteFile(handOff / "Lumadrift1.bmp", std::string());   // the C library opens it, the mapping fails
    harness::WriteFile(handOff / "Lumadrift2.bmp", GlowPicture());
    ASSERT_NO_FATAL_FAILURE(Start());

    const harness::MessageBoxFound box = Session().WaitForMessageBox("Error", Millis(20000));
    ASSERT_NE(box.handle, 0u) << "no message box captioned Error";
    const std::string handle = std::to_string(box.handle);
    EXPECT_EQ(box.text, "Failed to open DIB file C:\\n_hale\\Lumadrift1.bmp.\n");
    EXPECT_EQ(Session().Window(box.handle).owner, window) << "owned by the focus window";
    EXPECT_TRUE(renderer.Running());

    // OK closes the box.
    Session().Post(box.handle, harness::kWmCommand, 1);
    EXPECT_TRUE(harness::Eventually([&] { return Session().Tool({"is-window", handle}) == "0"; }, Millis(20000)));

    // The run goes on: the window stays and frames keep coming, with a white
    // (untextured) floor and the glowing spirits.
    std::this_thread::sleep_for(Millis(2000));
    EXPECT_TRUE(renderer.Running());
    EXPECT_NE(Session().FindWindow(kTitle), 0u);
    const harness::Image first = Session().Screenshot("open-error-then-running-1");
    std::this_thread::sleep_for(Millis(1000));
    const harness::Image second = Session().Screenshot("open-error-then-running-2");
    EXPECT_GT(WhiteFloorShare(second), 0.99);
    long changed = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 1024; ++x)
            changed += first.At(x, y).Brightness() != second.At(x, y).Brightness();
    EXPECT_GT(changed, 200) << "the spirits should have moved between the two pictures";
    EXPECT_LT(FlatShareOfTheSky(second), 0.5) << "the spirit picture still loaded";
    EXPECT_EQ(Session().WaitForMessageBox("Error", Millis(500)).handle, 0u) << "one message only";
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
