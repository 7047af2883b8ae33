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

using namespace glowmere::renderer;
using testoutput::Hex;

std::string messages;

void Collect(const char* text) { messages += text; }

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::printf("usage: dib_dump <output folder> <picture>...\n");
        return 2;
    }
    const std::string folder = argv[1];
    for (int i = 2; i < argc; ++i) {
        const int n = i - 2;
        messages.clear();
        ImageRecord* image = LoadBitmapFile(argv[i], Collect);
        if (image) {
            const std::string out = folder + "\\" + std::to_string(n) + ".rgb";
            FILE* file = std::fopen(out.c_str(), "wb");
            const size_t bytes = static_cast<size_t>(image->width) * image->height * 3;
            const bool written = file && std::fwrite(image->pixels, 1, bytes, file) == bytes;
            if (file)
                std::fclose(file);
            std::printf("%d image %d %d%s\n", n, image->width, image->height, written ? "" : " unwritten");
            FreeImageRecord(image);
        } else if (!messages.empty()) {
            std::printf("%d message %s\n", n, Hex(messages).c_str());
        } else {
            std::printf("%d none\n", n);
        }
        std::fflush(stdout);
    }
    return 0;
}
