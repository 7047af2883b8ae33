// The real Glowmere.scr under Wine on a 1920 x 1080 screen: what its command line starts, the
// renderer check and its message, the single-instance test, the preview in a host window and
// how it ends; and the settings dialog with its
// Command buttons: the real "/c", or the same dialog in testtool.exe printing what it hands to
// WritePrivateProfileStringA, driven with the real mouse and keyboard, at 96 to 192 dpi
// (LogPixels, read by each new process) and under code pages 932, 1252 and 936 (LC_ALL of each
// process). Marks, labels and button looks are read from the screen (a button's frame line is
// #003C74 enabled, #C9C7BA disabled); the dialog's places come from its layout table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <sstream>

#include "dialog_layout.h"
#include "harness.h"
#include "resource_pictures.h"

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

fs::path ProgramFolderWithoutRenderer()
{
    fs::remove_all(WorkingFolder());
    return Session().MakeProgramFolder("glowmere-alone", {"Glowmere.scr"});
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

TEST(ShellStartup, WithoutTheRendererItsMessageShowsInEveryCodePageUntilDismissedThenTheProgramEnds)
{
    const fs::path folder = ProgramFolderWithoutRenderer();
    const std::string message = "Glowmere.dll が同じﾌｫﾙﾀﾞに見つかりません！";
    for (const char* locale : {"ja_JP.UTF-8", "en_US.UTF-8", "zh_CN.UTF-8"}) {
        SCOPED_TRACE(locale);
        Process shell = Session().Start(folder / "Glowmere.scr", {"/c"}, {{}, {{"LC_ALL", locale}}});
        // Read back whole from the tool's process (code page 932).
        const auto [box, text] = Session().WaitForMessageBox("Glowmere (ScreenSaver)", kBound);
        ASSERT_NE(box, 0u) << shell.Output();
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
        EXPECT_EQ(controls.erase("Static " + message), 1u);
        EXPECT_TRUE(controls.size() == 1 && controls.begin()->rfind("Button ", 0) == 0) << "one button, no icon";
        EXPECT_TRUE(fs::is_directory(WorkingFolder())) << "the folder and the settings come before the check";
        EXPECT_TRUE(shell.Running());
        Session().Post(box, harness::kWmCommand, 1);   // IDOK
        EXPECT_EQ(shell.Wait(kBound), 1);
    }
}

TEST(ShellStartup, AnOpenRunOrSettingsDialogEndsAStartAtOnceAndSilently)
{
    // Without the renderer beside it, a start past the single-instance test would stop at
    // the renderer-missing message instead of ending.
    const fs::path folder = ProgramFolderWithoutRenderer();
    for (const auto& [title, arguments] : {std::pair{"<Glowmere>", "/s"}, {"Lumadrift_Main", "/c"}}) {
        Host open = StartHost(title, 40, 30, 1800, 1000);
        EXPECT_EQ(Session().Run(folder / "Glowmere.scr", {arguments}, kBound).exitCode, 0) << title;
        EXPECT_FALSE(fs::exists(WorkingFolder())) << title;
    }
}

TEST(ShellPreview, FillsItsHostExactlyTwoCoexistAndEachEndsWithItsHost)
{
    const fs::path folder = ProgramFolderWithoutRenderer();   // a preview needs no renderer
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

// ---------------------------------------------------------------------------------------
// The settings dialog

struct Rect {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;   // empty until a point is added
    static Rect Of(const Box& b) { return {b.x, b.y, b.x + b.width, b.y + b.height}; }
    Rect Inset(int w) const { return {left + w, top + w, right - w, bottom - w}; }
    void Add(int x, int y) { *this = {std::min(left, x), std::min(top, y), std::max(right, x + 1), std::max(bottom, y + 1)}; }
    bool Overlaps(const Rect& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
    bool In(const Rect& o) const { return left >= o.left && top >= o.top && right <= o.right && bottom <= o.bottom; }
    int Beyond(const Rect& o) const { return std::max({0, o.left - left, o.top - top, right - o.right, bottom - o.bottom}); }
};

// How many pixels of [left, right) x [top, bottom) of the picture, tiled from (x, y) on the
// screen, the screen shows.
int Shows(const Image& shot, int x, int y, const glowmere::Bitmap24& picture, int left, int top, int right, int bottom)
{
    int same = 0;
    for (int j = top; j < bottom; ++j)
        for (int i = left; i < right; ++i) {
            const uint8_t* p = &picture.bits[picture.Stride(picture.width) * size_t(picture.height - 1 - j % picture.height) +
                                             size_t(i % picture.width) * 3];
            same += shot.At(x + i, y + j).Is(p[2] << 16 | p[1] << 8 | p[0]);
        }
    return same;
}

// The area's pixels but those in `except`, to compare what two moments showed.
std::string Pixels(const Image& image, const Rect& area, const Rect& except = {})
{
    std::string pixels;
    for (int j = area.top; j < area.bottom; ++j)
        for (int i = area.left; i < area.right; ++i)
            pixels += Rect{i, j, i + 1, j + 1}.In(except) ? "" : image.At(i, j).Hex();
    return pixels;
}

auto Colour(int rgb) { return [rgb](Rgb p) { return p.Is(rgb); }; }

class SettingsDialog : public ::testing::Test {
protected:
    fs::path folder;
    harness::Process dialog;
    uint64_t form = 0, repeat = 0;
    harness::WindowInfo window;
    layout::Layout l = layout::LayoutAt(96);
    int clientX = 0, clientY = 0;   // the client area's top left on the screen
    Image shot;                     // the dialog as Open found it painted

    void SetUp() override
    {
        folder = Session().MakeProgramFolder("gm", {"Glowmere.scr", "Glowmere.dll"});
        fs::copy_file(harness::TestProgramsDir() / "testtool.exe", folder / "testtool.exe");
        // 表 is 95 5C and ソ 83 5C in code page 932: paths are cut at characters, not bytes.
        fs::remove_all(Session().DriveC() / "表");
        for (const char* file : {"ソ", "song.mp3", "tone.wav", "notes.txt"})
            harness::WriteFile(Session().DriveC() / "表" / file, "ID3");
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

    // Starts the dialog and waits until it is on the screen, painted for `dpi`.
    void Open(bool recording, int dpi = 96, const std::string& locale = "ja_JP.UTF-8")
    {
        Session().MoveMouse(1900, 1060);   // nothing hovered when the dialog appears
        dialog = Session().Start(folder / (recording ? "testtool.exe" : "Glowmere.scr"), {recording ? "dialog" : "/c"},
                                 {{}, {{"LC_ALL", locale}}});
        form = Session().WaitForWindow("<Glowmere>", kBound);
        ASSERT_NE(form, 0u) << dialog.Output();
        ASSERT_TRUE(harness::Eventually([&] { return (window = Session().Window(form)).visible; }, kBound));
        for (const harness::ChildWindow& child : Session().Children(form))
            repeat = child.className == "ComboBox" ? child.handle : repeat;
        ASSERT_TRUE(Painted(dpi, window.clientX, window.clientY));
        shot = Session().Screenshot("dialog-" + std::to_string(dpi) + "-" + locale);
    }

    // Laid out at `dpi` with the client area at (x, y), and painted there: the gradient, the
    // texture by the heading's outline, the combo box's field and the three buttons' frame
    // lines, each enabled or disabled.
    bool Painted(int dpi, int x, int y)
    {
        l = layout::LayoutAt(dpi);
        clientX = x, clientY = y;
        const auto seen = [](int atX, int atY, auto test) { return !!Session().WaitForPixel(atX, atY, test, kBound); };
        const int line = glowmere::ScaleToDpi(1, dpi);
        const Rect outline = InPanel(l.headingFrame), combo = InPanel(l.repeatBox);
        bool painted = seen(x + 4, y + l.client.height / 2, Colour(0xDCDCFA)) &&
                       seen(outline.left + 4, outline.top - line, [](Rgb p) { return p.Brightness() > 600; }) &&
                       seen((3 * combo.left + 2 * combo.right) / 5, (combo.top + combo.bottom) / 2,
                            [](Rgb p) { return p.Is(0xFFFFFF) || p.Is(0xF5F5F5); });
        for (const Rect& r : {InPanel(l.fileButton), InClient(l.setButton), InClient(l.cancelButton)})
            painted = painted && seen(r.left + 4 * line, r.top + line, [](Rgb p) { return p.Is(0x003C74) || p.Is(0xC9C7BA); });
        return painted;
    }

    // A box on the screen: the panel's boxes are relative to the panel, the others to the form.
    Box Screen(const Box& b, bool inPanel = true) const
    {
        return {b.x + clientX + (inPanel ? l.panel.x : 0), b.y + clientY + (inPanel ? l.panel.y : 0), b.width, b.height};
    }
    Rect InPanel(const Box& b) const { return Rect::Of(Screen(b)); }
    Rect InClient(const Box& b) const { return Rect::Of(Screen(b, false)); }

    // The client area's pixels; or all but the combo box's arrow half, which Wine sizes by
    // the process's dpi.
    std::string Client(bool withArrow = true) const
    {
        Rect arrow = InPanel(l.repeatBox);
        arrow.left = withArrow ? arrow.right : (arrow.left + arrow.right) / 2;
        return Pixels(shot, InClient(l.client), arrow);
    }

    // Which source mark shows selected: 0 to 2, or -2 when a mark is neither picture.
    int SelectedMark()
    {
        static const glowmere::Bitmap24 on = glowmere::resources::DrawRadioMark(true, 96),
                                        off = glowmere::resources::DrawRadioMark(false, 96);
        const Image now = Session().Grab();
        int selected = -1;
        for (int source = 0; source < 3; ++source) {
            const Box mark = Screen(layout::kSourceMarks[source]);
            if (Shows(now, mark.x, mark.y, on, 0, 0, 12, 12) == 144)
                selected = selected == -1 ? source : -2;
            else if (Shows(now, mark.x, mark.y, off, 0, 0, 12, 12) != 144)
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

    std::string FileLabel() { return Pixels(Session().Grab(), InPanel(layout::kFileLabel)); }

    // Onto the box's middle with a move over it, as a hand does, then a click.
    void Press(const Box& box, int button = 1, bool inPanel = true)
    {
        const Box b = Screen(box, inPanel);
        Session().MoveMouse(b.x + b.width / 2 - 3, b.y + b.height / 2);
        Session().MoveMouse(b.x + b.width / 2, b.y + b.height / 2);
        Session().Click(button);
    }

    // The writes the recording dialog printed, with their exact bytes: kind, repeat, file,
    // under the keys as the code page spells them.
    void ExpectSaved(const std::string& kind, const std::string& repeatText, const std::string& file,
                     std::vector<std::string> keys = {})
    {
        if (keys.empty())
            keys = {Session().Ansi("BGM区分"), Session().Ansi("BGMﾘﾋﾟｰﾄ"), Session().Ansi("BGMﾌｧｲﾙ")};
        std::vector<std::string> writes, expected;
        for (const std::string& line : harness::Lines(dialog.Output()))
            if (line.rfind("write ", 0) == 0)
                writes.push_back(line);
        for (const std::string& value : {kind, repeatText, file})
            expected.push_back("write " + harness::Hex("Section") + " " + harness::Hex(keys[expected.size()]) + " " +
                               (value.empty() ? "-" : harness::Hex(Session().Ansi(value))) + " " +
                               harness::Hex("C:\\gm\\Glowmere.ini"));
        EXPECT_EQ(writes, expected);
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
    EXPECT_EQ(window.style & 0x00C50000, 0x00C00000u);
    EXPECT_EQ(std::vector<long>({window.clientWidth, window.clientHeight, window.left, window.top}),
              std::vector<long>({496, 246, (1920 - (window.right - window.left)) / 2, (1080 - (window.bottom - window.top)) / 3}));
    // The CD source: an empty, enabled repeat box whose list is an empty item, then 1 to 30.
    EXPECT_TRUE(Session().Window(repeat).enabled);
    EXPECT_EQ(RepeatText(), "");
    const auto items = harness::Lines(Session().Tool({"items", std::to_string(repeat)}));
    ASSERT_EQ(items.size(), 31u);
    EXPECT_EQ(items[0] + "|" + items[1] + "|" + items[30], "0 |1 1|30 30");

    EXPECT_EQ(SelectedMark(), 1);
    // The file label's thin border around nothing; the link underlined across most of its
    // white text.
    const auto within = [&](const Box& b, auto test) { return shot.Fraction(b.x, b.y, b.x + b.width, b.y + b.height, test); };
    const auto dark = [](Rgb p) { return p.Brightness() < 200; };
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
              "003c74003c74f3f3eec9c7ba");
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

std::string client932;   // the client area at 96 dpi under code page 932, for the other code pages

TEST_F(SettingsDialog, TheDialogScalesWithTheDisplayAndLaysItselfOutAgainOnADpiChange)
{
    WriteSettings(" 1", " 3");
    const auto setDpi = [](int dpi) {   // read by every process started from now on
        Session().SetRegistryValue("HKCU\\Control Panel\\Desktop", "LogPixels", "REG_DWORD", std::to_string(dpi));
    };
    std::vector<std::pair<int, int>> at96;   // each label's overrun and width
    std::string relaidOut;   // the client area after WM_DPICHANGED from 96 to 144 dpi
    for (int dpi : {96, 120, 144, 192}) {
        SCOPED_TRACE(std::to_string(dpi) + " dpi");
        setDpi(dpi);
        ASSERT_NO_FATAL_FAILURE(Open(false, dpi));
        EXPECT_NEAR(window.clientWidth, 496 * dpi / 96.0, 1);
        EXPECT_NEAR(window.clientHeight, 246 * dpi / 96.0, 1);
        // Labels inked, out of their boxes no further than at 96 dpi and nearly as wide (scaled);
        // the heading inside its outline; no label, mark, button or the combo box on another.
        std::vector<Rect> placed;   // each label's ink: dark on the panel (not the outline), white on the gradient
        const Rect outline = InPanel(l.headingFrame), inner = outline.Inset(l.lineWidth);
        const int m = glowmere::ScaleToDpi(2, dpi);
        for (const Box& label : {l.headingLabel, l.sourceLabels[0], l.sourceLabels[1], l.sourceLabels[2],
                                 l.repeatLabel, l.creditLabel, l.linkLabel}) {
            const bool white = placed.size() >= 5;
            const Rect box = white ? InClient(label) : InPanel(label);
            Rect ink;
            for (int j = box.top - m; j < box.bottom + m; ++j)
                for (int i = box.left - m; i < box.right + glowmere::ScaleToDpi(24, dpi); ++i)
                    if (white ? shot.At(i, j).r > 200
                              : shot.At(i, j).Brightness() < 600 && (Rect{i, j, i + 1, j + 1}.In(inner) ||
                                                                      !Rect{i, j, i + 1, j + 1}.Overlaps(outline)))
                        ink.Add(i, j);
            if (dpi == 96)
                at96.push_back({ink.Beyond(box), ink.right - ink.left});
            EXPECT_LE(ink.Beyond(box), at96[placed.size()].first * dpi / 96 + 1) << "label " << placed.size();
            EXPECT_GT(ink.right - ink.left, std::max(4, at96[placed.size()].second) * dpi * 9 / 960) << "label " << placed.size();
            placed.push_back(ink);
        }
        EXPECT_TRUE(placed[0].In(inner));
        for (const Box& box : {l.sourceMarks[0], l.sourceMarks[1], l.sourceMarks[2], l.repeatBox, l.fileButton})
            placed.push_back(InPanel(box));
        placed.insert(placed.end(), {InClient(l.setButton), InClient(l.cancelButton)});
        for (size_t i = 0; i < placed.size(); ++i)
            for (size_t j = i + 1; j < placed.size(); ++j)
                EXPECT_FALSE(placed[i].Overlaps(placed[j])) << i << " on " << j;
        // The gradient over the whole height, worked out here on its own: |sin(y / (h / 3.142))|
        // × 220; the texture as drawn for this dpi to the panel's right and bottom edges; OK's
        // and Cancel's frame line, the design's second pixel from each edge, scaled.
        int wrong = 0;
        for (int y = 0, h = window.clientHeight; y < h; ++y) {
            const int v = static_cast<int>(std::lround(std::fabs(std::sin(y / (h / 3.142)) * 220.0)));
            wrong += !shot.At(clientX + 2, clientY + y).Is(v << 16 | v << 8 | (v + 30));
        }
        const glowmere::Bitmap24 tile = glowmere::resources::DrawPanelTexture(dpi);
        const auto s = [dpi](int v) { return glowmere::ScaleToDpi(v, dpi); };
        const int px = clientX + l.panel.x, py = clientY + l.panel.y, w = l.panel.width, h = l.panel.height;
        wrong += (w - s(455)) * h - Shows(shot, px, py, tile, s(455), 0, w, h);
        wrong += (w - s(455)) * s(45) - Shows(shot, px, py, tile, s(455) - s(200), 0, w - s(200), s(45));
        const int in = s(1), line = s(2) - in;
        for (const Rect& r : {InClient(l.setButton), InClient(l.cancelButton)})
            for (int k = in - 1, mx = (r.left + r.right) / 2, my = (r.top + r.bottom) / 2; k <= in + line; ++k)
                for (const auto& [x, y] : std::vector<std::pair<int, int>>{
                         {mx, r.top + k}, {mx, r.bottom - 1 - k}, {r.left + k, my}, {r.right - 1 - k, my}})
                    wrong += shot.At(x, y).Is(0x003C74) != (k >= in && k < in + line);
        EXPECT_EQ(wrong, 0);
        if (dpi == 96) {
            client932 = Client();
            // Moved to a 144-dpi monitor: laid out again in the suggested rectangle, as one started there.
            const long right = 100 + 744 + window.right - window.left - 496;
            const long bottom = 40 + 369 + window.bottom - window.top - 246;
            ASSERT_EQ(Session().Tool({"dpi-changed", std::to_string(form), "144", "100", "40", std::to_string(right),
                                      std::to_string(bottom)}), "1");
            const harness::WindowInfo moved = Session().Window(form);
            EXPECT_TRUE(moved.left == 100 && moved.top == 40 && moved.right == right && moved.bottom == bottom);
            ASSERT_TRUE(Painted(144, moved.clientX, moved.clientY));
            shot = Session().Screenshot("dpi-changed-144");
            relaidOut = Client(false);
        } else if (dpi == 144) {
            EXPECT_TRUE(Client(false) == relaidOut) << "differs from the dialog moved to 144 dpi";
        }
        Press(l.cancelButton, 1, false);
        EXPECT_EQ(dialog.Wait(kBound), 0);
    }
    setDpi(96);
}

TEST_F(SettingsDialog, OtherCodePagesShowTheSameGlyphsKeepTheBytesAndSpellAChosenPathShort)
{
    ASSERT_FALSE(client932.empty()) << "needs the dialog at 96 dpi under code page 932 first";
    // The keys BGM区分, BGMﾘﾋﾟｰﾄ, BGMﾌｧｲﾙ as the dialog wrote them here before it used the W functions.
    const struct {
        const char* locale;
        std::vector<std::string> keys;
    } codePages[] = {{"en_US.UTF-8", {"BGM??", "BGM?????", "BGM????"}},
                     {"zh_CN.UTF-8", {"BGM\xC7\xF8\xB7\xD6", "BGM?????", "BGM????"}}};
    harness::WriteFile(Session().DriveC() / "音楽" / "song.mp3", "ID3");   // a path 1252 cannot spell
    for (const auto& cp : codePages) {
        SCOPED_TRACE(cp.locale);
        harness::WriteFile(folder / "Glowmere.ini", "[Section]\r\n" + cp.keys[0] + "= 1\r\n" + cp.keys[1] + "= 3\r\n");
        ASSERT_NO_FATAL_FAILURE(Open(true, 96, cp.locale));
        EXPECT_TRUE(Client() == client932) << "every caption as under code page 932";
        // Under 1252 C:\音楽\song.mp3 is chosen: its path cannot be spelled there, its short one can.
        const bool pick = cp.locale[0] == 'e';
        if (pick) {
            Press(layout::kSourceLabels[2]);
            Press(layout::kFileButton);
            const uint64_t chooser = Session().WaitForWindow(layout::kOpenTitle, kBound);
            for (const auto& child : Session().Children(chooser))   // its file name, typed in as a whole
                if (child.className == "Edit")
                    Session().Tool({"set-text", std::to_string(child.handle), "C:\\音楽\\song.mp3"});
            Session().Post(chooser, harness::kWmCommand, 1);
            ASSERT_TRUE(Session().WaitForWindowGone(layout::kOpenTitle, kBound));
        }
        Press(layout::kSetButton, 1, false);
        ASSERT_EQ(dialog.Wait(kBound), 0);
        const auto lines = harness::Lines(dialog.Output());
        std::string stored;   // the value of the third write
        std::istringstream(lines.size() == 3 ? lines[2] : "") >> stored >> stored >> stored >> stored;
        stored = pick ? harness::FromHex(stored) : "";
        ExpectSaved(pick ? " 2" : " 1", " 3", stored, cp.keys);
        if (!pick)
            continue;
        EXPECT_TRUE(stored.find('~') != std::string::npos && stored.rfind("C:\\", 0) == 0 &&
                    stored.substr(stored.size() - 9) == "\\song.mp3") << stored;
        // A run with it opens the file by that name; it reads the setting only when the file
        // exists. Xvfb refuses the renderer's 1024 x 768, which must end the renderer and so the run.
        fs::copy_file(harness::TestProgramsDir() / "saver_music_probe.exe", folder / "Glowmere.scr",
                      fs::copy_options::overwrite_existing);
        EXPECT_EQ(Session().Run(folder / "Glowmere.scr", {"/s"}, kBound, {{}, {{"LC_ALL", cp.locale}}}).exitCode, 0);
        const std::string open = " send open \"" + stored + "\" type MPEGVideo Alias MP3Play\n";
        EXPECT_NE(harness::ReadFile(folder / "run-calls.log").find(open), std::string::npos);
    }
}

}  // namespace
