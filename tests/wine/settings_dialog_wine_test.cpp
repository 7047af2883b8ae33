// The settings dialog under Wine: the real Glowmere.scr /c, or the same dialog in testtool.exe
// printing what it hands to WritePrivateProfileStringA, in a program folder of its own,
// driven with the real mouse and keyboard through the X server. The marks and labels have
// no windows: the tests read them from the screen, the marks pixel for pixel against the
// stored pictures, a button's state from the colour of its frame line (#003C74 enabled,
// #C9C7BA disabled). Places come from the dialog's own layout table.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "dialog_layout.h"
#include "harness.h"

namespace {

namespace fs = std::filesystem;
namespace layout = glowmere::dialog;
using harness::Hex;
using harness::Image;
using harness::Millis;
using harness::Rgb;
using layout::Box;

constexpr char kTitle[] = "<Glowmere>";
const Millis kBound(30000);
const Millis kShowBound(10000);   // a press or a key reaching the screen

harness::WineSession& Session()
{
    static harness::WineSession session({1024, 768, "settings-dialog"});
    return session;
}

// The row colour of the background, worked out here on its own: |sin(y / (H / 3.142))| × 220.
std::string GradientAt(int y)
{
    const int v = static_cast<int>(std::lround(std::fabs(std::sin(y / (246 / 3.142)) * 220.0)));
    return Rgb{v, v, v + 30}.Hex();
}

const Image& Picture(const std::string& name)
{
    static std::map<std::string, Image> pictures;
    if (!pictures.count(name))
        pictures[name] = harness::LoadImage(harness::SourceDir() / "saver/resources" / name);
    return pictures[name];
}

// How many pixels of a w x h block of `shot` at (x, y) equal the picture's at (px, py).
int SameAs(const Image& shot, int x, int y, const Image& picture, int px, int py, int w, int h)
{
    int same = 0;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            same += shot.At(x + i, y + j).Hex() == picture.At(px + i, py + j).Hex();
    return same;
}

class SettingsDialog : public ::testing::Test {
protected:
    fs::path folder;
    harness::Process dialog;
    uint64_t form = 0, repeat = 0;
    int clientX = 0, clientY = 0, panelX = 0, panelY = 0;   // top-left corners on the screen

    void SetUp() override
    {
        folder = Session().MakeProgramFolder("gm", {"Glowmere.scr", "Glowmere.dll"});
        fs::copy_file(harness::TestProgramsDir() / "testtool.exe", folder / "testtool.exe");
        fs::remove_all(Session().DriveC() / "音楽");
        for (const char* file : {"old.mp3", "song.mp3", "tone.wav", "notes.txt"})
            harness::WriteFile(Session().DriveC() / "音楽" / file, "ID3");
        Session().MoveMouse(1010, 750);   // nothing hovered when the dialog appears
    }

    void TearDown() override
    {
        if (dialog.Running())
            Session().Post(form, harness::kWmClose);
        EXPECT_TRUE(dialog.Wait(kBound).has_value());
    }

    // Glowmere.ini as Windows writes it: the ANSI code page, CRLF, a blank before a number.
    void WriteSettings(const std::string& kind, const std::string& repeatText, const std::string& file = "")
    {
        harness::WriteFile(folder / "Glowmere.ini", Session().Ansi("[Section]\r\nBGM区分=" + kind + "\r\nBGMﾘﾋﾟｰﾄ=" +
                                                                   repeatText + "\r\nBGMﾌｧｲﾙ=" + file + "\r\n"));
    }

    // Starts the dialog and waits until it is on the screen with everything painted.
    void Open(bool recording)
    {
        dialog = recording ? Session().Start(folder / "testtool.exe", {"dialog"})
                           : Session().Start(folder / "Glowmere.scr", {"/c"});
        form = Session().WaitForWindow(kTitle, kBound);
        ASSERT_NE(form, 0u) << dialog.Output();
        harness::WindowInfo info;
        ASSERT_TRUE(harness::Eventually([&] { return (info = Session().Window(form)).visible; }, kBound));
        ASSERT_EQ(std::pair(info.clientWidth, info.clientHeight), std::pair(long(layout::kClientWidth), long(layout::kClientHeight)));
        clientX = info.clientX;
        clientY = info.clientY;
        panelX = clientX + layout::kPanel.x;
        panelY = clientY + layout::kPanel.y;
        for (const harness::ChildWindow& child : Session().Children(form))
            repeat = child.className == "ComboBox" ? child.handle : repeat;
        // Painted: the gradient at half height left of the panel, the heading's frame, the
        // last button.
        for (const auto& [x, y, colour] : {std::array{clientX + 4, clientY + 123, 0xDCDCFA},
                                           {panelX + layout::kHeadingFrame.x + 50, panelY + layout::kHeadingFrame.y, 0},
                                           {clientX + layout::kCancelButton.x + 40, clientY + layout::kCancelButton.y + 1,
                                            0x003C74}})
            ASSERT_TRUE(Session().WaitForPixel(x, y, [c = colour](Rgb p) { return p.Is(c); }, kShowBound))
                << "not painted at " << x << "," << y;
    }

