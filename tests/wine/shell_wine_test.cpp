// The real Glowmere.scr under Wine: what its command line starts, the renderer check and its
// message, the single-instance test, the preview in a host window and how it ends; and the
// settings code reading real INI files (through settings_probe.exe, built from the same
// sources).
#include <gtest/gtest.h>


#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "harness.h"

namespace {

namespace fs = std::filesystem;
using harness::Millis;
using harness::Process;

constexpr char kProgramTitle[] = "Glowmere (ScreenSaver)";
constexpr char kRendererMissing[] = "Glowmere.dll が同じﾌｫﾙﾀﾞに見つかりません！";
constexpr unsigned kWmClose = 0x0010;
constexpr unsigned kWmCommand = 0x0111;
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
    const auto deadline = std::chrono::steady_clock::now() + kStartBound;
    while (std::chrono::steady_clock::now() < deadline) {
        const auto lines = Lines(host.process.Output());
        if (!lines.empty()) {
            host.handle = std::strtoull(lines.front().c_str(), nullptr, 10);
            break;
        }
        std::this_thread::sleep_for(Millis(100));
    }
    EXPECT_NE(host.handle, 0u) << "no host window: " << host.process.Output();
    return host;
}

// The preview child of a host window ("handle class title" lines), waiting for it to appear.
std::vector<std::string> WaitForChildren(const Host& host, size_t count)
{
    const auto deadline = std::chrono::steady_clock::now() + kStartBound;
    std::vector<std::string> children;
    while (std::chrono::steady_clock::now() < deadline) {
        children = Lines(Session().Tool({"children", host.Handle()}));
        if (children.size() >= count)
            break;
        std::this_thread::sleep_for(Millis(200));
    }
    return children;
}

struct WindowInfo {
    bool visible = false;
    unsigned long style = 0;
    long left = 0, top = 0, right = 0, bottom = 0;
};

WindowInfo Info(const std::string& handle)
{
    std::istringstream in(Session().Tool({"info", handle}));
    WindowInfo info;
    unsigned long long parent = 0;
    int visible = 0;
    in >> visible >> parent >> std::hex >> info.style >> std::dec >> info.left >> info.top >> info.right >>
        info.bottom;
    info.visible = visible != 0;
    return info;
}

struct MessageBoxFound {
    std::string handle;   // "0" when none appeared
    std::string textHex;
};

MessageBoxFound WaitForMessageBox(Millis timeout)
{
    const auto lines = Lines(Session().Tool({"message-box", kProgramTitle, std::to_string(timeout.count())},
                                            timeout + Millis(30000)));
    MessageBoxFound box;
    box.handle = lines.empty() ? "0" : lines[0];
    box.textHex = lines.size() > 1 ? lines[1] : "";
    return box;
}

// ---------------------------------------------------------------------------------------
// Start-up

TEST(ShellStartup, AnOtherLetterCreatesTheWorkingFolderAndEnds)
{
    const fs::path folder = ProgramFolder("glowmere-other", true);
    for (const char* arguments : {"/a 1234", "/x"}) {
        fs::remove_all(WorkingFolder());
        const auto run = Session().Run(folder / "Glowmere.scr", {arguments}, kEndBound);
        EXPECT_EQ(run.exitCode, kExitNormal) << arguments << ": " << run.output;
        EXPECT_TRUE(fs::is_directory(WorkingFolder())) << arguments;
    }
    // An existing working folder is no obstacle.
    const auto again = Session().Run(folder / "Glowmere.scr", {"/a"}, kEndBound);
    EXPECT_EQ(again.exitCode, kExitNormal);
    EXPECT_TRUE(fs::is_directory(WorkingFolder()));
}

