// The real Glowmere.scr under Wine on a 1920 x 1080 screen: what its command line starts, the
// renderer check and its message, the single-instance test, the preview in a host window and
// how it ends, a screen that refuses the renderer's 1024 x 768; and the settings dialog with its
// Command buttons: the real "/c", or the same dialog in testtool.exe printing what it hands to
// WritePrivateProfileStringA, driven with the real mouse and keyboard. Marks, labels and button
// looks are read from the screen (a button's frame line is #003C74 enabled, #C9C7BA
// disabled); the dialog's places come from its layout table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "dialog_layout.h"
#include "harness.h"

namespace {

namespace fs = std::filesystem;
namespace layout = glowmere::dialog;
using harness::Image;
using harness::Millis;
using harness::Process;
using harness::Rgb;
using layout::Box;

const Millis kBound(30000), kShowBound(10000);   // generous: the machine is shared and slow at times

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

TEST(SessionLocale, ASessionInAnotherLocaleRunsItsProgramsInThatCodePage)
{
    harness::WineSession english({640, 480, "english", "en_US.UTF-8"});
    EXPECT_EQ(english.Tool({"code-page"}), "1252");
    EXPECT_EQ(english.Ansi("é"), "\xE9");
}

// ---------------------------------------------------------------------------------------
// The settings dialog

const Image& Picture(const std::string& name)
{
    static std::map<std::string, Image> pictures;
    if (!pictures.count(name))
        pictures[name] = harness::LoadImage(harness::SourceDir() / "saver/resources" / name);
    return pictures[name];
}

// How many pixels of a w x h block at (x, y) equal the picture's at (px, py).
int SameAs(const Image& shot, int x, int y, const Image& picture, int px, int py, int w, int h)
{
    int same = 0;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            same += shot.At(x + i, y + j).Hex() == picture.At(px + i, py + j).Hex();
    return same;
}

auto Colour(int rgb)
{
    return [rgb](Rgb p) { return p.Is(rgb); };
}

class SettingsDialog : public ::testing::Test {
protected:
    fs::path folder;
    harness::Process dialog;
    uint64_t form = 0, repeat = 0;
    int clientX = 0, clientY = 0;   // the client area's top left on the screen

    void SetUp() override
    {
        folder = Session().MakeProgramFolder("gm", {"Glowmere.scr", "Glowmere.dll"});
        fs::copy_file(harness::TestProgramsDir() / "testtool.exe", folder / "testtool.exe");
        // 表 is 95 5C and ソ 83 5C in code page 932: paths are cut at characters, not bytes.
        fs::remove_all(Session().DriveC() / "表");
        for (const char* file : {"ソ", "song.mp3", "tone.wav", "notes.txt"})
            harness::WriteFile(Session().DriveC() / "表" / file, "ID3");
        Session().MoveMouse(1900, 1060);   // nothing hovered when the dialog appears
    }

    void TearDown() override
    {
        if (dialog.Running())
            Session().Post(form, harness::kWmClose);
        EXPECT_TRUE(dialog.Wait(kBound));
    }

    // Glowmere.ini as Windows writes it: the ANSI code page, CRLF, a blank before a number.
    void WriteSettings(const std::string& kind, const std::string& repeatText, const std::string& file = "")
    {
        harness::WriteFile(folder / "Glowmere.ini", Session().Ansi("[Section]\r\nBGM区分=" + kind + "\r\nBGMﾘﾋﾟｰﾄ=" +
                                                                   repeatText + "\r\nBGMﾌｧｲﾙ=" + file + "\r\n"));
    }

    // Starts the dialog and waits until it is on the screen, painted.
    void Open(bool recording)
    {
        dialog = recording ? Session().Start(folder / "testtool.exe", {"dialog"})
                           : Session().Start(folder / "Glowmere.scr", {"/c"});
        form = Session().WaitForWindow("<Glowmere>", kBound);
        ASSERT_NE(form, 0u) << dialog.Output();
        harness::WindowInfo info;
        ASSERT_TRUE(harness::Eventually([&] { return (info = Session().Window(form)).visible; }, kBound));
        clientX = info.clientX;
        clientY = info.clientY;
        for (const harness::ChildWindow& child : Session().Children(form))
            repeat = child.className == "ComboBox" ? child.handle : repeat;
        // The gradient at half height left of the panel, the heading's frame, the last button.
        const Box heading = Screen(layout::kHeadingFrame), cancel = Screen(layout::kCancelButton, false);
        for (const auto& [x, y, colour] : {std::array{clientX + 4, clientY + 123, 0xDCDCFA},
                                           {heading.x + 50, heading.y, 0}, {cancel.x + 40, cancel.y + 1, 0x003C74}})
            ASSERT_TRUE(Session().WaitForPixel(x, y, Colour(colour), kBound)) << "not painted at " << x << "," << y;
    }

