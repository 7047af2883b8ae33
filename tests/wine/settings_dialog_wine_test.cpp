// The settings dialog under Wine: the real Glowmere.scr /c in a program folder of its own,
// driven with the real mouse and keyboard through the X server. Its INI files are written
// and read back through the private-profile functions by shell_probe.exe, which also shows
// the same dialog printing what it hands to WritePrivateProfileStringA.
//
// The marks and labels have no windows: the tests read them from the screen. The marks
// are compared pixel for pixel with the stored pictures, the file button's state with the
// colour of its frame line (#003C74 enabled, #C9C7BA disabled).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "harness.h"

namespace {

namespace fs = std::filesystem;
using harness::Cp932;
using harness::Hex;
using harness::Lines;
using harness::Millis;
using harness::Process;
using harness::Rgb;

constexpr char kTitle[] = "<Glowmere>";
constexpr char kOpenTitle[] = "ﾌｧｲﾙを開く";
constexpr unsigned long kWsThickFrame = 0x00040000;
constexpr unsigned long kWsMaximizeBox = 0x00010000;
constexpr unsigned long kWsCaption = 0x00C00000;

constexpr Millis kStartBound(30000);
constexpr Millis kEndBound(20000);
constexpr Millis kShowBound(10000);   // a press or a key reaching the screen

// Places inside the client area and inside the panel (Pic_C at 12, 16).
struct Box {
    int x, y, width, height;
    int CentreX() const { return x + width / 2; }
    int CentreY() const { return y + height / 2; }
};
constexpr Box kPanel = {12, 16, 469, 165};
constexpr Box kMarks[3] = {{28, 76, 13, 13}, {28, 56, 13, 13}, {28, 96, 13, 13}};    // none, CD, file
constexpr Box kLabels[3] = {{44, 76, 22, 13}, {44, 56, 43, 13}, {44, 96, 60, 13}};   // なし, 音楽CD, MP3、WAV
constexpr Box kRepeatBox = {112, 52, 41, 20};
constexpr Box kFileButton = {28, 112, 41, 25};
constexpr Box kFileLabel = {72, 116, 381, 33};
constexpr Box kHeadingFrame = {20, 20, 113, 21};
constexpr Box kCreditLabel = {12, 192, 165, 13};
constexpr Box kLinkLabel = {12, 208, 219, 13};
constexpr Box kSetButton = {316, 200, 81, 25};
constexpr Box kCancelButton = {400, 200, 81, 25};

harness::WineSession& Session()
{
    static harness::WineSession session({1024, 768, "settings-dialog"});
    // No window manager runs on the test display; Wine then paints the frames and captions
    // itself, so that the screenshots show them.
    static const bool framesByWine = [] {
        const auto run = session.Run("reg", {"add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Decorated", "/t",
                                             "REG_SZ", "/d", "N", "/f"},
                                     Millis(60000));
        return run.exitCode == 0;
    }();
    EXPECT_TRUE(framesByWine);
    return session;
}

// The row colour of the background, worked out here on its own: |sin(y / (H / 3.142))| × 220.
Rgb GradientAt(int y, int height)
{
    const int v = static_cast<int>(std::lround(std::fabs(std::sin(y / (height / 3.142)) * 220.0)));
    return {v, v, v + 30};
}

const harness::Image& Picture(const std::string& name)
{
    static std::map<std::string, harness::Image> pictures;
    auto found = pictures.find(name);
    if (found == pictures.end())
        found = pictures.emplace(name, harness::LoadImage(harness::SourceDir() / "saver/resources" / name)).first;
    return found->second;
}

// How many pixels of a w x h block of `shot` at (x, y) equal the picture's at (px, py).
int SameAs(const harness::Image& shot, int x, int y, const harness::Image& picture, int px, int py, int w, int h)
{
    int same = 0;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const Rgb a = shot.At(x + i, y + j), b = picture.At(px + i, py + j);
            same += a.r == b.r && a.g == b.g && a.b == b.b;
        }
    return same;
}

// ---------------------------------------------------------------------------------------
// A program folder with its INI file, and one open dialog

