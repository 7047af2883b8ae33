#pragma once
// The pictures built into Glowmere.scr's resources, drawn by code: the program icon, the
// settings dialog's two radio marks and panel texture, and the link cursor of its
// home-page label. `scripts/make_resources.sh` writes them into saver/resources/, and a
// unit test checks that the committed files are what this code draws.
#include <cstdint>
#include <string>
#include <vector>

namespace glowmere::resources {

// 32 × 32 program icon, 256 colours with a transparency mask (.ico file).
std::vector<uint8_t> MakeProgramIcon();

// 12 × 12 radio marks of the music sources (24-bit .bmp files).
std::vector<uint8_t> MakeRadioMark(bool selected);

// 556 × 20 texture tiled over the dialog's group panel (24-bit .bmp file).
std::vector<uint8_t> MakePanelTexture();

// 32 × 32 pointing-hand cursor for the home-page link, black outline on white (.cur file).
std::vector<uint8_t> MakeLinkCursor();

struct ResourceFile {
    std::string name;
    std::vector<uint8_t> bytes;
};

// Every generated file with its name in saver/resources/.
std::vector<ResourceFile> AllGeneratedResources();

}  // namespace glowmere::resources