    // A box on the screen: the panel's boxes are relative to the panel, the others to the form.
    Box Screen(const Box& b, bool inPanel = true) const
    {
        return {b.x + clientX + (inPanel ? layout::kPanel.x : 0), b.y + clientY + (inPanel ? layout::kPanel.y : 0),
                b.width, b.height};
    }

    // Which source mark shows selected: 0 to 2, or -2 when a mark is neither picture.
    int SelectedMark()
    {
        const Image shot = Session().Grab();
        int selected = -1;
        for (int source = 0; source < 3; ++source) {
            const Box mark = Screen(layout::kSourceMarks[source]);
            if (SameAs(shot, mark.x, mark.y, Picture("radio_on.bmp"), 0, 0, 12, 12) == 144)
                selected = selected == -1 ? source : -2;
            else if (SameAs(shot, mark.x, mark.y, Picture("radio_off.bmp"), 0, 0, 12, 12) != 144)
                return -2;
        }
        return selected;
    }
    bool WaitForMark(int source) { return harness::Eventually([&] { return SelectedMark() == source; }, kShowBound); }

    bool WaitForFileButton(bool enabled)
    {
        const Box file = Screen(layout::kFileButton);
        return Session().WaitForPixel(file.x + 20, file.y + 1, Colour(enabled ? 0x003C74 : 0xC9C7BA), kShowBound).has_value();
    }
    std::string RepeatText() { return Session().Tool({"sent-text", std::to_string(repeat)}); }

    std::string FileLabel()   // its pixels, to compare what it showed at two moments
    {
        const Image shot = Session().Grab();
        const Box label = Screen(layout::kFileLabel);
        std::string block;
        for (int y = 0; y < label.height; ++y)
            for (int x = 0; x < label.width; ++x)
                block += shot.At(label.x + x, label.y + y).Hex();
        return block;
    }

    // Onto the box's middle with a move over it, as a hand does, then a click.
    void Press(const Box& box, int button = 1, bool inPanel = true)
    {
        const Box b = Screen(box, inPanel);
        Session().MoveMouse(b.x + b.width / 2 - 3, b.y + b.height / 2);
        Session().MoveMouse(b.x + b.width / 2, b.y + b.height / 2);
        Session().Click(button);
    }

    // The writes the recording dialog printed, with their exact bytes: kind, repeat, file.
    void ExpectSaved(const std::string& kind, const std::string& repeatText, const std::string& file)
    {
        std::vector<std::string> writes;
        for (const std::string& line : harness::Lines(dialog.Output()))
            if (line.rfind("write ", 0) == 0)
                writes.push_back(line);
        const auto write = [&](const char* key, const std::string& value) {
            return "write " + harness::Hex("Section") + " " + harness::Hex(Session().Ansi(key)) + " " +
                   (value.empty() ? "-" : harness::Hex(Session().Ansi(value))) + " " + harness::Hex("C:\\gm\\Glowmere.ini");
        };
        EXPECT_EQ(writes, (std::vector<std::string>{write("BGM区分", kind), write("BGMﾘﾋﾟｰﾄ", repeatText),
                                                    write("BGMﾌｧｲﾙ", file)}));
    }

