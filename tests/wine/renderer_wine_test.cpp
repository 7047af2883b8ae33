// The real Glowmere.dll under Wine: its window and cursor, what ends a run, where the floor
// lies, that runs started apart draw other spirits, and what it draws with and without the
// hand-off pictures in C:\n_hale (the desktop picture on the floor in perspective, the spirit
// picture on the spirits, a desktop picture that cannot be opened).
#include <gtest/gtest.h>

#include <cmath>

#include "harness.h"

namespace {

namespace fs = std::filesystem;
using harness::Image;
using harness::Millis;
using harness::Rgb;

constexpr char kTitle[] = "Lumadrift_VC";
constexpr int kSky = 400;   // rows above the floor's far edge

// The desktop picture: four colours in eight vertical stripes. 202 pixels make 606-byte
// rows, not a multiple of 4, so rows read with the default alignment would shear and mix
// the colours; the stripes run along the floor's depth, so its scrolling keeps them still.
const Rgb kStripes[4] = {{220, 40, 40}, {40, 200, 60}, {40, 60, 220}, {230, 210, 40}};

harness::WineSession& Session();

// A 24-bit bitmap file of the picture whose pixel (x, y) is colour(x, y), written by ImageMagick.
template <class Colour>
void WriteBitmap(const fs::path& file, int width, int height, Colour colour)
{
    std::string ppm = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ppm += {char(colour(x, y).r), char(colour(x, y).g), char(colour(x, y).b)};
    harness::WriteFile(Session().WorkDir() / "picture.ppm", ppm);
    Session().StartNative({"convert", (Session().WorkDir() / "picture.ppm").string(), "-type", "TrueColor",
                           "BMP3:" + file.string()}).Wait(Millis(30000));
}

// The spirit picture: a white glow fading to black, 128 x 128 like the saver shell's.
void WriteGlow(const fs::path& file)
{
    WriteBitmap(file, 128, 128, [](int x, int y) {
        const double r = std::min(1.0, std::hypot(x - 63.5, y - 63.5) / 60.0);
        const int level = static_cast<int>(std::lround(255.0 * (1.0 - r) * (1.0 - r)));
        return Rgb{level, level, level};
    });
}

harness::WineSession& Session()
{
    static harness::WineSession session({1024, 768, "renderer"});
    return session;
}

bool Lit(Rgb p) { return p.Brightness() >= 30; }
bool White(Rgb p) { return p.r > 240 && p.g > 240 && p.b > 240; }
// A frame with a white floor is on the screen (the window is all white before its first).
bool WhiteFloorFrame(const Image& s)
{
    return s.Fraction(0, 460, 1024, 768, White) > 0.99 && s.Fraction(0, 0, 1024, kSky, Lit) < 0.5;
}

// The stripe a screen pixel shows, or -1 (a boundary, a spirit's light, the sky).
int StripeOf(Rgb p)
{
    for (int i = 0; i < 4; ++i)
        if (p.Near(kStripes[i], 61))
            return i;
    return -1;
}

// Changes from one stripe to another along a row, counting runs of four pixels or more,
// so that filtered boundaries and spirits' light do not count.
int StripeChanges(const Image& shot, int y)
{
    int changes = 0, last = -1, current = -1, run = 0;
    for (int x = 0; x < shot.width; ++x) {
        const int stripe = StripeOf(shot.At(x, y));
        run = stripe == current ? run + 1 : 1;
        current = stripe;
        if (current >= 0 && run == 4) {
            changes += last >= 0 && current != last;
            last = current;
        }
    }
    return changes;
}

// The share of lit sky pixels whose right neighbour has the very same colour: nearly all
// for untextured spirits (flat squares), few for spirits carrying the glow.
double FlatShareOfTheSky(const Image& shot)
{
    long lit = 0, flat = 0;
    for (int y = 0; y < kSky; ++y)
        for (int x = 0; x + 1 < shot.width; ++x)
            if (Lit(shot.At(x, y))) {
                ++lit;
                flat += shot.At(x, y).Hex() == shot.At(x + 1, y).Hex();
            }
    return lit ? static_cast<double>(flat) / static_cast<double>(lit) : 1.0;
}

class RendererRun : public ::testing::Test {
protected:
    harness::Process renderer;
    uint64_t window = 0;
    std::chrono::steady_clock::time_point appeared;
    const fs::path handOff = Session().DriveC() / "n_hale";

