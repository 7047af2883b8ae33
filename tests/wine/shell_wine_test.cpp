// The real Glowmere.scr under Wine: what its command line starts, the renderer check and its
// message, the single-instance test, the preview in a host window and how it ends; and the
// settings code reading real INI files and the preview form's picture (through
// shell_probe.exe, built from the same sources).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "harness.h"

namespace {

namespace fs = std::filesystem;
using harness::Millis;
using harness::Process;

constexpr char kProgramTitle[] = "Glowmere (ScreenSaver)";
constexpr char kRendererMissing[] = "Glowmere.dll が同じﾌｫﾙﾀﾞに見つかりません！";
constexpr unsigned kStmGetIcon = 0x0171;
constexpr unsigned long kWsChild = 0x40000000;
constexpr unsigned long kWsVisible = 0x10000000;
constexpr int kExitNormal = 0;
constexpr int kExitRendererMissing = 1;
constexpr int kExitNoPreviewHost = 2;

// Generous bounds: the machine is shared and slow at times.
constexpr Millis kStartBound(30000);
constexpr Millis kEndBound(20000);

harness::WineSession& Session()
{
    static harness::WineSession session({1024, 768, "shell"});
    return session;
}

using harness::Cp932;
using harness::Hex;
using harness::Lines;

fs::path WorkingFolder() { return Session().DriveC() / "n_hale"; }

fs::path ProgramFolder(const std::string& name, bool withRenderer)
{
    fs::remove_all(Session().DriveC() / name);
    std::vector<std::string> programs = {"Glowmere.scr"};
    if (withRenderer)
        programs.push_back("Glowmere.dll");
    return Session().MakeProgramFolder(name, programs);
}

struct Host {
    Process process;
    uint64_t handle = 0;
    std::string Handle() const { return std::to_string(handle); }
};

// A top-level window of the given title and size, made by wintool in its own process.
Host StartHost(const std::string& title, int width, int height, int x, int y)
{
    Host host;
    host.process = Session().Start(harness::TestProgramsDir() / "wintool.exe",
                                   {"host", title, std::to_string(width), std::to_string(height),
                                    std::to_string(x), std::to_string(y)});
    harness::Eventually([&] { return !Lines(host.process.Output()).empty(); }, kStartBound);
    const auto lines = Lines(host.process.Output());
    host.handle = lines.empty() ? 0 : std::strtoull(lines.front().c_str(), nullptr, 10);
    EXPECT_NE(host.handle, 0u) << "no host window: " << host.process.Output();
    return host;
}

// ---------------------------------------------------------------------------------------
// Start-up

TEST(ShellStartup, AnOtherLetterCreatesTheWorkingFolderAndEnds)
{
    const fs::path folder = ProgramFolder("glowmere-other", true);
    fs::remove_all(WorkingFolder());
    // The second start finds the folder there, which is no obstacle.
    for (const char* arguments : {"/a 1234", "/x"}) {
        const auto run = Session().Run(folder / "Glowmere.scr", {arguments}, kEndBound);
        EXPECT_EQ(run.exitCode, kExitNormal) << arguments << ": " << run.output;
        EXPECT_TRUE(fs::is_directory(WorkingFolder())) << arguments;
    }
}

TEST(ShellStartup, WithoutTheRendererTheMessageShowsUntilDismissedThenTheProgramEnds)
{
    const fs::path folder = ProgramFolder("glowmere-alone", false);
    for (const char* arguments : {"/c", "/s", "/x"}) {
        SCOPED_TRACE(arguments);
        fs::remove_all(WorkingFolder());
        Process shell = Session().Start(folder / "Glowmere.scr", {arguments});
        const harness::MessageBoxFound box = Session().WaitForMessageBox(kProgramTitle, kStartBound);
        ASSERT_NE(box.handle, 0u) << shell.Output();
        EXPECT_EQ(Hex(box.text), Hex(Cp932(kRendererMissing)));
        // A single OK button and the text; no icon (Wine keeps an empty icon control).
        std::string buttons, texts;
        for (const harness::ChildWindow& child : Session().Children(box.handle, true)) {
            if (child.className == "Button") {
                buttons += child.text + "|";
                continue;
            }
            EXPECT_EQ(child.className, "Static") << child.text;
            EXPECT_EQ(Session().Tool({"send", std::to_string(child.handle), std::to_string(kStmGetIcon), "0", "0"}),
                      "0");
            if (!child.text.empty())
                texts += child.text + "|";
        }
        EXPECT_EQ(buttons, "OK|");
        EXPECT_EQ(texts, std::string(kRendererMissing) + "|");
        // The folder and the settings come before the check.
        EXPECT_TRUE(fs::is_directory(WorkingFolder()));

        // It waits for the user.
        EXPECT_FALSE(shell.Wait(Millis(1500)).has_value());
        Session().Post(box.handle, harness::kWmCommand, 1);   // IDOK
        EXPECT_EQ(shell.Wait(kEndBound), kExitRendererMissing);
    }
}

TEST(ShellStartup, AnOpenRunOrSettingsDialogEndsEveryStartAtOnceAndSilently)
{
    // Without the renderer beside it, a start that got past the single-instance test
    // would stop at the renderer-missing message instead of ending.
    const fs::path folder = ProgramFolder("glowmere-refused", false);
    for (const char* title : {"<Glowmere>", "Lumadrift_Main"}) {
        SCOPED_TRACE(title);
        Host open = StartHost(title, 40, 30, 900, 700);
        Host previewHost = StartHost("RefusedPreviewHost", 152, 112, 700, 500);
        ASSERT_EQ(Session().FindWindow(title), open.handle);
        fs::remove_all(WorkingFolder());

        for (const std::vector<std::string>& arguments :
             {std::vector<std::string>{"/s"}, {"/c"}, {"/p", previewHost.Handle()}}) {
            const auto run = Session().Run(folder / "Glowmere.scr", arguments, kEndBound);
            EXPECT_EQ(run.exitCode, kExitNormal) << arguments[0];
        }
        EXPECT_FALSE(fs::exists(WorkingFolder()));
        EXPECT_TRUE(Session().Children(previewHost.handle).empty());
    }
}

// ---------------------------------------------------------------------------------------
// Preview

TEST(ShellPreview, FillsItsHostExactlyTwoCoexistAndEachEndsWithItsHost)
{
    const fs::path folder = ProgramFolder("glowmere-preview", false);   // a preview needs no renderer
    fs::remove_all(WorkingFolder());
    Host usual = StartHost("UsualHost", 152, 112, 100, 100);
    Host large = StartHost("LargeHost", 300, 200, 400, 100);
    Process first = Session().Start(folder / "Glowmere.scr", {"/p", usual.Handle()});
    Process second = Session().Start(folder / "Glowmere.scr", {"/P:" + large.Handle()});

    for (Host* host : {&usual, &large}) {
        std::vector<harness::ChildWindow> children;
        harness::Eventually([&] { return !(children = Session().Children(host->handle)).empty(); }, kStartBound);
        ASSERT_EQ(children.size(), 1u) << first.Output() << second.Output();
        EXPECT_EQ(children[0].className, "Lumadrift_R");
        EXPECT_EQ(children[0].text, "Preview Window");
        const harness::WindowInfo form = Session().Window(children[0].handle);
        const harness::WindowInfo hostRect = Session().Window(host->handle);
        EXPECT_TRUE(form.visible);
        EXPECT_EQ(form.style & (kWsChild | kWsVisible), kWsChild | kWsVisible);
        EXPECT_EQ(form.left, hostRect.left);
        EXPECT_EQ(form.top, hostRect.top);
        EXPECT_EQ(form.right, hostRect.right);
        EXPECT_EQ(form.bottom, hostRect.bottom);
        // "Preview Window" is a child: never found as a top-level window.
        EXPECT_EQ(Session().FindWindow("Preview Window"), 0u);
    }
    EXPECT_FALSE(first.Wait(Millis(1000)).has_value());
    EXPECT_FALSE(second.Wait(Millis(0)).has_value());
    EXPECT_FALSE(fs::exists(WorkingFolder()));   // a preview prepares nothing

    // The host closes its window: the platform destroys the child with it.
    Session().Post(usual.handle, harness::kWmClose);
    EXPECT_EQ(first.Wait(kEndBound), kExitNormal);
    EXPECT_FALSE(second.Wait(Millis(500)).has_value()) << "the other preview ended too";

    // The host's process dies: both windows vanish without a message to the preview.
    large.process.Kill();
    EXPECT_EQ(second.Wait(kEndBound), kExitNormal);
}

TEST(ShellPreview, WithoutAHostWindowItEndsByItself)
{
    const fs::path folder = ProgramFolder("glowmere-nohost", false);
    fs::remove_all(WorkingFolder());
    ASSERT_EQ(Session().Tool({"is-window", "123456"}), "0");
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"/p"}, {"/p", "0"}, {"/p", "123456"}, {"/p", "abc"}}) {
        const auto run = Session().Run(folder / "Glowmere.scr", arguments, kEndBound);
        EXPECT_EQ(run.exitCode, kExitNoPreviewHost) << (arguments.size() > 1 ? arguments[1] : "bare /p");
    }
    EXPECT_FALSE(fs::exists(WorkingFolder()));
}

