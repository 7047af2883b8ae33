// Full-screen runs end to end: "/s" (and the empty argument string) with the real renderer
// beside the shell, on an X screen whose root window shows a known picture. The shell is its
// test build (saver_music_probe.exe: the same program with its music and cursor calls written
// to run-calls.log), so each run also shows what the form did with them.
#include <gtest/gtest.h>

#include <algorithm>

#include "byte_order.h"
#include "harness.h"

namespace {

namespace fs = std::filesystem;
using harness::Millis;
using harness::Rgb;
using Calls = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

constexpr char kRenderer[] = "Lumadrift_VC";
constexpr char kController[] = "Lumadrift_Main";
const Millis kBound(30000);

harness::WineSession& Session()
{
    static harness::WineSession session({1024, 768, "saver-run"});
    return session;
}

fs::path WorkingFolder() { return Session().DriveC() / "n_hale"; }

long MillisSince(Clock::time_point then) { return long(std::chrono::duration_cast<Millis>(Clock::now() - then).count()); }

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

class SaverRun : public ::testing::Test {
protected:
    fs::path folder_;
    harness::Process shell_;

    // The desktop: four coloured quarters and a white bar, a picture no screen shows by chance.
    static void SetUpTestSuite()
    {
        const fs::path picture = Session().ArtifactPath("desktop.png");
        Session().StartNative({"convert", "-size", "1024x768", "xc:#2050c0", "-fill", "#e03020", "-draw",
                               "rectangle 512,0 1023,383", "-fill", "#30b040", "-draw", "rectangle 0,384 511,767",
                               "-fill", "#f0d020", "-draw", "rectangle 512,384 1023,767", "-fill", "#ffffff", "-draw",
                               "rectangle 100,100 300,140", "-alpha", "off", "-type", "TrueColor", picture.string()})
            .Wait(kBound);
        Session().SetRootPicture(picture);
    }

    // An empty working folder; a program folder with the renderer, the test build of the
    // shell and the settings given (none: no file).
    void Prepare(int kind, int repeat, const std::string& file)
    {
        fs::remove_all(WorkingFolder());
        fs::create_directories(WorkingFolder());
        folder_ = Session().MakeProgramFolder("Glowmere Saver", {"Glowmere.dll"});
        fs::copy_file(harness::TestProgramsDir() / "saver_music_probe.exe", folder_ / "Glowmere.scr");
        if (!file.empty())
            harness::WriteFile(Session().DriveC() / "music" / file, "sound\n");
        if (kind)
            harness::WriteFile(folder_ / "Glowmere.ini", Session().Ansi("[Section]\r\nBGM区分= " + std::to_string(kind) +
                                                                        "\r\nBGMﾘﾋﾟｰﾄ= " + std::to_string(repeat) +
                                                                        "\r\nBGMﾌｧｲﾙ=C:\\music\\" + file + "\r\n"));
    }

    void TearDown() override
    {
        // A renderer left running gets a close request; its process, which outlives its
        // window by its teardown, is waited for.
        if (const uint64_t renderer = Session().FindWindow(kRenderer))
            Session().Post(renderer, harness::kWmClose);
        shell_.Wait(kBound);
        harness::Eventually([&] { return RendererProcess().empty(); }, kBound, Millis(200));
    }

    uint64_t StartRun(const std::vector<std::string>& args, const harness::StartOptions& options = {})
    {
        shell_ = Session().Start(folder_ / "Glowmere.scr", args, options);
        return Session().WaitForWindow(kRenderer, kBound);
    }

    static std::string RendererProcess()   // its Windows process id, or ""
    {
        for (const std::string& line : harness::Lines(Session().Tool({"processes"})))
            if (line.substr(line.find(' ') + 1) == "Glowmere.dll")
                return line.substr(0, line.find(' '));
        return {};
    }

