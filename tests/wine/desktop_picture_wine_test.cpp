// The desktop picture under Wine: written with owner-only rights, replaced at every run,
// and gone after every kind of end of the real Glowmere.scr "/s", on a red X screen.
#include <gtest/gtest.h>

#include <regex>

#include "bmp_builder.h"
#include "harness.h"

namespace {

namespace fs = std::filesystem;
using harness::Millis;

harness::WineSession& Session()
{
    static harness::WineSession session({1024, 768, "desktop-picture"});
    return session;
}

fs::path HandOff(const std::string& file) { return Session().DriveC() / "n_hale" / file; }

std::string Probe(const std::string& command)
{
    return Session().Run(harness::TestProgramsDir() / "desktop_picture_probe.exe", {command}, Millis(30000)).output;
}

class DesktopPicture : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const fs::path desktop = Session().ArtifactPath("red-desktop.png");
        Session().StartNative({"convert", "-size", "1024x768", "xc:#e03020", desktop.string()}).Wait(Millis(30000));
        Session().SetRootPicture(desktop);
    }
    void SetUp() override
    {
        fs::remove_all(HandOff(""));
        fs::create_directories(HandOff(""));
        scr_ = Session().MakeProgramFolder("Glowmere", {"Glowmere.scr", "Glowmere.dll"}) / "Glowmere.scr";
    }
    void TearDown() override { KillRenderers(); }
    static void KillRenderers() { Session().Run("taskkill", {"/f", "/im", "Glowmere.dll"}, Millis(30000)); }

    // A black sky above the red desktop on the floor; without the picture the floor is white.
    static bool FloorShowsTheDesktop()
    {
        return harness::Eventually([] {
            const auto sky = Session().ReadPixel(512, 96), floor = Session().ReadPixel(512, 700);
            return sky && floor && sky->Brightness() == 0 && floor->r > 180 && floor->g < 100 && floor->b < 100;
        }, Millis(20000), Millis(10));
    }
    void ExpectTheRunEndedWithoutTheDesktopPicture()
    {
        EXPECT_EQ(shell_.Wait(Millis(10000)), 0);
        EXPECT_FALSE(fs::exists(HandOff("Lumadrift1.bmp")));
        EXPECT_TRUE(fs::exists(HandOff("Lumadrift2.bmp")));
    }

    fs::path scr_;
    harness::Process shell_;
};

TEST_F(DesktopPicture, ReplacesAnEarlierOneOnlyItsOwnerCanReadItAndEscapeRemovesIt)
{
    // The descriptor as the shell builds it; under Wine a file keeps only its mode bits.
    EXPECT_TRUE(std::regex_match(Probe("descriptor"), std::regex(R"(D:P\(A;;FA;;;S-1-5-21-[-0-9]+\)\(A;;FA;;;SY\))"
                                                                 R"(\(A;;FA;;;BA\)\(A;;SD;;;WD\)\s*)")));
    // Left by an earlier run killed with its shell: a green desktop, a temporary file others may read.
    bmp::Fields green;
    green.pixels = {0x40, 0xB0, 0x30, 0};
    harness::WriteFile(HandOff("Lumadrift1.bmp"), bmp::Build(green));
    harness::WriteFile(HandOff("Lumadrift1.bmp.new"), "left behind");
    shell_ = Session().Start(scr_, {"/s"});
    ASSERT_TRUE(FloorShowsTheDesktop()) << "white floor, or the picture of the earlier run";
    EXPECT_EQ(fs::status(HandOff("Lumadrift1.bmp")).permissions() & fs::perms::others_all, fs::perms::none);
    ASSERT_TRUE(Session().FocusWindow("Lumadrift_VC"));
    Session().Key("Escape");
    ExpectTheRunEndedWithoutTheDesktopPicture();
}

TEST_F(DesktopPicture, ACloseRequestOnceTheRendererHasLoadedRemovesItWhileTheRendererRunsOn)
{
    shell_ = Session().Start(scr_, {"/s"});
    ASSERT_TRUE(FloorShowsTheDesktop());
    Probe("close-controller");
    ExpectTheRunEndedWithoutTheDesktopPicture();
    EXPECT_TRUE(FloorShowsTheDesktop());
}

TEST_F(DesktopPicture, ACloseRequestRightAfterTheRendererAppearsLeavesItThePictureToLoad)
{
    shell_ = Session().Start(scr_, {"/s"});
    Probe("close-controller");
    EXPECT_EQ(shell_.Wait(Millis(10000)), 0);
    EXPECT_TRUE(FloorShowsTheDesktop()) << "the picture went before the renderer had loaded it";
}

TEST_F(DesktopPicture, ARendererSlowToStartShowsTheDesktopAndKilledTakesThePictureAlong)
{
    // A loaded machine: the run shares one processor with a busy loop.
    harness::Process load = Session().StartNative({"taskset", "-c", "0", "sh", "-c", "while :; do :; done"});
    shell_ = Session().StartNative({"taskset", "-c", "0", "wine", scr_.string(), "/s"});
    ASSERT_TRUE(FloorShowsTheDesktop());
    load.Kill();
    KillRenderers();
    ExpectTheRunEndedWithoutTheDesktopPicture();
}

TEST_F(DesktopPicture, ARendererThatCannotStartLeavesNoneBehind)
{
    harness::WriteFile(scr_.parent_path() / "Glowmere.dll", "not a program\n");
    shell_ = Session().Start(scr_, {"/s"});
    ExpectTheRunEndedWithoutTheDesktopPicture();
}

}  // namespace
