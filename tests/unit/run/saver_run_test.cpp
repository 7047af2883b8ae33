#include <gtest/gtest.h>

#include "saver_run.h"

namespace {

using glowmere::MusicFileKind;
using glowmere::MusicFileKindOf;
using glowmere::RendererWatch;

TEST(SaverRunMusic, OnlyTheLastThreeCharactersChooseTheMusic)
{
    const std::pair<const char*, MusicFileKind> cases[] = {
        {"C:\\Music\\song.Wav", MusicFileKind::Wav}, {"C:\\Music\\SONG.WAV", MusicFileKind::Wav},
        {"C:\\Music\\tune.mp3", MusicFileKind::Mp3}, {"mymp3", MusicFileKind::Mp3},   // no dot needed
        {"wav", MusicFileKind::Wav}, {"C:\\Music\\tune.mid", MusicFileKind::Other},
        {"C:\\Music\\song.wav ", MusicFileKind::Other}, {"av", MusicFileKind::Other}, {"", MusicFileKind::Other},
    };
    for (const auto& [file, kind] : cases)
        EXPECT_EQ(MusicFileKindOf(file), kind) << file;
}

TEST(SaverRunRenderer, TheRendererPathIsQuotedOnItsCommandLine)
{
    EXPECT_EQ(glowmere::RendererCommandLine("C:\\Program Files\\Glowmere"),
              "\"C:\\Program Files\\Glowmere\\Glowmere.dll\"");
    EXPECT_EQ(glowmere::RendererCommandLine("C:"), "\"C:\\Glowmere.dll\"");
}

TEST(SaverRunWatch, ASlowRendererIsWaitedForThenWatchedUntilItsWindowGoes)
{
    RendererWatch watch(true, 1000);
    EXPECT_FALSE(watch.RendererGone(false, true, 1500));   // still switching the display
    EXPECT_FALSE(watch.RendererGone(false, true, 4000));
    EXPECT_FALSE(watch.RendererGone(true, true, 4500));    // the window is there
    EXPECT_TRUE(watch.WindowSeen());
    EXPECT_FALSE(watch.RendererGone(true, true, 60000));
    EXPECT_TRUE(watch.RendererGone(false, true, 60500));   // gone, even if the process lingers
}

TEST(SaverRunWatch, ARendererThatNeverShowsItsWindowCountsAsGone)
{
    RendererWatch notStarted(false, 0);
    EXPECT_TRUE(notStarted.RendererGone(false, false, 500));

    RendererWatch exited(true, 0);
    EXPECT_TRUE(exited.RendererGone(false, false, 500));

    RendererWatch hanging(true, 0);
    EXPECT_FALSE(hanging.RendererGone(false, true, RendererWatch::kAppearBoundMs - 1));
    EXPECT_TRUE(hanging.RendererGone(false, true, RendererWatch::kAppearBoundMs));

    // The bound is measured across the millisecond clock's wrap.
    RendererWatch wrapped(true, 0xFFFFFF00u);
    EXPECT_FALSE(wrapped.RendererGone(false, true, 0x00000100u));
    EXPECT_TRUE(wrapped.RendererGone(false, true, RendererWatch::kAppearBoundMs));
}

TEST(SaverRunDisplay, OnlyADisplayLeftInAnotherModeByAGoneRendererIsRestored)
{
    const glowmere::DisplayMode registry{1920, 1080, 32};
    EXPECT_FALSE(glowmere::DisplayNeedsRestore(registry, registry, false));
    EXPECT_TRUE(glowmere::DisplayNeedsRestore({1024, 768, 32}, registry, false));
    EXPECT_TRUE(glowmere::DisplayNeedsRestore({1920, 1080, 16}, registry, false));
    // The renderer still runs (the shell was closed on its own): its mode stays.
    EXPECT_FALSE(glowmere::DisplayNeedsRestore({1024, 768, 32}, registry, true));
}

}  // namespace
