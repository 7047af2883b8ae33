// The light spirits: what a burst draws, how a spirit lives, and the pool's chain.
#include <gtest/gtest.h>

#include <memory>

#include "renderer_fakes.h"
#include "scene.h"

namespace {

using namespace glowmere::renderer;
using Calls = std::vector<std::string>;

// Parameter draws that keep a spirit alive and unremarkable.
const std::vector<int> kPlainDraws = {10, 10, 10, 5, 5, 10, 49, 49, 8, 5, 0, 5, 6, 3};

// The chain's invariant: the tail is the last spirit reachable from the head (both null
// when empty), and the count matches.
void ExpectConsistent(const SpiritPool& pool)
{
    int count = 0;
    const LightSpirit* last = nullptr;
    for (const LightSpirit* s = pool.Chain().Front(); s && count <= 1000; s = s->next, ++count)
        last = s;
    EXPECT_EQ(count, pool.Count());
    EXPECT_EQ(pool.Chain().Back(), last);
}

TEST(SpawnBurst, DrawsAFreshBoundBeforeEverySpiritThenItsFourteenParameters)
{
    const struct {
        const char* name;
        std::vector<int> bounds;   // the raw values drawn as bounds
        int expected;
    } cases[] = {
        {"every remainder 9 gives 19", std::vector<int>(20, 9), 19},
        {"every remainder 0 gives 10", std::vector<int>(11, 0), 10},
        {"values past 10 count by their remainder", std::vector<int>(20, 32769), 19},
        {"a later bound at the count stops it", {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 2, 2}, 12},
    };
    for (const auto& c : cases) {
        SpiritPool pool(500);
        ScriptedRandom random;
        random.values = BurstScript(c.bounds, kPlainDraws);
        SpawnBurst(pool, SceneClock{}, random);
        EXPECT_EQ(pool.Count(), c.expected) << c.name;
        EXPECT_TRUE(random.values.empty()) << c.name;
        ExpectConsistent(pool);
    }

    // Each raw value is above its modulus, so a swapped or missing modulo shows too.
    SpiritPool pool(500);
    ScriptedRandom random;
    random.values = BurstScript(std::vector<int>(11, 0), {87, 159, 43, 29, 40, 39, 199, 300, 31, 24, 9, 29, 10, 11});
    SpawnBurst(pool, SceneClock{12.5f, 0.0f}, random);
    ASSERT_EQ(pool.Count(), 10);
    const LightSpirit& s = *pool.Chain().Back();
    const float got[] = {s.position[0], s.position[1], s.position[2], s.velocity[0], s.velocity[1], s.velocity[2],
                         s.colour[0], s.colour[1], s.colour[2], s.colour[3], s.colourRates[0], s.colourRates[1],
                         s.colourRates[2], s.colourRates[3], s.fadeOutRate, s.life, s.size, s.growth, s.birthTime};
    const float expected[] = {-43, 29, -157, 8.995f, -0.005f, 18.999f, 2, 0.02f, 0, 1, 0.7f, -0.5f, 0, 0,
                              0.9f, 5.9f, -0.4f, 0.2f, 12.5f};
    for (size_t i = 0; i < std::size(got); ++i)
        EXPECT_FLOAT_EQ(got[i], expected[i]) << "field " << i;
}

TEST(SpiritPool, AFullPoolRefusesAndDestroysTheSpirit)
{
    // A spirit whose destruction the test can see.
    struct Counted final : LightSpirit {
        int* destroyed;
        Counted(SpiritPool* pool, int* d) : LightSpirit(pool, 0.0f), destroyed(d) {}
        ~Counted() override { ++*destroyed; }
    };
    int destroyed = 0;
    {
        SpiritPool pool(2);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(pool.Add(std::make_unique<Counted>(&pool, &destroyed)), i < 2);
        EXPECT_EQ(destroyed, 1) << "the refused spirit leaked";
        ExpectConsistent(pool);
    }
    EXPECT_EQ(destroyed, 3) << "the pool's destruction leaves spirits behind";
}

TEST(LightSpirit, FadesInHoldsForItsLifeThenFadesOutAndIsNoLongerDrawn)
{
    SpiritPool pool(500);
    auto* spirit = new LightSpirit(&pool, 0.0f);   // alpha 0.001, fading in at 1 a second
    spirit->life = 4.5f;
    spirit->fadeOutRate = 0.5f;
    pool.Add(std::unique_ptr<LightSpirit>(spirit));
    const struct {
        float now, alpha;
        bool fadingIn, fadingOut;
    } frames[] = {
        {0.5f, 0.501f, true, false}, {0.995f, 1, false, false},   // 0.996 ends the fading in at 1
        {4.5f, 1, false, false},                                   // exactly its life: still full
        {4.6f, 1, false, true},                                    // past it: falling from the next frame
        {5.6f, 0.5f, false, true}, {6.6f, 0, false, true},        // 0 within rounding: still there
    };
    SceneClock clock;
    for (const auto& f : frames) {
        clock = {f.now, f.now - clock.elapsedTime};
        RecordingTarget target;
        pool.UpdateAndDraw(clock, target);
        EXPECT_EQ(target.Only("begin").size(), 1u) << f.now;
        EXPECT_NEAR(spirit->colour[3], f.alpha, 1e-5f) << f.now;
        EXPECT_EQ(spirit->fadingIn, f.fadingIn) << f.now;
        EXPECT_EQ(spirit->fadingOut, f.fadingOut) << f.now;
    }
    RecordingTarget last;   // alpha falls below zero: not drawn, and gone
    pool.UpdateAndDraw({6.7f, 0.1f}, last);
    EXPECT_TRUE(last.calls.empty());
    EXPECT_EQ(pool.Count(), 0);
    ExpectConsistent(pool);
}

TEST(LightSpirit, MovesAndShiftsColourPerSecondAndGrowsPerFrameUntilAboveSeventeen)
{
    SpiritPool pool(500);
    LightSpirit s(&pool, 0.0f);
    const float position[3] = {1, 2, -150}, velocity[3] = {4, -0.005f, 10};
    const float colour[4] = {0.9f, 0.1f, 0, 1}, rates[4] = {0.7f, -0.5f, 0, 5};
    s.SetParameters(position, velocity, colour, rates, -0.4f, 0.2f, 5.0f, 0.5f);
    s.fadingIn = false;
    s.Update({0.5f, 0.5f});
    // Colours are not clamped, alpha's rate is never applied, a size below 0 becomes 0.
    const float got[] = {s.position[0], s.position[1], s.position[2], s.colour[0], s.colour[1], s.colour[3], s.size};
    const float expected[] = {3, 1.9975f, -145, 1.25f, -0.15f, 1, 0};
    for (size_t i = 0; i < std::size(got); ++i)
        EXPECT_FLOAT_EQ(got[i], expected[i]) << "field " << i;

    int frames = 0;
    for (float before = s.size; s.size <= 17.0f && frames < 1000; before = s.size, ++frames) {
        s.Update({0.5f, 0.0f});   // no time passes: the size still grows
        EXPECT_NEAR(s.size - before, 0.2f, 1e-4);
    }
    EXPECT_NEAR(frames, 86, 1);
    const float stopped = s.size;
    s.Update({1.0f, 0.5f});
    EXPECT_EQ(s.size, stopped);
}

TEST(SpiritPool, UnlinkingKeepsTheChainConsistentAndTheNextSpiritReachable)
{
    const struct {
        const char* name;
        std::vector<int> doomed;   // of three spirits, by position
        Calls left;
    } cases[] = {
        {"the tail", {2}, {"colour 1 1 1 1", "colour 2 1 1 1"}},
        {"the head", {0}, {"colour 2 1 1 1", "colour 3 1 1 1"}},
        {"the middle", {1}, {"colour 1 1 1 1", "colour 3 1 1 1"}},
        {"all but the middle", {0, 2}, {"colour 2 1 1 1"}},
        {"the last two", {1, 2}, {"colour 1 1 1 1"}},
        {"all", {0, 1, 2}, {}},
    };
    const auto add = [](SpiritPool& pool, float red) {
        auto spirit = std::make_unique<LightSpirit>(&pool, 0.0f);
        spirit->colour[0] = red;
        spirit->colour[3] = 1.0f;
        spirit->fadingIn = false;
        spirit->life = 1000.0f;
        LightSpirit* raw = spirit.get();
        pool.Add(std::move(spirit));
        return raw;
    };
    for (const auto& c : cases) {
        SpiritPool pool(500);
        std::vector<LightSpirit*> spirits = {add(pool, 1), add(pool, 2), add(pool, 3)};
        for (int i : c.doomed) {   // alpha below zero at the next update
            spirits[i]->fadingOut = true;
            spirits[i]->colour[3] = 0.01f;
            spirits[i]->fadeOutRate = 1.0f;
        }
        RecordingTarget target;
        pool.UpdateAndDraw({1.0f, 0.1f}, target);
        EXPECT_EQ(target.Only("colour"), c.left) << c.name;
        ExpectConsistent(pool);

        add(pool, 9);   // goes after the new tail, or becomes head and tail
        RecordingTarget after;
        pool.UpdateAndDraw({1.0f, 0.1f}, after);
        Calls expected = c.left;
        expected.push_back("colour 9 1 1 1");
        EXPECT_EQ(after.Only("colour"), expected) << c.name;
        ExpectConsistent(pool);
    }
}

TEST(LightSpirit, DrawsOneTexturedSquareFacingTheCamera)
{
    SpiritPool pool(500);
    LightSpirit s(&pool, 0.0f);
    const float position[3] = {2, -3, -100}, zero[4] = {}, colour[4] = {1.5f, 0.25f, 0, 0.75f};
    s.SetParameters(position, zero, colour, zero, 0.5f, 0.0f, 5.0f, 0.5f);
    RecordingTarget target;
    s.Draw(target);
    EXPECT_EQ(target.calls, (Calls{"colour 1.5 0.25 0 0.75", "begin strip", "tex 1 1", "vertex 2.5 -2.5 -100",
                                   "tex 0 1", "vertex 1.5 -2.5 -100", "tex 1 0", "vertex 2.5 -3.5 -100", "tex 0 0",
                                   "vertex 1.5 -3.5 -100", "end"}));
}

}  // namespace
