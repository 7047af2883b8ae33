// The saver run's decisions, the desktop picture it hands to the renderer, and the shell's own pictures.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>

#include "bitmap_file.h"
#include "byte_order.h"
#include "resource_pictures.h"
#include "saver_run.h"

namespace {

using namespace glowmere;

TEST(SaverRun, OnlyTheLastThreeCharactersChooseTheMusicAndTheRendererPathIsQuoted)
{
    const std::pair<const char*, MusicFileKind> cases[] = {{"C:\\M\\song.Wav", MusicFileKind::Wav},
        {"C:\\M\\tune.mP3", MusicFileKind::Mp3}, {"mymp3", MusicFileKind::Mp3}, {"wav", MusicFileKind::Wav},
        {"C:\\M\\tune.mid", MusicFileKind::Other}, {"song.wav ", MusicFileKind::Other}, {"av", MusicFileKind::Other}};
    for (const auto& [file, kind] : cases)
        EXPECT_EQ(MusicFileKindOf(file), kind) << file;
    EXPECT_EQ(RendererCommandLine("C:\\Program Files\\G"), "\"C:\\Program Files\\G\\Glowmere.dll\"");
}

TEST(SaverRun, TheWatchWaitsForTheRenderersWindowThenForItToGoGivesUpAfterEightSecondsAndTheModeIsRestored)
{
    RendererWatch slow(true, 1000);
    const std::tuple<bool, bool, uint32_t, bool> ticks[] = {   // window, process running, time, gone
        {false, true, 4000, false}, {true, true, 8999, false}, {true, true, 60000, false},
        {false, true, 60500, true}};   // gone, even if the process lingers
    for (const auto& [window, running, now, gone] : ticks)
        EXPECT_EQ(slow.RendererGone(window, running, now), gone) << now;
    RendererWatch notStarted(false, 0), exited(true, 0), hanging(true, 0xFFFFFF00u);
    EXPECT_TRUE(notStarted.RendererGone(false, true, 500) && exited.RendererGone(false, false, 500));
    // The bound is measured across the millisecond clock's wrap.
    EXPECT_FALSE(hanging.RendererGone(false, true, 8000 - 0x101));
    EXPECT_TRUE(hanging.RendererGone(false, true, 8000 - 0x100));
    // Only a display left in another mode by a gone renderer is restored.
    const DisplayMode registry{1920, 1080, 32};
    const std::pair<DisplayMode, bool> modes[] = {
        {registry, false}, {{1024, 1080, 32}, true}, {{1920, 768, 32}, true}, {{1920, 1080, 16}, true}};
    for (const auto& [mode, restored] : modes)
        EXPECT_EQ(DisplayNeedsRestore(mode, registry, false), restored) << mode.width << " " << mode.height;
    EXPECT_FALSE(DisplayNeedsRestore({1024, 768, 32}, registry, true)) << "a running renderer keeps its mode";
}

TEST(BitmapFile, WritesAnUncompressed24BitFileWithPaddedBottomUpRows)
{
    Bitmap24 picture = Bitmap24::Black(5, 3);   // 15 bytes of pixels per row, 1 byte of padding
    picture.SetPixel(0, 0, 0x11, 0x22, 0x33);   // top-left
    picture.SetPixel(4, 2, 0x44, 0x55, 0x66);   // bottom-right
    picture.bits.resize(32);                    // the top row missing: written black
    const std::vector<uint8_t> file = EncodeBmp24(picture);
    ASSERT_EQ(std::string(file.begin(), file.begin() + 2) + std::to_string(file.size()), "BM102");
    // File size, pixel offset, header size, width, height (bottom-up), planes and bits, BI_RGB, image size, 96 dpi.
    const std::vector<uint32_t> fields = {102, 54, 40, 5, 3, 1 | 24 << 16, 0, 48, 3780, 3780};
    for (size_t i = 0; i < fields.size(); ++i)
        EXPECT_EQ(ReadLe32(file.data() + (i < 1 ? 2 : 6 + 4 * i)), fields[i]) << "field " << i;
    // The first stored row is the bottom one, in blue, green, red order.
    EXPECT_EQ(std::vector<uint8_t>(&file[66], &file[72]), (std::vector<uint8_t>{0x66, 0x55, 0x44, 0, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 86, file.end()), std::vector<uint8_t>(16, 0)) << "the missing row";
}

TEST(BuiltInPictures, TheCommittedFilesAreWhatTheGeneratorDraws)
{
    for (const auto& file : resources::AllGeneratedResources()) {
        std::ifstream in(std::string(GLOWMERE_RESOURCES_DIR) + "/" + file.name, std::ios::binary);
        const std::vector<uint8_t> committed{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_TRUE(committed == file.bytes) << file.name << " is stale: run scripts/make_resources.sh";
    }
}

TEST(DesktopPicture, GoesOnlyWhenNoRendererOfTheRunCanStillReadItAndOnlyTheUserAndTheSystemsAccountsMayReadIt)
{
    // Started, ended, input-idle (past its start-up, pictures loaded), and may go.
    const bool cases[][4] = {{false, false, false, true}, {true, true, false, true}, {true, true, true, true},
                             {true, false, true, true}, {true, false, false, false}};
    for (const auto& c : cases)
        EXPECT_EQ(DesktopPictureDisposable(c[0], c[1], c[2]), c[3]) << c[0] << c[1] << c[2];
    // Anybody may delete it.
    std::map<Principal, uint32_t> access;
    for (const AccessGrant& grant : DesktopPictureGrants())
        access[grant.principal] |= grant.access;
    const uint32_t full = kFileAllAccess;
    EXPECT_EQ(access, (std::map<Principal, uint32_t>{{Principal::CurrentUser, full}, {Principal::System, full},
                                                     {Principal::Administrators, full},
                                                     {Principal::Everyone, kDeleteAccess}}));
}

}  // namespace
