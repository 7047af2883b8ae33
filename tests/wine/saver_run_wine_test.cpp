// A full-screen run end to end: the real Glowmere.scr "/s" with the real renderer beside
// it, on an X screen whose root window shows a known picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "byte_order.h"
#include "harness.h"

namespace {

namespace fs = std::filesystem;
using harness::Millis;
using harness::Process;
using harness::Rgb;
using Clock = std::chrono::steady_clock;

constexpr char kRendererTitle[] = "Lumadrift_VC";
constexpr char kControllerTitle[] = "Lumadrift_Main";
const Millis kWindowTimeout(30000);

harness::WineSession& Session()
{
    static harness::WineSession session({1024, 768, "saver-run"});
    return session;
}

fs::path WorkingFolder() { return Session().DriveC() / "n_hale"; }

// A picture no screen shows by chance: four coloured quarters and a white bar.
fs::path DesktopPicture()
{
    static const fs::path picture = [] {
        const fs::path file = Session().ArtifactPath("desktop.png");
        const int code = Session()
                             .StartNative({"convert", "-size", "1024x768", "xc:#2050c0", "-fill", "#e03020", "-draw",
                                           "rectangle 512,0 1023,383", "-fill", "#30b040", "-draw",
                                           "rectangle 0,384 511,767", "-fill", "#f0d020", "-draw",
                                           "rectangle 512,384 1023,767", "-fill", "#ffffff", "-draw",
                                           "rectangle 100,100 300,140", "-alpha", "off", "-type", "TrueColor",
                                           file.string()})
                             .Wait(Millis(30000))
                             .value_or(-1);
        if (code != 0)
            throw std::runtime_error("convert failed");
        return file;
    }();
    return picture;
}

// The Windows process id of the first process running `program`, or "" when none runs.
std::string ProcessIdOf(harness::WineSession& session, const std::string& program)
{
    for (const std::string& line : harness::Lines(session.Tool({"processes"})))
        if (line.substr(line.find(' ') + 1) == program)
            return line.substr(0, line.find(' '));
    return {};
}

class SaverRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Session().SetRootPicture(DesktopPicture()); }

    void SetUp() override
    {
        // Every case starts from an empty working folder and a fresh program folder.
        fs::remove_all(WorkingFolder());
        fs::create_directories(WorkingFolder());
        folder_ = Session().MakeProgramFolder("Glowmere Saver", {"Glowmere.scr", "Glowmere.dll"});
    }

    void TearDown() override
    {
        // Whatever a case left running ends with a close request to the renderer.
        if (const uint64_t renderer = Session().FindWindow(kRendererTitle))
            Session().Post(renderer, harness::kWmClose);
        Session().WaitForWindowGone(kRendererTitle, Millis(10000));
        shell_.Wait(Millis(5000));
        shell_.Kill();
        // A renderer's process outlives its window by its teardown; the next case must not
        // mistake it for its own.
        harness::Eventually([&] { return !RendererProcessRunning(); }, Millis(30000), Millis(200));
    }

    // Starts the shell and waits for the renderer's window.
    uint64_t StartRun(const std::vector<std::string>& args)
    {
        shell_ = Session().Start(folder_ / "Glowmere.scr", args);
        return Session().WaitForWindow(kRendererTitle, kWindowTimeout);
    }

    bool RendererProcessRunning() { return !ProcessIdOf(Session(), "Glowmere.dll").empty(); }

    fs::path folder_;
    Process shell_;
};

// A complete file with the header of an uncompressed 24-bit bottom-up picture of the size:
// header size, width, height, bits per pixel, compression.
void ExpectUncompressed24Bit(const fs::path& file, uint32_t width, uint32_t height)
{
    const std::string bytes = harness::ReadFile(file);
    ASSERT_GE(bytes.size(), 54u) << file;
    const auto le32 = [&](size_t at) { return glowmere::ReadLe32(reinterpret_cast<const uint8_t*>(bytes.data()) + at); };
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(std::vector<uint32_t>({le32(14), le32(18), le32(22), le32(28) & 0xFFFF, le32(30)}),
              std::vector<uint32_t>({40, width, height, 24, 0}));
    EXPECT_EQ(bytes.size(), le32(10) + ((width * 3 + 3) & ~3u) * height);
}