TEST(ShellStartup, WithoutTheRendererTheMessageShowsUntilDismissedThenTheProgramEnds)
{
    const fs::path folder = ProgramFolder("glowmere-alone", false);
    const std::string expectedText = Hex(Cp932(kRendererMissing));
    for (const char* arguments : {"/c", "/s", "/x"}) {
        SCOPED_TRACE(arguments);
        fs::remove_all(WorkingFolder());
        Process shell = Session().Start(folder / "Glowmere.scr", {arguments});
        const MessageBoxFound box = WaitForMessageBox(kStartBound);
        ASSERT_NE(box.handle, "0") << shell.Output();
        EXPECT_EQ(box.textHex, expectedText);
        // A single OK button and the text; no icon (Wine keeps an empty icon control).
        std::string buttons, texts;
        for (const auto& line : Lines(Session().Tool({"visible-children", box.handle}))) {
            std::istringstream in(line);
            std::string handle, className, text;
            in >> handle >> className;
            std::getline(in >> std::ws, text);
            if (className == "Button") {
                buttons += text + "|";
            } else {
                EXPECT_EQ(className, "Static") << line;
                EXPECT_EQ(Session().Tool({"send", handle, std::to_string(kStmGetIcon), "0", "0"}), "0") << line;
                if (!text.empty())
                    texts += text + "|";
            }
        }
        EXPECT_EQ(buttons, "OK|");
        EXPECT_EQ(texts, std::string(kRendererMissing) + "|");
        // The folder and the settings come before the check.
        EXPECT_TRUE(fs::is_directory(WorkingFolder()));

        // It waits for the user.
        EXPECT_FALSE(shell.Wait(Millis(1500)).has_value());
        Session().Tool({"post", box.handle, std::to_string(kWmCommand), "1", "0"});   // IDOK
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
        EXPECT_TRUE(Lines(Session().Tool({"children", previewHost.Handle()})).empty());
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
        const auto children = WaitForChildren(*host, 1);
        ASSERT_EQ(children.size(), 1u) << first.Output() << second.Output();
        std::istringstream in(children[0]);
        std::string child, className, title;
        in >> child >> className;
        std::getline(in >> std::ws, title);
        EXPECT_EQ(className, "Lumadrift_R");
        EXPECT_EQ(title, "Preview Window");
        const WindowInfo form = Info(child);
        const WindowInfo hostRect = Info(host->Handle());
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
    Session().Tool({"post", usual.Handle(), std::to_string(kWmClose), "0", "0"});
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
// uses preview_probe.exe, which places the same form in a host of its own.
class PreviewPicture : public ::testing::Test {
protected:
    harness::Image expected = harness::LoadImage(harness::SourceDir() / "saver/resources/preview.bmp");

    harness::Image ShowAndShoot(int width, int height, int x, int y, const std::string& name)
    {
        probe = Session().Start(harness::TestProgramsDir() / "preview_probe.exe",
                                {std::to_string(width), std::to_string(height), std::to_string(x),
                                 std::to_string(y)});
        const auto deadline = std::chrono::steady_clock::now() + kStartBound;
        while (Session().FindWindow("PreviewProbeHost") == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(Millis(200));
        std::this_thread::sleep_for(Millis(1500));   // painted and flushed to the X server
        return Session().Screenshot(name);
    }

    void TearDown() override
    {
        probe.Kill();
        Session().WaitForWindowGone("PreviewProbeHost", Millis(10000));
    }

    // Share of the pixels in [0, w) x [0, h) of the picture that the screen shows at (x, y).
    double Matching(const harness::Image& shot, int x, int y, int w, int h) const
    {
        long same = 0;
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) {
                const harness::Rgb a = shot.At(x + i, y + j), b = expected.At(i, j);
                if (std::abs(a.r - b.r) <= 8 && std::abs(a.g - b.g) <= 8 && std::abs(a.b - b.b) <= 8)
                    ++same;
            }
        return static_cast<double>(same) / (w * h);
    }

    Process probe;
};

TEST_F(PreviewPicture, TheUsualHostShowsTheWholePicture)
{
    ASSERT_EQ(expected.width, 152);
    ASSERT_EQ(expected.height, 112);
    const harness::Image shot = ShowAndShoot(152, 112, 200, 300, "preview-152x112");
    EXPECT_GT(Matching(shot, 200, 300, 152, 112), 0.99);
}

TEST_F(PreviewPicture, ALargerHostShowsThePictureTopLeftOnBlack)
{
    const harness::Image shot = ShowAndShoot(250, 180, 200, 300, "preview-250x180");
    EXPECT_GT(Matching(shot, 200, 300, 152, 112), 0.99);
    const auto black = [](harness::Rgb p) { return p.Brightness() == 0; };
    EXPECT_EQ(shot.Fraction(200 + 152, 300, 200 + 250, 300 + 180, black), 1.0);
    EXPECT_EQ(shot.Fraction(200, 300 + 112, 200 + 250, 300 + 180, black), 1.0);
}

TEST_F(PreviewPicture, ASmallerHostCutsThePictureAtTheRightAndBottom)
{
    const harness::Image shot = ShowAndShoot(100, 70, 200, 300, "preview-100x70");
    EXPECT_GT(Matching(shot, 200, 300, 100, 70), 0.99);
    // The form is no larger than its host.
    const std::string host = std::to_string(Session().FindWindow("PreviewProbeHost"));
    const auto children = Lines(Session().Tool({"children", host}));
    ASSERT_EQ(children.size(), 1u);
    const WindowInfo form = Info(children[0].substr(0, children[0].find(' ')));
    EXPECT_EQ(form.right - form.left, 100);
    EXPECT_EQ(form.bottom - form.top, 70);
}

// ---------------------------------------------------------------------------------------
// Settings file, read by the shell's own settings code

class SettingsFile : public ::testing::Test {
protected:
    fs::path folder = Session().DriveC() / "probe";

    void SetUp() override
    {
        fs::remove_all(folder);
        fs::create_directories(folder);
        fs::copy_file(harness::TestProgramsDir() / "settings_probe.exe", folder / "settings_probe.exe");
        fs::remove_all(Session().DriveC() / "音楽");
        fs::create_directories(Session().DriveC() / "音楽" / "folder.mp3");
        std::ofstream(Session().DriveC() / "音楽" / "song.mp3") << "ID3";
        fs::remove_all(Session().DriveC() / "表");
        fs::create_directories(Session().DriveC() / "表");
        std::ofstream(Session().DriveC() / "表" / "ソ") << "RIFF";
    }

    std::vector<std::string> Probe(const std::vector<std::string>& args)
    {
        const auto run = Session().Run(folder / "settings_probe.exe", args, kEndBound);
        EXPECT_EQ(run.exitCode, 0) << run.output;
        return Lines(run.output);
    }

    // kind, repeat, file (hex), folder (hex)
    std::vector<std::string> Read() { return Probe({"read"}); }

    static std::vector<std::string> Values(int kind, int repeat, const std::string& file, const std::string& from)
    {
        return {"kind " + std::to_string(kind), "repeat " + std::to_string(repeat), "file " + Hex(Cp932(file)),
                "folder " + Hex(Cp932(from))};
    }

    // An INI file as Windows writes it, in code page 932 with CRLF line ends (the blank
    // before a number kept, which Wine's writer would drop).
    void WriteIni(const std::string& utf8Lines)
    {
        std::string text;
        for (char c : utf8Lines)
            text += c == '\n' ? std::string("\r\n") : std::string(1, c);
        std::ofstream(folder / "Glowmere.ini", std::ios::binary) << Cp932(text);
    }
};

TEST_F(SettingsFile, NoFileGivesNothingAndTheProgramFolder)
{
    EXPECT_EQ(Read(), Values(0, 0, "", "C:\\probe"));
    EXPECT_FALSE(fs::exists(folder / "Glowmere.ini"));   // reading never creates it
}

TEST_F(SettingsFile, WhatTheWriterStoresReadsBackWithJapaneseKeysInCodePage932)
{
    Probe({"write", "BGM区分", " 2"});
    Probe({"write", "BGMﾘﾋﾟｰﾄ", " 12"});
    Probe({"write", "BGMﾌｧｲﾙ", "C:\\音楽\\song.mp3"});
    EXPECT_EQ(Read(), Values(2, 12, "C:\\音楽\\song.mp3", "C:\\音楽"));

    std::ifstream in(folder / "Glowmere.ini", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const char* key : {"BGM区分", "BGMﾘﾋﾟｰﾄ", "BGMﾌｧｲﾙ"})
        EXPECT_NE(bytes.find(Cp932(std::string(key) + "=")), std::string::npos) << key;
    EXPECT_NE(bytes.find(Cp932("[Section]")), std::string::npos);
    EXPECT_EQ(bytes.find("BGM\xE5"), std::string::npos) << "a key went out as UTF-8";

    // A second write replaces the value in place.
    Probe({"write", "BGM区分", "-1"});
    EXPECT_EQ(Read()[0], "kind -1");
}

TEST_F(SettingsFile, NumbersAreReadWithOrWithoutTheBlankAndUnusableOnesGiveZero)
{
    WriteIni("[Section]\nBGM区分= 2\nBGMﾘﾋﾟｰﾄ=2.9\nBGMﾌｧｲﾙ=C:\\音楽\\song.mp3\n");
    EXPECT_EQ(Read(), Values(2, 2, "C:\\音楽\\song.mp3", "C:\\音楽"));
    WriteIni("[Section]\nBGM区分=abc\nBGMﾘﾋﾟｰﾄ=40000\n");
    EXPECT_EQ(Read(), Values(0, 0, "", "C:\\probe"));
    WriteIni("[Section]\nBGM区分=-0.5\nBGMﾘﾋﾟｰﾄ= 30\n");
    EXPECT_EQ(Read(), Values(-1, 30, "", "C:\\probe"));
}

TEST_F(SettingsFile, AMusicFileThatIsNotThereOrIsAFolderIsCleared)
{
    WriteIni("[Section]\nBGM区分= 2\nBGMﾘﾋﾟｰﾄ= 0\nBGMﾌｧｲﾙ=C:\\音楽\\gone.mp3\n");
    EXPECT_EQ(Read(), Values(0, 0, "", "C:\\probe"));
    WriteIni("[Section]\nBGM区分= 2\nBGMﾌｧｲﾙ=C:\\音楽\\folder.mp3\n");
    EXPECT_EQ(Read(), Values(0, 0, "", "C:\\probe"));
    // The CD keeps its kind when the file is missing.
    WriteIni("[Section]\nBGM区分= 1\nBGMﾘﾋﾟｰﾄ= 3\nBGMﾌｧｲﾙ=C:\\音楽\\gone.mp3\n");
    EXPECT_EQ(Read(), Values(1, 3, "", "C:\\probe"));
}

TEST_F(SettingsFile, TheExistenceTestOpensFilesOnlyAndIgnoresOneTrailingBackslash)
{
    EXPECT_EQ(Probe({"exists", "C:\\音楽\\song.mp3"}), std::vector<std::string>{"1"});
    EXPECT_EQ(Probe({"exists", "C:\\音楽\\song.mp3\\"}), std::vector<std::string>{"1"});
    EXPECT_EQ(Probe({"exists", "C:\\音楽\\folder.mp3"}), std::vector<std::string>{"0"});
    EXPECT_EQ(Probe({"exists", "C:\\音楽"}), std::vector<std::string>{"0"});
    EXPECT_EQ(Probe({"exists", "C:\\音楽\\gone.mp3"}), std::vector<std::string>{"0"});
    EXPECT_EQ(Probe({"exists", ""}), std::vector<std::string>{"0"});

    WriteIni("[Section]\nBGM区分= 2\nBGMﾌｧｲﾙ=C:\\音楽\\song.mp3\\\n");
    EXPECT_EQ(Read(), Values(2, 0, "C:\\音楽\\song.mp3\\", "C:\\音楽\\song.mp3"));
}

TEST_F(SettingsFile, NamesWhoseSecondByteIsABackslashStayWhole)
{
    // 表 is 95 5C and ソ is 83 5C in code page 932.
    EXPECT_EQ(Probe({"exists", "C:\\表\\ソ"}), std::vector<std::string>{"1"});
    WriteIni("[Section]\nBGM区分= 2\nBGMﾌｧｲﾙ=C:\\表\\ソ\n");
    EXPECT_EQ(Read(), Values(2, 0, "C:\\表\\ソ", "C:\\表"));
}

TEST_F(SettingsFile, AValueBeyond255BytesComesBackCut)
{
    const std::string longPath = "C:\\" + std::string(300, 'a') + ".mp3";
    WriteIni("[Section]\nBGM区分= 2\nBGMﾌｧｲﾙ=" + longPath + "\n");
    EXPECT_EQ(Probe({"get", "BGMﾌｧｲﾙ"}), std::vector<std::string>{Hex(longPath.substr(0, 255))});
    EXPECT_EQ(Read(), Values(0, 0, "", "C:\\probe"));
}

}  // namespace