    // The recorded calls with their times; without a poll's repetitions; how often one came.
    std::vector<std::pair<long, std::string>> Log() const
    {
        std::vector<std::pair<long, std::string>> calls;
        for (const std::string& line : harness::Lines(harness::ReadFile(folder_ / "run-calls.log")))
            calls.emplace_back(std::stol(line), line.substr(line.find(' ') + 1));
        return calls;
    }
    Calls Sent(const std::string& poll = "") const
    {
        Calls calls;
        for (const auto& [time, call] : Log())
            if (call != "send " + poll)
                calls.push_back(call);
        return calls;
    }
    long Count(const std::string& call) const
    {
        const Calls all = Sent();
        return std::count(all.begin(), all.end(), call);
    }
};

TEST_F(SaverRun, AnMp3RunShowsTheCapturedDesktopAsTheFloorRestartsTheFileAndEndsOnEscape)
{
    Prepare(2, 0, "tune.mp3");
    ASSERT_NE(StartRun({"/s"}), 0u) << shell_.Output();
    // Both hand-off pictures were complete before the renderer started.
    ExpectUncompressed24Bit(WorkingFolder() / "Lumadrift1.bmp", 1024, 768);
    ExpectUncompressed24Bit(WorkingFolder() / "Lumadrift2.bmp", 128, 128);
    EXPECT_TRUE(harness::LoadImage(WorkingFolder() / "Lumadrift1.bmp").rgb ==
                harness::LoadImage(Session().ArtifactPath("desktop.png")).rgb)
        << "the capture differs from the desktop";
    EXPECT_EQ(Session().Tool({"cursor"}), "0") << "the cursor shows during the run";

    // The floor carries the desktop's colours in perspective under the spirits.
    const auto share = [](const harness::Image& s, Rgb colour) {
        return s.Fraction(0, 440, 1024, 768, [&](Rgb p) { return p.Near(colour, 60); });
    };
    const auto spirits = [](const harness::Image& s) {
        return s.Fraction(0, 0, 1024, 400, [](Rgb p) { return p.Brightness() > 150; });
    };
    const Rgb red = {0xe0, 0x30, 0x20}, green = {0x30, 0xb0, 0x40}, yellow = {0xf0, 0xd0, 0x20};
    const harness::Image shot = Session().ScreenshotWhen(
        "mp3-run", [&](const harness::Image& s) { return share(s, red) > 0.02 && spirits(s) > 0.0005; }, kBound);
    for (const Rgb colour : {red, green, yellow})
        EXPECT_GT(share(shot, colour), 0.02) << colour.Hex();
    EXPECT_GT(spirits(shot), 0.0005) << "no spirits";

    // The file "ends" 200 ms after each play: the form's one-second timer starts it again.
    ASSERT_TRUE(harness::Eventually([&] { return Count("send play MP3Play from 0") >= 2; }, kBound));
    // Escape ends the renderer without the test placing the focus, and the shell follows.
    Session().Key("Escape");
    ASSERT_TRUE(Session().WaitForWindowGone(kRenderer, kBound));
    const auto windowGone = Clock::now();
    EXPECT_EQ(shell_.Wait(kBound), 0);
    EXPECT_LT(MillisSince(windowGone), 1500);
    EXPECT_TRUE(harness::Eventually([&] { return RendererProcess().empty(); }, kBound));
    EXPECT_EQ(Session().FindWindow(kController), 0u);

    long playedAt = -1;
    for (const auto& [time, call] : Log())
        if (call.rfind("send play MP3Play", 0) == 0) {
            if (playedAt >= 0) {
                EXPECT_LE(time - (playedAt + 200), 1500) << "restarted too late";
            }
            playedAt = time;
        }
    // Opened and played; at each end stopped and played again from the start; at the end of
    // the run stopped and closed, then the cursor shown.
    const Calls calls = Sent("status MP3Play mode");
    ASSERT_GE(calls.size(), 9u);
    EXPECT_EQ(Calls(calls.begin(), calls.begin() + 2),
              (Calls{"send open \"C:\\music\\tune.mp3\" type MPEGVideo Alias MP3Play", "send play MP3Play"}));
    for (size_t i = 2; i + 3 < calls.size(); i += 2)
        EXPECT_EQ(Calls(calls.begin() + long(i), calls.begin() + long(i) + 2),
                  (Calls{"send stop MP3Play", "send play MP3Play from 0"}));
    EXPECT_EQ(Calls(calls.end() - 3, calls.end()), (Calls{"send stop MP3Play", "send close MP3Play", "show-cursor"}));
}

TEST_F(SaverRun, AnEmptyArgumentStringPlaysAWavKeepsOutASecondRunAndALogOffEndsItWithoutTheCursor)
{
    Prepare(2, 0, "song.Wav");
    ASSERT_NE(StartRun({}), 0u) << shell_.Output();
    const uint64_t controller = Session().FindWindow(kController);
    ASSERT_NE(controller, 0u);
    EXPECT_FALSE(Session().Window(controller).visible) << "it only carries the title that keeps a second run out";
    // A second start ends at once and rewrites nothing.
    const auto written = fs::last_write_time(WorkingFolder() / "Lumadrift1.bmp");
    EXPECT_EQ(Session().Run(folder_ / "Glowmere.scr", {"/s"}, kBound).exitCode, 0);
    EXPECT_EQ(fs::last_write_time(WorkingFolder() / "Lumadrift1.bmp"), written);
    EXPECT_TRUE(shell_.Running());

    // The user logs off: the form agrees, then ends with its music.
    EXPECT_EQ(Session().Tool({"send", std::to_string(controller), "17", "0", "0"}), "1");   // WM_QUERYENDSESSION
    Session().Post(controller, 0x16, 1);                                                    // WM_ENDSESSION, TRUE
    EXPECT_EQ(shell_.Wait(kBound), 0);
    EXPECT_EQ(Sent(), (Calls{"playsound C:\\music\\song.Wav 9", "playsound (null) 0"}));
}

TEST_F(SaverRun, WithARepeatTrackAFailingCdCheckEndsTheChecksAndACloseRequestLeavesTheRenderer)
{
    Prepare(1, 3, "");
    ASSERT_NE(StartRun({"/s"}, {{}, {{"GLOWMERE_TEST_NO_CD", "1"}}}), 0u) << shell_.Output();
    ASSERT_TRUE(harness::Eventually([&] { return Count("send status cdaudio current track") > 0; }, kBound));
    std::this_thread::sleep_for(Millis(1000));   // five more ticks of a 200 ms check that went on
    // A close request to the controller ends the shell with its clean-up; the renderer runs on.
    Session().Post(Session().FindWindow(kController), harness::kWmClose);
    EXPECT_EQ(shell_.Wait(kBound), 0);
    EXPECT_FALSE(Session().WaitForWindowGone(kRenderer, Millis(1000)));
    EXPECT_FALSE(RendererProcess().empty());
    EXPECT_EQ(Sent(), (Calls{"send open cdaudio", "send set cdaudio time format tmsf",
                             "send status cdaudio current track", "show-cursor"}))
        << "one failing check, then neither stop nor close";
}

TEST_F(SaverRun, AWorkingCdRunWithAnUnwritableWorkingFolderIsUntexturedAndEndsWhenTheRendererIsKilled)
{
    Prepare(1, 0, "");
    fs::remove_all(WorkingFolder());
    harness::WriteFile(WorkingFolder(), "a file where the folder should be\n");
    ASSERT_NE(StartRun({"/s"}), 0u) << shell_.Output();
    // A frame: a white floor under a sky that is not white (the window is white before it).
    const auto whiteFloor = [](const harness::Image& s) {
        return s.Fraction(0, 0, 1024, 400, [](Rgb p) { return p.Brightness() < 30; }) > 0.5
                   ? s.Fraction(0, 470, 1024, 768, [](Rgb p) { return p.Brightness() > 720; })
                   : 0.0;
    };
    EXPECT_GT(whiteFloor(Session().ScreenshotWhen("unwritable-folder", [&](auto& s) { return whiteFloor(s) > 0.99; }, kBound)),
              0.99);
    EXPECT_EQ(Session().WaitForMessageBox("Error", Millis(0)).first, 0u);
    ASSERT_TRUE(harness::Eventually([&] { return Count("send status cdaudio current track") >= 3; }, kBound))
        << "the 200 ms checks stopped";

    ASSERT_EQ(Session().Tool({"terminate", RendererProcess()}), "1");
    const auto killed = Clock::now();
    EXPECT_EQ(shell_.Wait(kBound), 0);
    EXPECT_LT(MillisSince(killed), 1500) << "one watch tick, 500 ms, and the time the process takes to go";
    const Calls calls = Sent();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(Calls(calls.end() - 3, calls.end()), (Calls{"send stop cdaudio", "send close cdaudio", "show-cursor"}));
}

TEST_F(SaverRun, ARendererThatCannotBeStartedEndsTheShellAtItsFirstWatchWithoutMusic)
{
    Prepare(0, 0, "");
    harness::WriteFile(folder_ / "Glowmere.dll", "not a program\n");
    const auto started = Clock::now();
    shell_ = Session().Start(folder_ / "Glowmere.scr", {"/s"});
    EXPECT_EQ(shell_.Wait(kBound), 0);
    EXPECT_LT(MillisSince(started), 6000) << "it waited for a window the renderer could never show";
    EXPECT_EQ(Session().FindWindow(kRenderer), 0u);
    EXPECT_TRUE(RendererProcess().empty());
    EXPECT_EQ(Sent(), Calls{"show-cursor"}) << "no settings: no music";
}

}  // namespace