    void SetUp() override
    {
        fs::remove_all(handOff);
        fs::create_directories(handOff);
    }

    void Start()
    {
        static const fs::path folder = Session().MakeProgramFolder("glowmere", {"Glowmere.dll"});
        renderer = Session().Start(folder / "Glowmere.dll");
        window = Session().WaitForWindow(kTitle, Millis(30000));
        appeared = std::chrono::steady_clock::now();
        ASSERT_NE(window, 0u) << renderer.Output();
    }

    void TearDown() override
    {
        if (renderer.Running())
            Session().Post(window, harness::kWmClose);
        EXPECT_EQ(renderer.Wait(Millis(10000)), 0);
    }

    // The screen 2.5 s into the run, for comparing two runs.
    Image At2500Ms(const std::string& name)
    {
        std::this_thread::sleep_until(appeared + Millis(2500));
        return Session().Screenshot(name);
    }
};

TEST_F(RendererRun, WithoutPicturesAWhiteFloorMeetsTheSkyAtRow432UnderFlatSquaresUntilEscapeAndRunsDiffer)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    const harness::WindowInfo info = Session().Window(window);
    EXPECT_EQ(info.className + " " + info.text, std::string(kTitle) + " " + kTitle);
    EXPECT_EQ(std::vector<long>({info.visible, long(info.parent), info.left, info.top, info.right, info.bottom}),
              std::vector<long>({1, 0, 0, 0, 1024, 768}));
    EXPECT_EQ(Session().Tool({"cursor"}), "0") << "the cursor shows during the run";
    const Image first = At2500Ms("first-run");
    // Other keys, the mouse and the system's screen-saver request change nothing. No test
    // places the keyboard focus: the renderer takes it itself.
    for (const char* key : {"a", "q", "space", "Return", "F1"})
        Session().Key(key);
    Session().MoveMouse(900, 700);
    Session().Click(1);
    Session().Click(3);
    EXPECT_EQ(Session().Tool({"send", std::to_string(window), "274", std::to_string(0xF140), "0"}), "0");

    const Image shot = Session().ScreenshotWhen(
        "untextured", [](const Image& s) { return WhiteFloorFrame(s) && s.Fraction(0, 0, 1024, kSky, Lit) > 0.002; },
        Millis(15000));
    EXPECT_EQ(Session().WaitForMessageBox("Error", Millis(0)).first, 0u) << "missing pictures are skipped silently";
    // 45 degrees of vertical view put the floor's far edge, 300 ahead and 15.5 below the
    // eye, 48 rows below the middle: the first row that is mostly white floor.
    int horizon = 0;
    while (horizon < 767 && shot.Fraction(0, horizon, 1024, horizon + 1, White) < 0.5)
        ++horizon;
    EXPECT_NEAR(horizon, 432, 2);
    // The sky is black but for the spirits: flat squares of their own colours, which hold
    // red and green but no blue.
    EXPECT_LT(shot.Fraction(0, 0, 1024, kSky, [](Rgb p) { return p.b > 10; }), 0.001);
    EXPECT_GT(FlatShareOfTheSky(shot), 0.9) << "untextured spirits are flat squares";
    EXPECT_TRUE(renderer.Running());
    Session().Key("Escape");
    EXPECT_EQ(renderer.Wait(Millis(10000)), 0);
    EXPECT_EQ(Session().FindWindow(kTitle), 0u);

    // The random source is seeded with the time: a run started seconds later shows other
    // spirits at the same moment of its run (the same seed shows the same ones nearly
    // everywhere, in place and colour).
    ASSERT_NO_FATAL_FAILURE(Start());
    const Image second = At2500Ms("second-run");
    long lit = 0, same = 0;
    for (int y = 0; y < kSky; ++y)
        for (int x = 0; x < 1024; ++x)
            if (Lit(first.At(x, y)) || Lit(second.At(x, y))) {
                ++lit;
                same += first.At(x, y).Near(second.At(x, y), 60);
            }
    EXPECT_LT(double(same) / double(std::max(lit, 1L)), 0.6) << "the two runs drew the same bursts";
}