class SettingsDialog : public ::testing::Test {
protected:
    fs::path folder;
    std::string windowsFolder;
    Process dialog;
    uint64_t form = 0, panel = 0, repeat = 0, fileButton = 0, setButton = 0, cancelButton = 0;
    int clientX = 0, clientY = 0;   // the client area's top-left on the screen
    int panelX = 0, panelY = 0;     // the panel's

    void SetUp() override
    {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        const std::string folderName = "gm-" + std::to_string(std::hash<std::string>()(name) % 100000);
        fs::remove_all(Session().DriveC() / folderName);
        folder = Session().MakeProgramFolder(folderName, {"Glowmere.scr", "Glowmere.dll"});
        windowsFolder = "C:\\" + folderName;
        fs::copy_file(harness::TestProgramsDir() / "shell_probe.exe", folder / "shell_probe.exe");
        // Music files, in a folder with a Japanese name.
        fs::remove_all(Session().DriveC() / "音楽");
        harness::WriteFile(Session().DriveC() / "音楽" / "old.mp3", "ID3");
        harness::WriteFile(Session().DriveC() / "音楽" / "song.mp3", "ID3");
        Session().MoveMouse(1010, 750);   // nothing hovered when the dialog appears
    }

    void TearDown() override
    {
        if (dialog.Running()) {
            if (form)
                Session().Post(form, harness::kWmClose);
            if (!dialog.Wait(kEndBound))
                dialog.Kill();
        }
        EXPECT_TRUE(Session().WaitForWindowGone(kTitle, Millis(10000)));
    }

    // The INI file as the private-profile functions write it, with the Japanese keys:
    // key, value, key, value...
    void WriteSettings(const std::vector<std::string>& keysAndValues)
    {
        std::vector<std::string> args = {"write"};
        args.insert(args.end(), keysAndValues.begin(), keysAndValues.end());
        const auto run = Session().Run(folder / "shell_probe.exe", args, kEndBound);
        ASSERT_EQ(run.exitCode, 0) << run.output;
    }

    // A value as GetPrivateProfileStringA reads it back: its bytes in hex.
    std::string ReadSetting(const std::string& key)
    {
        const auto run = Session().Run(folder / "shell_probe.exe", {"get", key}, kEndBound);
        EXPECT_EQ(run.exitCode, 0) << run.output;
        const auto lines = Lines(run.output);
        return lines.empty() ? "" : lines[0];
    }

    fs::path IniFile() const { return folder / "Glowmere.ini"; }

    // Starts the dialog (Glowmere.scr /c, or the recording one in shell_probe.exe) and
    // waits until it is on the screen with everything painted.
    void Open(bool recording = false)
    {
        dialog = recording ? Session().Start(folder / "shell_probe.exe", {"dialog"})
                           : Session().Start(folder / "Glowmere.scr", {"/c"});
        form = Session().WaitForWindow(kTitle, kStartBound);
        ASSERT_NE(form, 0u) << dialog.Output();
        harness::WindowInfo info;
        harness::Eventually([&] { return (info = Session().Window(form)).visible; }, kStartBound);
        ASSERT_EQ(info.clientWidth, 496);
        ASSERT_EQ(info.clientHeight, 246);
        clientX = info.clientX;
        clientY = info.clientY;
        // The children, once all of them are there.
        harness::Eventually([&] { return FindChildren(); }, kStartBound, Millis(200));
        ASSERT_TRUE(panel && repeat && fileButton && setButton && cancelButton)
            << Session().Tool({"children", std::to_string(form)});
        panelX = clientX + kPanel.x;
        panelY = clientY + kPanel.y;
        // Painted: the gradient at half height, left of the panel, and the heading's frame.
        ASSERT_TRUE(Session().WaitForPixel(clientX + 4, clientY + 123, [](Rgb p) { return p.Is(0xDCDCFA); },
                                           kShowBound))
            << "the background never appeared";
        ASSERT_TRUE(Session().WaitForPixel(panelX + kHeadingFrame.x + 50, panelY + kHeadingFrame.y,
                                           [](Rgb p) { return p.Is(0x000000); }, kShowBound))
            << "the panel never appeared";
        std::this_thread::sleep_for(Millis(300));
    }

