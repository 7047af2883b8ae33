// The real Glowmere.dll under Wine with hand-off pictures in C:\n_hale: the desktop
// picture on the floor in perspective, the spirit picture on the spirits, and a desktop
// picture that cannot be opened (an error box, then the run goes on).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <thread>

#include "bmp_builder.h"
#include "harness.h"

namespace {

namespace fs = std::filesystem;
using harness::Millis;
using harness::Rgb;

constexpr char kTitle[] = "Lumadrift_VC";
constexpr unsigned kWmClose = 0x0010;
constexpr unsigned kWmCommand = 0x0111;
constexpr unsigned kIdOk = 1;

// The desktop picture: four colours in eight vertical stripes (the four twice over).
// 202 pixels make 606-byte rows, which are
// not a multiple of 4, so rows read with the default alignment would shear and mix the
// colours; the stripes run along the floor's depth, so the floor's scrolling keeps them
// where they are on the screen.
constexpr int kPictureWidth = 202;
constexpr int kPictureHeight = 150;
const bmp::Rgb kStripes[4] = {{220, 40, 40}, {40, 200, 60}, {40, 60, 220}, {230, 210, 40}};

std::vector<uint8_t> StripePicture()
{
    bmp::Fields s;
    s.width = kPictureWidth;
    s.height = kPictureHeight;
    std::vector<std::vector<bmp::Rgb>> rows(kPictureHeight);
    for (auto& row : rows)
        for (int x = 0; x < kPictureWidth; ++x)
            row.push_back(kStripes[(x * 8 / kPictureWidth) % 4]);
    s.pixels = bmp::Rows24(rows);
    return bmp::Build(s);
}

// The spirit picture: a white glow fading to black, 128 x 128 like the saver shell's.
std::vector<uint8_t> GlowPicture()
{
    bmp::Fields s;
    s.width = 128;
    s.height = 128;
    std::vector<std::vector<bmp::Rgb>> rows(128);
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) {
            const double r = std::hypot(x - 63.5, y - 63.5) / 60.0;
            const double v = r >= 1.0 ? 0.0 : (1.0 - r) * (1.0 - r);
            const auto level = static_cast<uint8_t>(std::lround(255.0 * v));
            rows[y].push_back({level, level, level});
        }
    }
    s.pixels = bmp::Rows24(rows);
    return bmp::Build(s);
}

harness::WineSession& Session()
{
    static harness::WineSession session({1024, 768, "textures"});
    return session;
}