    // The open-file dialog, once it lists its folder's files: its file types and how many.
    void ExpectChooser()
    {
        const uint64_t chooser = Session().WaitForWindow(layout::kOpenTitle, kBound);
        ASSERT_NE(chooser, 0u) << "no open-file dialog titled " << layout::kOpenTitle;
        std::string types, listed;
        harness::Eventually(
            [&] {
                for (const harness::ChildWindow& child : Session().Children(chooser)) {
                    if (child.className == "ComboBox" && child.text.empty())
                        types = Session().Tool({"items", std::to_string(child.handle)});
                    if (child.className == "SysListView32")   // LVM_GETITEMCOUNT
                        listed = Session().Tool({"send", std::to_string(child.handle), "4100", "0", "0"});
                }
                return listed == "2" && types == "0 BGMﾌｧｲﾙ (MP3 WAV)";
            },
            kShowBound);
        EXPECT_EQ(types + " " + listed, "0 BGMﾌｧｲﾙ (MP3 WAV) 2") << "C:\\表 holds an MP3, a WAV, a text file and ソ";
    }
};

TEST_F(SettingsDialog, TheWholeDialogAndItsButtonsShowAndAnswerTheMouseAndKeysAndCancelSavesNothing)
{
    WriteSettings(" 1", " 0");
    const std::string original = harness::ReadFile(folder / "Glowmere.ini");
    const auto modified = fs::last_write_time(folder / "Glowmere.ini");
    ASSERT_NO_FATAL_FAILURE(Open(false));
    EXPECT_EQ(Session().Tool({"icons", "C:\\gm\\Glowmere.scr"}), "1") << "the program carries its icon";
    // A fixed frame with a caption (no sizing border, no maximise box), centred across the
    // screen and a third of the free height down. (Every press below finds its control where
    // the layout table puts it.)
    const harness::WindowInfo window = Session().Window(form);
    EXPECT_EQ(window.style & 0x00C50000, 0x00C00000u);
    EXPECT_EQ(std::vector<long>({window.clientWidth, window.clientHeight, window.left, window.top}),
              std::vector<long>({496, 246, (1920 - (window.right - window.left)) / 2, (1080 - (window.bottom - window.top)) / 3}));
    // The CD source: an empty, enabled repeat box whose list is an empty item, then 1 to 30.
    EXPECT_TRUE(Session().Window(repeat).enabled);
    EXPECT_EQ(RepeatText(), "");
    const auto items = harness::Lines(Session().Tool({"items", std::to_string(repeat)}));
    ASSERT_EQ(items.size(), 31u);
    EXPECT_EQ(items[0] + "|" + items[1] + "|" + items[30], "0 |1 1|30 30");

    // Kept as build/test-artifacts/settings-dialog/whole-dialog.ppm for a person to look at.
    const Image shot = Session().Screenshot("whole-dialog");
    int wrongRows = 0;   // the gradient, worked out here on its own: |sin(y / (246 / 3.142))| × 220
    for (int y = 0; y < 246; ++y) {
        const int v = static_cast<int>(std::lround(std::fabs(std::sin(y / (246 / 3.142)) * 220.0)));
        wrongRows += !shot.At(clientX + 5, clientY + y).Is(v << 16 | v << 8 | (v + 30));
    }
    EXPECT_EQ(wrongRows, 0);
    // The texture: a band away from every control, and where the tiling starts again at x = 0.
    const Box panel = Screen(layout::kPanel, false);
    EXPECT_EQ(SameAs(shot, panel.x + 250, panel.y, Picture("panel.bmp"), 250, 0, 200, 20), 200 * 20);
    EXPECT_EQ(SameAs(shot, panel.x, panel.y + 160, Picture("panel.bmp"), 0, 0, 469, 5), 469 * 5);
    EXPECT_EQ(SelectedMark(), 1);
    // Dark text in the heading, the labels and the repeat caption; the file label's thin
    // border around nothing; the link underlined across most of its white text.
    const auto within = [&](const Box& b, auto test) { return shot.Fraction(b.x, b.y, b.x + b.width, b.y + b.height, test); };
    const auto dark = [](Rgb p) { return p.Brightness() < 200; };
    for (const Box& label : {layout::kHeadingLabel, layout::kSourceLabels[0], layout::kSourceLabels[1],
                             layout::kSourceLabels[2], layout::kRepeatLabel})
        EXPECT_GT(within(Screen(label), dark), 0.05) << label.x << "," << label.y;
    const Box f = Screen(layout::kFileLabel);
    EXPECT_EQ(within({f.x, f.y, f.width, 1}, dark) + within({f.x, f.y, 1, f.height}, dark), 2.0);
    EXPECT_EQ(within({f.x + 2, f.y + 2, 300, 28}, dark), 0.0);
    double underline = 0;
    for (int y = 0; y < 15; ++y)
        underline = std::max(underline, within({clientX + 12, clientY + layout::kLinkLabel.y + y, 148, 1},
                                               [](Rgb p) { return p.Brightness() > 705; }));
    EXPECT_GT(underline, 0.9);
    // The buttons at rest: the frame line and the rim inside it; the face falling evenly from
    // white to (0xC6, 0xC5, 0xD7) at the frame's last row (24); the caption black in the
    // middle and nowhere near the frame. The disabled file button: its frame, no black.
    const Box set = Screen(layout::kSetButton, false), file = Screen(layout::kFileButton);
    EXPECT_EQ(shot.At(set.x + 40, set.y + 23).Hex() + shot.At(set.x + 1, set.y + 10).Hex() +
                  shot.At(set.x + 20, set.y + 3).Hex() + shot.At(file.x + 20, file.y + 1).Hex(),
              "003C74003C74F3F3EEC9C7BA");
    for (int y = 4; y <= 20; y += 8)
        EXPECT_TRUE(shot.At(set.x + 8, set.y + y).Near({255 - 57 * y / 24, 255 - 58 * y / 24, 255 - 40 * y / 24}, 6)) << y;
    const auto black = [](Rgb p) { return p.Brightness() < 60; };
    EXPECT_GT(within({set.x + 20, set.y + 5, 41, 14}, black), 0.05);
    EXPECT_EQ(within({set.x + 4, set.y + 2, 14, 21}, black) + within({file.x + 4, file.y + 4, 33, 17}, black), 0.0);

    // The disabled file button ignores a click. Then a right-button press on "なし", a
    // middle-button press on the file's mark, a left-button press on "音楽CD": each source
    // enables only its own control, and a press beside the labels changes nothing.
    Press(layout::kFileButton);
    EXPECT_EQ(Session().WaitForWindow(layout::kOpenTitle, Millis(300)), 0u);
    for (const auto& [place, button, source] : {std::tuple{layout::kSourceLabels[0], 3, 0},
                                                {layout::kSourceMarks[2], 2, 2}, {layout::kSourceLabels[1], 1, 1}}) {
        Press(place, button);
        EXPECT_TRUE(WaitForMark(source) && WaitForFileButton(source == 2)) << source;
        EXPECT_EQ(Session().Window(repeat).enabled, source == 1) << source;
    }
    Press({200, 90, 10, 10});
    std::this_thread::sleep_for(Millis(300));
    EXPECT_EQ(SelectedMark(), 1);

    // Hovering "設定" shows the orange rim within 200 ms (the median of three); leaving
    // brings the resting rim back.
    const std::string onX = std::to_string(set.x + 40), onY = std::to_string(set.y + 12), offY = std::to_string(set.y + 40);
    std::vector<Millis> hovered;
    for (int i = 0; i < 3; ++i) {
        Session().Xdotool({"mousemove", onX, onY});
        hovered.push_back(Session().WaitForPixel(set.x + 20, set.y + 3, Colour(0xFDD889), kShowBound).value_or(kShowBound));
        Session().Xdotool({"mousemove", onX, offY});
        EXPECT_TRUE(Session().WaitForPixel(set.x + 20, set.y + 3, Colour(0xF3F3EE), kShowBound));
    }
    std::sort(hovered.begin(), hovered.end());
    EXPECT_LE(hovered[1].count(), 200);
    // Held, it shows the Pressed frame, its line one pixel further in; dragged off, the blue
    // rim of a focused button; released back on it, or off it at once, no Click.
    Session().Xdotool({"mousemove", onX, onY, "mousedown", "1"});
    EXPECT_TRUE(Session().WaitForPixel(set.x + 20, set.y + 2, Colour(0x003C74), kShowBound));
    Session().Xdotool({"mousemove", onX, offY});
    EXPECT_TRUE(Session().WaitForPixel(set.x + 20, set.y + 2, Colour(0xCEE7FF), kShowBound));
    Session().Xdotool({"mousemove", onX, onY, "mouseup", "1"});
    Session().Xdotool({"mousedown", "1", "mousemove", onX, offY, "mouseup", "1"});
    for (const char* key : {"Return", "space", "KP_Enter"})   // keys click nothing
        Session().Key(key);

    // The link: the prefix's browser is a script that notes the address it is given.
    const fs::path script = Session().WorkDir() / "browser.sh", opened = Session().WorkDir() / "opened.txt";
    harness::WriteFile(script, "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + opened.string() + "'\n");
    fs::permissions(script, fs::perms::owner_all);
    Session().SetRegistryValue("HKCU\\Software\\Wine\\WineBrowser", "Browsers", "REG_SZ", script.string());
    Press({layout::kLinkLabel.x, layout::kLinkLabel.y, 80, layout::kLinkLabel.height}, 1, false);
    EXPECT_TRUE(harness::Eventually([&] { return harness::ReadFile(opened) == "https://glowmere.example/\n"; }, kBound))
        << harness::ReadFile(opened);
    // Still open after all that; a right-button click on "ｷｬﾝｾﾙ" then closes it and writes nothing.
    EXPECT_TRUE(dialog.Running()) << "a Click of 設定 closed the dialog";
    Press(layout::kCancelButton, 3, false);
    EXPECT_EQ(dialog.Wait(kBound), 0);
    EXPECT_EQ(harness::ReadFile(folder / "Glowmere.ini"), original);
    EXPECT_EQ(fs::last_write_time(folder / "Glowmere.ini"), modified);
}

TEST_F(SettingsDialog, ACancelledChooserChangesNothingAndATypedNewFileIsShownAndSavedWithTheRepeatText)
{
    WriteSettings(" 2", " 4", "C:\\表\\ソ");
    ASSERT_NO_FATAL_FAILURE(Open(true));
    EXPECT_EQ(SelectedMark(), 2);
    EXPECT_TRUE(WaitForFileButton(true));
    EXPECT_FALSE(Session().Window(repeat).enabled);
    EXPECT_EQ(RepeatText(), "4");
    const std::string before = FileLabel();
    const Box f = Screen(layout::kFileLabel);
    EXPECT_GT(Session().Grab().Fraction(f.x + 2, f.y + 2, f.x + 60, f.y + 16, [](Rgb p) { return p.Brightness() < 200; }),
              0.05)
        << "the label shows no path";

    // The chooser lists the MP3 and WAV files of the current file's folder. Cancelled, it
    // leaves the label, the file and the folder: the button clicks again after the focus
    // has left it, and the next chooser opens in the same folder.
    Press(layout::kFileButton);
    ASSERT_NO_FATAL_FAILURE(ExpectChooser());
    Session().Key("Escape");
    ASSERT_TRUE(Session().WaitForWindowGone(layout::kOpenTitle, kBound));
    EXPECT_TRUE(FileLabel() == before) << "the label changed";
    Session().Click(1);   // the pointer has not moved since the first press
    ASSERT_NO_FATAL_FAILURE(ExpectChooser());
    // A bare name is taken from there, and need not exist.
    Session().Type("new.mp3");
    Session().Key("Return");
    ASSERT_TRUE(Session().WaitForWindowGone(layout::kOpenTitle, kBound));
    EXPECT_TRUE(harness::Eventually([&] { return FileLabel() != before; }, kShowBound)) << "the label did not change";

    Press(layout::kSetButton, 1, false);
    ASSERT_EQ(dialog.Wait(kBound), 0);
    ExpectSaved(" 2", " 4", "C:\\表\\new.mp3");
    // As the next start reads the file: the keys in the ANSI code page (Wine's writer drops
    // the blank before a number).
    const std::string ini = harness::ReadFile(folder / "Glowmere.ini");
    for (const char* entry : {"BGM区分=2\r\n", "BGMﾘﾋﾟｰﾄ=4\r\n", "BGMﾌｧｲﾙ=C:\\表\\new.mp3\r\n"})
        EXPECT_NE(ini.find(Session().Ansi(entry)), std::string::npos) << entry;
}

TEST_F(SettingsDialog, WhenTheIniFileCannotBeWrittenTheTypedTrackIsHandedOverAndAMiddleClickClosesSilently)
{
    fs::create_directories(folder / "Glowmere.ini");   // a folder where the file should be
    ASSERT_NO_FATAL_FAILURE(Open(true));
    EXPECT_EQ(SelectedMark(), 0) << "no settings: no music";
    Press(layout::kSourceLabels[1]);
    ASSERT_TRUE(WaitForMark(1));
    Press({layout::kRepeatBox.x, layout::kRepeatBox.y, 20, layout::kRepeatBox.height});
    Session().Type("12");
    ASSERT_TRUE(harness::Eventually([&] { return RepeatText() == "12"; }, kShowBound)) << RepeatText();
    Press(layout::kSetButton, 2, false);
    EXPECT_EQ(dialog.Wait(kBound), 0) << "a message box would keep it open";
    ExpectSaved(" 1", " 12", "");
}

}  // namespace