// The picture as painted by the preview form's own code. Under Wine the real program's
// painting does not reach the screen (it draws into another process's window), so this
// uses shell_probe.exe, which places the same form in a host of its own: the whole picture
// in the usual host, the picture top left on black in a larger one, cut at the right and
// bottom in a smaller one, the form always the host's size.
TEST(ShellPreview, TheFormShowsThePictureTopLeftOnBlackCutToItsHost)
{
    const harness::Image picture = harness::LoadImage(harness::SourceDir() / "saver/resources/preview.bmp");
    ASSERT_EQ(picture.width, 152);
    ASSERT_EQ(picture.height, 112);
    const int x = 200, y = 300;
    for (const auto& [width, height] : {std::pair{152, 112}, {250, 180}, {100, 70}}) {
        const std::string size = std::to_string(width) + "x" + std::to_string(height);
        SCOPED_TRACE(size);
        Process probe = Session().Start(harness::TestProgramsDir() / "shell_probe.exe",
                                        {"preview", std::to_string(width), std::to_string(height), std::to_string(x),
                                         std::to_string(y)});
        const uint64_t host = Session().WaitForWindow("PreviewProbeHost", kStartBound);
        ASSERT_NE(host, 0u) << probe.Output();
        std::this_thread::sleep_for(Millis(1500));   // painted and flushed to the X server
        const harness::Image shot = Session().Screenshot("preview-" + size);

        const int w = std::min(width, 152), h = std::min(height, 112);
        long same = 0;
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) {
                const harness::Rgb a = shot.At(x + i, y + j), b = picture.At(i, j);
                same += std::abs(a.r - b.r) <= 8 && std::abs(a.g - b.g) <= 8 && std::abs(a.b - b.b) <= 8;
            }
        EXPECT_GT(static_cast<double>(same) / (w * h), 0.99);
        const auto black = [](harness::Rgb p) { return p.Brightness() == 0; };
        if (width > w) {
            EXPECT_EQ(shot.Fraction(x + w, y, x + width, y + height, black), 1.0);
        }
        if (height > h) {
            EXPECT_EQ(shot.Fraction(x, y + h, x + width, y + height, black), 1.0);
        }
        const auto children = Session().Children(host);
        ASSERT_EQ(children.size(), 1u);
        const harness::WindowInfo form = Session().Window(children[0].handle);
        EXPECT_EQ(form.right - form.left, width);
        EXPECT_EQ(form.bottom - form.top, height);

        probe.Kill();
        EXPECT_TRUE(Session().WaitForWindowGone("PreviewProbeHost", Millis(10000)));
    }
}