TEST_F(SaverRun, CapturesTheDesktopShowsItAsTheFloorAndEndsTogetherWithTheRenderer)
{
    ASSERT_NE(StartRun({"/s"}), 0u) << shell_.Output();

    // Both hand-off pictures were complete before the renderer started.
    ExpectUncompressed24Bit(WorkingFolder() / "Lumadrift1.bmp", 1024, 768);
    ExpectUncompressed24Bit(WorkingFolder() / "Lumadrift2.bmp", 128, 128);
    const harness::Image desktop = harness::LoadImage(DesktopPicture());
    const harness::Image captured = harness::LoadImage(WorkingFolder() / "Lumadrift1.bmp");
    ASSERT_EQ(captured.width, 1024);
    ASSERT_EQ(captured.height, 768);
    EXPECT_TRUE(captured.rgb == desktop.rgb) << "the capture differs from the desktop";
    const harness::Image spirit = harness::LoadImage(WorkingFolder() / "Lumadrift2.bmp");
    EXPECT_EQ(spirit.At(64, 64).Brightness(), 3 * 255);
    for (const auto& [x, y] : {std::pair{0, 0}, {127, 0}, {0, 127}, {127, 127}})
        EXPECT_EQ(spirit.At(x, y).Brightness(), 0);

    // The floor carries the desktop's colours in perspective under a black sky, and the
    // spirits shine above it.
    std::this_thread::sleep_for(Millis(3000));
    const harness::Image shot = Session().Screenshot("run");
    const auto near = [](Rgb a, Rgb b) { return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) < 60; };
    const auto red = [&](Rgb p) { return near(p, {0xe0, 0x30, 0x20}); };
    const auto yellow = [&](Rgb p) { return near(p, {0xf0, 0xd0, 0x20}); };
    const auto green = [&](Rgb p) { return near(p, {0x30, 0xb0, 0x40}); };
    EXPECT_GT(shot.Fraction(0, 440, 1024, 768, red), 0.02);
    EXPECT_GT(shot.Fraction(0, 440, 1024, 768, yellow), 0.02);
    EXPECT_GT(shot.Fraction(0, 440, 1024, 768, green), 0.02);
    EXPECT_GT(shot.Fraction(0, 0, 1024, 400, [](Rgb p) { return p.Brightness() < 30; }), 0.5);
    EXPECT_GT(shot.Fraction(0, 0, 1024, 400, [](Rgb p) { return p.Brightness() > 150; }), 0.0005)
        << "no spirits above the floor";

    // Escape ends the renderer, and the shell follows within about a second.
    ASSERT_TRUE(Session().FocusWindow(kRendererTitle));
    Session().Key("Escape");
    ASSERT_TRUE(Session().WaitForWindowGone(kRendererTitle, Millis(10000)));
    const auto windowGone = Clock::now();
    EXPECT_EQ(shell_.Wait(Millis(5000)), 0);
    const auto shellGone = Clock::now();
    EXPECT_LT(std::chrono::duration_cast<Millis>(shellGone - windowGone).count(), 1500);
    EXPECT_FALSE(RendererProcessRunning());
    EXPECT_EQ(Session().FindWindow(kControllerTitle), 0u);
}

TEST_F(SaverRun, AnEmptyArgumentStringRunsTheSameWay)
{
    const uint64_t renderer = StartRun({});
    ASSERT_NE(renderer, 0u) << shell_.Output();
    EXPECT_TRUE(fs::exists(WorkingFolder() / "Lumadrift1.bmp"));
    EXPECT_TRUE(fs::exists(WorkingFolder() / "Lumadrift2.bmp"));
    EXPECT_NE(Session().FindWindow(kControllerTitle), 0u);
    Session().Post(renderer, harness::kWmClose);
    EXPECT_EQ(shell_.Wait(Millis(5000)), 0);
}

TEST_F(SaverRun, ASecondStartDuringARunEndsAtOnceAndRewritesNothing)
{
    ASSERT_NE(StartRun({"/s"}), 0u);
    const auto written = fs::last_write_time(WorkingFolder() / "Lumadrift1.bmp");
    std::this_thread::sleep_for(Millis(1100));   // a rewrite would show in the time stamp

    Process second = Session().Start(folder_ / "Glowmere.scr", {"/s"});
    EXPECT_EQ(second.Wait(Millis(15000)), 0);
    EXPECT_EQ(fs::last_write_time(WorkingFolder() / "Lumadrift1.bmp"), written);
    EXPECT_TRUE(shell_.Running());
    EXPECT_NE(Session().FindWindow(kRendererTitle), 0u);
}

TEST_F(SaverRun, ACloseRequestToTheControllerEndsTheShellAndLeavesTheRenderer)
{
    ASSERT_NE(StartRun({"/s"}), 0u);
    const uint64_t controller = Session().FindWindow(kControllerTitle);
    ASSERT_NE(controller, 0u);
    // Never shown: it only carries the title that keeps a second run out.
    EXPECT_FALSE(Session().Window(controller).visible);
    Session().Post(controller, harness::kWmClose);
    EXPECT_EQ(shell_.Wait(Millis(10000)), 0);
    EXPECT_FALSE(Session().WaitForWindowGone(kRendererTitle, Millis(1500)));
    EXPECT_TRUE(RendererProcessRunning());
}

TEST_F(SaverRun, ARendererKilledByItsProcessIdEndsTheShellWithinASecond)
{
    ASSERT_NE(StartRun({"/s"}), 0u);
    const std::string id = ProcessIdOf(Session(), "Glowmere.dll");
    ASSERT_FALSE(id.empty());
    ASSERT_EQ(Session().Tool({"terminate", id}), "1");
    const auto killed = Clock::now();
    EXPECT_EQ(shell_.Wait(Millis(10000)), 0);
    // One watch tick (500 ms) plus the time the process takes to go.
    EXPECT_LT(std::chrono::duration_cast<Millis>(Clock::now() - killed).count(), 1500);
}

