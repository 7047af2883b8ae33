// The settings dialog on a scaled display, and a chosen file whose path the code page cannot spell.
#include <gtest/gtest.h>

#include <array>
#include <map>

#include "dialog_layout.h"
#include "dialog_logic.h"
#include "resource_pictures.h"

namespace {

using namespace glowmere;

TEST(DialogScaling, BoxesThatMeetStillMeetHalvesRoundAwayFromZeroAndPicturesAreDrawnForTheirSize)
{
    for (int dpi : {120, 144, 168, 192}) {
        SCOPED_TRACE(std::to_string(dpi) + " dpi");
        int x = 28, right = ScaleToDpi(x, dpi);   // odd widths side by side, as in a row of the dialog
        for (int width : {13, 3, 43, 41, 1, 81, 25}) {
            const dialog::Box box = dialog::ScaleBox({x, 56, width, 13}, dpi);
            EXPECT_EQ(box.x, right) << "the box at " << x;
            right = box.x + box.width;
            x += width;
        }
        // The mark's dot, white well and dark ring at the same shares of its width as at 96 dpi.
        const Bitmap24 mark = resources::DrawRadioMark(true, dpi), texture = resources::DrawPanelTexture(dpi);
        const auto blue = [&](double share) {
            return mark.bits[Bitmap24::Stride(mark.width) * (mark.height / 2) + int(share * mark.width) * 3];
        };
        EXPECT_TRUE(blue(0.5) < 200 && blue(0.2) > 235 && std::max(blue(0.05), blue(0.95)) < blue(0.2) - 40);
        EXPECT_TRUE(mark.width == ScaleToDpi(12, dpi) && mark.height == mark.width);
        EXPECT_TRUE(texture.width == ScaleToDpi(556, dpi) && texture.height == ScaleToDpi(20, dpi));
    }
    for (const auto& [value, dpi, scaled] : std::vector<std::array<int, 3>>{
             {13, 144, 20}, {-13, 144, -20}, {1, 144, 2}, {2, 168, 4}, {6, 120, 8}, {13, 120, 16}, {-1, 120, -1}})
        EXPECT_EQ(ScaleToDpi(value, dpi), scaled) << value << " at " << dpi;
    EXPECT_EQ(SourceAt(120, 160, 192), 0);   // "なし" at 192 dpi, where nothing is at 96
    EXPECT_EQ(SourceAt(120, 160), -1);
}

// A code page that writes ASCII only, with the short forms a file system gave some paths.
struct AsciiCodePage final : PathCodePage {
    std::map<std::wstring, std::wstring> shortForms;
    std::optional<std::string> Written(std::wstring_view path) const override
    {
        if (std::any_of(path.begin(), path.end(), [](wchar_t c) { return c > 0x7F; }))
            return std::nullopt;
        return std::string(path.begin(), path.end());
    }
    std::wstring ShortForm(std::wstring_view path) const override
    {
        const auto found = shortForms.find(std::wstring(path));
        return found == shortForms.end() ? std::wstring() : found->second;
    }
};

TEST(SettingsDialog, APathTheCodePageCannotSpellIsStoredByItsShortFormOrNotAtAll)
{
    AsciiCodePage codePage;
    codePage.shortForms = {{L"C:\\music\\song.mp3", L"C:\\MUSIC~1\\SONG~1.MP3"},
                           {L"C:\\音楽\\song.mp3", L"C:\\__~~~KS4\\song.mp3"},
                           {L"C:\\音楽\\曲.mp3", L"C:\\__~~~KS4\\曲.mp3"}};
    EXPECT_EQ(StoredPath(L"C:\\music\\song.mp3", codePage), "C:\\music\\song.mp3");     // as it is
    EXPECT_EQ(StoredPath(L"C:\\音楽\\song.mp3", codePage), "C:\\__~~~KS4\\song.mp3");  // by its short form
    EXPECT_EQ(StoredPath(L"C:\\音楽\\曲.mp3", codePage), std::nullopt);   // nor can its short form
    EXPECT_EQ(StoredPath(L"C:\\楽\\song.mp3", codePage), std::nullopt);   // it has none
}

}  // namespace
