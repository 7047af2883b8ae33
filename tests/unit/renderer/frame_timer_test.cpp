#include <gtest/gtest.h>

#include "frame_timer.h"

namespace {

using namespace glowmere::renderer;
constexpr int64_t kFrequency = 10'000'000;   // a typical 10 MHz performance counter

TEST(FrameTimer, TheCounterGivesSecondsSinceInitialisationAndBetweenTicks)
{
    FrameTimer timer;
    timer.Initialise(kFrequency, 5'000'000'000);
    EXPECT_TRUE(timer.UsesCounter());
    timer.Tick(5'000'000'000 + 2'500'000);   // the first tick: the time since initialisation
    EXPECT_DOUBLE_EQ(timer.Elapsed(), 0.25);
    EXPECT_DOUBLE_EQ(timer.Delta(), 0.25);
    timer.Tick(5'000'000'000 + 2'660'000);
    EXPECT_NEAR(timer.Elapsed(), 0.266, 1e-12);
    EXPECT_NEAR(timer.Delta(), 0.016, 1e-12);
    timer.Tick(5'000'000'000 + 2'660'000);   // the same reading: a zero delta
    EXPECT_EQ(timer.Delta(), 0.0);
    EXPECT_NEAR(timer.Elapsed(), 0.266, 1e-12);

    FrameTimer stalled;
    stalled.Initialise(kFrequency, 0);
    stalled.Tick(kFrequency);
    stalled.Tick(kFrequency * 61);   // a minute without a frame
    EXPECT_DOUBLE_EQ(stalled.Delta(), 60.0);
    EXPECT_DOUBLE_EQ(stalled.Elapsed(), 61.0);
}

TEST(FrameTimer, WithoutACounterTheMillisecondClockAdvancesInThousandthsAcrossItsWrap)
{
    FrameTimer timer;
    timer.Initialise(0, 1'000'000);
    EXPECT_FALSE(timer.UsesCounter());
    timer.Tick(1'000'001);
    EXPECT_DOUBLE_EQ(timer.Elapsed(), 0.001);
    timer.Tick(1'000'017);
    EXPECT_DOUBLE_EQ(timer.Elapsed(), 0.017);
    EXPECT_DOUBLE_EQ(timer.Delta(), 0.016);

    FrameTimer wrapping;
    wrapping.Initialise(0, 0xFFFF'FF00);   // 256 ms before the 32-bit clock wraps
    wrapping.Tick(0x0000'0100);            // 256 ms after it
    EXPECT_DOUBLE_EQ(wrapping.Elapsed(), 0.512);
    EXPECT_DOUBLE_EQ(wrapping.Delta(), 0.512);
}

TEST(FrameTimer, AHundredHourRunStillResolvesOneMillisecond)
{
    constexpr int64_t hundredHours = kFrequency * 3600 * 100;
    FrameTimer timer;
    timer.Initialise(kFrequency, 123);
    timer.Tick(123 + hundredHours);
    timer.Tick(123 + hundredHours + kFrequency / 1000);
    EXPECT_NEAR(timer.Delta(), 0.001, 1e-9);
    EXPECT_NEAR(timer.Elapsed(), 360000.001, 1e-6);
    // The scene gets single-precision values; the delta survives that conversion.
    EXPECT_NEAR(static_cast<float>(timer.Delta()), 0.001f, 1e-7f);

    FrameTimer millis;
    millis.Initialise(0, 0);
    millis.Tick(3600LL * 100 * 1000);
    millis.Tick(3600LL * 100 * 1000 + 1);
    EXPECT_NEAR(millis.Delta(), 0.001, 1e-9);
    EXPECT_NEAR(millis.Elapsed(), 360000.001, 1e-6);
}

}  // namespace
