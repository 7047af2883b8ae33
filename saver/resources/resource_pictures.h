#pragma once
// The pictures of Glowmere.scr, drawn by code. The program icon and the link cursor of
// the dialog's home-page label are built into its resources: `scripts/make_resources.sh`
// writes them into saver/resources/, and a unit test checks that the committed files are
// what this code draws. The dialog's radio marks and panel texture are drawn when the
// dialog needs them, at the size its display's dpi asks for; the generator also writes
// them at 96 dpi, as the pictures that unit test holds their drawing to.
#include <cstdint>
#include <string>
#include <vector>

#include "bitmap_file.h"

namespace glowmere::resources {

// 32 × 32 program icon, 256 colours with a transparency mask (.ico file).
std::vector<uint8_t> MakeProgramIcon();

// The radio mark of a music source, 12 × 12 at 96 dpi, drawn for its size at `dpi`.
Bitmap24 DrawRadioMark(bool selected, int dpi);

// The texture tiled over the dialog's group panel, 556 × 20 at 96 dpi, drawn for its size
// at `dpi`.
Bitmap24 DrawPanelTexture(int dpi);

// 32 × 32 pointing-hand cursor for the home-page link, black outline on white (.cur file).
std::vector<uint8_t> MakeLinkCursor();

struct ResourceFile {
    std::string name;
    std::vector<uint8_t> bytes;
};

// Every generated file with its name in saver/resources/.
std::vector<ResourceFile> AllGeneratedResources();

}  // namespace glowmere::resources
