#include <gtest/gtest.h>

#include <deque>

#include "frame.h"
#include "recording_target.h"
#include "scripted_random.h"

namespace {

using namespace glowmere::renderer;
// A counter of 1000 ticks per second whose readings the test scripts.
class ScriptedClock final : public Clock {
public:
    std::deque<int64_t> readings;
    int64_t CounterFrequency() override { return 1000; }
    int64_t Read(bool) override
    {
        const int64_t value = readings.front();
        readings.pop_front();
        return value;
    }
};

class FrameTest : public ::testing::Test {
protected:
    FrameState state;
    ScriptedClock clock;
    ScriptedRandom random;   // every draw 0: bursts of ten long-lived spirits

    void SetUp() override { random.fallback = 0; }

    void Start(int64_t initialise, int64_t firstTick)
    {
        clock.readings = {initialise, firstTick};
        InitScene(state, clock, random);
    }
    RecordingTarget Frame(int64_t reading)
    {
        clock.readings.push_back(reading);
        TickFrameClock(state, clock);
        RecordingTarget target;
        DrawFrame(state, target, random);
        return target;
    }
    static size_t Strips(const RecordingTarget& target)
    {
        size_t n = 0;
        for (const DrawCall& c : target.Only(DrawCall::Begin))
            n += c.primitive == Primitive::TriangleStrip;
        return n;
    }
};

TEST_F(FrameTest, InitSceneStartsTheClockWithItsFirstTickAndSpawnsTheFirstBurst)
{
    Start(500, 520);
    EXPECT_FLOAT_EQ(state.clock.elapsedTime, 0.02f);
    EXPECT_FLOAT_EQ(state.clock.frameDelta, 0.02f);
    ASSERT_NE(state.spiritPool, nullptr);
    EXPECT_EQ(state.spiritPool->Capacity(), 500);
    EXPECT_EQ(state.spiritPool->Count(), 10);
    EXPECT_EQ(state.spiritPool->Chain().Front()->birthTime, 0.02f);
    EXPECT_EQ(state.lastBurstTime, 0.0f) << "the start-up burst does not count for the loop";
}

TEST_F(FrameTest, WithoutAPoolTheFloorIsStillDrawn)
{
    Start(0, 0);
    state.spiritPool.reset();   // what InitScene leaves when the pool cannot be allocated
    RecordingTarget frame = Frame(1500);
    EXPECT_EQ(Strips(frame), 0u);
    EXPECT_EQ(frame.Only(DrawCall::Vertex).size(), 4u);
    EXPECT_FLOAT_EQ(state.lastBurstTime, 1.5f);
}

TEST_F(FrameTest, TheFloorSlidesAtSevenHundredthsOfARepeatPerSecondAndStaysBelowOneRepeat)
{
    Start(0, 0);
    const RecordingTarget first = Frame(1000);   // one second later
    const auto st = first.Only(DrawCall::TexCoord);   // the floor's come first
    const auto xyz = first.Only(DrawCall::Vertex);
    ASSERT_GE(xyz.size(), 4u);
    const float s = 0.07f;
    const float expectedST[4][2] = {{0, 3 - s}, {3, 3 - s}, {3, 0 - s}, {0, 0 - s}};
    const float expectedXYZ[4][3] = {{-300, -15.5f, -300}, {300, -15.5f, -300}, {300, -15.5f, 300}, {-300, -15.5f, 300}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(st[i].v[0], expectedST[i][0], 1e-6) << i;
        EXPECT_NEAR(st[i].v[1], expectedST[i][1], 1e-6) << i;
        for (int k = 0; k < 3; ++k)
            EXPECT_FLOAT_EQ(xyz[i].v[k], expectedXYZ[i][k]) << i;
    }

    // Ten seconds on, the offset has reached 0.77 repeats; four more make 1.05, which is
    // the same picture as 0.05.
    Frame(11000);
    EXPECT_NEAR(state.floorScroll, 0.77f, 1e-6);
    Frame(15000);
    EXPECT_NEAR(state.floorScroll, 0.05f, 1e-6);

    // A hundred hours of 1/60 s frames would carry an unbounded coordinate to 25200
    // repeats, where a float no longer resolves one frame's step of 0.00117.
    int64_t now = 15000;
    Frame(now += 3600LL * 100 * 1000);
    const float before = state.floorScroll;
    EXPECT_GE(before, 0.0f);
    EXPECT_LT(before, 1.0f);
    Frame(now += 1000 / 60);
    EXPECT_NEAR(state.floorScroll - before, 0.016 * 0.07, 1e-6);
}

TEST_F(FrameTest, TheOpaqueFloorComesFirstThenTheBlendedSpirits)
{
    Start(0, 0);
    state.textureNames[kSpiritTexture] = 7;
    state.textureNames[kFloorTexture] = 9;
    const RecordingTarget frame = Frame(16);
    std::vector<DrawCall::Kind> kinds;
    for (const DrawCall& c : frame.calls)
        kinds.push_back(c.kind);
    using C = DrawCall;
    ASSERT_GE(kinds.size(), 17u);
    EXPECT_EQ(std::vector<DrawCall::Kind>(kinds.begin(), kinds.begin() + 17),
              (std::vector<DrawCall::Kind>{C::Clear, C::Identity, C::Colour, C::Blend, C::Bind, C::Begin,
                                           C::TexCoord, C::Vertex, C::TexCoord, C::Vertex, C::TexCoord,
                                           C::Vertex, C::TexCoord, C::Vertex, C::End, C::Bind, C::Blend}));
    const auto& c = frame.calls;
    EXPECT_EQ(std::vector<float>(c[2].v, c[2].v + 4), (std::vector<float>{1, 1, 1, 1}));
    EXPECT_EQ(c[3].v[0], 0.0f) << "the floor is drawn without blending";
    EXPECT_EQ(c[4].v[0], 9.0f);
    EXPECT_EQ(c[5].primitive, Primitive::Quads);
    EXPECT_EQ(c[15].v[0], 7.0f);
    EXPECT_EQ(c[16].v[0], 1.0f);
    EXPECT_EQ(Strips(frame), 10u);
}

TEST_F(FrameTest, ABurstComesAndIsDrawnInTheFirstFrameMoreThanASecondAfterTheLast)
{
    Start(0, 0);
    Frame(500);
    Frame(1000);   // exactly one second: not yet
    EXPECT_EQ(state.lastBurstTime, 0.0f);
    EXPECT_EQ(Strips(Frame(1010)), 20u);
    EXPECT_FLOAT_EQ(state.lastBurstTime, 1.01f);
    Frame(2000);
    EXPECT_FLOAT_EQ(state.lastBurstTime, 1.01f);
    Frame(2020);
    EXPECT_FLOAT_EQ(state.lastBurstTime, 2.02f);
}

}  // namespace
