// The frame timer, one frame of the renderer (floor, bursts, draw order) and the
// program's entry and message rules.
#include <gtest/gtest.h>

#include <array>

#include "frame.h"
#include "program.h"
#include "renderer_fakes.h"

namespace {

using namespace glowmere::renderer;
using Calls = std::vector<std::string>;

TEST(FrameTimer, CountsSecondsFromItsFirstReadingAndStillResolvesAMillisecondAfterAHundredHours)
{
    constexpr double f = 10'000'000, start = 5'000'000'000, hours = f * 3600 * 100;
    const struct {
        int64_t frequency, start;                    // frequency 0: the 32-bit millisecond clock
        std::vector<std::array<double, 3>> ticks;   // reading, elapsed, delta
    } runs[] = {
        {10'000'000, 5'000'000'000,
         {{start + 2.5e6, 0.25, 0.25}, {start + 2.66e6, 0.266, 0.016}, {start + 2.66e6, 0.266, 0},
          {start + hours, 360000, 360000 - 0.266}, {start + hours + f / 1000, 360000.001, 0.001}}},
        // 256 ms before the millisecond clock wraps, and on across the wrap.
        {0, 0xFFFFFF00,
         {{0xFFFFFF10, 0.016, 0.016}, {0x100, 0.512, 0.496}, {0x100 + 3.6e8, 360000.512, 360000},
          {0x101 + 3.6e8, 360000.513, 0.001}}},
    };
    for (const auto& run : runs) {
        FrameTimer timer;
        timer.Initialise(run.frequency, run.start);
        EXPECT_EQ(timer.UsesCounter(), run.frequency > 0);
        for (const auto& [reading, elapsed, delta] : run.ticks) {
            timer.Tick(static_cast<int64_t>(reading));
            EXPECT_NEAR(timer.Elapsed(), elapsed, 1e-7) << reading;
            EXPECT_NEAR(timer.Delta(), delta, 1e-7) << reading;
        }
    }
}

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

    void Start(int64_t initialise, int64_t firstTick)
    {
        random.fallback = 0;
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
};

TEST_F(FrameTest, TheOpaqueFloorSlidesUnderTheBlendedSpiritsAndStaysBelowOneRepeat)
{
    Start(0, 0);
    state.textureNames[kSpiritTexture] = 7;
    state.textureNames[kFloorTexture] = 9;
    const Calls first = Frame(1000).calls;   // one second: 0.07 repeats
    EXPECT_EQ(Calls(first.begin(), first.begin() + 17),
              (Calls{"clear", "identity", "colour 1 1 1 1", "blend 0", "bind 9", "begin quads", "tex 0 2.93",
                     "vertex -300 -15.5 -300", "tex 3 2.93", "vertex 300 -15.5 -300", "tex 3 -0.07",
                     "vertex 300 -15.5 300", "tex 0 -0.07", "vertex -300 -15.5 300", "end", "bind 7", "blend 1"}));

    // Ten seconds on, 0.77 repeats; four more make 1.05, the same picture as 0.05.
    Frame(11000);
    EXPECT_NEAR(state.floorScroll, 0.77f, 1e-6);
    Frame(15000);
    EXPECT_NEAR(state.floorScroll, 0.05f, 1e-6);
    // After a hundred hours a growing offset could no longer resolve one frame's step.
    constexpr int64_t later = 15000 + 3600LL * 100 * 1000;
    Frame(later);
    const float before = state.floorScroll;
    Frame(later + 16);
    EXPECT_NEAR(state.floorScroll - before, 0.016 * 0.07, 1e-6);
}

TEST_F(FrameTest, TheClockStartsAtTheFirstTickAndABurstComesMoreThanASecondAfterTheLast)
{
    Start(500, 520);
    EXPECT_FLOAT_EQ(state.clock.elapsedTime, 0.02f);
    EXPECT_EQ(state.spiritPool->Count(), 10) << "the first burst";
    const struct {
        int64_t reading;
        size_t strips;
    } frames[] = {{1500, 10}, {1510, 20}, {2500, 20}, {2520, 30}};   // exactly one second is not more
    for (const auto& f : frames)
        EXPECT_EQ(Frame(f.reading).Only("begin strip").size(), f.strips) << f.reading;

    state.spiritPool.reset();   // what InitScene leaves without memory for the pool
    EXPECT_EQ(Frame(4000).Only("vertex").size(), 4u) << "the floor alone";
}

TEST(RendererInput, OnlyEscapeAndCloseRequestsEndTheRunAndOnlyTheScreenSaveCommandIsSwallowed)
{
    const struct {
        unsigned message;
        uintptr_t wParam;
        MessageAction action;
    } cases[] = {
        {0x0100 /* key down */, 0x1B /* Escape */, MessageAction::Quit}, {0x0010 /* close */, 0, MessageAction::Quit},
        {0x0100, 'A', MessageAction::Handled}, {0x0100, 0x0D, MessageAction::Handled},
        {0x0200 /* mouse move */, 0, MessageAction::Default}, {0x0005 /* size */, 0, MessageAction::Handled},
        {0x000F /* paint */, 0, MessageAction::Validate},
        {0x0112 /* system command */, 0xF140 /* screen save */, MessageAction::Handled},
        {0x0112, 0xF141, MessageAction::Default}, {0x0112, 0xF060 /* close */, MessageAction::Default},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RendererMessageAction(c.message, c.wParam), c.action) << std::hex << c.message << " " << c.wParam;
}

class RecordingSteps final : public RendererSteps {
public:
    bool windowCreated = true;
    Calls log;
    bool CreateRendererWindow() override { return log.push_back("create"), windowCreated; }
    void RestoreDisplayAndCursor() override { log.push_back("restore"); }
    void InitRenderer() override { log.push_back("init"); }
    int RunMessageLoop() override { return log.push_back("loop"), 0; }
};

TEST(RendererEntry, AWindowThatCannotBeCreatedRestoresTheDisplayAndEndsWithOne)
{
    RecordingSteps run, failed;
    failed.windowCreated = false;
    EXPECT_EQ(RunRenderer(run), 0);
    EXPECT_EQ(run.log, (Calls{"create", "init", "loop"}));   // the loop's teardown restores
    EXPECT_EQ(RunRenderer(failed), 1);
    EXPECT_EQ(failed.log, (Calls{"create", "restore"}));
}

}  // namespace
