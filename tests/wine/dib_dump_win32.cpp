// dib_dump.exe <output folder> <picture>...
// Runs the renderer's own bitmap reader, with its GDI conversion, over each picture and
// prints one line per picture, numbered from 0:
//   <n> image <width> <height>   the rows went to <output folder>\<n>.rgb (R G B, bottom row first)
//   <n> message <hex>            the reader refused it with this message (its ANSI bytes in hex)
//   <n> none                     neither (LoadBitmapFile found no file)
// The reader's message boxes are replaced by printing, so nothing waits for a user.
#include <windows.h>

#include <cstdio>
#include <string>

#include "dib_reader_win32.h"
#include "test_output.h"

namespace {

std::string messages;

void Collect(const char* text) { messages += text; }

}  // namespace

int main(int argc, char** argv)
{
    using namespace glowmere::renderer;
    for (int i = 2; i < argc; ++i) {
        const std::string n = std::to_string(i - 2);
        messages.clear();
        if (ImageRecord* image = LoadBitmapFile(argv[i], Collect)) {
            FILE* file = std::fopen((std::string(argv[1]) + "\\" + n + ".rgb").c_str(), "wb");
            const size_t bytes = static_cast<size_t>(image->width) * image->height * 3;
            const bool written = file && std::fwrite(image->pixels, 1, bytes, file) == bytes;
            if (file)
                std::fclose(file);
            testoutput::PrintLine(n + " image " + std::to_string(image->width) + " " + std::to_string(image->height) +
                                  (written ? "" : " unwritten"));
            FreeImageRecord(image);
        } else {
            testoutput::PrintLine(n + (messages.empty() ? " none" : " message " + testoutput::Hex(messages)));
        }
    }
    return argc < 2 ? 2 : 0;
}
