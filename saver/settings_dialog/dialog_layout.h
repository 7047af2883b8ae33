#pragma once
// Where everything of the settings dialog Lumadrift_P sits, in pixels at 96 dots per inch,
// and what its fixed texts say. Positions of the controls inside the group panel Pic_C
// are relative to the panel; the others are relative to the form's client area.
//
//   control            kind                    left  top  width height  caption / role
//   Pic_C              group panel (window)      12   16   469   165    tiled texture
//     Shape3           rectangle outline         20   20   113    21    frames the heading
//     lbl (15)         label, centred            20   24   111    13    "BGM"
//     Img_BGM (1)      radio mark                28   56    13    13    source audio CD
//     lbl_BGM (1)      label                     44   56    43    13    "音楽CD"
//     BGM_Repeat       editable combo box       112   52    41    20    CD track to repeat
//     lbl (14)         label                    156   56    66    13    "曲目をﾘﾋﾟｰﾄ"
//     Img_BGM (0)      radio mark                28   76    13    13    source none
//     lbl_BGM (0)      label                     44   76    22    13    "なし"
//     Img_BGM (2)      radio mark                28   96    13    13    source MP3/WAV file
//     lbl_BGM (2)      label                     44   96    60    13    "MP3、WAV"
//     Cmd_File         Command button            28  112    41    25    "..."
//     lbl_Fname        label, thin border        72  116   381    33    the music file
//   lbl (7)            label, white              12  192   165    13    credit and version
//   lbl_URL            label, white, underlined  12  208   219    13    home-page address
//   Cmd_Set            Command button           316  200    81    25    "設定" (OK)
//   Cmd_Can            Command button           400  200    81    25    "ｷｬﾝｾﾙ" (Cancel)
//
// Img_BGM element i, lbl_BGM element i and the music source i belong together. The marks
// and labels are windowless: their container paints them and hit-tests mouse presses.
//
// On a display of another dpi the whole table scales by dpi / 96 (LayoutAt): each box's
// four edges are scaled, not its size, so edges that meet or line up at 96 dpi still do.
#include <string>

#include "display_scale.h"

namespace glowmere::dialog {

struct Box {
    int x = 0, y = 0, width = 0, height = 0;
    // Whether the point lies on the box: [x, x + width) × [y, y + height).
    bool Contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
};

constexpr int kClientWidth = 496;
constexpr int kClientHeight = 246;

// The form's own layer.
constexpr Box kPanel = {12, 16, 469, 165};
constexpr Box kCreditLabel = {12, 192, 165, 13};
constexpr Box kLinkLabel = {12, 208, 219, 13};
constexpr Box kSetButton = {316, 200, 81, 25};
constexpr Box kCancelButton = {400, 200, 81, 25};

// Inside the panel.
constexpr Box kHeadingFrame = {20, 20, 113, 21};
constexpr Box kHeadingLabel = {20, 24, 111, 13};
constexpr Box kRepeatBox = {112, 52, 41, 20};
constexpr Box kRepeatLabel = {156, 56, 66, 13};
constexpr Box kFileButton = {28, 112, 41, 25};
constexpr Box kFileLabel = {72, 116, 381, 33};

// Marks and labels of the music sources, by source number (0 none, 1 CD, 2 file).
constexpr int kSourceCount = 3;
constexpr Box kSourceMarks[kSourceCount] = {{28, 76, 13, 13}, {28, 56, 13, 13}, {28, 96, 13, 13}};
constexpr Box kSourceLabels[kSourceCount] = {{44, 76, 22, 13}, {44, 56, 43, 13}, {44, 96, 60, 13}};

// The repeat box's list, when dropped, shows about eight items below the text field.
constexpr int kRepeatListHeight = 120;

// A box at `dpi`: left, top, right and bottom each scaled by ScaleToDpi.
Box ScaleBox(const Box& box, int dpi);

// The table above at one dpi, in the same coordinates (panel or client area).
struct Layout {
    int dpi = kDesignDpi;
    Box client, panel, creditLabel, linkLabel, setButton, cancelButton;
    Box headingFrame, headingLabel, repeatBox, repeatLabel, fileButton, fileLabel;
    Box sourceMarks[kSourceCount], sourceLabels[kSourceCount];
    int repeatListHeight = kRepeatListHeight;
    int lineWidth = 1;   // the heading's outline and the file label's border
};
Layout LayoutAt(int dpi);

// Texts (UTF-8; people read them through the platform's UTF-16 functions).
constexpr char kHeadingCaption[] = "BGM";
constexpr char kRepeatCaption[] = "曲目をﾘﾋﾟｰﾄ";
constexpr const char* kSourceCaptions[kSourceCount] = {"なし", "音楽CD", "MP3、WAV"};
constexpr char kFileButtonCaption[] = "...";
constexpr char kSetCaption[] = "設定";
constexpr char kCancelCaption[] = "ｷｬﾝｾﾙ";

// The program's home page, shown by the link label and opened by a click on it.
constexpr char kHomePage[] = "https://glowmere.example/";

// The open-file request: its filter (a name and a pattern) and its title.
constexpr char kOpenFilterName[] = "BGMﾌｧｲﾙ (MP3 WAV)";
constexpr char kOpenFilterPattern[] = "*.MP3;*.WAV";
constexpr char kOpenTitle[] = "ﾌｧｲﾙを開く";
constexpr unsigned kOpenBufferSize = 255;   // characters of the file and file-title buffers

// The one-line credit: the program and its version.
std::string CreditText();

}  // namespace glowmere::dialog