    bool FindChildren()
    {
        panel = repeat = fileButton = setButton = cancelButton = 0;
        for (const harness::ChildWindow& child : Session().Children(form)) {
            if (child.className == "Lumadrift_P_Pic_C")
                panel = child.handle;
            else if (child.className == "ComboBox")
                repeat = child.handle;
            else if (child.className == "GlowmereCommand" && child.text == "...")
                fileButton = child.handle;
            else if (child.className == "GlowmereCommand" && child.text == "設定")
                setButton = child.handle;
            else if (child.className == "GlowmereCommand" && child.text == "ｷｬﾝｾﾙ")
                cancelButton = child.handle;
        }
        return panel && repeat && fileButton && setButton && cancelButton;
    }

    // Which source mark shows selected: 0 to 2, -1 for none, -2 when a mark is neither
    // picture.
    int SelectedMark()
    {
        const harness::Image shot = Session().Screenshot("marks");
        int selected = -1;
        for (int source = 0; source < 3; ++source) {
            const int x = panelX + kMarks[source].x, y = panelY + kMarks[source].y;
            if (SameAs(shot, x, y, Picture("radio_on.bmp"), 0, 0, 12, 12) == 144)
                selected = selected == -1 ? source : -2;
            else if (SameAs(shot, x, y, Picture("radio_off.bmp"), 0, 0, 12, 12) != 144)
                return -2;
        }
        return selected;
    }

    bool WaitForMark(int source)
    {
        return harness::Eventually([&] { return SelectedMark() == source; }, kShowBound, Millis(200));
    }

    // The file button's frame line: its state as the user sees it.
    bool WaitForFileButton(bool enabled)
    {
        const int colour = enabled ? 0x003C74 : 0xC9C7BA;
        return Session()
            .WaitForPixel(panelX + kFileButton.x + 20, panelY + kFileButton.y + 1,
                          [colour](Rgb p) { return p.Is(colour); }, kShowBound)
            .has_value();
    }

    bool RepeatEnabled() { return Session().Window(repeat).enabled; }
    std::string RepeatText() { return Session().Tool({"sent-text", std::to_string(repeat)}); }

    // The file label's pixels as bytes, for comparing what two dialogs showed.
    std::string FileLabelPicture(const std::string& name)
    {
        const harness::Image shot = Session().Screenshot(name);
        std::string block;
        for (int y = 0; y < kFileLabel.height; ++y)
            for (int x = 0; x < kFileLabel.width; ++x) {
                const Rgb p = shot.At(panelX + kFileLabel.x + x, panelY + kFileLabel.y + y);
                block += {static_cast<char>(p.r), static_cast<char>(p.g), static_cast<char>(p.b)};
            }
        return block;
    }

    void PressInPanel(const Box& box, int button)
    {
        Session().MoveMouse(panelX + box.CentreX(), panelY + box.CentreY());
        Session().Click(button);
    }

    void TypeIntoRepeatBox(const std::string& text)
    {
        Session().FocusWindow(kTitle);
        PressInPanel({kRepeatBox.x, kRepeatBox.y, 20, kRepeatBox.height}, 1);
        Session().Type(text);
        harness::Eventually([&] { return RepeatText() == text; }, kShowBound);
    }

    void PressButton(const Box& box)
    {
        Session().MoveMouse(clientX + box.CentreX(), clientY + box.CentreY());
        std::this_thread::sleep_for(Millis(300));
        Session().Click(1);
    }