TEST_F(SaverRun, ARendererThatCannotBeStartedEndsTheShellAtItsFirstWatch)
{
    harness::WriteFile(folder_ / "Glowmere.dll", "not a program\n");
    shell_ = Session().Start(folder_ / "Glowmere.scr", {"/s"});
    EXPECT_EQ(shell_.Wait(Millis(15000)), 0);
    EXPECT_EQ(Session().FindWindow(kRendererTitle), 0u);
    EXPECT_FALSE(RendererProcessRunning());
}

TEST_F(SaverRun, AnUnwritableWorkingFolderLeavesTheRunUntexturedAndSilent)
{
    fs::remove_all(WorkingFolder());
    harness::WriteFile(WorkingFolder(), "a file where the folder should be\n");
    ASSERT_NE(StartRun({"/s"}), 0u) << shell_.Output();
    EXPECT_EQ(Session().WaitForMessageBox("Error", Millis(2000)).handle, 0u);
    std::this_thread::sleep_for(Millis(1500));
    const harness::Image shot = Session().Screenshot("unwritable-folder");
    EXPECT_GT(shot.Fraction(0, 470, 1024, 768, [](Rgb p) { return p.Brightness() > 720; }), 0.9)
        << "the floor should be untextured white";
    fs::remove(WorkingFolder());
    fs::create_directories(WorkingFolder());
}

TEST(SaverRunOnALargerDesktop, AKilledRendererLeavesTheDisplayInTheRegistrysMode)
{
    // Inside Wine's virtual desktop at 1920 x 1080 the switch to 1024 x 768 succeeds.
    harness::WineSession large({1920, 1080, "saver-run-1920x1080", true});
    ASSERT_EQ(large.Tool({"display-mode"}), "1920 1080 32 1920 1080 32");
    const fs::path folder = large.MakeProgramFolder("Glowmere", {"Glowmere.scr", "Glowmere.dll"});
    Process shell = large.Start(folder / "Glowmere.scr", {"/s"});
    ASSERT_NE(large.WaitForWindow(kRendererTitle, kWindowTimeout), 0u) << shell.Output();
    EXPECT_EQ(large.Tool({"display-mode"}).substr(0, 9), "1024 768 ");

    ASSERT_EQ(large.Tool({"terminate", ProcessIdOf(large, "Glowmere.dll")}), "1");
    EXPECT_EQ(shell.Wait(Millis(10000)), 0);
    EXPECT_EQ(large.Tool({"display-mode"}), "1920 1080 32 1920 1080 32");
}

// Each music setting, in a test build of the shell that records its music calls instead of
// playing them (music-calls.log in its folder).
class SaverRunMusic : public SaverRun {
protected:
    std::vector<std::string> RunWith(int kind, const std::string& file)
    {
        fs::copy_file(harness::TestProgramsDir() / "saver_music_probe.exe", folder_ / "Glowmere.scr",
                      fs::copy_options::overwrite_existing);
        fs::remove(folder_ / "music-calls.log");
        const fs::path music = Session().DriveC() / "music";
        fs::create_directories(music);
        if (!file.empty())
            harness::WriteFile(music / file, "sound\n");
        const std::string path = file.empty() ? std::string() : "C:\\music\\" + file;
        harness::WriteFile(folder_ / "Glowmere.ini", harness::Cp932("[Section]\r\nBGM区分= " + std::to_string(kind) +
                                                                   "\r\nBGMﾘﾋﾟｰﾄ= 0\r\nBGMﾌｧｲﾙ=" + path + "\r\n"));
        const uint64_t renderer = StartRun({"/s"});
        EXPECT_NE(renderer, 0u);
        std::this_thread::sleep_for(Millis(1200));   // a few music ticks
        Session().Post(renderer, harness::kWmClose);
        EXPECT_EQ(shell_.Wait(Millis(10000)), 0);
        std::vector<std::string> calls = harness::Lines(harness::ReadFile(folder_ / "music-calls.log"));
        // Status polls repeat with the ticks; the sequence of everything else is what counts.
        calls.erase(std::remove_if(calls.begin(), calls.end(),
                                   [](const std::string& c) { return c.rfind("send status ", 0) == 0; }),
                    calls.end());
        return calls;
    }
};

TEST_F(SaverRunMusic, EachSettingStartsItsMusicAndTheEndOfTheRunStopsIt)
{
    using Calls = std::vector<std::string>;
    EXPECT_EQ(RunWith(2, "song.Wav"), (Calls{"playsound C:\\music\\song.Wav 9", "playsound (null) 0"}));
    EXPECT_EQ(RunWith(2, "tune.mp3"),
              (Calls{"send open \"C:\\music\\tune.mp3\" type MPEGVideo Alias MP3Play", "send play MP3Play",
                     "send stop MP3Play", "send close MP3Play"}));
    EXPECT_EQ(RunWith(2, "tune.mid"), Calls{});
    EXPECT_EQ(RunWith(1, ""), (Calls{"send open cdaudio", "send set cdaudio time format tmsf", "send stop cdaudio",
                                     "send close cdaudio"}));
    EXPECT_EQ(RunWith(0, ""), Calls{});
}

}  // namespace