// ---------------------------------------------------------------------------------------
// Settings file, read by the shell's own settings code (shell_probe.exe beside it)

class SettingsFile : public ::testing::Test {
protected:
    fs::path folder = Session().DriveC() / "probe";

    void SetUp() override
    {
        fs::remove_all(folder);
        fs::create_directories(folder);
        fs::copy_file(harness::TestProgramsDir() / "shell_probe.exe", folder / "shell_probe.exe");
        fs::remove_all(Session().DriveC() / "音楽");
        fs::create_directories(Session().DriveC() / "音楽" / "folder.mp3");
        harness::WriteFile(Session().DriveC() / "音楽" / "song.mp3", "ID3");
        fs::remove_all(Session().DriveC() / "表");
        harness::WriteFile(Session().DriveC() / "表" / "ソ", "RIFF");
    }

    std::vector<std::string> Probe(const std::vector<std::string>& args)
    {
        const auto run = Session().Run(folder / "shell_probe.exe", args, kEndBound);
        EXPECT_EQ(run.exitCode, 0) << run.output;
        return Lines(run.output);
    }

    // What ReadSettings leaves: kind, repeat, file (hex), folder (hex).
    static std::vector<std::string> Values(int kind, int repeat, const std::string& file, const std::string& from)
    {
        return {"kind " + std::to_string(kind), "repeat " + std::to_string(repeat), "file " + Hex(Cp932(file)),
                "folder " + Hex(Cp932(from))};
    }
};

