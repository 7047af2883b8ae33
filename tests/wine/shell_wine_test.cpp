// The real Glowmere.scr under Wine, on a 1920 x 1080 screen: what its command line starts,
// the renderer check and its message, the single-instance test, the preview in a host window
// and how it ends, the settings read from real INI files (through the shell's own settings
// code in testtool.exe), and the display mode around a run: a screen that refuses the
// renderer's 1024 x 768, and a close request to a run inside Wine's virtual desktop.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <sstream>

#include "harness.h"

namespace {

namespace fs = std::filesystem;
using harness::Millis;
using harness::Process;

constexpr char kRendererMissing[] = "Glowmere.dll が同じﾌｫﾙﾀﾞに見つかりません！";
const Millis kBound(30000);   // generous: the machine is shared and slow at times

harness::WineSession& Session()
{
    static harness::WineSession session({1920, 1080, "shell"});
    return session;
}

fs::path WorkingFolder() { return Session().DriveC() / "n_hale"; }

fs::path ProgramFolder(bool withRenderer)
{
    fs::remove_all(WorkingFolder());
    if (withRenderer)
        return Session().MakeProgramFolder("glowmere", {"Glowmere.scr", "Glowmere.dll"});
    return Session().MakeProgramFolder("glowmere-alone", {"Glowmere.scr"});
}

struct Host {
    Process process;
    uint64_t handle = 0;
    std::string Handle() const { return std::to_string(handle); }
};

// A top-level window made by the test tool in its own process: "host" with a title, or
// "preview" with the preview form inside.
Host StartHost(const std::vector<std::string>& args)
{
    Host host{Session().Start(harness::TestProgramsDir() / "testtool.exe", args)};
    host.handle = std::stoull("0" + host.process.WaitForLine("", kBound).value_or(""));
    EXPECT_NE(host.handle, 0u) << host.process.Output();
    return host;
}

TEST(ShellStartup, WithoutTheRendererTheMessageShowsUntilDismissedThenTheProgramEnds)
{
    const fs::path folder = ProgramFolder(false);
    Process shell = Session().Start(folder / "Glowmere.scr", {"/c"});
    const auto [box, text] = Session().WaitForMessageBox("Glowmere (ScreenSaver)", kBound);
    ASSERT_NE(box, 0u) << shell.Output();
    EXPECT_EQ(harness::Hex(text), harness::Hex(Session().Ansi(kRendererMissing)));
    // A single OK button and the text; no icon (Wine keeps an empty icon control).
    std::set<std::string> controls;
    harness::Eventually(
        [&] {
            controls.clear();
            for (const harness::ChildWindow& child : Session().Children(box, true)) {
                if (child.className == "Static" && Session().Tool({"send", std::to_string(child.handle), "369", "0", "0"}) != "0")
                    controls.insert("an icon");   // STM_GETICON
                if (!child.text.empty())
                    controls.insert(child.className + " " + child.text);
            }
            return controls.size() >= 2;
        },
        kBound);
    EXPECT_EQ(controls, (std::set<std::string>{"Button OK", "Static " + std::string(kRendererMissing)}));
    EXPECT_TRUE(fs::is_directory(WorkingFolder())) << "the folder and the settings come before the check";
    EXPECT_TRUE(shell.Running());
    Session().Post(box, harness::kWmCommand, 1);   // IDOK
    EXPECT_EQ(shell.Wait(kBound), 1);

    // Another letter does the same up to the check, and ends there.
    const fs::path complete = ProgramFolder(true);
    EXPECT_EQ(Session().Run(complete / "Glowmere.scr", {"/a 1234"}, kBound).exitCode, 0);
    EXPECT_TRUE(fs::is_directory(WorkingFolder()));
}

TEST(ShellStartup, AnOpenRunOrSettingsDialogEndsAStartAtOnceAndSilently)
{
    // Without the renderer beside it, a start that got past the single-instance test would
    // stop at the renderer-missing message instead of ending.
    const fs::path folder = ProgramFolder(false);
    for (const auto& [title, arguments] : {std::pair{"<Glowmere>", "/s"}, {"Lumadrift_Main", "/c"}}) {
        Host open = StartHost({"host", title, "40", "30", "1800", "1000"});
        EXPECT_EQ(Session().Run(folder / "Glowmere.scr", {arguments}, kBound).exitCode, 0) << title;
        EXPECT_FALSE(fs::exists(WorkingFolder())) << title;
    }
}

TEST(ShellPreview, FillsItsHostExactlyTwoCoexistAndEachEndsWithItsHost)
{
    const fs::path folder = ProgramFolder(false);   // a preview needs no renderer
    Host usual = StartHost({"host", "UsualHost", "152", "112", "100", "100"});
    Host large = StartHost({"host", "LargeHost", "300", "200", "400", "100"});
    Process first = Session().Start(folder / "Glowmere.scr", {"/p", usual.Handle()});
    Process second = Session().Start(folder / "Glowmere.scr", {"/P:" + large.Handle()});
    for (Host* host : {&usual, &large}) {
        // Created hidden, made a child of the host, sized to it, then shown.
        const harness::WindowInfo hostRect = Session().Window(host->handle);
        std::vector<harness::ChildWindow> children;
        harness::WindowInfo form;
        harness::Eventually(
            [&] {
                children = Session().Children(host->handle);
                return children.size() == 1 && (form = Session().Window(children[0].handle)).visible &&
                       form.right == hostRect.right && form.bottom == hostRect.bottom;
            },
            kBound);
        ASSERT_EQ(children.size(), 1u) << first.Output() << second.Output();
        EXPECT_EQ(children[0].className + " " + children[0].text, "Lumadrift_R Preview Window");
        EXPECT_TRUE(form.visible);
        EXPECT_EQ(form.style & 0x50000000, 0x50000000u) << "WS_CHILD and WS_VISIBLE";
        EXPECT_EQ(std::vector<long>({form.left, form.top, form.right, form.bottom}),
                  std::vector<long>({hostRect.left, hostRect.top, hostRect.right, hostRect.bottom}));
    }
    EXPECT_EQ(Session().FindWindow("Preview Window"), 0u) << "a child is never found as a top-level window";
    EXPECT_TRUE(second.Running());
    EXPECT_FALSE(fs::exists(WorkingFolder())) << "a preview prepares nothing";

    // The host closes its window: the platform destroys the child with it.
    Session().Post(usual.handle, harness::kWmClose);
    EXPECT_EQ(first.Wait(kBound), 0);
    EXPECT_TRUE(second.Running()) << "the other preview ended too";
    // The host's process dies: both windows vanish without a message to the preview.
    large.process.Kill();
    EXPECT_EQ(second.Wait(kBound), 0);

    // A handle that names no window ends the preview by itself.
    EXPECT_EQ(Session().Run(folder / "Glowmere.scr", {"/p", "123456"}, kBound).exitCode, 2);
}

// The picture as the preview form paints it, in hosts of the test tool's own process (a
// child painted by another process than its host's never reaches the screen under Wine):
// the whole picture in the usual host, top left on black in a larger one, cut in a smaller
// one, the form always the host's size.
TEST(ShellPreview, TheFormShowsThePictureTopLeftOnBlackCutToItsHost)
{
    const harness::Image picture = harness::LoadImage(harness::SourceDir() / "saver/resources/preview.bmp");
    const std::vector<std::array<int, 4>> hosts = {{152, 112, 100, 300}, {250, 180, 400, 300}, {100, 70, 800, 300}};
    std::vector<Host> previews;
    for (const auto& [width, height, x, y] : hosts)
        previews.push_back(StartHost({"preview", std::to_string(width), std::to_string(height), std::to_string(x),
                                      std::to_string(y)}));
    // The share of the picture's pixels that a preview shows in place.
    const auto shown = [&](const harness::Image& shot, const std::array<int, 4>& host) {
        const auto& [width, height, x, y] = host;
        const int w = std::min(width, 152), h = std::min(height, 112);
        long same = 0;
        for (int j = 0; j < h; ++j)
            for (int k = 0; k < w; ++k)
                same += shot.At(x + k, y + j).Near(picture.At(k, j), 25);
        return static_cast<double>(same) / (w * h);
    };
    const harness::Image shot = Session().ScreenshotWhen(
        "previews",
        [&](const harness::Image& s) {
            return std::all_of(hosts.begin(), hosts.end(), [&](const auto& host) { return shown(s, host) > 0.99; });
        },
        kBound);
    for (size_t i = 0; i < hosts.size(); ++i) {
        const auto& [width, height, x, y] = hosts[i];
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        const int w = std::min(width, 152), h = std::min(height, 112);
        EXPECT_GT(shown(shot, hosts[i]), 0.99);
        const auto black = [](harness::Rgb p) { return p.Brightness() == 0; };
        EXPECT_EQ(shot.Fraction(x + w, y, x + width, y + height, black), width > w ? 1.0 : 0.0);
        EXPECT_EQ(shot.Fraction(x, y + h, x + width, y + height, black), height > h ? 1.0 : 0.0);
        const auto children = Session().Children(previews[i].handle);
        ASSERT_EQ(children.size(), 1u);
        const harness::WindowInfo form = Session().Window(children[0].handle);
        EXPECT_EQ(std::pair(form.right - form.left, form.bottom - form.top), std::pair(long(width), long(height)));
    }
}

// INI files as Windows writes them, in the ANSI code page with CRLF line ends (the blank
// before a number kept, which Wine's writer would drop), read through the private-profile
// functions, the music file looked for on the disk.
TEST(SettingsFile, ValuesComeThroughThePlatformAndTheMusicFileMustBeARealFile)
{
    fs::create_directories(Session().DriveC() / "音楽" / "folder.mp3");
    harness::WriteFile(Session().DriveC() / "音楽" / "song.mp3", "ID3");
    harness::WriteFile(Session().DriveC() / "表" / "ソ", "RIFF");
    const std::string song = "C:\\音楽\\song.mp3";
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"", "0 0 - {folder}"},   // no file at all: nothing, and no file made
        {"BGM区分= 2\nBGMﾘﾋﾟｰﾄ=2.9\nBGMﾌｧｲﾙ=" + song, "2 2 " + song + " C:\\音楽"},
        // A file that is not there, or a folder, turns the file source off.
        {"BGM区分= 2\nBGMﾘﾋﾟｰﾄ= 0\nBGMﾌｧｲﾙ=C:\\音楽\\gone.mp3", "0 0 - {folder}"},
        {"BGM区分= 2\nBGMﾌｧｲﾙ=C:\\音楽\\folder.mp3", "0 0 - {folder}"},
        // The existence test opens the path without one trailing backslash.
        {"BGM区分= 2\nBGMﾌｧｲﾙ=" + song + "\\", "2 0 " + song + "\\ " + song},
        // 表 is 95 5C and ソ is 83 5C in code page 932: both stay whole.
        {"BGM区分= 2\nBGMﾌｧｲﾙ=C:\\表\\ソ", "2 0 C:\\表\\ソ C:\\表"},
    };
    std::vector<std::string> args = {"read-settings"};
    for (size_t i = 0; i < rows.size(); ++i) {
        const fs::path folder = Session().DriveC() / ("settings" + std::to_string(i));
        fs::remove_all(folder);
        fs::create_directories(folder);
        std::string text = rows[i].first.empty() ? "" : "[Section]\r\n";
        for (char c : rows[i].first + (rows[i].first.empty() ? "" : "\n"))
            text += c == '\n' ? std::string("\r\n") : std::string(1, c);
        if (!text.empty())
            harness::WriteFile(folder / "Glowmere.ini", Session().Ansi(text));
        args.push_back("C:\\settings" + std::to_string(i));
    }
    const auto read = harness::Lines(Session().Tool(args));
    ASSERT_EQ(read.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        // kind repeat file folder, the texts as hex of their ANSI bytes
        std::istringstream expected(rows[i].second);
        std::string kind, repeat, file, from;
        expected >> kind >> repeat >> file >> from;
        if (from == "{folder}")
            from = "C:\\settings" + std::to_string(i);
        EXPECT_EQ(read[i], kind + " " + repeat + " " + (file == "-" ? "-" : harness::Hex(Session().Ansi(file))) + " " +
                               harness::Hex(Session().Ansi(from)))
            << rows[i].first;
    }
    EXPECT_FALSE(fs::exists(Session().DriveC() / "settings0" / "Glowmere.ini")) << "reading made the file";
}

