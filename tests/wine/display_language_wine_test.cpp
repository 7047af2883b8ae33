// The settings dialog as users of scaled displays and other languages see it: at 96 to 192 dpi (LogPixels,
// read by each new process) and under code pages 1252 and 936 (LC_ALL of each process), in one prefix.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "dialog_layout.h"
#include "dialog_logic.h"
#include "harness.h"
#include "resource_pictures.h"

namespace {

namespace fs = std::filesystem;
using glowmere::ScaleToDpi;
using glowmere::dialog::Box;
using harness::Rgb, std::max, std::min;

constexpr harness::Millis kBound(30000);

harness::WineSession& Session()
{
    static harness::WineSession session({1024, 768, "display-language"});
    return session;
}

// The program folder, set to the CD source and track 3 under keys as the code page spells them.
fs::path Folder(const std::string& kindKey, const std::string& repeatKey)
{
    static const fs::path folder = Session().MakeProgramFolder("gm-dl", {"Glowmere.scr", "Glowmere.dll"});
    fs::copy_file(harness::TestProgramsDir() / "testtool.exe", folder / "testtool.exe", fs::copy_options::skip_existing);
    harness::WriteFile(folder / "Glowmere.ini", "[Section]\r\n" + kindKey + "= 1\r\n" + repeatKey + "= 3\r\n");
    harness::WriteFile(Session().DriveC() / "音楽" / "song.mp3", "ID3");   // a file whose path 1252 cannot spell
    return folder;
}

struct Rect {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;   // empty until a point is added
    static Rect Of(const Box& b, int x, int y) { return {x + b.x, y + b.y, x + b.x + b.width, y + b.y + b.height}; }
    Rect Inset(int w) const { return {left + w, top + w, right - w, bottom - w}; }
    void Add(int x, int y) { *this = {min(left, x), min(top, y), max(right, x + 1), max(bottom, y + 1)}; }
    bool Overlaps(const Rect& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
    bool In(const Rect& o) const { return left >= o.left && top >= o.top && right <= o.right && bottom <= o.bottom; }
    int Beyond(const Rect& o) const { return max({0, o.left - left, o.top - top, right - o.right, bottom - o.bottom}); }
};

// One dialog on the screen, laid out at `l`, its client area at (x, y), its panel at (px, py).
struct Shown {
    harness::Process process;
    uint64_t form = 0;
    harness::WindowInfo window;
    glowmere::dialog::Layout l;
    int x = 0, y = 0, px = 0, py = 0;
    harness::Image shot;
    Rect InPanel(const Box& b) const { return Rect::Of(b, px, py); }
    Rect InClient(const Box& b) const { return Rect::Of(b, x, y); }
    // The client area's pixels; or all but the combo box's arrow half, which Wine sizes by the process's dpi.
    std::string Client(bool withArrow = true) const
    {
        Rect arrow = InPanel(l.repeatBox);
        arrow.left = withArrow ? arrow.right : (arrow.left + arrow.right) / 2;
        std::string pixels;
        for (int j = y; j < y + l.client.height; ++j)
            for (int i = x; i < x + l.client.width; ++i)
                pixels += Rect{i, j, i + 1, j + 1}.In(arrow) ? "" : shot.At(i, j).Hex();
        return pixels;
    }
    // Laid out at `dpi` with the client area at (cx, cy), and painted there: the gradient, the texture by the
    // heading's outline, the combo box's white field and the three buttons' frame lines.
    bool Painted(int dpi, int cx, int cy)
    {
        l = glowmere::dialog::LayoutAt(dpi);
        x = cx, y = cy, px = x + l.panel.x, py = y + l.panel.y;
        const auto seen = [](int atX, int atY, auto test) { return !!Session().WaitForPixel(atX, atY, test, kBound); };
        const int line = ScaleToDpi(1, dpi);
        const Rect outline = InPanel(l.headingFrame), combo = InPanel(l.repeatBox);
        bool painted = seen(x + 4, y + l.client.height / 2, [](Rgb p) { return p.Is(0xDCDCFA); }) &&
                       seen(outline.left + 4, outline.top - line, [](Rgb p) { return p.Brightness() > 600; }) &&
                       seen((3 * combo.left + 2 * combo.right) / 5, (combo.top + combo.bottom) / 2,
                            [](Rgb p) { return p.Is(0xFFFFFF); });
        const auto frameLine = [](Rgb p) { return p.Is(0x003C74) || p.Is(0xC9C7BA); };   // enabled or disabled
        for (const Rect& r : {InPanel(l.fileButton), InClient(l.setButton), InClient(l.cancelButton)})
            painted = painted && seen(r.left + 4 * line, r.top + line, frameLine);
        return painted;
    }
    bool Open(const fs::path& program, const std::string& locale, int dpi, const std::string& shotName)
    {
        Session().MoveMouse(1010, 750);   // nothing hovered
        const std::string argument = program.extension() == ".exe" ? "dialog" : "/c";
        process = Session().Start(program, {argument}, {{}, {{"LC_ALL", locale}}});
        form = Session().WaitForWindow("<Glowmere>", kBound);
        harness::Eventually([&] { return (window = Session().Window(form)).visible; }, kBound);
        if (!form || !Painted(dpi, window.clientX, window.clientY))
            return false;
        shot = Session().Screenshot(shotName);
        return true;
    }
};

void Press(const Rect& r) { Session().MoveMouse((r.left + r.right) / 2, (r.top + r.bottom) / 2), Session().Click(1); }

std::string client932;   // the client area at 96 dpi under code page 932, for the other code pages

TEST(DisplayAndLanguage, TheDialogScalesWithTheDisplayAndLaysItselfOutAgainOnADpiChange)
{
    const fs::path folder = Folder(Session().Ansi("BGM区分"), Session().Ansi("BGMﾘﾋﾟｰﾄ"));
    const auto setDpi = [](int dpi) {   // read by every process started from now on
        Session().SetRegistryValue("HKCU\\Control Panel\\Desktop", "LogPixels", "REG_DWORD", std::to_string(dpi));
    };
    std::vector<std::pair<int, int>> at96;   // each label's overrun and width
    std::string relaidOut;   // the client area after WM_DPICHANGED from 96 to 144 dpi
    for (int dpi : {96, 120, 144, 192}) {
        SCOPED_TRACE(std::to_string(dpi) + " dpi");
        Shown d;
        setDpi(dpi);
        ASSERT_TRUE(d.Open(folder / "Glowmere.scr", "ja_JP.UTF-8", dpi, "dpi-" + std::to_string(dpi)));
        EXPECT_NEAR(d.window.clientWidth, 496 * dpi / 96.0, 1);
        EXPECT_NEAR(d.window.clientHeight, 246 * dpi / 96.0, 1);
        // Labels out of their boxes no further than at 96 dpi and nearly as wide (scaled); the heading inside its
        // outline; no label, mark, button or the combo box on another (OK and Cancel are seen in place below).
        std::vector<Rect> placed;   // each label's ink: dark on the panel (not the outline), white on the gradient
        const Rect outline = d.InPanel(d.l.headingFrame), inner = outline.Inset(d.l.lineWidth);
        const int m = ScaleToDpi(2, dpi);
        for (const Box& label : {d.l.headingLabel, d.l.sourceLabels[0], d.l.sourceLabels[1], d.l.sourceLabels[2],
                                 d.l.repeatLabel, d.l.creditLabel, d.l.linkLabel}) {
            const bool white = placed.size() >= 5;
            const Rect box = white ? d.InClient(label) : d.InPanel(label);
            Rect ink;
            for (int j = box.top - m; j < box.bottom + m; ++j)
                for (int i = box.left - m; i < box.right + ScaleToDpi(24, dpi); ++i)
                    if (white ? d.shot.At(i, j).r > 200
                              : d.shot.At(i, j).Brightness() < 600 && (Rect{i, j, i + 1, j + 1}.In(inner) ||
                                                                        !Rect{i, j, i + 1, j + 1}.Overlaps(outline)))
                        ink.Add(i, j);
            if (dpi == 96)
                at96.push_back({ink.Beyond(box), ink.right - ink.left});
            EXPECT_LE(ink.Beyond(box), at96[placed.size()].first * dpi / 96 + 1) << "label " << placed.size();
            EXPECT_GT(ink.right - ink.left, at96[placed.size()].second * dpi * 9 / 960) << "label " << placed.size();
            placed.push_back(ink);
        }
        EXPECT_TRUE(placed[0].In(inner));
        for (const Box& box :
             {d.l.sourceMarks[0], d.l.sourceMarks[1], d.l.sourceMarks[2], d.l.repeatBox, d.l.fileButton})
            placed.push_back(d.InPanel(box));
        placed.insert(placed.end(), {d.InClient(d.l.setButton), d.InClient(d.l.cancelButton)});
        for (size_t i = 0; i < placed.size(); ++i)
            for (size_t j = i + 1; j < placed.size(); ++j)
                EXPECT_FALSE(placed[i].Overlaps(placed[j])) << i << " on " << j;
        // The gradient over the whole height and the texture as drawn for this dpi to the panel's right and bottom
        // edges; OK's and Cancel's frame line, the design's second pixel from each edge, scaled.
        int wrong = 0;
        for (int y = 0; y < d.window.clientHeight; ++y) {
            const glowmere::GradientColour g = glowmere::GradientRow(y, d.window.clientHeight);
            wrong += !d.shot.At(d.x + 2, d.y + y).Is(g.r << 16 | g.g << 8 | g.b);
        }
        const glowmere::Bitmap24 tile = glowmere::resources::DrawPanelTexture(dpi);
        const auto untextured = [&](int x, int y) {
            const uint8_t* p = &tile.bits[tile.Stride(tile.width) * (tile.height - 1 - y % tile.height) +
                                          x % tile.width * 3];
            return !d.shot.At(d.px + x, d.py + y).Is(p[2] << 16 | p[1] << 8 | p[0]);
        };
        for (int y = 0; y < d.l.panel.height; ++y)
            for (int x = ScaleToDpi(455, dpi); x < d.l.panel.width; ++x)
                wrong += untextured(x, y) + (y < ScaleToDpi(45, dpi) && untextured(x - ScaleToDpi(200, dpi), y));
        const int in = ScaleToDpi(1, dpi), line = ScaleToDpi(2, dpi) - in;
        for (const Rect& r : {d.InClient(d.l.setButton), d.InClient(d.l.cancelButton)})
            for (int k = in - 1, mx = (r.left + r.right) / 2, my = (r.top + r.bottom) / 2; k <= in + line; ++k)
                for (const auto& [x, y] : std::vector<std::pair<int, int>>{
                         {mx, r.top + k}, {mx, r.bottom - 1 - k}, {r.left + k, my}, {r.right - 1 - k, my}})
                    wrong += d.shot.At(x, y).Is(0x003C74) != (k >= in && k < in + line);
        EXPECT_EQ(wrong, 0);
        if (dpi == 96) {
            client932 = d.Client();
            // Moved to a 144-dpi monitor: laid out again in the suggested rectangle, as one started there.
            const long right = 100 + 744 + d.window.right - d.window.left - 496;
            const long bottom = 40 + 369 + d.window.bottom - d.window.top - 246;
            ASSERT_EQ(Session().Tool({"dpi-changed", std::to_string(d.form), "144", "100", "40", std::to_string(right),
                                      std::to_string(bottom)}), "1");
            const harness::WindowInfo moved = Session().Window(d.form);
            EXPECT_TRUE(moved.left == 100 && moved.top == 40 && moved.right == right && moved.bottom == bottom);
            ASSERT_TRUE(d.Painted(144, moved.clientX, moved.clientY));
            d.shot = Session().Screenshot("dpi-changed-144");
            relaidOut = d.Client(false);
        } else if (dpi == 144) {
            EXPECT_TRUE(d.Client(false) == relaidOut) << "differs from the dialog moved to 144 dpi";
        }
        Press(d.InClient(d.l.cancelButton));
        EXPECT_EQ(d.process.Wait(kBound), 0);
    }
    setDpi(96);
}

TEST(DisplayAndLanguage, OtherCodePagesShowTheSameGlyphsKeepTheBytesAndSpellAChosenPathShort)
{
    ASSERT_FALSE(client932.empty()) << "needs the dialog at 96 dpi under code page 932 first";
    // The keys BGM区分, BGMﾘﾋﾟｰﾄ, BGMﾌｧｲﾙ as the dialog wrote them here before it used the W functions.
    const struct {
        const char* locale;
        std::string keys[3];
    } codePages[] = {{"en_US.UTF-8", {"BGM??", "BGM?????", "BGM????"}},
                     {"zh_CN.UTF-8", {"BGM\xC7\xF8\xB7\xD6", "BGM?????", "BGM????"}}};
    const fs::path alone = Session().MakeProgramFolder("gm-alone", {"Glowmere.scr"});
    for (const auto& cp : codePages) {
        SCOPED_TRACE(cp.locale);
        // The renderer-missing message, read back whole from another code page's process (932).
        harness::Process shell = Session().Start(alone / "Glowmere.scr", {"/c"}, {{}, {{"LC_ALL", cp.locale}}});
        const auto [box, text] = Session().WaitForMessageBox("Glowmere (ScreenSaver)", kBound);
        EXPECT_EQ(harness::Hex(text), harness::Hex(Session().Ansi("Glowmere.dll が同じﾌｫﾙﾀﾞに見つかりません！")));
        Session().Post(box, harness::kWmCommand, 1);
        EXPECT_EQ(shell.Wait(kBound), 1);
        const fs::path folder = Folder(cp.keys[0], cp.keys[1]);
        Shown d;
        ASSERT_TRUE(d.Open(folder / "testtool.exe", cp.locale, 96, std::string("language-") + cp.locale));
        EXPECT_TRUE(d.Client() == client932) << "every caption as under code page 932";
        // Under 1252 C:\音楽\song.mp3 is chosen: its path cannot be spelled there, its short one can.
        const bool pick = cp.locale[0] == 'e';
        if (pick) {
            Press(d.InPanel(d.l.sourceLabels[2]));
            Press(d.InPanel(d.l.fileButton));
            const uint64_t chooser = Session().WaitForWindow("ﾌｧｲﾙを開く", kBound);
            for (const auto& child : Session().Children(chooser))   // its file name, typed in as a whole
                if (child.className == "Edit")
                    Session().Tool({"set-text", std::to_string(child.handle), "C:\\音楽\\song.mp3"});
            Session().Post(chooser, harness::kWmCommand, 1);
            ASSERT_TRUE(Session().WaitForWindowGone("ﾌｧｲﾙを開く", kBound));
        }
        Press(d.InClient(d.l.setButton));
        ASSERT_EQ(d.process.Wait(kBound), 0);
        const auto lines = harness::Lines(d.process.Output());
        std::string stored;   // the value of the third write
        std::istringstream(lines.size() == 3 ? lines[2] : "") >> stored >> stored >> stored >> stored;
        stored = pick ? harness::FromHex(stored) : "";
        const auto write = [&](int key, const std::string& value) {
            return "write " + harness::Hex("Section") + " " + harness::Hex(cp.keys[key]) + " " +
                   (value.empty() ? "-" : harness::Hex(value)) + " " + harness::Hex("C:\\gm-dl\\Glowmere.ini");
        };
        EXPECT_EQ(lines, (std::vector<std::string>{write(0, pick ? " 2" : " 1"), write(1, " 3"), write(2, stored)}));
        if (!pick)
            continue;
        EXPECT_TRUE(stored.find('~') != std::string::npos && stored.rfind("C:\\", 0) == 0 &&
                    stored.substr(stored.size() - 9) == "\\song.mp3") << stored;
        // A run with it opens the file by that name; it reads the setting only when the file exists.
        fs::copy_file(harness::TestProgramsDir() / "saver_music_probe.exe", folder / "Glowmere.scr",
                      fs::copy_options::overwrite_existing);
        harness::Process run = Session().Start(folder / "Glowmere.scr", {"/s"}, {{}, {{"LC_ALL", cp.locale}}});
        Session().Post(Session().WaitForWindow("Lumadrift_VC", kBound), harness::kWmClose);
        EXPECT_EQ(run.Wait(kBound), 0);
        const std::string open = " send open \"" + stored + "\" type MPEGVideo Alias MP3Play\n";
        EXPECT_NE(harness::ReadFile(folder / "run-calls.log").find(open), std::string::npos);
    }
}

}  // namespace