TEST_F(SettingsFile, WhatTheWriterStoresReadsBackWithJapaneseKeysInCodePage932)
{
    EXPECT_EQ(Probe({"read"}), Values(0, 0, "", "C:\\probe"));
    EXPECT_FALSE(fs::exists(folder / "Glowmere.ini")) << "reading created the file";

    Probe({"write", "BGM区分", " 2", "BGMﾘﾋﾟｰﾄ", " 12", "BGMﾌｧｲﾙ", "C:\\音楽\\song.mp3"});
    EXPECT_EQ(Probe({"read"}), Values(2, 12, "C:\\音楽\\song.mp3", "C:\\音楽"));

    const std::string bytes = harness::ReadFile(folder / "Glowmere.ini");
    for (const char* key : {"[Section]", "BGM区分=", "BGMﾘﾋﾟｰﾄ=", "BGMﾌｧｲﾙ="})
        EXPECT_NE(bytes.find(Cp932(key)), std::string::npos) << key;
    EXPECT_EQ(bytes.find("BGM\xE5"), std::string::npos) << "a key went out as UTF-8";
}

// INI files as Windows writes them, in code page 932 with CRLF line ends (the blank before
// a number kept, which Wine's writer would drop), read through the private-profile
// functions, with the music file looked for on the disk. The number rules themselves are
// the unit tests' business.
TEST_F(SettingsFile, ValuesComeThroughThePlatformAndTheMusicFileMustBeARealFile)
{
    const std::string longPath = "C:\\" + std::string(300, 'a') + ".mp3";
    const std::pair<std::string, std::vector<std::string>> rows[] = {
        {"BGM区分= 2\nBGMﾘﾋﾟｰﾄ=2.9\nBGMﾌｧｲﾙ=C:\\音楽\\song.mp3", Values(2, 2, "C:\\音楽\\song.mp3", "C:\\音楽")},
        // A file that is not there, or a folder, turns the file source off.
        {"BGM区分= 2\nBGMﾘﾋﾟｰﾄ= 0\nBGMﾌｧｲﾙ=C:\\音楽\\gone.mp3", Values(0, 0, "", "C:\\probe")},
        {"BGM区分= 2\nBGMﾌｧｲﾙ=C:\\音楽\\folder.mp3", Values(0, 0, "", "C:\\probe")},
        // The existence test opens the path without one trailing backslash.
        {"BGM区分= 2\nBGMﾌｧｲﾙ=C:\\音楽\\song.mp3\\", Values(2, 0, "C:\\音楽\\song.mp3\\", "C:\\音楽\\song.mp3")},
        // 表 is 95 5C and ソ is 83 5C in code page 932: both stay whole.
        {"BGM区分= 2\nBGMﾌｧｲﾙ=C:\\表\\ソ", Values(2, 0, "C:\\表\\ソ", "C:\\表")},
        // A value beyond 255 bytes comes back cut, and no such file exists.
        {"BGM区分= 2\nBGMﾌｧｲﾙ=" + longPath, Values(0, 0, "", "C:\\probe")},
    };
    for (const auto& [ini, expected] : rows) {
        std::string text = "[Section]\r\n";
        for (char c : ini + "\n")
            text += c == '\n' ? std::string("\r\n") : std::string(1, c);
        harness::WriteFile(folder / "Glowmere.ini", Cp932(text));
        EXPECT_EQ(Probe({"read"}), expected) << ini;
    }
    EXPECT_EQ(Probe({"get", "BGMﾌｧｲﾙ"}), std::vector<std::string>{Hex(longPath.substr(0, 255))});
}

}  // namespace