TEST_F(RendererRun, TheDesktopPictureLiesOnTheFloorInPerspective)
{
    WriteBitmap(handOff / "Lumadrift1.bmp", 202, 150, [](int x, int) { return kStripes[(x * 8 / 202) % 4]; });
    WriteGlow(handOff / "Lumadrift2.bmp");
    ASSERT_NO_FATAL_FAILURE(Start());

    // Spirits only add light and the floor stands still, so the darkest value each pixel
    // takes from the first frame on is the scene without the spirits; a spirit that stays
    // over one place hides it for a while.
    Image darkest;
    const auto striped = [](const Image& s) { return s.Fraction(0, 440, 1024, 768, [](Rgb p) { return StripeOf(p) >= 0; }); };
    Session().ScreenshotWhen(
        "textured",
        [&](const Image& s) {
            if (striped(s) > 0.5 && darkest.rgb.empty())
                darkest = s;
            for (size_t i = 0; !darkest.rgb.empty() && i < darkest.rgb.size(); i += 3)
                if (s.rgb[i] + s.rgb[i + 1] + s.rgb[i + 2] < darkest.rgb[i] + darkest.rgb[i + 1] + darkest.rgb[i + 2])
                    std::copy_n(s.rgb.begin() + long(i), 3, darkest.rgb.begin() + long(i));
            return !darkest.rgb.empty() && striped(darkest) > 0.9 &&
                   darkest.Fraction(0, 0, 1024, kSky, [](Rgb p) { return !Lit(p); }) > 0.95;
        },
        Millis(20000));
    ASSERT_FALSE(darkest.rgb.empty()) << "no frame with the stripes";
    EXPECT_EQ(Session().WaitForMessageBox("Error", Millis(0)).first, 0u) << "no message for good pictures";
    EXPECT_GT(darkest.Fraction(0, 0, 1024, kSky, [](Rgb p) { return !Lit(p); }), 0.95);
    for (int i = 0; i < 4; ++i)
        EXPECT_GT(darkest.Fraction(0, 440, 1024, 768, [i](Rgb p) { return StripeOf(p) == i; }), 0.08) << i;
    // Perspective: the stripes narrow with distance, so a row near the horizon crosses many
    // of them and the bottom row two or three.
    EXPECT_GE(StripeChanges(darkest, 445), 8);
    EXPECT_LE(StripeChanges(darkest, 760), 3);

}

TEST_F(RendererRun, ADesktopPictureThatCannotBeOpenedIsReportedAndTheRunGoesOn)
{
    harness::WriteFile(handOff / "Lumadrift1.bmp", "");   // the C library opens it, the mapping fails
    WriteGlow(handOff / "Lumadrift2.bmp");
    ASSERT_NO_FATAL_FAILURE(Start());
    const auto [box, text] = Session().WaitForMessageBox("Error", Millis(30000));
    ASSERT_NE(box, 0u) << "no message box captioned Error";
    EXPECT_EQ(text, "Failed to open DIB file C:\\n_hale\\Lumadrift1.bmp.\n");
    EXPECT_EQ(Session().Window(box).owner, window) << "owned by the focus window";

    // OK closes the box and the run goes on: frames keep coming, with a white floor and
    // spirits that carry the glow of the spirit picture.
    Session().Post(box, harness::kWmCommand, 1);
    const Image first = Session().ScreenshotWhen("open-error-1", WhiteFloorFrame, Millis(15000));
    const Image second = Session().ScreenshotWhen(
        "open-error-2",
        [&](const Image& s) {
            long changed = 0;
            for (size_t i = 0; i < size_t(kSky) * 1024 * 3; i += 3)
                changed += s.rgb[i] != first.rgb[i] || s.rgb[i + 1] != first.rgb[i + 1];
            return WhiteFloorFrame(s) && changed > 500;
        },
        Millis(10000));
    EXPECT_NE(second.rgb, first.rgb) << "no new frames";
    EXPECT_TRUE(WhiteFloorFrame(second));
    EXPECT_LT(FlatShareOfTheSky(second), 0.5) << "the spirit picture still loaded";
    EXPECT_EQ(Session().WaitForMessageBox("Error", Millis(0)).first, 0u) << "one message only";
}

}  // namespace