    // The three writes the recording dialog printed, in their order, with their exact bytes.
    void ExpectSaved(const std::string& kind, const std::string& repeatText, const std::string& file)
    {
        std::vector<std::vector<std::string>> writes;
        for (const auto& line : Lines(dialog.Output())) {
            std::istringstream in(line);
            std::vector<std::string> fields{std::istream_iterator<std::string>(in), {}};
            if (fields.size() == 5 && fields[0] == "write")
                writes.emplace_back(fields.begin() + 1, fields.end());
        }
        ASSERT_EQ(writes.size(), 3u) << dialog.Output();
        const std::string keys[3] = {"BGM区分", "BGMﾘﾋﾟｰﾄ", "BGMﾌｧｲﾙ"};
        const std::string values[3] = {kind, repeatText, file};
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(writes[i], (std::vector<std::string>{Hex("Section"), Hex(Cp932(keys[i])),
                                                           values[i].empty() ? "-" : Hex(Cp932(values[i])),
                                                           Hex(windowsFolder + "\\Glowmere.ini")}))
                << keys[i];
    }
};

// ---------------------------------------------------------------------------------------
// What the dialog shows

TEST_F(SettingsDialog, TheWholeDialogHasItsGradientTexturedPanelAndEveryControlInPlace)
{
    WriteSettings({"BGM区分", " 1", "BGMﾘﾋﾟｰﾄ", " 0"});
    Open();

    // The program carries its icon (the dialog's).
    EXPECT_EQ(Session().Tool({"icons", windowsFolder + "\\Glowmere.scr"}), "1");

    // A fixed frame with a caption, placed centred and a third of the free height down.
    const harness::WindowInfo window = Session().Window(form);
    EXPECT_EQ(window.style & (kWsThickFrame | kWsMaximizeBox | kWsCaption), kWsCaption);
    EXPECT_EQ(window.left, (1024 - (window.right - window.left)) / 2);
    EXPECT_EQ(window.top, (768 - (window.bottom - window.top)) / 3);

    // The child windows: the panel, the combo box in it, the three buttons.
    const auto expectAt = [&](uint64_t child, int x, int y, const Box& box, const char* what) {
        const harness::WindowInfo info = Session().Window(child);
        EXPECT_TRUE(info.visible) << what;
        EXPECT_EQ(std::vector<long>({info.left, info.top, info.right - info.left, info.bottom - info.top}),
                  std::vector<long>({x + box.x, y + box.y, box.width, box.height}))
            << what;
    };
    expectAt(panel, clientX, clientY, kPanel, "Pic_C");
    expectAt(repeat, panelX, panelY, kRepeatBox, "BGM_Repeat");
    expectAt(fileButton, panelX, panelY, kFileButton, "Cmd_File");
    expectAt(setButton, clientX, clientY, kSetButton, "Cmd_Set");
    expectAt(cancelButton, clientX, clientY, kCancelButton, "Cmd_Can");

    // The CD source: an empty, enabled repeat box whose list is an empty item, then 1 to 30.
    EXPECT_TRUE(RepeatEnabled());
    EXPECT_EQ(RepeatText(), "");
    const auto items = Lines(Session().Tool({"items", std::to_string(repeat)}));
    ASSERT_EQ(items.size(), 31u);
    EXPECT_EQ(items.front(), "0 ");
    EXPECT_EQ(items[1], "1 1");
    EXPECT_EQ(items.back(), "30 30");

    // Kept as build/test-artifacts/settings-dialog/whole-dialog.png for a person to look at.
    const harness::Image shot = Session().Screenshot("whole-dialog");
    // The gradient, row by row, left of the panel and below it.
    int wrongRows = 0;
    for (int y = 0; y < 246; ++y)
        wrongRows += shot.At(clientX + 5, clientY + y).Hex() != GradientAt(y, 246).Hex();
    EXPECT_EQ(wrongRows, 0);
    EXPECT_EQ(shot.At(clientX + 300, clientY + 240).Hex(), GradientAt(240, 246).Hex());

    // The texture: two bands of the panel away from every control, and the band that the
    // tiling starts again at x = 0 on the panel's last row.
    const harness::Image& texture = Picture("panel.bmp");
    EXPECT_EQ(SameAs(shot, panelX + 250, panelY, texture, 250, 0, 200, 20), 200 * 20);
    EXPECT_EQ(SameAs(shot, panelX + 250, panelY + 20, texture, 250, 0, 200, 20), 200 * 20);
    EXPECT_EQ(SameAs(shot, panelX, panelY + 160, texture, 0, 0, 469, 5), 469 * 5);

    // The marks: the CD selected, the other two not.
    for (int source = 0; source < 3; ++source)
        EXPECT_EQ(SameAs(shot, panelX + kMarks[source].x, panelY + kMarks[source].y,
                         Picture(source == 1 ? "radio_on.bmp" : "radio_off.bmp"), 0, 0, 12, 12),
                  144)
            << "mark " << source;

    // The heading's black outline, and black text in the heading and the source labels.
    const auto dark = [](Rgb p) { return p.Brightness() < 200; };
    const auto black = [](Rgb p) { return p.Is(0x000000); };
    const auto white = [](Rgb p) { return p.r > 235 && p.g > 235 && p.b > 235; };
    const auto within = [&](int x, int y, const Box& b, auto test) {
        return shot.Fraction(x + b.x, y + b.y, x + b.x + b.width, y + b.y + b.height, test);
    };
    const Box& h = kHeadingFrame;
    EXPECT_EQ(within(panelX, panelY, {h.x, h.y, h.width, 1}, black), 1.0);
    EXPECT_EQ(within(panelX, panelY, {h.x, h.y + h.height - 1, h.width, 1}, black), 1.0);
    EXPECT_GT(within(panelX, panelY, {40, 22, 60, 14}, dark), 0.05) << "BGM";
    for (int source = 0; source < 3; ++source)
        EXPECT_GT(within(panelX, panelY, kLabels[source], dark), 0.1) << "label " << source;
    EXPECT_GT(within(panelX, panelY, {156, 56, 66, 13}, dark), 0.1) << "曲目をﾘﾋﾟｰﾄ";
    // The file label: its thin border, and nothing in it (no file chosen).
    EXPECT_EQ(within(panelX, panelY, {kFileLabel.x, kFileLabel.y, kFileLabel.width, 1}, dark), 1.0);
    EXPECT_EQ(within(panelX, panelY, {kFileLabel.x, kFileLabel.y, 1, kFileLabel.height}, dark), 1.0);
    EXPECT_EQ(within(panelX, panelY, {kFileLabel.x + 2, kFileLabel.y + 2, 300, 28}, dark), 0.0);

    // White credit and link text on the gradient; the link is underlined: one row of its
    // box is white for most of the text's width.
    EXPECT_GT(within(clientX, clientY, kCreditLabel, white), 0.05);
    EXPECT_GT(within(clientX, clientY, kLinkLabel, white), 0.05);
    double underline = 0;
    for (int y = kLinkLabel.y; y < kLinkLabel.y + kLinkLabel.height + 2; ++y)
        underline =
            std::max(underline, shot.Fraction(clientX + 12, clientY + y, clientX + 160, clientY + y + 1, white));
    EXPECT_GT(underline, 0.9);

    // The repeat box is white while enabled; the buttons' frames, the file button's disabled.
    EXPECT_TRUE(white(shot.At(panelX + kRepeatBox.x + 4, panelY + kRepeatBox.y + 4)));
    EXPECT_EQ(shot.At(clientX + kSetButton.x + 40, clientY + kSetButton.y + 1).Hex(), "003C74");
    EXPECT_EQ(shot.At(clientX + kCancelButton.x + 40, clientY + kCancelButton.y + 1).Hex(), "003C74");
    EXPECT_EQ(shot.At(panelX + kFileButton.x + 20, panelY + kFileButton.y + 1).Hex(), "C9C7BA");
}

