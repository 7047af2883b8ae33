// dib_dump.exe <output folder> <picture>... runs the renderer's own bitmap reader, with its GDI
// conversion, over each picture and prints one line per picture, numbered from 0:
//   <n> image <width> <height>   the rows went to <output folder>\<n>.rgb (R G B, bottom row first)
//   <n> message <hex>            the reader refused it with this message (its ANSI bytes in hex)
//   <n> none                     neither (LoadBitmapFile found no file)
// Its messages are printed instead of shown, so nothing waits for a user.
// dib_dump.exe textures <output folder> runs the renderer's LoadTextures over the hand-off
// pictures and prints "<slot> <width> <height>" of each texture's level 0, whose rows go
// to <output folder>\<slot>.rgb.
#include <windows.h>
#include <GL/gl.h>

#include <fstream>
#include <string>
#include <vector>

#include "dib_reader_win32.h"
#include "test_output.h"
#include "textures_win32.h"

static std::string messages;

static void Save(const std::string& path, const void* bytes, size_t size)
{
    std::ofstream(path, std::ios::binary).write(static_cast<const char*>(bytes), std::streamsize(size));
}

static int DumpTextures(const std::string& folder)
{
    HDC dc = GetDC(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr, nullptr, nullptr));
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof format;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    if (!SetPixelFormat(dc, ChoosePixelFormat(dc, &format), &format) || !wglMakeCurrent(dc, wglCreateContext(dc)))
        return 3;
    unsigned names[2];
    glowmere::renderer::LoadTextures(names);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int slot = 0; slot < 2; ++slot) {
        GLint width = 0, height = 0;
        glBindTexture(GL_TEXTURE_2D, names[slot]);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        std::vector<char> rows(size_t(width) * size_t(height) * 3);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
        Save(folder + "\\" + std::to_string(slot) + ".rgb", rows.data(), rows.size());
        testoutput::PrintLine(std::to_string(slot) + " " + std::to_string(width) + " " + std::to_string(height));
    }
    return 0;
}

int main(int argc, char** argv)
{
    using namespace glowmere::renderer;
    if (argc == 3 && std::string(argv[1]) == "textures")
        return DumpTextures(argv[2]);
    for (int i = 2; i < argc; ++i) {
        const std::string n = std::to_string(i - 2);
        messages.clear();
        if (ImageRecord* image = LoadBitmapFile(argv[i], [](const char* text) { messages += text; })) {
            Save(std::string(argv[1]) + "\\" + n + ".rgb", image->pixels, size_t(image->width) * size_t(image->height) * 3);
            testoutput::PrintLine(n + " image " + std::to_string(image->width) + " " + std::to_string(image->height));
            FreeImageRecord(image);
        } else {
            testoutput::PrintLine(n + (messages.empty() ? " none" : " message " + testoutput::Hex(messages)));
        }
    }
    return argc < 2 ? 2 : 0;
}