    // Which source mark shows selected: 0 to 2, -1 for none, -2 when a mark is neither picture.
    int SelectedMark()
    {
        const Image shot = Session().Grab();
        int selected = -1;
        for (int source = 0; source < 3; ++source) {
            const Box& mark = layout::kSourceMarks[source];
            if (SameAs(shot, panelX + mark.x, panelY + mark.y, Picture("radio_on.bmp"), 0, 0, 12, 12) == 144)
                selected = selected == -1 ? source : -2;
            else if (SameAs(shot, panelX + mark.x, panelY + mark.y, Picture("radio_off.bmp"), 0, 0, 12, 12) != 144)
                return -2;
        }
        return selected;
    }
    bool WaitForMark(int source)
    {
        return harness::Eventually([&] { return SelectedMark() == source; }, kShowBound);
    }

    bool WaitForFileButton(bool enabled)
    {
        return Session()
            .WaitForPixel(panelX + layout::kFileButton.x + 20, panelY + layout::kFileButton.y + 1,
                          [enabled](Rgb p) { return p.Is(enabled ? 0x003C74 : 0xC9C7BA); }, kShowBound)
            .has_value();
    }

    bool RepeatEnabled() { return Session().Window(repeat).enabled; }
    std::string RepeatText() { return Session().Tool({"sent-text", std::to_string(repeat)}); }

    // The file label's pixels as bytes, to compare what it showed at two moments.
    std::string FileLabel()
    {
        const Image shot = Session().Grab();
        std::string block;
        for (int y = 0; y < layout::kFileLabel.height; ++y)
            for (int x = 0; x < layout::kFileLabel.width; ++x)
                block += shot.At(panelX + layout::kFileLabel.x + x, panelY + layout::kFileLabel.y + y).Hex();
        return block;
    }

    void Press(const Box& box, int button = 1, bool inPanel = true)
    {
        Session().MoveMouse((inPanel ? panelX : clientX) + box.x + box.width / 2 - 3,
                            (inPanel ? panelY : clientY) + box.y + box.height / 2 - 3);
        Session().MoveMouse((inPanel ? panelX : clientX) + box.x + box.width / 2,
                            (inPanel ? panelY : clientY) + box.y + box.height / 2);
        Session().Click(button);
    }

    // The writes the recording dialog printed, with their exact bytes: kind, repeat, file.
    void ExpectSaved(const std::string& kind, const std::string& repeatText, const std::string& file)
    {
        std::vector<std::string> writes;
        for (const std::string& line : harness::Lines(dialog.Output()))
            if (line.rfind("write ", 0) == 0)
                writes.push_back(line);
        const auto expected = [&](const char* key, const std::string& value) {
            return "write " + Hex("Section") + " " + Hex(Session().Ansi(key)) + " " +
                   (value.empty() ? "-" : Hex(Session().Ansi(value))) + " " + Hex("C:\\gm\\Glowmere.ini");
        };
        EXPECT_EQ(writes, (std::vector<std::string>{expected("BGM区分", kind), expected("BGMﾘﾋﾟｰﾄ", repeatText),
                                                    expected("BGMﾌｧｲﾙ", file)}));
    }

