// The settings dialog on a scaled display: one rounding rule for its table, its buttons
// and their pictures, and what a chosen file whose path the code page cannot spell is
// stored as.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "command.h"
#include "dialog_layout.h"
#include "dialog_logic.h"
#include "resource_pictures.h"
#include "state_bitmaps.h"

namespace {

using namespace glowmere;
using dialog::Box;

constexpr int kDpis[] = {120, 144, 168, 192};

TEST(DialogScaling, BoxesThatMeetAt96DpiStillMeetAndHalvesRoundAwayFromZero)
{
    // Odd widths side by side, as the marks, labels and buttons of a row stand.
    const int widths[] = {13, 3, 43, 41, 1, 81, 25};
    for (int dpi : kDpis) {
        int x = 28, right = ScaleToDpi(x, dpi);
        for (int width : widths) {
            const Box box = dialog::ScaleBox({x, 56, width, 13}, dpi);
            EXPECT_EQ(box.x, right) << dpi << " dpi: the box at " << x;
            right = box.x + box.width;
            x += width;
        }
        const dialog::Layout layout = dialog::LayoutAt(dpi);
        EXPECT_EQ(layout.client.width, ScaleToDpi(496, dpi));
        EXPECT_EQ(layout.client.height, ScaleToDpi(246, dpi));
    }
    // Halves away from zero; everything else to the nearest.
    const struct {
        int value, dpi, scaled;
    } rows[] = {{13, 144, 20}, {-13, 144, -20}, {1, 144, 2}, {2, 168, 4}, {6, 120, 8}, {13, 120, 16}, {-1, 120, -1}};
    for (const auto& row : rows)
        EXPECT_EQ(ScaleToDpi(row.value, row.dpi), row.scaled) << row.value << " at " << row.dpi;
    // A press on "なし" at 192 dpi, where nothing is at 96.
    EXPECT_EQ(SourceAt(120, 160, 192), 0);
    EXPECT_EQ(SourceAt(120, 160), -1);
}

TEST(DialogScaling, EachButtonsFrameFillsItsScaledBoxFromABitmapDrawnForThatDpi)
{
    for (int dpi : kDpis) {
        const dialog::Layout layout = dialog::LayoutAt(dpi);
        const button::StatePixels bitmap = button::DrawStateBitmap(button::StateBitmap::Normal, dpi);
        // The frame line: rows 1 and 23 of the 25-row design, as thick at the bottom as at the top.
        const int top = ScaleToDpi(1, dpi), thickness = ScaleToDpi(2, dpi) - top;
        for (int y = 0; y < bitmap.Height(); ++y) {
            const bool line = (y >= top && y < top + thickness) ||
                              (y >= bitmap.Height() - top - thickness && y < bitmap.Height() - top);
            EXPECT_EQ(bitmap.At(bitmap.Width() / 2, y) == button::Hex(0x003C74), line) << dpi << " row " << y;
        }
        for (const Box& box : {layout.fileButton, layout.setButton, layout.cancelButton}) {
            SCOPED_TRACE(std::to_string(dpi) + " dpi, " + std::to_string(box.width) + " x " + std::to_string(box.height));
            const button::DrawPlan plan = button::PlanDrawing(button::StateBitmap::Normal, false,
                                                              button::PixelsToTwips(box.width, dpi),
                                                              button::PixelsToTwips(box.height, dpi), dpi);
            std::map<int, button::PixelRect> to, from;
            for (int i = 0; i < 8; ++i) {
                to[i] = button::ToPixels(plan.frame[i].destination, dpi);
                from[i] = button::ToPixels(plan.frame[i].source, dpi);
            }
            // Corners at the box's corners, edges from corner to corner, bands as deep as
            // the bitmap's, and the pieces taken from inside the bitmap up to its far edges.
            EXPECT_EQ(to[0].x + to[0].width, to[1].x);
            EXPECT_EQ(to[1].x + to[1].width, to[2].x);
            EXPECT_EQ(to[2].x + to[2].width, box.width);
            EXPECT_EQ(to[2].y + to[2].height, to[3].y);
            EXPECT_EQ(to[3].y + to[3].height, to[4].y);
            EXPECT_EQ(to[4].y + to[4].height, box.height);
            EXPECT_EQ(to[0].height, ScaleToDpi(4, dpi));
            EXPECT_EQ(from[4].x + from[4].width, bitmap.Width());
            EXPECT_EQ(from[4].y + from[4].height, bitmap.Height());
            EXPECT_EQ(plan.face.vertices[1].x, box.width - 1);
        }
    }
}

TEST(DialogScaling, MarksAndTextureAreDrawnForTheirScaledSize)
{
    for (int dpi : kDpis) {
        SCOPED_TRACE(dpi);
        const Bitmap24 mark = resources::DrawRadioMark(true, dpi);
        const Bitmap24 texture = resources::DrawPanelTexture(dpi);
        ASSERT_EQ(mark.width, ScaleToDpi(12, dpi));
        EXPECT_EQ(mark.height, mark.width);
        EXPECT_EQ(texture.width, ScaleToDpi(556, dpi));
        EXPECT_EQ(texture.height, ScaleToDpi(20, dpi));
        // Across the middle row: panel, ring, white well, blue dot, well, ring, panel, at
        // the same share of the width as at 96 dpi.
        const auto blue = [&](double share) {
            const int x = static_cast<int>(share * mark.width);
            return mark.bits[Bitmap24::Stride(mark.width) * static_cast<size_t>(mark.height / 2) + x * 3];
        };
        EXPECT_LT(blue(0.5), 200);                                    // the dot
        EXPECT_GT(blue(0.2), 235);                                    // the white well
        EXPECT_LT(std::max(blue(0.05), blue(0.95)), blue(0.2) - 40);  // the ring
    }
}

// A code page that writes ASCII only, with short forms for some paths.
class AsciiCodePage final : public PathCodePage {
public:
    explicit AsciiCodePage(std::map<std::wstring, std::wstring> shortForms) : shortForms_(std::move(shortForms)) {}
    std::optional<std::string> Written(std::wstring_view path) const override
    {
        std::string ansi;
        for (wchar_t c : path) {
            if (c > 0x7F)
                return std::nullopt;
            ansi += static_cast<char>(c);
        }
        return ansi;
    }
    std::wstring ShortForm(std::wstring_view path) const override
    {
        const auto found = shortForms_.find(std::wstring(path));
        return found == shortForms_.end() ? std::wstring() : found->second;
    }

private:
    std::map<std::wstring, std::wstring> shortForms_;
};

TEST(SettingsDialogFileChoice, APathTheCodePageCannotSpellIsStoredByItsShortFormOrNotAtAll)
{
    const AsciiCodePage codePage({{L"C:\\music\\song.mp3", L"C:\\MUSIC~1\\SONG~1.MP3"},
                                  {L"C:\\音楽\\song.mp3", L"C:\\__~~~KS4\\song.mp3"},
                                  {L"C:\\音楽\\曲.mp3", L"C:\\__~~~KS4\\曲.mp3"}});
    EXPECT_EQ(StoredPath(L"C:\\music\\song.mp3", codePage), "C:\\music\\song.mp3");     // as it is
    EXPECT_EQ(StoredPath(L"C:\\音楽\\song.mp3", codePage), "C:\\__~~~KS4\\song.mp3");  // its short form
    EXPECT_EQ(StoredPath(L"C:\\音楽\\曲.mp3", codePage), std::nullopt);   // nor can its short form
    EXPECT_EQ(StoredPath(L"C:\\楽\\song.mp3", codePage), std::nullopt);   // it has none
}

}  // namespace