TEST_F(SettingsDialog, TheFileSourceShowsItsStateAndAnyMouseButtonOnAMarkOrLabelSelectsASource)
{
    WriteSettings({"BGM区分", " 2", "BGMﾘﾋﾟｰﾄ", " 4", "BGMﾌｧｲﾙ", "C:\\音楽\\old.mp3"});
    Open();
    ASSERT_EQ(SelectedMark(), 2);
    EXPECT_TRUE(WaitForFileButton(true));
    EXPECT_FALSE(RepeatEnabled());
    EXPECT_EQ(RepeatText(), "4");
    // The file label shows the path: dark text inside its border.
    const harness::Image shot = Session().Screenshot("file-source");
    EXPECT_GT(shot.Fraction(panelX + kFileLabel.x + 2, panelY + kFileLabel.y + 2, panelX + kFileLabel.x + 100,
                            panelY + kFileLabel.y + 16, [](Rgb p) { return p.Brightness() < 200; }),
              0.05);

    // A right-button press on "なし", a middle-button press on the CD's mark, a left-button
    // press on "MP3、WAV"; each source enables only its own control.
    const struct {
        Box place;
        int button, source;
    } presses[] = {{kLabels[0], 3, 0}, {kMarks[1], 2, 1}, {kLabels[2], 1, 2}};
    for (const auto& press : presses) {
        SCOPED_TRACE(press.source);
        PressInPanel(press.place, press.button);
        EXPECT_TRUE(WaitForMark(press.source));
        EXPECT_TRUE(WaitForFileButton(press.source == 2));
        EXPECT_EQ(RepeatEnabled(), press.source == 1);
    }

    // A press beside the labels changes nothing.
    PressInPanel({200, 90, 10, 10}, 1);
    std::this_thread::sleep_for(Millis(500));
    EXPECT_EQ(SelectedMark(), 2);
}