    // The open-file dialog: its handle, once its file list shows the folder's music files.
    uint64_t OpenChooser()
    {
        Press(layout::kFileButton);
        const uint64_t chooser = Session().WaitForWindow(layout::kOpenTitle, kBound);
        EXPECT_NE(chooser, 0u) << "no open-file dialog titled " << layout::kOpenTitle;
        std::string types, listed;
        harness::Eventually(
            [&] {
                types.clear();
                for (const harness::ChildWindow& child : Session().Children(chooser)) {
                    if (child.className == "ComboBox")
                        types += Session().Tool({"items", std::to_string(child.handle)}) + "|";
                    if (child.className == "SysListView32")   // LVM_GETITEMCOUNT
                        listed = Session().Tool({"send", std::to_string(child.handle), "4100", "0", "0"});
                }
                return listed == "3" && types.find("BGM") != std::string::npos;
            },
            kShowBound);
        EXPECT_NE(types.find("0 BGMﾌｧｲﾙ (MP3 WAV)|"), std::string::npos) << types;
        EXPECT_EQ(listed, "3") << "C:\\音楽 holds three MP3 and WAV files and a text file";
        return chooser;
    }
};

TEST_F(SettingsDialog, TheWholeDialogIsInPlaceAnyMouseButtonPicksASourceTheLinkOpensAndTheCloseBoxSavesNothing)
{
    WriteSettings(" 1", " 0");
    const std::string original = harness::ReadFile(folder / "Glowmere.ini");
    ASSERT_NO_FATAL_FAILURE(Open(false));
    EXPECT_EQ(Session().Tool({"icons", "C:\\gm\\Glowmere.scr"}), "1") << "the program carries its icon";

    // A fixed frame with a caption (no sizing border, no maximise box), centred across the
    // screen and a third of the free height down.
    const harness::WindowInfo window = Session().Window(form);
    EXPECT_EQ(window.style & 0x00C50000, 0x00C00000u);
    EXPECT_EQ(window.left, (1024 - (window.right - window.left)) / 2);
    EXPECT_EQ(window.top, (768 - (window.bottom - window.top)) / 3);
    // The child windows where the layout puts them.
    std::map<std::string, Box> expected = {{"Lumadrift_P_Pic_C ", layout::kPanel},
                                           {"GlowmereCommand 設定", layout::kSetButton},
                                           {"GlowmereCommand ｷｬﾝｾﾙ", layout::kCancelButton}};
    for (const harness::ChildWindow& child : Session().Children(form)) {
        if (child.className == "Edit")
            continue;   // the combo box's own edit control
        const harness::WindowInfo info = Session().Window(child.handle);
        const bool inPanel = child.className == "ComboBox" || child.text == "...";
        const Box box = child.className == "ComboBox" ? layout::kRepeatBox
                        : child.text == "..."         ? layout::kFileButton
                                                      : expected[child.className + " " + child.text];
        EXPECT_TRUE(info.visible) << child.className << child.text;
        EXPECT_EQ(std::vector<long>({info.left, info.top, info.right - info.left, info.bottom - info.top}),
                  std::vector<long>({(inPanel ? panelX : clientX) + box.x, (inPanel ? panelY : clientY) + box.y,
                                     box.width, box.height}))
            << child.className << " " << child.text;
    }

    // The CD source: an empty, enabled repeat box whose list is an empty item, then 1 to 30.
    EXPECT_TRUE(RepeatEnabled());
    EXPECT_EQ(RepeatText(), "");
    const auto items = harness::Lines(Session().Tool({"items", std::to_string(repeat)}));
    ASSERT_EQ(items.size(), 31u);
    EXPECT_EQ(items.front() + "|" + items[1] + "|" + items.back(), "0 |1 1|30 30");

    // Kept as build/test-artifacts/settings-dialog/whole-dialog.ppm for a person to look at.
    const Image shot = Session().Screenshot("whole-dialog");
    int wrongRows = 0;
    for (int y = 0; y < 246; ++y)
        wrongRows += shot.At(clientX + 5, clientY + y).Hex() != GradientAt(y);
    EXPECT_EQ(wrongRows, 0) << "the gradient, row by row";
    EXPECT_EQ(shot.At(clientX + 300, clientY + 240).Hex(), GradientAt(240));
    // The texture: a band away from every control, and the band where the tiling starts
    // again at x = 0 on the panel's last rows.
    const Image& texture = Picture("panel.bmp");
    EXPECT_EQ(SameAs(shot, panelX + 250, panelY, texture, 250, 0, 200, 20), 200 * 20);
    EXPECT_EQ(SameAs(shot, panelX, panelY + 160, texture, 0, 0, 469, 5), 469 * 5);
    EXPECT_EQ(SelectedMark(), 1);
    // The heading's black outline; dark text in the heading, the labels and the repeat
    // caption; the file label's thin border around nothing.
    const auto dark = [](Rgb p) { return p.Brightness() < 200; };
    const auto white = [](Rgb p) { return p.r > 235 && p.g > 235 && p.b > 235; };
    const auto within = [&](int x, int y, const Box& b, auto test) {
        return shot.Fraction(x + b.x, y + b.y, x + b.x + b.width, y + b.y + b.height, test);
    };
    const Box& h = layout::kHeadingFrame;
    EXPECT_EQ(within(panelX, panelY, {h.x, h.y, h.width, 1}, [](Rgb p) { return p.Is(0); }), 1.0);
    EXPECT_EQ(within(panelX, panelY, {h.x, h.y + h.height - 1, h.width, 1}, [](Rgb p) { return p.Is(0); }), 1.0);
    for (const Box& label : {layout::kHeadingLabel, layout::kSourceLabels[0], layout::kSourceLabels[1],
                             layout::kSourceLabels[2], layout::kRepeatLabel})
        EXPECT_GT(within(panelX, panelY, label, dark), 0.05) << label.x << "," << label.y;
    const Box& f = layout::kFileLabel;
    EXPECT_EQ(within(panelX, panelY, {f.x, f.y, f.width, 1}, dark), 1.0);
    EXPECT_EQ(within(panelX, panelY, {f.x, f.y, 1, f.height}, dark), 1.0);
    EXPECT_EQ(within(panelX, panelY, {f.x + 2, f.y + 2, 300, 28}, dark), 0.0);
    // White credit and link on the gradient; the link underlined across most of its text.
    EXPECT_GT(within(clientX, clientY, layout::kCreditLabel, white), 0.05);
    EXPECT_GT(within(clientX, clientY, layout::kLinkLabel, white), 0.05);
    double underline = 0;
    for (int y = layout::kLinkLabel.y; y < layout::kLinkLabel.y + layout::kLinkLabel.height + 2; ++y)
        underline = std::max(underline, shot.Fraction(clientX + 12, clientY + y, clientX + 160, clientY + y + 1, white));
    EXPECT_GT(underline, 0.9);
    EXPECT_TRUE(white(shot.At(panelX + layout::kRepeatBox.x + 4, panelY + layout::kRepeatBox.y + 4)));
    EXPECT_EQ(shot.At(panelX + layout::kFileButton.x + 20, panelY + layout::kFileButton.y + 1).Hex(), "C9C7BA");

    // A right-button press on "なし", a middle-button press on the file's mark, a left-button
    // press on "音楽CD": each source enables only its own control.
    for (const auto& [place, button, source] : {std::tuple{layout::kSourceLabels[0], 3, 0},
                                                {layout::kSourceMarks[2], 2, 2}, {layout::kSourceLabels[1], 1, 1}}) {
        Press(place, button);
        EXPECT_TRUE(WaitForMark(source)) << source;
        EXPECT_TRUE(WaitForFileButton(source == 2)) << source;
        EXPECT_EQ(RepeatEnabled(), source == 1) << source;
    }
    Press({200, 90, 10, 10});   // beside the labels: nothing changes
    std::this_thread::sleep_for(Millis(300));
    EXPECT_EQ(SelectedMark(), 1);

    // The prefix's browser is a script that notes the address it is given; the dialog stays.
    const fs::path script = Session().WorkDir() / "browser.sh", opened = Session().WorkDir() / "opened.txt";
    harness::WriteFile(script, "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + opened.string() + "'\n");
    fs::permissions(script, fs::perms::owner_all);
    Session().SetRegistryValue("HKCU\\Software\\Wine\\WineBrowser", "Browsers", "REG_SZ", script.string());
    Press({layout::kLinkLabel.x, layout::kLinkLabel.y, 80, layout::kLinkLabel.height}, 1, false);
    EXPECT_TRUE(harness::Eventually([&] { return harness::ReadFile(opened) == "https://glowmere.example/\n"; }, kBound))
        << harness::ReadFile(opened);
    EXPECT_TRUE(dialog.Running());

    // The frame's close box after all these changes: nothing is written.
    Session().Post(form, harness::kWmClose);
    EXPECT_EQ(dialog.Wait(kBound), 0);
    EXPECT_EQ(harness::ReadFile(folder / "Glowmere.ini"), original);
}

TEST_F(SettingsDialog, ACancelledChooserChangesNothingAndATypedNewFileIsShownAndSavedWithTheRepeatText)
{
    WriteSettings(" 2", " 4", "C:\\音楽\\old.mp3");
    ASSERT_NO_FATAL_FAILURE(Open(true));
    EXPECT_EQ(SelectedMark(), 2);
    EXPECT_TRUE(WaitForFileButton(true));
    EXPECT_FALSE(RepeatEnabled());
    EXPECT_EQ(RepeatText(), "4");
    const std::string before = FileLabel();
    const Box& f = layout::kFileLabel;
    EXPECT_GT(Session().Grab().Fraction(panelX + f.x + 2, panelY + f.y + 2, panelX + f.x + 100, panelY + f.y + 16,
                                        [](Rgb p) { return p.Brightness() < 200; }),
              0.05)
        << "the label shows no path";

    // The chooser lists the MP3 and WAV files of the current file's folder. Cancelled, it
    // leaves the label, the file and the folder: the button clicks again after the focus has
    // left it, and the next chooser opens in the same folder.
    ASSERT_NE(OpenChooser(), 0u);
    Session().Key("Escape");
    ASSERT_TRUE(Session().WaitForWindowGone(layout::kOpenTitle, kBound));
    EXPECT_EQ(FileLabel(), before);
    ASSERT_NE(OpenChooser(), 0u);
    // A name typed bare is taken from there, and need not exist.
    Session().Type("new.mp3");
    Session().Key("Return");
    ASSERT_TRUE(Session().WaitForWindowGone(layout::kOpenTitle, kBound));
    EXPECT_TRUE(harness::Eventually([&] { return FileLabel() != before; }, kShowBound)) << "the label did not change";

    Press(layout::kSetButton, 1, false);
    ASSERT_EQ(dialog.Wait(kBound), 0);
    ExpectSaved(" 2", " 4", "C:\\音楽\\new.mp3");
    // The file as the next start reads it: the keys in the ANSI code page (Wine's writer
    // drops the blank before a number).
    const std::string ini = harness::ReadFile(folder / "Glowmere.ini");
    for (const char* entry : {"BGM区分=2\r\n", "BGMﾘﾋﾟｰﾄ=4\r\n", "BGMﾌｧｲﾙ=C:\\音楽\\new.mp3\r\n"})
        EXPECT_NE(ini.find(Session().Ansi(entry)), std::string::npos) << entry;
}

TEST_F(SettingsDialog, WhenTheIniFileCannotBeWrittenTheTypedTrackIsHandedOverAndTheDialogClosesSilently)
{
    fs::create_directories(folder / "Glowmere.ini");   // a folder where the file should be
    ASSERT_NO_FATAL_FAILURE(Open(true));
    EXPECT_EQ(SelectedMark(), 0) << "no settings: no music";
    Press(layout::kSourceLabels[1]);
    ASSERT_TRUE(WaitForMark(1));
    Press({layout::kRepeatBox.x, layout::kRepeatBox.y, 20, layout::kRepeatBox.height});
    Session().Type("12");
    ASSERT_TRUE(harness::Eventually([&] { return RepeatText() == "12"; }, kShowBound)) << RepeatText();
    Press(layout::kSetButton, 1, false);
    // A message box would keep the process from ending.
    EXPECT_EQ(dialog.Wait(kBound), 0);
    ExpectSaved(" 1", " 12", "");
}

TEST_F(SettingsDialog, CancelLeavesTheFileByteForByte)
{
    WriteSettings(" 1", " 5");
    const std::string original = harness::ReadFile(folder / "Glowmere.ini");
    const auto modified = fs::last_write_time(folder / "Glowmere.ini");
    ASSERT_NO_FATAL_FAILURE(Open(false));
    EXPECT_EQ(RepeatText(), "5");
    Press(layout::kSourceLabels[0]);
    ASSERT_TRUE(WaitForMark(0));
    Press(layout::kCancelButton, 1, false);
    EXPECT_EQ(dialog.Wait(kBound), 0);
    EXPECT_EQ(harness::ReadFile(folder / "Glowmere.ini"), original);
    EXPECT_EQ(fs::last_write_time(folder / "Glowmere.ini"), modified);
}

}  // namespace