TEST(DisplayMode, AScreenThatRefusesTheSwitchEndsTheRendererAndKeepsItsMode)
{
    // Xvfb offers only its own mode, so 1024 x 768 is refused on this screen.
    const fs::path folder = ProgramFolder(true);
    const std::string before = Session().Tool({"display-mode"});
    ASSERT_EQ(before, "1920 1080 32 1920 1080 32");
    EXPECT_EQ(Session().Run(folder / "Glowmere.dll", {}, kBound).exitCode, 0);
    EXPECT_EQ(Session().FindWindow("Lumadrift_VC"), 0u);
    EXPECT_EQ(Session().Tool({"display-mode"}), before);
}

TEST(DisplayMode, ACloseRequestToTheRunLeavesARunningRenderersModeInAVirtualDesktop)
{
    // Inside Wine's virtual desktop of the screen's size the switch to 1024 x 768 succeeds.
    const fs::path folder = ProgramFolder(true);
    struct Desktop {
        Desktop() { Session().UseVirtualDesktop("1920x1080"); }
        ~Desktop() { Session().UseVirtualDesktop(""); }
    } desktop;
    Process run = Session().Start(folder / "Glowmere.scr", {"/s"});
    const uint64_t renderer = Session().WaitForWindow("Lumadrift_VC", kBound);
    ASSERT_NE(renderer, 0u) << run.Output();
    EXPECT_EQ(Session().Tool({"display-mode"}), "1024 768 32 1920 1080 32");

    Session().Post(Session().FindWindow("Lumadrift_Main"), harness::kWmClose);
    EXPECT_TRUE(Session().WaitForWindowGone("Lumadrift_Main", kBound));
    EXPECT_TRUE(harness::Eventually(
        [] { return Session().Tool({"processes"}).find("Glowmere.scr") == std::string::npos; }, kBound))
        << "the shell did not end";
    EXPECT_EQ(Session().FindWindow("Lumadrift_VC"), renderer);
    EXPECT_EQ(Session().Tool({"display-mode"}), "1024 768 32 1920 1080 32");
    Session().Post(renderer, harness::kWmClose);
    Session().UseVirtualDesktop("");
    EXPECT_TRUE(run.Wait(kBound).has_value()) << "the desktop stays";
}

}  // namespace
