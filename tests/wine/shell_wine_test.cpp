// The real Glowmere.scr under Wine on a 1920 x 1080 screen: what its command line starts, the
// renderer check and its message, the single-instance test, the preview in a host window
// and how it ends, and the display mode around a run: a screen that refuses the renderer's
// 1024 x 768, and a close request to a run inside Wine's virtual desktop.
#include <gtest/gtest.h>

#include <set>

#include "harness.h"

namespace {

namespace fs = std::filesystem;
using harness::Millis;
using harness::Process;

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
    return withRenderer ? Session().MakeProgramFolder("glowmere", {"Glowmere.scr", "Glowmere.dll"})
                        : Session().MakeProgramFolder("glowmere-alone", {"Glowmere.scr"});
}

struct Host {
    Process process;
    uint64_t handle = 0;
};

// A top-level window with that title, of the test tool's own process.
Host StartHost(const std::string& title, int width, int height, int x, int y)
{
    Host host{Session().Start(harness::TestProgramsDir() / "testtool.exe",
                              {"host", title, std::to_string(width), std::to_string(height), std::to_string(x), std::to_string(y)})};
    harness::Eventually([&] { return !harness::Lines(host.process.Output()).empty(); }, kBound);
    host.handle = std::stoull("0" + host.process.Output());
    EXPECT_NE(host.handle, 0u) << host.process.Output();
    return host;
}

TEST(ShellStartup, WithoutTheRendererItsMessageShowsUntilDismissedThenTheProgramEnds)
{
    const fs::path folder = ProgramFolder(false);
    Process shell = Session().Start(folder / "Glowmere.scr", {"/c"});
    const auto [box, text] = Session().WaitForMessageBox("Glowmere (ScreenSaver)", kBound);
    ASSERT_NE(box, 0u) << shell.Output();
    const std::string message = "Glowmere.dll が同じﾌｫﾙﾀﾞに見つかりません！";
    EXPECT_EQ(harness::Hex(text), harness::Hex(Session().Ansi(message)));
    // The text and a single OK button; no icon (Wine keeps an empty icon control).
    std::set<std::string> controls;
    harness::Eventually(
        [&] {
            controls.clear();
            for (const harness::ChildWindow& child : Session().Children(box)) {
                if (child.className == "Static" && Session().Tool({"send", std::to_string(child.handle), "369", "0", "0"}) != "0")
                    controls.insert("an icon");   // STM_GETICON
                if (child.visible && !child.text.empty())
                    controls.insert(child.className + " " + child.text);
            }
            return controls.size() >= 2;
        },
        kBound);
    EXPECT_EQ(controls, (std::set<std::string>{"Button OK", "Static " + message}));
    EXPECT_TRUE(fs::is_directory(WorkingFolder())) << "the folder and the settings come before the check";
    EXPECT_TRUE(shell.Running());
    Session().Post(box, harness::kWmCommand, 1);   // IDOK
    EXPECT_EQ(shell.Wait(kBound), 1);

    // Another letter does the same up to the check, and ends there.
    EXPECT_EQ(Session().Run(ProgramFolder(true) / "Glowmere.scr", {"/a 1234"}, kBound).exitCode, 0);
    EXPECT_TRUE(fs::is_directory(WorkingFolder()));
}

TEST(ShellStartup, AnOpenRunOrSettingsDialogEndsAStartAtOnceAndSilently)
{
    // Without the renderer beside it, a start past the single-instance test would stop at
    // the renderer-missing message instead of ending.
    const fs::path folder = ProgramFolder(false);
    for (const auto& [title, arguments] : {std::pair{"<Glowmere>", "/s"}, {"Lumadrift_Main", "/c"}}) {
        Host open = StartHost(title, 40, 30, 1800, 1000);
        EXPECT_EQ(Session().Run(folder / "Glowmere.scr", {arguments}, kBound).exitCode, 0) << title;
        EXPECT_FALSE(fs::exists(WorkingFolder())) << title;
    }
}

TEST(ShellPreview, FillsItsHostExactlyTwoCoexistAndEachEndsWithItsHost)
{
    const fs::path folder = ProgramFolder(false);   // a preview needs no renderer
    Host usual = StartHost("UsualHost", 152, 112, 100, 100), large = StartHost("LargeHost", 300, 200, 400, 100);
    Process first = Session().Start(folder / "Glowmere.scr", {"/p", std::to_string(usual.handle)});
    Process second = Session().Start(folder / "Glowmere.scr", {"/P:" + std::to_string(large.handle)});
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
        EXPECT_EQ(std::vector<long>({long(form.style & 0x50000000), form.left, form.top, form.right, form.bottom}),
                  std::vector<long>({0x50000000, hostRect.left, hostRect.top, hostRect.right, hostRect.bottom}))
            << "a visible child covering its host";
    }
    EXPECT_EQ(Session().FindWindow("Preview Window"), 0u) << "a child is never found as a top-level window";
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

// The picture as the preview form paints it, in a host of the test tool's own process (a
// child painted by another process than its host's never reaches the screen under Wine):
// top left and unstretched, black beside and below.
TEST(ShellPreview, TheFormShowsThePictureTopLeftOnBlack)
{
    const harness::Image picture = harness::LoadImage(harness::SourceDir() / "saver/resources/preview.bmp");
    Process preview = Session().Start(harness::TestProgramsDir() / "testtool.exe", {"preview", "250", "180", "400", "300"});
    const auto shown = [&](const harness::Image& shot) {
        long same = 0;
        for (int j = 0; j < 112; ++j)
            for (int k = 0; k < 152; ++k)
                same += shot.At(400 + k, 300 + j).Near(picture.At(k, j), 25);
        return double(same) / (152 * 112);
    };
    const harness::Image shot = Session().ScreenshotWhen("preview", [&](const auto& s) { return shown(s) > 0.99; }, kBound);
    EXPECT_GT(shown(shot), 0.99);
    const auto black = [](harness::Rgb p) { return p.Brightness() == 0; };
    EXPECT_EQ(shot.Fraction(552, 300, 650, 480, black) + shot.Fraction(400, 412, 650, 480, black), 2.0);
}

TEST(DisplayMode, AScreenThatRefusesTheSwitchEndsTheRendererAndKeepsItsMode)
{
    // Xvfb offers only its own mode, so 1024 x 768 is refused on this screen.
    ASSERT_EQ(Session().Tool({"display-mode"}), "1920 1080 32 1920 1080 32");
    EXPECT_EQ(Session().Run(ProgramFolder(true) / "Glowmere.dll", {}, kBound).exitCode, 0);
    EXPECT_EQ(Session().FindWindow("Lumadrift_VC"), 0u);
    EXPECT_EQ(Session().Tool({"display-mode"}), "1920 1080 32 1920 1080 32");
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
    EXPECT_TRUE(harness::Eventually([] { return Session().Tool({"processes"}).find("Glowmere.scr") == std::string::npos; }, kBound))
        << "the shell did not end";
    EXPECT_EQ(Session().FindWindow("Lumadrift_VC"), renderer);
    EXPECT_EQ(Session().Tool({"display-mode"}), "1024 768 32 1920 1080 32");
    Session().Post(renderer, harness::kWmClose);
    Session().UseVirtualDesktop("");
    EXPECT_TRUE(run.Wait(kBound)) << "the desktop stays";
}

}  // namespace
