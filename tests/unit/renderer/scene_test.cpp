// The renderer's portable parts without a window or a GL: each drawing call is recorded as text.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <deque>
#include <set>

#include "covers.h"
#include "frame.h"
#include "program.h"
#include "scene.h"
#include "texture_upload.h"

namespace glowmere::renderer {
void PrintTo(const ScreenRect& r, std::ostream* o) { *o << r.left << ',' << r.top << '-' << r.right << ',' << r.bottom; }
}  // namespace glowmere::renderer

namespace {

using namespace glowmere::renderer;
using Calls = std::vector<std::string>;
using Rects = std::vector<ScreenRect>;

struct ScriptedRandom final : RandomSource {   // hands out a script, then 0
    std::deque<int> values;
    int Next() override
    {
        const int value = values.empty() ? 0 : values.front();
        return values.empty() ? 0 : (values.pop_front(), value);
    }
};

// Records every call as a line of text ("vertex -300 -15.5 -300").
struct RecordingTarget final : DrawTarget {
    Calls calls;
    void ClearColourAndDepth() override { Add("clear"); }
    void LoadIdentity() override { Add("identity"); }
    void Colour(float r, float g, float b, float a) override { Add("colour", {r, g, b, a}); }
    void SetBlending(bool on) override { Add("blend", {on ? 1.0f : 0.0f}); }
    void BindTexture(unsigned name) override { Add("bind", {static_cast<float>(name)}); }
    void Begin(Primitive p) override { Add(p == Primitive::Quads ? "begin quads" : "begin strip"); }
    void TexCoord(float s, float t) override { Add("tex", {s, t}); }
    void Vertex(float x, float y, float z) override { Add("vertex", {x, y, z}); }
    void End() override { Add("end"); }
    Calls Only(const std::string& kind) const
    {
        Calls out;
        for (const std::string& call : calls)
            if (call.compare(0, kind.size(), kind) == 0)
                out.push_back(call);
        return out;
    }
    void Add(std::string text, std::initializer_list<float> values = {})
    {
        char number[32];
        for (float v : values)
            text.append(number, std::snprintf(number, sizeof number, " %g", v));
        calls.push_back(text);
    }
};

TEST(FrameTimer, CountsSecondsFromItsFirstReadingAndStillResolvesAMillisecondAfterAHundredHours)
{
    constexpr double f = 1e7, start = 5e9, hours = f * 3600 * 100;
    const std::pair<int64_t, std::vector<std::array<double, 3>>> runs[] = {   // frequency; reading, elapsed, delta
        {10'000'000, {{start, 0, 0}, {start + 2.5e6, 0.25, 0.25}, {start + 2.66e6, 0.266, 0.016},
                      {start + 2.66e6, 0.266, 0}, {start + hours, 360000, 360000 - 0.266},
                      {start + hours + f / 1000, 360000.001, 0.001}}},
        // Frequency 0: the 32-bit millisecond clock, from 256 ms before it wraps and on across the wrap.
        {0, {{0xFFFFFF00, 0, 0}, {0xFFFFFF10, 0.016, 0.016}, {0x100, 0.512, 0.496},
             {0x100 + 3.6e8, 360000.512, 360000}, {0x101 + 3.6e8, 360000.513, 0.001}}},
    };
    for (const auto& [frequency, ticks] : runs) {
        FrameTimer timer;
        timer.Initialise(frequency, static_cast<int64_t>(ticks[0][0]));
        EXPECT_EQ(timer.UsesCounter(), frequency > 0);
        for (const auto& [reading, elapsed, delta] : ticks) {
            timer.Tick(static_cast<int64_t>(reading));
            EXPECT_NEAR(timer.Elapsed(), elapsed, 1e-7) << reading;
            EXPECT_NEAR(timer.Delta(), delta, 1e-7) << reading;
        }
    }
}

// A scene on a counter of 1000 ticks a second read as the test sets it; every random draw
// 0, so bursts of ten long-lived spirits.
struct FrameTest : ::testing::Test, Clock {
    FrameState state;
    ScriptedRandom random;
    int64_t reading = 0;
    int64_t CounterFrequency() override { return 1000; }
    int64_t Read(bool) override { return reading; }
    void SetUp() override
    {
        InitScene(state, *this, random);
        state.textureNames[kSpiritTexture] = 7, state.textureNames[kFloorTexture] = 9;
    }
    RecordingTarget Frame(int64_t at)
    {
        reading = at;
        TickFrameClock(state, *this);
        RecordingTarget target;
        DrawFrame(state, target, random);
        return target;
    }
};

TEST_F(FrameTest, TheOpaqueFloorSlidesUnderTheBlendedSpiritsAndStaysBelowOneRepeatWhileBurstsComeEverySecond)
{
    EXPECT_EQ(state.spiritPool->Count(), 10) << "the first burst";
    const Calls first = Frame(1000).calls;   // one second: 0.07 repeats, and not yet a burst
    EXPECT_EQ(Calls(first.begin(), first.begin() + 17),
              (Calls{"clear", "identity", "colour 1 1 1 1", "blend 0", "bind 9", "begin quads", "tex 0 2.93",
                     "vertex -300 -15.5 -300", "tex 3 2.93", "vertex 300 -15.5 -300", "tex 3 -0.07",
                     "vertex 300 -15.5 300", "tex 0 -0.07", "vertex -300 -15.5 300", "end", "bind 7", "blend 1"}));
    EXPECT_EQ(first.size(), 17u + 10 * 11);
    for (const auto& [at, strips] : {std::pair{1010, 20u}, {2000, 20u}, {2020, 30u}})   // over a second after the last
        EXPECT_EQ(Frame(at).Only("begin strip").size(), strips) << at;
    Frame(11000);   // 0.77 repeats; four seconds more make 1.05, the same picture as 0.05
    EXPECT_NEAR(state.floorScroll, 0.77f, 1e-6);
    Frame(15000);
    EXPECT_NEAR(state.floorScroll, 0.05f, 1e-6);
    constexpr int64_t later = 15000 + 3600LL * 100 * 1000;   // a growing offset would lose a frame's step
    Frame(later);
    const float before = state.floorScroll;
    Frame(later + 16);
    EXPECT_NEAR(state.floorScroll - before, 0.016 * 0.07, 1e-6);
    state.spiritPool.reset();   // what InitScene leaves without memory for the pool
    EXPECT_EQ(Frame(later + 32).Only("vertex").size(), 4u);
}

TEST(RendererProgram, OnlyEscapeAndCloseEndTheRunACoverStaysInactiveAndAWindowThatCannotBeCreatedRestoresTheDisplay)
{
    // The renderer's window answers as the first column says, a cover as the second (the renderer's rules
    // otherwise): it never takes the activation or shows the cursor, and leaves the monitors to the renderer.
    using A = MessageAction;
    const std::tuple<unsigned, uintptr_t, MessageAction, MessageAction> messages[] = {
        {0x0100 /* key down */, 0x1B /* Escape */, A::Quit, A::Quit}, {0x0010 /* close */, 0, A::Quit, A::Quit},
        {0x0100, 'A', A::Handled, A::Handled}, {0x0200 /* mouse move */, 0, A::Default, A::Default},
        {0x0005 /* size */, 0, A::Handled, A::Handled}, {0x000F /* paint */, 0, A::Validate, A::Validate},
        {0x0112 /* system command */, 0xF140 /* screen save */, A::Handled, A::Handled},
        {0x0112, 0xF141, A::Default, A::Default}, {0x0112, 0xF060 /* close */, A::Default, A::Default},
        {0x0021 /* activate */, 0, A::Default, A::KeepInactive}, {0x0020 /* set cursor */, 0, A::Default, A::HideCursor},
        {0x007E /* display change */, 16, A::LayOutCovers, A::Default},
    };
    for (const auto& [message, wParam, action, cover] : messages) {
        EXPECT_EQ(RendererMessageAction(message, wParam), action) << std::hex << message << " " << wParam;
        EXPECT_EQ(CoverMessageAction(message, wParam), cover) << std::hex << message << " " << wParam;
    }
    struct Steps final : RendererSteps {
        bool created = true;
        std::string log;
        bool CreateRendererWindow() override { return log += "create ", created; }
        void RestoreDisplayAndCursor() override { log += "restore "; }
        void InitRenderer() override { log += "init "; }
        int RunMessageLoop() override { return log += "loop ", 0; }
        void DestroyRendererWindow() override { log += "destroy "; }
    } run, failed;
    failed.created = false;
    EXPECT_EQ(std::to_string(RunRenderer(run)) + " " + run.log, "0 create init loop destroy restore ");
    EXPECT_EQ(std::to_string(RunRenderer(failed)) + " " + failed.log, "1 create restore ");
}

// The tail is the last spirit reachable from the head (both null when empty) and the count matches.
void ExpectConsistent(const SpiritPool& pool)
{
    int count = 0;
    const LightSpirit* last = nullptr;
    for (const LightSpirit* s = pool.Chain().Front(); s && count <= 1000; s = s->next, ++count)
        last = s;
    EXPECT_TRUE(count == pool.Count() && pool.Chain().Back() == last) << count << " spirits reached";
}

TEST(SpawnBurst, DrawsAFreshBoundBeforeEverySpiritThenItsFourteenParametersAndEachSpiritHasItsOwnPlace)
{
    // Bounds of remainder 9 allow 19 spirits (32769 counts by its remainder too) until one of remainder 2
    // stops the burst at 12. Each parameter's raw value lies above its modulus, so a wrong modulo shows too.
    const std::vector<int> bounds = {9, 32769, 9, 9, 9, 9, 9, 9, 9, 9, 9, 2, 2};
    const std::vector<int> draws = {87, 159, 43, 29, 40, 39, 199, 300, 31, 24, 9, 29, 10, 11};
    ScriptedRandom random;   // a bound, then a spirit's draws; the last bound ends the burst
    for (int bound : bounds)
        random.values.push_back(bound), random.values.insert(random.values.end(), draws.begin(), draws.end());
    random.values.resize(random.values.size() - draws.size());
    SpiritPool pool(500);
    SpawnBurst(pool, SceneClock{12.5f, 0.0f}, random);
    EXPECT_TRUE(pool.Count() == 12 && random.values.empty()) << pool.Count() << " spirits";
    ExpectConsistent(pool);
    const LightSpirit& s = *pool.Chain().Back();
    const float got[] = {s.position[0], s.position[1], s.position[2], s.velocity[0], s.velocity[1], s.velocity[2],
                         s.colour[0], s.colour[1], s.colour[2], s.colour[3], s.colourRates[0], s.colourRates[1],
                         s.colourRates[2], s.colourRates[3], s.fadeOutRate, s.life, s.size, s.growth, s.birthTime};
    const float expected[] = {-43, 29, -157, 8.995f, -0.005f, 18.999f, 2, 0.02f, 0, 1,
                              0.7f, -0.5f, 0, 0, 0.9f, 5.9f, -0.4f, 0.2f, 12.5f};
    for (size_t i = 0; i < std::size(got); ++i)
        EXPECT_FLOAT_EQ(got[i], expected[i]) << "field " << i;
    std::srand(7);   // the library's generator, seeded once as the start-up does, gives each spirit its own place
    CLibraryRandom library;
    SpiritPool seeded(500);
    SpawnBurst(seeded, SceneClock{}, library);
    std::set<std::array<float, 3>> places;
    for (const LightSpirit* s = seeded.Chain().Front(); s; s = s->next)
        places.insert({s->position[0], s->position[1], s->position[2]});
    EXPECT_GT(places.size(), 5u) << "the spirits of a burst are alike: the generator was seeded again";
}

TEST(LightSpirit, FadesInHoldsForItsLifeFadesOutAndIsNoLongerDrawnMovesShiftsColourAndGrows)
{
    SpiritPool pool(500);
    auto* spirit = new LightSpirit(&pool, 0.0f);   // alpha 0.001, fading in at 1 a second
    spirit->life = 4.5f, spirit->fadeOutRate = 0.5f;
    pool.Add(std::unique_ptr<LightSpirit>(spirit));
    const std::tuple<float, float, int> frames[] = {   // time, alpha, phase (2 fading in, 1 fading out)
        {0.5f, 0.501f, 2}, {0.995f, 1, 0}, {4.5f, 1, 0},   // 0.996 ends the fading in at 1; exactly its life: full
        {4.6f, 1, 1}, {5.6f, 0.5f, 1}, {6.6f, 0, 1},       // past it: falling from the next frame; 0 is still there
    };
    SceneClock clock;
    for (const auto& [now, alpha, phase] : frames) {
        clock = {now, now - clock.elapsedTime};
        RecordingTarget target;
        pool.UpdateAndDraw(clock, target);
        EXPECT_EQ(target.Only("begin").size(), 1u) << now;
        EXPECT_NEAR(spirit->colour[3], alpha, 1e-5f) << now;
        EXPECT_EQ(spirit->fadingIn * 2 + spirit->fadingOut, phase) << now;
    }
    RecordingTarget last;   // alpha below zero: not drawn, and gone
    pool.UpdateAndDraw({6.7f, 0.1f}, last);
    EXPECT_TRUE(last.calls.empty());
    ExpectConsistent(pool);
    // It moves and shifts colour per second, draws a square, and grows per frame until above 17.
    LightSpirit s(&pool, 0.0f);
    const float position[3] = {1, 2, -150}, velocity[3] = {4, -0.005f, 10};
    const float colour[4] = {0.9f, 0.1f, 0, 1}, rates[4] = {0.7f, -0.5f, 0, 5};
    s.SetParameters(position, velocity, colour, rates, -0.4f, 0.2f, 5.0f, 0.5f);
    s.fadingIn = false;
    s.Update({0.5f, 0.5f});
    EXPECT_EQ(s.size, 0.0f) << "below 0 made 0";
    s.size = 0.5f;
    RecordingTarget target;   // colours unclamped, alpha's rate never applied
    s.Draw(target);
    EXPECT_EQ(target.calls, (Calls{"colour 1.25 -0.15 0 1", "begin strip", "tex 1 1", "vertex 3.5 2.4975 -145",
                                   "tex 0 1", "vertex 2.5 2.4975 -145", "tex 1 0", "vertex 3.5 1.4975 -145", "tex 0 0",
                                   "vertex 2.5 1.4975 -145", "end"}));
    s.size = 16.75f, s.growth = 0.25f;   // growth is per frame, whatever its time, until the size is above 17
    for (float dt : {0.0f, 0.5f, 0.5f})
        s.Update({1.0f, dt});
    EXPECT_EQ(s.size, 17.25f);
}

TEST(SpiritPool, AFullPoolRefusesASpiritAndUnlinkingDeadOnesKeepsTheChainConsistent)
{
    const std::pair<std::vector<int>, std::string> cases[] = {   // which of spirits 1, 2, 3 die; the reds left
        {{2}, "12"}, {{0}, "23"}, {{1}, "13"}, {{0, 2}, "2"}, {{1, 2}, "1"}, {{0, 1, 2}, ""}};
    for (const auto& [doomed, left] : cases) {
        SpiritPool pool(3);   // the leak checker reports a refused spirit left alive, or one the pool leaves behind
        std::vector<LightSpirit*> spirits;
        for (float red : {1, 2, 3, 4}) {
            spirits.push_back(new LightSpirit(&pool, 0.0f));
            spirits.back()->colour[0] = red, spirits.back()->fadingIn = false, spirits.back()->life = 1000.0f;
            EXPECT_EQ(pool.Add(std::unique_ptr<LightSpirit>(spirits.back())), red < 4);
        }
        for (int i : doomed)   // alpha below zero at the next update
            spirits[i]->fadingOut = true, spirits[i]->fadeOutRate = 1.0f;
        RecordingTarget target;
        pool.UpdateAndDraw({1.0f, 0.1f}, target);
        std::string reds;   // "colour 2 1 1 0.001" gives "2"
        for (const std::string& call : target.Only("colour"))
            reds += call[7];
        EXPECT_EQ(reds, left);
        ExpectConsistent(pool);
    }
}

TEST(Covers, EveryMonitorButTheRenderersIsCoveredAndNothingOverTheRenderersPicture)
{
    const ScreenRect primary = {0, 0, 1024, 768}, right = {1024, 0, 2304, 1024}, left = {-1280, 0, 0, 1024},
                     below = {0, 768, 1280, 1792}, above = {-200, -1024, 1080, 0};
    const struct { const char* layout; Rects monitors; ScreenRect renderer; Rects covers; } cases[] = {
        {"one monitor", {primary}, primary, {}},
        {"right of it", {primary, right}, primary, {right}},
        {"left of, below and above it", {left, primary, below, above}, primary, {left, below, above}},
        {"renderer on the second", {primary, right}, right, {primary}},
        {"a mirror of it", {primary, primary}, primary, {}},
        {"a monitor around it", {{-10, -20, 1100, 800}}, primary,
         {{-10, -20, 1100, 0}, {-10, 768, 1100, 800}, {-10, 0, 0, 768}, {1024, 0, 1100, 768}}},
        {"renderer's monitor unknown", {primary, right}, {}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CoverRects(c.monitors, c.renderer), c.covers) << c.layout;
}

using Way = TextureUpload;

DibLayout Picture(int32_t width, int32_t rows, uint16_t bits = 24, uint32_t compression = kBiRgb, bool topDown = false)
{
    DibLayout layout;
    layout.width = width, layout.rows = rows, layout.topDown = topDown;
    layout.header.bitCount = bits, layout.header.compression = compression;
    return layout;
}

TEST(TextureUpload, PicturesGoUpAtTheirOwnSizeWhereTheGlTakesAnySizeAndStraightFromFilesItReads)
{
    const struct { GlTextureLimits gl; DibLayout picture; Way expected; } cases[] = {
        {{"10.0 Mesa", nullptr, 4096}, Picture(4096, 4096), Way::FileRows},
        {{"2.0", "", 4096}, Picture(4097, 600), Way::Mipmaps},
        {{"2.0", "", 4096}, Picture(1000, 4097), Way::Mipmaps},
        {{"1.9.2", "GL_EXT_bgra GL_ARB_multitexture", 16384}, Picture(1000, 600), Way::Mipmaps},
        {{nullptr, nullptr, 16384}, Picture(1000, 600), Way::Mipmaps},
        {{"1.4", "GL_ARB_texture_non_power_of_two_x xGL_ARB_texture_non_power_of_two", 16384}, Picture(1000, 600),
         Way::Mipmaps},
        // The file's own rows: 24-bit, uncompressed, bottom up, blue first (GL 1.2 or its extension).
        {{"2.1", "", 16384}, Picture(640, 480, 32), Way::BaseLevel},
        {{"2.1", "", 16384}, Picture(640, 480, 24, kBiBitfields), Way::BaseLevel},
        {{"2.1", "", 16384}, Picture(640, 480, 24, kBiRgb, true), Way::BaseLevel},
        {{"1.1", "GL_ARB_texture_non_power_of_two", 16384}, Picture(640, 480), Way::BaseLevel},
        {{"1.2", "GL_A GL_ARB_texture_non_power_of_two GL_B", 16384}, Picture(640, 480), Way::FileRows},
        {{"1.1", "GL_ARB_texture_non_power_of_two GL_EXT_bgra", 16384}, Picture(640, 480), Way::FileRows},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseTextureUpload(c.gl, c.picture), c.expected) << "case " << &c - cases;
}

}  // namespace
