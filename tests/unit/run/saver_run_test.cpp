// The saver run's decisions: the music a file name selects, the renderer's command line,
// when the renderer counts as gone, and when the display gets its mode back.
#include <gtest/gtest.h>

#include "saver_run.h"

namespace {

using namespace glowmere;

TEST(SaverRun, OnlyTheLastThreeCharactersChooseTheMusicAndTheRendererPathIsQuoted)
{
    const std::pair<const char*, MusicFileKind> cases[] = {
        {"C:\\Music\\song.Wav", MusicFileKind::Wav}, {"C:\\Music\\tune.mP3", MusicFileKind::Mp3},
        {"mymp3", MusicFileKind::Mp3}, {"wav", MusicFileKind::Wav}, {"C:\\Music\\tune.mid", MusicFileKind::Other},
        {"C:\\Music\\song.wav ", MusicFileKind::Other}, {"av", MusicFileKind::Other},
    };
    for (const auto& [file, kind] : cases)
        EXPECT_EQ(MusicFileKindOf(file), kind) << file;
    EXPECT_EQ(RendererCommandLine("C:\\Program Files\\G"), "\"C:\\Program Files\\G\\Glowmere.dll\"");
}

TEST(SaverRun, TheWatchWaitsForTheRenderersWindowThenForItToGoAndGivesUpAfterEightSeconds)
{
    RendererWatch slow(true, 1000);
    const struct {
        bool window, running;
        uint32_t now;
        bool gone;
    } ticks[] = {{false, true, 4000, false}, {true, true, 8999, false}, {true, true, 60000, false},
                 {false, true, 60500, true}};   // gone, even if the process lingers
    for (const auto& t : ticks)
        EXPECT_EQ(slow.RendererGone(t.window, t.running, t.now), t.gone) << t.now;

    RendererWatch notStarted(false, 0), exited(true, 0), hanging(true, 0xFFFFFF00u);
    EXPECT_TRUE(notStarted.RendererGone(false, false, 500));
    EXPECT_TRUE(exited.RendererGone(false, false, 500));
    // The bound is measured across the millisecond clock's wrap.
    EXPECT_FALSE(hanging.RendererGone(false, true, 8000 - 0x101));
    EXPECT_TRUE(hanging.RendererGone(false, true, 8000 - 0x100));
}

TEST(SaverRun, OnlyADisplayLeftInAnotherModeByAGoneRendererIsRestored)
{
    const DisplayMode registry{1920, 1080, 32};
    EXPECT_FALSE(DisplayNeedsRestore(registry, registry, false));
    EXPECT_TRUE(DisplayNeedsRestore({1024, 1080, 32}, registry, false));
    EXPECT_TRUE(DisplayNeedsRestore({1920, 768, 32}, registry, false));
    EXPECT_TRUE(DisplayNeedsRestore({1920, 1080, 16}, registry, false));
    EXPECT_FALSE(DisplayNeedsRestore({1024, 768, 32}, registry, true)) << "a running renderer keeps its mode";
}

}  // namespace