// ---------------------------------------------------------------------------------------
// Saving and cancelling

TEST_F(SettingsDialog, SavingWritesTheKindTheTypedTrackAndTheFileThenCloses)
{
    WriteSettings({"BGM区分", " 1", "BGMﾘﾋﾟｰﾄ", " 0"});
    Open();
    TypeIntoRepeatBox("12");
    ASSERT_EQ(RepeatText(), "12");
    PressButton(kSetButton);
    EXPECT_EQ(dialog.Wait(kEndBound), 0);
    EXPECT_EQ(Session().FindWindow(kTitle), 0u);

    // Read back as the next run reads them (Wine's writer drops the leading blank).
    EXPECT_EQ(ReadSetting("BGM区分"), Hex("1"));
    EXPECT_EQ(ReadSetting("BGMﾘﾋﾟｰﾄ"), Hex("12"));
    EXPECT_EQ(ReadSetting("BGMﾌｧｲﾙ"), "");
    EXPECT_NE(harness::ReadFile(IniFile()).find(Cp932("BGMﾌｧｲﾙ=")), std::string::npos)
        << "the file key is written, empty";
}

TEST_F(SettingsDialog, TheTextsHandedToTheIniWriterKeepTheirBlankAndAnUnusableTrackIsZero)
{
    // The last row picks the file source with the mouse and has no file to save.
    const struct {
        const char* typed;
        bool pickFileSource;
        const char* kind;
    } rows[] = {{"abc", false, " 1"}, {"40000", false, " 1"}, {"", true, " 2"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("typed \"") + row.typed + "\"");
        WriteSettings({"BGM区分", " 1", "BGMﾘﾋﾟｰﾄ", " 0"});
        Open(true);
        if (*row.typed)
            TypeIntoRepeatBox(row.typed);
        if (row.pickFileSource) {
            PressInPanel(kLabels[2], 1);
            ASSERT_TRUE(WaitForMark(2));
        }
        PressButton(kSetButton);
        ASSERT_EQ(dialog.Wait(kEndBound), 0);
        ExpectSaved(row.kind, " 0", "");
        EXPECT_EQ(ReadSetting("BGMﾘﾋﾟｰﾄ"), Hex("0"));
    }
}

