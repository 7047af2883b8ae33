// dib_dump.exe <output folder> <picture>... runs the renderer's own bitmap reader, with its GDI
// conversion, over each picture and prints one line per picture, numbered from 0:
//   <n> image <width> <height>   the rows went to <output folder>\<n>.rgb (R G B, bottom row first)
//   <n> message <hex>            the reader refused it with this message (its ANSI bytes in hex)
//   <n> none                     neither (LoadBitmapFile found no file)
// Its messages are printed instead of shown, so nothing waits for a user.
#include <windows.h>

#include <fstream>
#include <string>

#include "dib_reader_win32.h"
#include "test_output.h"

static std::string messages;

int main(int argc, char** argv)
{
    using namespace glowmere::renderer;
    for (int i = 2; i < argc; ++i) {
        const std::string n = std::to_string(i - 2);
        messages.clear();
        if (ImageRecord* image = LoadBitmapFile(argv[i], [](const char* text) { messages += text; })) {
            std::ofstream file(std::string(argv[1]) + "\\" + n + ".rgb", std::ios::binary);
            const bool written = bool(file.write(reinterpret_cast<const char*>(image->pixels),
                                                 std::streamsize(image->width) * image->height * 3));
            testoutput::PrintLine(n + " image " + std::to_string(image->width) + " " + std::to_string(image->height) +
                                  (written ? "" : " unwritten"));
            FreeImageRecord(image);
        } else {
            testoutput::PrintLine(n + (messages.empty() ? " none" : " message " + testoutput::Hex(messages)));
        }
    }
    return argc < 2 ? 2 : 0;
}
