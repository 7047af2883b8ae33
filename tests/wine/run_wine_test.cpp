// Full-screen runs under Wine. The real Glowmere.dll alone: its window and cursor, what ends a
// run, where the floor lies, that runs started apart draw other spirits, and what it draws
// with and without the hand-off pictures in C:\n_hale. Then "/s" (and the empty argument
// string) end to end with the renderer beside the shell, on an X screen whose root window
// shows a known picture; the shell is its test build (saver_music_probe.exe: the same program
// with its music and cursor calls written to run-calls.log), so each run also shows what the
// form did with them; and each kind of end shows whether the desktop picture outlived it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "byte_order.h"
#include "harness.h"

namespace {

namespace fs = std::filesystem;
using harness::Image;
using harness::Millis;
using harness::Rgb;
using Calls = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

constexpr char kRenderer[] = "Lumadrift_VC";
constexpr char kController[] = "Lumadrift_Main";
constexpr int kSky = 400;   // rows above the floor's far edge
const Millis kBound(30000);

harness::WineSession& Session()
{
    static harness::WineSession session({1024, 768, "run"});
    return session;
}

fs::path WorkingFolder() { return Session().DriveC() / "n_hale"; }   // where the hand-off pictures go

// The desktop picture: four colours in eight vertical stripes. 202 pixels make 606-byte
// rows, not a multiple of 4, so rows read with the default alignment would shear and mix
// the colours; the stripes run along the floor's depth, so its scrolling keeps them still.
const Rgb kStripes[4] = {{220, 40, 40}, {40, 200, 60}, {40, 60, 220}, {230, 210, 40}};

// A bitmap file of the picture whose pixel (x, y) is colour(x, y), written by ImageMagick:
// 24-bit, or with colour indices for type "Palette".
template <class Colour>
void WriteBitmap(const fs::path& file, int width, int height, Colour colour, const std::string& type = "TrueColor")
{
    std::string ppm = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ppm += {char(colour(x, y).r), char(colour(x, y).g), char(colour(x, y).b)};
    harness::WriteFile(Session().WorkDir() / "picture.ppm", ppm);
    Session().StartNative({"convert", (Session().WorkDir() / "picture.ppm").string(), "-type", type,
                           "BMP3:" + file.string()}).Wait(kBound);
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

// The share of the floor that shows the stripes.
double Striped(const Image& s) { return s.Fraction(0, 440, 1024, 768, [](Rgb p) { return StripeOf(p) >= 0; }); }

class RendererRun : public ::testing::Test {
protected:
    harness::Process renderer;
    uint64_t window = 0;
    std::chrono::steady_clock::time_point appeared;
    const fs::path handOff = WorkingFolder();

    void SetUp() override
    {
        fs::remove_all(handOff);
        fs::create_directories(handOff);
    }

    void Start(const std::map<std::string, std::string>& env = {})
    {
        static const fs::path folder = Session().MakeProgramFolder("glowmere", {"Glowmere.dll"});
        renderer = Session().Start(folder / "Glowmere.dll", {}, {{}, env});
        window = Session().WaitForWindow(kRenderer, kBound);
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
    EXPECT_EQ(info.className + " " + info.text, std::string(kRenderer) + " " + kRenderer);
    EXPECT_EQ(std::vector<long>({info.visible, long(info.parent), info.left, info.top, info.right, info.bottom}),
              std::vector<long>({1, 0, 0, 0, 1024, 768}));
    EXPECT_EQ(Session().Tool({"cursor"}), "0") << "the cursor shows during the run";
    EXPECT_EQ(Session().Tool({"find", "", "Lumadrift_Cover"}), "0") << "a cover on the only monitor";
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
    EXPECT_EQ(Session().FindWindow(kRenderer), 0u);

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
    Session().ScreenshotWhen(
        "textured",
        [&](const Image& s) {
            if (Striped(s) > 0.5 && darkest.rgb.empty())
                darkest = s;
            for (size_t i = 0; !darkest.rgb.empty() && i < darkest.rgb.size(); i += 3)
                if (s.rgb[i] + s.rgb[i + 1] + s.rgb[i + 2] < darkest.rgb[i] + darkest.rgb[i + 1] + darkest.rgb[i + 2])
                    std::copy_n(s.rgb.begin() + long(i), 3, darkest.rgb.begin() + long(i));
            return !darkest.rgb.empty() && Striped(darkest) > 0.9 &&
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

// Mesa made to offer GL 1.4 without textures of any size, as an old driver does.
const std::map<std::string, std::string> kOldGl = {{"MESA_GL_VERSION_OVERRIDE", "1.4"},
                                     {"MESA_EXTENSION_OVERRIDE", "-GL_ARB_texture_non_power_of_two"}};

TEST(Textures, EachPictureGoesUpOnceAtItsOwnSizeWithItsPixelsAndAnOldGlGetsPowersOfTwo)
{
    // The desktop picture as the shell writes it (24-bit rows, bottom row first) goes up
    // from the file itself, the spirit picture (colour indices, 201-pixel rows) through the
    // reader's conversion. Level 0 of each holds exactly the picture.
    const fs::path handOff = WorkingFolder();
    fs::create_directories(handOff);
    const auto desktop = [](int x, int y) { return Rgb{uint8_t(x * 7 + y), uint8_t(x ^ (y * 3)), uint8_t(y - x / 2)}; };
    const auto spirit = [](int x, int y) { return kStripes[(x + 2 * y) % 4]; };
    WriteBitmap(handOff / "Lumadrift1.bmp", 1000, 600, desktop);
    WriteBitmap(handOff / "Lumadrift2.bmp", 201, 75, spirit, "Palette");
    const fs::path dump = harness::TestProgramsDir() / "testtool.exe";
    const harness::RunResult run = Session().Run(dump, {"textures", Session().WindowsPath(handOff)}, kBound);
    EXPECT_EQ(harness::Lines(run.output), (std::vector<std::string>{"0 201 75", "1 1000 600"}));
    const auto level0 = [&](int width, int height, auto colour) {
        std::string rows;
        for (int y = height - 1; y >= 0; --y)
            for (int x = 0; x < width; ++x)
                rows += {char(colour(x, y).r), char(colour(x, y).g), char(colour(x, y).b)};
        return rows;
    };
    EXPECT_TRUE(harness::ReadFile(handOff / "0.rgb") == level0(201, 75, spirit));
    EXPECT_TRUE(harness::ReadFile(handOff / "1.rgb") == level0(1000, 600, desktop));

    // A GL that takes only powers of two gets GLU's scaled pictures.
    const harness::RunResult old = Session().Run(dump, {"textures", Session().WindowsPath(handOff)}, kBound, {{}, kOldGl});
    EXPECT_EQ(harness::Lines(old.output), (std::vector<std::string>{"0 256 64", "1 1024 512"}));
}

TEST_F(RendererRun, AnOldGlStillLaysTheDesktopPictureOnTheFloor)
{
    WriteBitmap(handOff / "Lumadrift1.bmp", 202, 150, [](int x, int) { return kStripes[(x * 8 / 202) % 4]; });
    ASSERT_NO_FATAL_FAILURE(Start(kOldGl));
    EXPECT_GT(Striped(Session().ScreenshotWhen("old-gl", [&](const Image& s) { return Striped(s) > 0.5; }, kBound)), 0.5);
}

TEST_F(RendererRun, ADesktopPictureThatCannotBeOpenedIsReportedAndTheRunGoesOn)
{
    harness::WriteFile(handOff / "Lumadrift1.bmp", "");   // the C library opens it, the mapping fails
    WriteGlow(handOff / "Lumadrift2.bmp");
    ASSERT_NO_FATAL_FAILURE(Start());
    const auto [box, text] = Session().WaitForMessageBox("Error", kBound);
    ASSERT_NE(box, 0u) << "no message box captioned Error";
    EXPECT_EQ(text, "Failed to open DIB file C:\\n_hale\\Lumadrift1.bmp.\n");
    EXPECT_EQ(Session().Window(box).owner, window) << "owned by the focus window";

    // OK closes the box and the run goes on: frames keep coming, with a white floor and
    // spirits that carry the glow of the spirit picture.
    Session().Post(box, harness::kWmCommand, 1);
    const Image first = Session().ScreenshotWhen("open-error-1", WhiteFloorFrame, Millis(15000));
    const auto newFrame = [&](const Image& s) {
        long changed = 0;
        for (size_t i = 0; i < size_t(kSky) * 1024 * 3; i += 3)
            changed += s.rgb[i] != first.rgb[i] || s.rgb[i + 1] != first.rgb[i + 1];
        return WhiteFloorFrame(s) && changed > 500;
    };
    const Image second = Session().ScreenshotWhen("open-error-2", newFrame, Millis(10000));
    EXPECT_TRUE(newFrame(second)) << "no new frames with a white floor";
    EXPECT_LT(FlatShareOfTheSky(second), 0.5) << "the spirit picture still loaded";
    EXPECT_EQ(Session().WaitForMessageBox("Error", Millis(0)).first, 0u) << "one message only";
}

// ---------------------------------------------------------------------------------------
// Runs of the shell

// The share of the floor's pixels near the colour.
double FloorShare(const Image& s, Rgb colour)
{
    return s.Fraction(0, 440, 1024, 768, [&](Rgb p) { return p.Near(colour, 60); });
}

// A frame whose floor carries the captured desktop: it shows the desktop's red quarter,
// where the bare desktop is green and yellow and a white floor or another picture has no red.
const Rgb kRed = {0xe0, 0x30, 0x20};
bool DesktopFloor(const Image& s) { return FloorShare(s, kRed) > 0.02; }

void ExpectOnlyTheSpiritPictureLeft()
{
    EXPECT_FALSE(fs::exists(WorkingFolder() / "Lumadrift1.bmp")) << "the desktop picture outlived its run";
    EXPECT_TRUE(fs::exists(WorkingFolder() / "Lumadrift2.bmp"));
}

long MillisSince(Clock::time_point then) { return long(std::chrono::duration_cast<Millis>(Clock::now() - then).count()); }

// A complete file with the header of an uncompressed 24-bit bottom-up picture of the size:
// header size, width, height, bits per pixel, compression.
void ExpectUncompressed24Bit(const fs::path& file, uint32_t width, uint32_t height)
{
    const std::string bytes = harness::ReadFile(file);
    ASSERT_GE(bytes.size(), 54u) << file;
    const auto le32 = [&](size_t at) { return glowmere::ReadLe32(reinterpret_cast<const uint8_t*>(bytes.data()) + at); };
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(std::vector<uint32_t>({le32(14), le32(18), le32(22), le32(28) & 0xFFFF, le32(30)}),
              std::vector<uint32_t>({40, width, height, 24, 0}));
    EXPECT_EQ(bytes.size(), le32(10) + ((width * 3 + 3) & ~3u) * height);
}

class SaverRun : public ::testing::Test {
protected:
    fs::path folder_;
    harness::Process shell_;

    // The desktop: four coloured quarters and a white bar, a picture no screen shows by chance.
    static void SetUpTestSuite()
    {
        const fs::path picture = Session().ArtifactPath("desktop.png");
        Session().StartNative({"convert", "-size", "1024x768", "xc:#2050c0", "-fill", "#e03020", "-draw",
                               "rectangle 512,0 1023,383", "-fill", "#30b040", "-draw", "rectangle 0,384 511,767",
                               "-fill", "#f0d020", "-draw", "rectangle 512,384 1023,767", "-fill", "#ffffff", "-draw",
                               "rectangle 100,100 300,140", "-alpha", "off", "-type", "TrueColor", picture.string()})
            .Wait(kBound);
        Session().SetRootPicture(picture);
    }

    // An empty working folder; a program folder with the renderer, the test build of the
    // shell and the settings given (none: no file).
    void Prepare(int kind, int repeat, const std::string& file)
    {
        fs::remove_all(WorkingFolder());
        fs::create_directories(WorkingFolder());
        folder_ = Session().MakeProgramFolder("Glowmere Saver", {"Glowmere.dll"});
        fs::copy_file(harness::TestProgramsDir() / "saver_music_probe.exe", folder_ / "Glowmere.scr");
        if (!file.empty())
            harness::WriteFile(Session().DriveC() / "music" / file, "sound\n");
        if (kind)
            harness::WriteFile(folder_ / "Glowmere.ini", Session().Ansi("[Section]\r\nBGM区分= " + std::to_string(kind) +
                                                                        "\r\nBGMﾘﾋﾟｰﾄ= " + std::to_string(repeat) +
                                                                        "\r\nBGMﾌｧｲﾙ=C:\\music\\" + file + "\r\n"));
    }

    void TearDown() override
    {
        // A renderer left running gets a close request; its process, which outlives its
        // window by its teardown, is waited for.
        if (const uint64_t renderer = Session().FindWindow(kRenderer))
            Session().Post(renderer, harness::kWmClose);
        shell_.Wait(kBound);
        harness::Eventually([&] { return RendererProcess().empty(); }, kBound, Millis(200));
    }

    uint64_t StartRun(const std::vector<std::string>& args, const harness::StartOptions& options = {})
    {
        shell_ = Session().Start(folder_ / "Glowmere.scr", args, options);
        return Session().WaitForWindow(kRenderer, kBound);
    }

    static std::string RendererProcess()   // its Windows process id, or ""
    {
        for (const std::string& line : harness::Lines(Session().Tool({"processes"})))
            if (line.substr(line.find(' ') + 1) == "Glowmere.dll")
                return line.substr(0, line.find(' '));
        return {};
    }

    // The recorded calls with their times; without a poll's repetitions; how often one came.
    std::vector<std::pair<long, std::string>> Log() const
    {
        std::vector<std::pair<long, std::string>> calls;
        for (const std::string& line : harness::Lines(harness::ReadFile(folder_ / "run-calls.log")))
            calls.emplace_back(std::stol(line), line.substr(line.find(' ') + 1));
        return calls;
    }
    Calls Sent(const std::string& poll = "") const
    {
        Calls calls;
        for (const auto& [time, call] : Log())
            if (call != "send " + poll)
                calls.push_back(call);
        return calls;
    }
    long Count(const std::string& call) const
    {
        const Calls all = Sent();
        return std::count(all.begin(), all.end(), call);
    }
};

TEST_F(SaverRun, AnMp3RunShowsTheCapturedDesktopAsTheFloorRestartsTheFileAndEndsOnEscape)
{
    Prepare(2, 0, "tune.mp3");
    // Left by an earlier run killed with its shell: its picture, and a temporary file that
    // everybody may read.
    WriteBitmap(WorkingFolder() / "Lumadrift1.bmp", 64, 48, [](int, int) { return Rgb{200, 60, 200}; });
    harness::WriteFile(WorkingFolder() / "Lumadrift1.bmp.new", "left behind");
    ASSERT_NE(StartRun({"/s"}), 0u) << shell_.Output();
    // Both hand-off pictures were complete before the renderer started, the desktop's under
    // rights that Wine turns into no mode bits for others.
    ExpectUncompressed24Bit(WorkingFolder() / "Lumadrift1.bmp", 1024, 768);
    ExpectUncompressed24Bit(WorkingFolder() / "Lumadrift2.bmp", 128, 128);
    EXPECT_EQ(fs::status(WorkingFolder() / "Lumadrift1.bmp").permissions() & fs::perms::others_all, fs::perms::none);
    EXPECT_EQ(Session().Tool({"descriptor"}), "D:P(A;;FA;;;S-1-5-21-0-0-0-1000)(A;;FA;;;SY)(A;;FA;;;BA)(A;;SD;;;WD)");
    EXPECT_TRUE(harness::LoadImage(WorkingFolder() / "Lumadrift1.bmp").rgb ==
                harness::LoadImage(Session().ArtifactPath("desktop.png")).rgb)
        << "the capture differs from the desktop";

    // The floor carries the desktop's colours in perspective under the spirits.
    const auto spirits = [](const harness::Image& s) {
        return s.Fraction(0, 0, 1024, 400, [](Rgb p) { return p.Brightness() > 150; });
    };
    const harness::Image shot = Session().ScreenshotWhen(
        "mp3-run", [&](const harness::Image& s) { return DesktopFloor(s) && spirits(s) > 0.0005; }, kBound);
    for (const Rgb colour : {kRed, Rgb{0x30, 0xb0, 0x40}, Rgb{0xf0, 0xd0, 0x20}})
        EXPECT_GT(FloorShare(shot, colour), 0.02) << colour.Hex();
    EXPECT_GT(spirits(shot), 0.0005) << "no spirits";

    // The file "ends" 200 ms after each play: the form's one-second timer starts it again.
    ASSERT_TRUE(harness::Eventually([&] { return Count("send play MP3Play from 0") >= 2; }, kBound));
    // Escape ends the renderer without the test placing the focus, and the shell follows.
    Session().Key("Escape");
    ASSERT_TRUE(Session().WaitForWindowGone(kRenderer, kBound));
    const auto windowGone = Clock::now();
    EXPECT_EQ(shell_.Wait(kBound), 0);
    EXPECT_LT(MillisSince(windowGone), 1500);
    ExpectOnlyTheSpiritPictureLeft();
    EXPECT_TRUE(harness::Eventually([&] { return RendererProcess().empty(); }, kBound));

    long playedAt = -1;
    for (const auto& [time, call] : Log())
        if (call.rfind("send play MP3Play", 0) == 0) {
            if (playedAt >= 0) {
                EXPECT_LE(time - (playedAt + 200), 1500) << "restarted too late";
            }
            playedAt = time;
        }
    // Opened and played; at each end stopped and played again from the start; at the end of
    // the run stopped and closed, then the cursor shown.
    const Calls calls = Sent("status MP3Play mode");
    ASSERT_GE(calls.size(), 9u);
    EXPECT_EQ(Calls(calls.begin(), calls.begin() + 2),
              (Calls{"send open \"C:\\music\\tune.mp3\" type MPEGVideo Alias MP3Play", "send play MP3Play"}));
    for (size_t i = 2; i + 3 < calls.size(); i += 2)
        EXPECT_EQ(Calls(calls.begin() + long(i), calls.begin() + long(i) + 2),
                  (Calls{"send stop MP3Play", "send play MP3Play from 0"}));
    EXPECT_EQ(Calls(calls.end() - 3, calls.end()), (Calls{"send stop MP3Play", "send close MP3Play", "show-cursor"}));
}

TEST_F(SaverRun, AnEmptyArgumentStringPlaysAWavKeepsOutASecondRunAndALogOffEndsItWithoutTheCursor)
{
    Prepare(2, 0, "song.Wav");
    ASSERT_NE(StartRun({}), 0u) << shell_.Output();
    const uint64_t controller = Session().FindWindow(kController);
    ASSERT_NE(controller, 0u);
    EXPECT_FALSE(Session().Window(controller).visible) << "it only carries the title that keeps a second run out";
    // A second start ends at once and rewrites nothing.
    const auto written = fs::last_write_time(WorkingFolder() / "Lumadrift1.bmp");
    EXPECT_EQ(Session().Run(folder_ / "Glowmere.scr", {"/s"}, kBound).exitCode, 0);
    EXPECT_EQ(fs::last_write_time(WorkingFolder() / "Lumadrift1.bmp"), written);
    EXPECT_TRUE(shell_.Running());

    // The user logs off: the form agrees, then ends with its music.
    EXPECT_EQ(Session().Tool({"send", std::to_string(controller), "17", "0", "0"}), "1");   // WM_QUERYENDSESSION
    Session().Post(controller, 0x16, 1);                                                    // WM_ENDSESSION, TRUE
    EXPECT_EQ(shell_.Wait(kBound), 0);
    EXPECT_EQ(Sent(), (Calls{"playsound C:\\music\\song.Wav 9", "playsound (null) 0"}));
}

TEST_F(SaverRun, WithARepeatTrackAFailingCdCheckEndsTheChecksAndACloseRequestLeavesTheRenderer)
{
    Prepare(1, 3, "");
    ASSERT_NE(StartRun({"/s"}, {{}, {{"GLOWMERE_TEST_NO_CD", "1"}}}), 0u) << shell_.Output();
    ASSERT_TRUE(harness::Eventually([&] { return Count("send status cdaudio current track") > 0; }, kBound));
    std::this_thread::sleep_for(Millis(1000));   // five more ticks of a 200 ms check that went on
    // Once the renderer shows the desktop it has loaded, a close request to the controller
    // ends the shell with its clean-up, the desktop picture's removal among it; the renderer
    // runs on, still showing it.
    ASSERT_TRUE(DesktopFloor(Session().ScreenshotWhen("cd-run", DesktopFloor, kBound)));
    Session().Post(Session().FindWindow(kController), harness::kWmClose);
    EXPECT_EQ(shell_.Wait(kBound), 0);
    EXPECT_FALSE(Session().WaitForWindowGone(kRenderer, Millis(1000)));
    ExpectOnlyTheSpiritPictureLeft();
    EXPECT_TRUE(DesktopFloor(Session().Screenshot("cd-run-on")));
    EXPECT_EQ(Sent(), (Calls{"send open cdaudio", "send set cdaudio time format tmsf",
                             "send status cdaudio current track", "show-cursor"}))
        << "one failing check, then neither stop nor close";
}

TEST_F(SaverRun, AWorkingCdRunWithAnUnwritableWorkingFolderIsUntexturedAndEndsWhenTheRendererIsKilled)
{
    Prepare(1, 0, "");
    fs::remove_all(WorkingFolder());
    harness::WriteFile(WorkingFolder(), "a file where the folder should be\n");
    ASSERT_NE(StartRun({"/s"}), 0u) << shell_.Output();
    EXPECT_TRUE(WhiteFloorFrame(Session().ScreenshotWhen("unwritable-folder", WhiteFloorFrame, kBound)));
    EXPECT_EQ(Session().WaitForMessageBox("Error", Millis(0)).first, 0u);
    ASSERT_TRUE(harness::Eventually([&] { return Count("send status cdaudio current track") >= 3; }, kBound))
        << "the 200 ms checks stopped";

    ASSERT_EQ(Session().Tool({"terminate", RendererProcess()}), "1");
    const auto killed = Clock::now();
    EXPECT_EQ(shell_.Wait(kBound), 0);
    EXPECT_LT(MillisSince(killed), 1500) << "one watch tick, 500 ms, and the time the process takes to go";
    const Calls calls = Sent();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(Calls(calls.end() - 3, calls.end()), (Calls{"send stop cdaudio", "send close cdaudio", "show-cursor"}));
}

TEST_F(SaverRun, ARendererThatCannotBeStartedEndsTheShellAtItsFirstWatchWithoutMusic)
{
    Prepare(0, 0, "");
    harness::WriteFile(folder_ / "Glowmere.dll", "not a program\n");
    const auto started = Clock::now();
    shell_ = Session().Start(folder_ / "Glowmere.scr", {"/s"});
    EXPECT_EQ(shell_.Wait(kBound), 0);
    EXPECT_LT(MillisSince(started), 6000) << "it waited for a window the renderer could never show";
    EXPECT_EQ(Session().FindWindow(kRenderer), 0u);
    EXPECT_TRUE(RendererProcess().empty());
    EXPECT_EQ(Sent(), Calls{"show-cursor"}) << "no settings: no music";
    ExpectOnlyTheSpiritPictureLeft();
}

TEST_F(SaverRun, ARunClosedWhileItsRendererIsStillStartingLeavesItTheDesktopPictureToLoad)
{
    // The renderer's process is held from the moment its window appears, before it loads
    // the pictures, through two ticks of the shell's 500 ms watch: a slow start.
    Prepare(0, 0, "");
    shell_ = Session().Start(folder_ / "Glowmere.scr", {"/s"});
    const std::string held = Session().Tool({"hold", kRenderer});
    ASSERT_NE(held, "0");
    std::this_thread::sleep_for(Millis(1200));
    Session().Post(Session().FindWindow(kController), harness::kWmClose);
    EXPECT_EQ(shell_.Wait(kBound), 0);
    EXPECT_TRUE(fs::exists(WorkingFolder() / "Lumadrift1.bmp")) << "removed before the renderer could load it";
    EXPECT_EQ(Session().Tool({"release", held}), held);
    EXPECT_TRUE(DesktopFloor(Session().ScreenshotWhen("held-run", DesktopFloor, kBound)));
}

}  // namespace
