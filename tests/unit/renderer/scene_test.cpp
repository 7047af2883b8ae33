#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "frame.h"
#include "recording_target.h"
#include "scene.h"
#include "scripted_random.h"

namespace {

using namespace glowmere::renderer;
// Parameter draws that keep a spirit alive and unremarkable.
const SpiritDraws kPlainDraws = {10, 10, 10, 5, 5, 10, 49, 49, 8, 5, 0, 5, 6, 3};

// A spirit whose destruction the test can see.
class CountedSpirit final : public LightSpirit {
public:
    CountedSpirit(SpiritPool* pool, int* destroyed) : LightSpirit(pool, 0.0f), destroyed_(destroyed) {}
    ~CountedSpirit() override { ++*destroyed_; }

private:
    int* destroyed_;
};

std::vector<LightSpirit*> ChainOf(const SpiritPool& pool)
{
    std::vector<LightSpirit*> spirits;
    for (LightSpirit* s = pool.Chain().Front(); s && spirits.size() <= 1000; s = s->next)
        spirits.push_back(s);
    return spirits;
}

// The chain's invariant: the tail is the last spirit reachable from the head (both null
// when empty), and the count matches.
void ExpectConsistent(const SpiritPool& pool)
{
    const auto spirits = ChainOf(pool);
    EXPECT_EQ(static_cast<int>(spirits.size()), pool.Count());
    EXPECT_EQ(pool.Chain().Back(), spirits.empty() ? nullptr : spirits.back());
}

// A spirit with a recognisable red that stays put at full alpha.
LightSpirit* AddMarked(SpiritPool& pool, float red)
{
    auto spirit = std::make_unique<LightSpirit>(&pool, 0.0f);
    spirit->colour[0] = red;
    spirit->colour[3] = 1.0f;
    spirit->fadingIn = false;
    spirit->life = 1000.0f;
    LightSpirit* raw = spirit.get();
    EXPECT_TRUE(pool.Add(std::move(spirit)));
    return raw;
}

// Makes the spirit's alpha fall below zero in its next update of at least 0.1 s.
void DoomAtNextUpdate(LightSpirit* spirit)
{
    spirit->fadingOut = true;
    spirit->colour[3] = 0.01f;
    spirit->fadeOutRate = 1.0f;
}

void ExpectFloats(const float* got, const std::vector<float>& expected, const char* what)
{
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_FLOAT_EQ(got[i], expected[i]) << what << " " << i;
}

std::vector<float> RedsDrawn(const RecordingTarget& target)
{
    std::vector<float> reds;
    for (const DrawCall& c : target.Only(DrawCall::Colour))
        reds.push_back(c.v[0]);
    return reds;
}

TEST(SpawnBurst, DrawsAFreshBoundBeforeEverySpirit)
{
    const struct {
        const char* name;
        std::vector<int> bounds;   // the raw values drawn as bounds
        int expected;
    } cases[] = {
        {"every remainder 9 gives 19", std::vector<int>(20, 9), 19},
        {"every remainder 0 gives 10", std::vector<int>(11, 0), 10},
        {"values past 10 count by their remainder", std::vector<int>(20, 32769), 19},
        // After eleven spirits a bound of 12 allows a twelfth; the next 12 ends it.
        {"a later bound at the count stops it", {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 2, 2}, 12},
        {"a low bound after the tenth stops it at once", {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 0}, 10},
    };
    for (const auto& c : cases) {
        SpiritPool pool(500);
        ScriptedRandom random;
        random.values = BurstScript(c.bounds, kPlainDraws);
        SpawnBurst(pool, SceneClock{}, random);
        EXPECT_EQ(pool.Count(), c.expected) << c.name;
        EXPECT_TRUE(random.values.empty()) << c.name << ": " << random.values.size() << " values left";
        ExpectConsistent(pool);
    }
}

TEST(SpawnBurst, TheFourteenDrawsLandInTheirFields)
{
    // Each raw value is above its modulus, so a swapped or missing modulo shows too.
    const SpiritDraws draws = {
        87, 159, 43,   // position: 7 - 50, 79 - 50, 3 - 160
        29, 40, 39,    // velocity: 9 - 0.005, 0 - 0.005, 19 - 0.001
        199, 300,      // red and green: (99 + 1) * 0.02, (0 + 1) * 0.02
        31, 24,        // their rates: (15 - 8) * 0.1, (0 - 5) * 0.1
        9, 29,         // fade-out rate 4 * 0.1 + 0.5, life 14 * 0.1 + 4.5
        10, 11,        // size (0 - 5) * 0.1 + 0.1f, growth (5 - 3) * 0.1
    };
    SpiritPool pool(500);
    ScriptedRandom random;
    random.values = BurstScript({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, draws);
    SceneClock clock;
    clock.elapsedTime = 12.5f;
    SpawnBurst(pool, clock, random);
    ASSERT_EQ(pool.Count(), 10);

    for (const LightSpirit* s : ChainOf(pool)) {
        EXPECT_EQ(std::vector<float>(s->position, s->position + 3), (std::vector<float>{-43, 29, -157}));
        ExpectFloats(s->velocity, {8.995f, -0.005f, 18.999f}, "velocity");
        ExpectFloats(s->colour, {2.0f, 0.02f}, "colour");
        ExpectFloats(s->colourRates, {0.7f, -0.5f}, "colour rate");
        EXPECT_EQ((std::vector<float>{s->colour[2], s->colour[3], s->colourRates[2], s->colourRates[3]}),
                  (std::vector<float>{0, 1, 0, 0})) << "blue, alpha and their rates";
        const float scalars[] = {s->fadeOutRate, s->life, s->size, s->growth};
        ExpectFloats(scalars, {0.9f, 5.9f, -0.4f, 0.2f}, "fade-out rate, life, size, growth");
        EXPECT_EQ(s->birthTime, 12.5f);   // one birth time for the whole burst
        EXPECT_EQ(s->owner, &pool);
    }
}

TEST(SpiritPool, AFullPoolRefusesAndDestroysTheSpirit)
{
    int destroyed = 0;
    {
        SpiritPool pool(2);
        EXPECT_TRUE(pool.Add(std::make_unique<CountedSpirit>(&pool, &destroyed)));
        EXPECT_TRUE(pool.Add(std::make_unique<CountedSpirit>(&pool, &destroyed)));
        LightSpirit* const tail = pool.Chain().Back();
        EXPECT_FALSE(pool.Add(std::make_unique<CountedSpirit>(&pool, &destroyed)));
        EXPECT_EQ(destroyed, 1) << "the refused spirit leaked";
        EXPECT_EQ(pool.Count(), 2);
        EXPECT_EQ(pool.Chain().Back(), tail);
        ExpectConsistent(pool);
    }
    EXPECT_EQ(destroyed, 3) << "the pool's destruction leaves spirits behind";

    // A burst into a nearly full pool fills it and stops linking, without leaking (the
    // sanitizer's leak check sees what this count cannot).
    SpiritPool pool(500);
    for (int i = 0; i < 495; ++i)
        pool.Add(std::make_unique<LightSpirit>(&pool, 0.0f));
    ScriptedRandom random;
    random.values = BurstScript(std::vector<int>(20, 9), kPlainDraws);
    SpawnBurst(pool, SceneClock{}, random);
    EXPECT_EQ(pool.Count(), 500);
    ExpectConsistent(pool);
}

TEST(LightSpirit, AlphaFadesInThenHoldsThenFadesOutAndTheSpiritDies)
{
    SpiritPool pool(500);
    SceneClock clock;

    // A constructed spirit starts nearly transparent and fades in at 1 alpha per second.
    LightSpirit fresh(&pool, 0.0f);
    clock.frameDelta = 0.5f;
    fresh.Update(clock);
    EXPECT_FLOAT_EQ(fresh.colour[3], 0.501f);
    EXPECT_TRUE(fresh.fadingIn);
    clock.frameDelta = 0.495f;   // 0.996: reaching 0.99 ends the phase at exactly 1
    fresh.Update(clock);
    EXPECT_EQ(fresh.colour[3], 1.0f);
    EXPECT_FALSE(fresh.fadingIn);

    // A burst spirit starts at alpha 1, so its fading in ends at its first update.
    ScriptedRandom random;
    SpiritDraws draws = kPlainDraws;
    draws[10] = 0;   // fade-out rate 0.5 per second
    draws[11] = 0;   // life 4.5 seconds
    random.values = BurstScript(std::vector<int>(11, 0), draws);
    clock = {};
    SpawnBurst(pool, clock, random);
    ASSERT_EQ(pool.Count(), 10);
    LightSpirit* first = pool.Chain().Front();

    // Frames at the given times: how many spirits each drew, and the first one's alpha.
    const struct {
        float now, alpha, tolerance;
        bool fadingOut;
    } frames[] = {
        {0.01f, 1.0f, 0, false},
        {4.5f, 1.0f, 0, false},   // exactly its life: still full
        {4.6f, 1.0f, 0, true},    // past its life: fading out begins, alpha falls next frame
        {5.6f, 0.5f, 1e-5f, true},
        {6.6f, 0.0f, 1e-5f, true},   // 0 within rounding: not yet below zero
    };
    for (const auto& f : frames) {
        clock.frameDelta = f.now - clock.elapsedTime;
        clock.elapsedTime = f.now;
        RecordingTarget target;
        pool.UpdateAndDraw(clock, target);
        EXPECT_EQ(target.Only(DrawCall::Begin).size(), 10u) << f.now;
        EXPECT_NEAR(first->colour[3], f.alpha, f.tolerance) << f.now;
        EXPECT_FALSE(first->fadingIn) << f.now;
        EXPECT_EQ(first->fadingOut, f.fadingOut) << f.now;
    }

    // The frame in which alpha falls below zero: nothing is drawn and all are gone.
    clock = {6.7f, 0.1f};
    RecordingTarget last;
    pool.UpdateAndDraw(clock, last);
    EXPECT_TRUE(last.calls.empty());
    EXPECT_EQ(pool.Count(), 0);
    ExpectConsistent(pool);
}

TEST(SpiritPool, UnlinkingKeepsTheChainConsistentAndTheNextBurstReachable)
{
    SceneClock clock{1.0f, 0.1f};
    const struct {
        const char* name;
        std::vector<float> reds;   // spirits in the chain, by red
        std::vector<int> doomed;   // indices that die in the pass
        std::vector<float> left;
    } cases[] = {
        {"the tail", {0.1f, 0.2f, 0.3f}, {2}, {0.1f, 0.2f}},
        {"the head", {0.1f, 0.2f, 0.3f}, {0}, {0.2f, 0.3f}},
        {"the middle", {0.1f, 0.2f, 0.3f}, {1}, {0.1f, 0.3f}},
        {"the only spirit", {0.1f}, {0}, {}},
        {"all but the middle", {0.1f, 0.2f, 0.3f}, {0, 2}, {0.2f}},
        {"the last two", {0.1f, 0.2f, 0.3f}, {1, 2}, {0.1f}},
    };
    for (const auto& c : cases) {
        SpiritPool pool(500);
        std::vector<LightSpirit*> spirits;
        for (float red : c.reds)
            spirits.push_back(AddMarked(pool, red));
        for (int i : c.doomed)
            DoomAtNextUpdate(spirits[i]);

        RecordingTarget target;
        pool.UpdateAndDraw(clock, target);
        EXPECT_EQ(RedsDrawn(target), c.left) << c.name;
        ExpectConsistent(pool);

        // The next spirit goes after the new tail (or becomes head and tail) and is drawn.
        AddMarked(pool, 0.9f);
        ExpectConsistent(pool);
        RecordingTarget after;
        pool.UpdateAndDraw(clock, after);
        std::vector<float> expected = c.left;
        expected.push_back(0.9f);
        EXPECT_EQ(RedsDrawn(after), expected) << c.name;
    }
}

TEST(LightSpirit, SizeGrowsPerFrameIsClampedAtZeroAndStopsAboveSeventeen)
{
    SpiritPool pool(500);
    const SceneClock clock{0.0f, 0.016f};
    LightSpirit spirit(&pool, 0.0f);
    spirit.size = -0.4f;
    spirit.growth = 0.2f;
    spirit.Update(clock);
    EXPECT_EQ(spirit.size, 0.0f) << "-0.2 is clamped to 0";
    int frames = 1;
    for (float previous = spirit.size; spirit.size <= 17.0f && frames < 1000; previous = spirit.size) {
        spirit.Update(clock);
        ++frames;
        EXPECT_NEAR(spirit.size - previous, 0.2f, 1e-4);   // per frame, whatever the frame time
    }
    EXPECT_LE(spirit.size, 17.2f + 1e-4f);
    EXPECT_NEAR(frames, 1 + 86, 1) << "about 86 steps of 0.2 from 0 to above 17";
    const float stopped = spirit.size;
    for (int i = 0; i < 10; ++i)
        spirit.Update(clock);
    EXPECT_EQ(spirit.size, stopped);
}

TEST(LightSpirit, MovesAndShiftsColourPerSecondWithoutClamping)
{
    SpiritPool pool(500);
    LightSpirit s(&pool, 0.0f);
    const float position[3] = {1.0f, 2.0f, -150.0f};
    const float velocity[3] = {4.0f, -0.005f, 10.0f};
    const float colour[4] = {0.9f, 0.1f, 0.0f, 1.0f};
    const float rates[4] = {0.7f, -0.5f, 0.0f, 5.0f};
    s.SetParameters(position, velocity, colour, rates, 1.0f, 0.1f, 5.0f, 0.5f);
    s.fadingIn = false;

    // A frame time of 0: nothing moves, no colour changes, alpha stays; size still grows.
    s.Update(SceneClock{0.0f, 0.0f});
    EXPECT_EQ(s.position[0], 1.0f);
    EXPECT_EQ(s.position[2], -150.0f);
    EXPECT_EQ(s.colour[0], 0.9f);
    EXPECT_EQ(s.colour[3], 1.0f);
    EXPECT_FLOAT_EQ(s.size, 1.1f);

    s.Update(SceneClock{0.5f, 0.5f});
    EXPECT_FLOAT_EQ(s.position[0], 3.0f);
    EXPECT_FLOAT_EQ(s.position[1], 2.0f - 0.0025f);
    EXPECT_FLOAT_EQ(s.position[2], -145.0f);
    EXPECT_FLOAT_EQ(s.colour[0], 1.25f);   // above 1: GL clamps when drawing, we do not
    EXPECT_FLOAT_EQ(s.colour[1], -0.15f);  // below 0
    EXPECT_EQ(s.colour[3], 1.0f) << "the alpha rate is never applied";
}

TEST(LightSpirit, DrawsOneTexturedSquareFacingTheCamera)
{
    SpiritPool pool(500);
    LightSpirit s(&pool, 0.0f);
    const float position[3] = {2.0f, -3.0f, -100.0f};
    const float zero[4] = {0, 0, 0, 0};
    const float colour[4] = {1.5f, 0.25f, 0.0f, 0.75f};
    s.SetParameters(position, zero, colour, zero, 0.5f, 0.0f, 5.0f, 0.5f);

    RecordingTarget target;
    s.Draw(target);
    std::vector<std::vector<float>> seen;   // kind, then the call's values
    for (const DrawCall& c : target.calls)
        seen.push_back({static_cast<float>(c.kind), c.v[0], c.v[1], c.v[2], c.v[3]});
    using C = DrawCall;
    EXPECT_EQ(seen, (std::vector<std::vector<float>>{
                        {C::Colour, 1.5f, 0.25f, 0.0f, 0.75f}, {C::Begin, 0, 0, 0, 0},
                        {C::TexCoord, 1, 1, 0, 0}, {C::Vertex, 2.5f, -2.5f, -100, 0},
                        {C::TexCoord, 0, 1, 0, 0}, {C::Vertex, 1.5f, -2.5f, -100, 0},
                        {C::TexCoord, 1, 0, 0, 0}, {C::Vertex, 2.5f, -3.5f, -100, 0},
                        {C::TexCoord, 0, 0, 0, 0}, {C::Vertex, 1.5f, -3.5f, -100, 0},
                        {C::End, 0, 0, 0, 0}}));
    EXPECT_EQ(target.calls[1].primitive, Primitive::TriangleStrip);
}

// The C library's rand, stood in for by a fixed-seed generator with the same range.
class SeededRandom final : public RandomSource {
public:
    explicit SeededRandom(unsigned seed) : engine_(seed) {}
    int Next() override { return static_cast<int>(engine_() & 0x7fffffff); }

private:
    std::mt19937 engine_;
};

class CountingTarget final : public DrawTarget {
public:
    long strips = 0;
    void ClearColourAndDepth() override {}
    void LoadIdentity() override {}
    void Colour(float, float, float, float) override {}
    void SetBlending(bool) override {}
    void BindTexture(unsigned) override {}
    void Begin(Primitive p) override { strips += p == Primitive::TriangleStrip; }
    void TexCoord(float, float) override {}
    void Vertex(float, float, float) override {}
    void End() override {}
};

class SixtyHertzClock final : public Clock {
public:
    int64_t now = 0;
    int64_t CounterFrequency() override { return 600; }   // 10 counts per frame
    int64_t Read(bool) override { return now; }
};

// The constant 29 gives every bound 19, the longest life (5.9 s) and, at the same time,
// the fastest fade (0.9 per second): the most spirits a constant can keep.
class Constant29 final : public RandomSource {
public:
    int Next() override { return 29; }
};

TEST(Scene, ATenMinuteRunKeepsThePoolUnderTwoHundred)
{
    SeededRandom seeded(20240611);
    Constant29 constant;
    for (RandomSource* random : {static_cast<RandomSource*>(&seeded), static_cast<RandomSource*>(&constant)}) {
        SCOPED_TRACE(random == &seeded ? "seeded" : "constant 29");
        FrameState state;
        SixtyHertzClock clock;
        InitScene(state, clock, *random);
        int most = state.spiritPool->Count();
        long drawn = 0;
        for (int frame = 0; frame < 60 * 600; ++frame) {
            clock.now += 10;
            TickFrameClock(state, clock);
            CountingTarget target;
            DrawFrame(state, target, *random);
            drawn += target.strips;
            most = std::max(most, state.spiritPool->Count());
        }
        EXPECT_LT(most, 200);
        EXPECT_GT(most, 60) << "the run should have kept several bursts alive";
        EXPECT_GT(drawn, 60L * 600 * 40);
        ExpectConsistent(*state.spiritPool);
    }
}

}  // namespace