void Write(const fs::path& file, const std::vector<uint8_t>& bytes)
{
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
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

class TexturedRun : public ::testing::Test {
protected:
    harness::Process renderer;
    uint64_t window = 0;
    fs::path handOff;

    void SetUp() override
    {
        handOff = Session().DriveC() / "n_hale";
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
        if (renderer.Running()) {
            Session().Tool({"post", std::to_string(window), std::to_string(kWmClose), "0", "0"});
            renderer.Wait(Millis(5000));
        }
    }
};

TEST_F(TexturedRun, TheDesktopPictureLiesOnTheFloorInPerspectiveUnderGlowingSpirits)
{
    Write(handOff / "Lumadrift1.bmp", StripePicture());
    Write(handOff / "Lumadrift2.bmp", GlowPicture());
    Start();
    EXPECT_EQ(Session().Tool({"message-box", "Error", "1500"}), "0") << "no message for good pictures";
    std::this_thread::sleep_for(Millis(2500));
    const harness::Image shot = Session().Screenshot("textured-floor-and-spirits");
    std::vector<harness::Image> shots = {shot};
    for (int i = 1; i < 6; ++i) {
        std::this_thread::sleep_for(Millis(900));
        shots.push_back(Session().Screenshot("textured-floor-" + std::to_string(i)));
    }
    const harness::Image floor = Darkest(shots);

    // The floor (its far edge lies about 48 rows below the middle) shows the four colours,
    // each over a good part of it. Anything else is a filtered boundary, or a large spirit
    // that stayed in front of the same part of the floor in all six pictures.
    const auto striped = [](Rgb p) { return StripeOf(p) >= 0; };
    EXPECT_GT(floor.Fraction(0, 440, 1024, 768, striped), 0.8);
    for (int i = 0; i < 4; ++i)
        EXPECT_GT(floor.Fraction(0, 440, 1024, 768, [i](Rgb p) { return StripeOf(p) == i; }), 0.08) << i;

    // Perspective: the stripes run away from the viewer and narrow with distance, so a
    // row near the horizon crosses many of them and the bottom row two or three.
    EXPECT_GE(StripeChanges(floor, 445), 8);
    EXPECT_LE(StripeChanges(floor, 760), 3);
    EXPECT_GT(StripeChanges(floor, 445), StripeChanges(floor, 600));

    // Above the floor: black sky and bright spirits. Their colours have no blue (their
    // red and green vary), so the glow's white texture shows as red, yellow and green.
    const auto bright = [](Rgb p) { return std::max(p.r, p.g) >= 150; };
    const auto dark = [](Rgb p) { return p.Brightness() < 30; };
    EXPECT_GT(shot.Fraction(0, 0, 1024, 400, bright), 0.0005);
    EXPECT_GT(shot.Fraction(0, 0, 1024, 400, dark), 0.5);
    EXPECT_LT(shot.Fraction(0, 0, 1024, 400, [](Rgb p) { return p.b > 40; }), 0.001);
    EXPECT_LT(FlatShareOfTheSky(shot), 0.5) << "the spirits should carry the glow, not be flat squares";
}

TEST_F(TexturedRun, ADesktopPictureThatCannotBeOpenedIsReportedAndTheRunGoesOn)
{
    Write(handOff / "Lumadrift1.bmp", {});   // the C library opens it, the mapping fails
    Write(handOff / "Lumadrift2.bmp", GlowPicture());
    Start();

    const std::string box = Session().Tool({"message-box", "Error", "20000"});
    const auto newline = box.find('\n');
    ASSERT_NE(newline, std::string::npos) << "no message box captioned Error: " << box;
    const std::string handle = box.substr(0, newline);
    std::string text;
    for (size_t i = newline + 1; i + 1 < box.size(); i += 2)
        text += static_cast<char>(std::stoi(box.substr(i, 2), nullptr, 16));
    EXPECT_EQ(text, "Failed to open DIB file C:\\n_hale\\Lumadrift1.bmp.\n");
    EXPECT_EQ(Session().Tool({"owner", handle}), std::to_string(window)) << "owned by the focus window";
    EXPECT_TRUE(renderer.Running());

    // OK closes the box.
    Session().Tool({"post", handle, std::to_string(kWmCommand), std::to_string(kIdOk), "0"});
    bool closed = false;
    for (int i = 0; i < 50 && !closed; ++i) {
        closed = Session().Tool({"is-window", handle}) == "0";
        if (!closed)
            std::this_thread::sleep_for(Millis(100));
    }
    EXPECT_TRUE(closed);

    // The run goes on: the window stays and frames keep coming, with a white
    // (untextured) floor and the glowing spirits.
    std::this_thread::sleep_for(Millis(2000));
    EXPECT_TRUE(renderer.Running());
    EXPECT_NE(Session().FindWindow(kTitle), 0u);
    const harness::Image first = Session().Screenshot("open-error-then-running-1");
    std::this_thread::sleep_for(Millis(1000));
    const harness::Image second = Session().Screenshot("open-error-then-running-2");
    const auto white = [](Rgb p) { return p.r > 240 && p.g > 240 && p.b > 240; };
    EXPECT_GT(second.Fraction(0, 460, 1024, 768, white), 0.99);
    long changed = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 1024; ++x)
            changed += first.At(x, y).Brightness() != second.At(x, y).Brightness();
    EXPECT_GT(changed, 200) << "the spirits should have moved between the two pictures";
    EXPECT_LT(FlatShareOfTheSky(second), 0.5) << "the spirit picture still loaded";
    EXPECT_EQ(Session().Tool({"message-box", "Error", "500"}), "0") << "one message only";
}

}  // namespace