TEST_F(SettingsDialog, AFileChosenInTheOpenDialogIsShownAndSaved)
{
    WriteSettings({"BGM区分", " 2", "BGMﾌｧｲﾙ", "C:\\音楽\\old.mp3"});
    Open(true);
    const std::string before = FileLabelPicture("file-before");

    PressInPanel(kFileButton, 1);
    const uint64_t chooser = Session().WaitForWindow(kOpenTitle, kStartBound);
    ASSERT_NE(chooser, 0u) << "no open-file dialog titled " << kOpenTitle;
    // Its file-type list holds the one filter.
    bool filterShown = false;
    for (const harness::ChildWindow& child : Session().Children(chooser))
        if (child.className == "ComboBox")
            for (const auto& item : Lines(Session().Tool({"items", std::to_string(child.handle)})))
                filterShown = filterShown || item == "0 BGMﾌｧｲﾙ (MP3 WAV)";
    EXPECT_TRUE(filterShown) << Session().Tool({"children", std::to_string(chooser)});
    // The chooser opens in the current file's folder: a bare name is taken from there.
    std::this_thread::sleep_for(Millis(1000));
    ASSERT_TRUE(Session().FocusWindow(kOpenTitle));
    Session().Type("song.mp3");
    Session().Key("Return");
    ASSERT_TRUE(Session().WaitForWindowGone(kOpenTitle, kStartBound));
    std::this_thread::sleep_for(Millis(500));
    const std::string after = FileLabelPicture("file-after");
    EXPECT_NE(before, after) << "the file label did not change";

    PressButton(kSetButton);
    ASSERT_EQ(dialog.Wait(kEndBound), 0);
    ExpectSaved(" 2", " 0", "C:\\音楽\\song.mp3");
    EXPECT_EQ(ReadSetting("BGMﾌｧｲﾙ"), Hex(Cp932("C:\\音楽\\song.mp3")));

    // A dialog opened on the saved file shows the label exactly as it was after the choice.
    Open();
    EXPECT_EQ(after, FileLabelPicture("file-reopened")) << "the label did not show the chosen path";
}

TEST_F(SettingsDialog, CancelAndTheCloseBoxLeaveTheFileByteForByte)
{
    WriteSettings({"BGM区分", " 2", "BGMﾘﾋﾟｰﾄ", " 5", "BGMﾌｧｲﾙ", "C:\\音楽\\old.mp3"});
    const std::string original = harness::ReadFile(IniFile());
    ASSERT_FALSE(original.empty());
    const auto modified = fs::last_write_time(IniFile());

    // Changes first: the CD source and a typed track, then "ｷｬﾝｾﾙ".
    Open();
    PressInPanel(kLabels[1], 1);
    ASSERT_TRUE(WaitForMark(1));
    TypeIntoRepeatBox("7");
    PressButton(kCancelButton);
    EXPECT_EQ(dialog.Wait(kEndBound), 0);
    EXPECT_EQ(harness::ReadFile(IniFile()), original);
    EXPECT_EQ(fs::last_write_time(IniFile()), modified);

    // The frame's close box (WM_CLOSE) after a change of source.
    Open();
    PressInPanel(kLabels[0], 1);
    ASSERT_TRUE(WaitForMark(0));
    Session().Post(form, harness::kWmClose);
    EXPECT_EQ(dialog.Wait(kEndBound), 0);
    EXPECT_EQ(harness::ReadFile(IniFile()), original);
}

TEST_F(SettingsDialog, TheLinkOpensTheHomePageAndTheDialogStaysOpen)
{
    // The prefix's browser is a script that notes the address it is given.
    const fs::path script = Session().Prefix().parent_path() / "browser.sh";
    const fs::path opened = Session().Prefix().parent_path() / "opened.txt";
    fs::remove(opened);
    harness::WriteFile(script, "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + opened.string() + "'\n");
    fs::permissions(script, fs::perms::owner_all);
    const auto reg = Session().Run("reg", {"add", "HKCU\\Software\\Wine\\WineBrowser", "/v", "Browsers", "/t",
                                           "REG_SZ", "/d", script.string(), "/f"},
                                   Millis(60000));
    ASSERT_EQ(reg.exitCode, 0) << reg.output;

    Open();
    Session().MoveMouse(clientX + kLinkLabel.x + 40, clientY + kLinkLabel.CentreY());
    Session().Click(1);
    harness::Eventually([&] { return fs::exists(opened); }, kStartBound, Millis(200));
    std::this_thread::sleep_for(Millis(300));
    EXPECT_EQ(harness::ReadFile(opened), "https://glowmere.example/\n");
    EXPECT_FALSE(dialog.Wait(Millis(500)).has_value()) << "the dialog closed";
    EXPECT_EQ(Session().FindWindow(kTitle), form);
}

}  // namespace
