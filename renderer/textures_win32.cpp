// Loads the two hand-off pictures as GL textures: the bitmap reader gives 24-bit rows,
// GLU builds the mipmaps (scaling to powers of two as the driver needs).
#include "textures_win32.h"

#include <windows.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>

#include "dib_reader_win32.h"

namespace glowmere::renderer {

namespace {

// In slot order: the spirit picture first, then the desktop.
const char kTexturePaths[2][255] = {
    "C:\\n_hale\\Lumadrift2.bmp",
    "C:\\n_hale\\Lumadrift1.bmp",
};

GLuint UploadTexture(const ImageRecord& image)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    // Wrapping stays at its default, repeat: the floor tiles the desktop 3 x 3.
    // Our rows are tightly packed (3 × width bytes), so they are read with alignment 1;
    // the default of 4 would shear every picture whose width is not a multiple of 4 and
    // read past the end of the buffer.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const GLint failed = gluBuild2DMipmaps(GL_TEXTURE_2D, 3, image.width, image.height, GL_RGB,
                                           GL_UNSIGNED_BYTE, image.pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    if (failed) {
        glDeleteTextures(1, &name);   // an image GLU could not take draws untextured
        name = 0;
    }
    return name;
}

}  // namespace

void LoadTextures(unsigned names[2])
{
    for (int slot = 0; slot < 2; ++slot) {
        names[slot] = 0;
        char path[256];
        std::memcpy(path, kTexturePaths[slot], sizeof kTexturePaths[slot]);
        path[255] = '\0';
        ImageRecord* image = LoadBitmapFile(path);
        if (image)
            names[slot] = UploadTexture(*image);
        FreeImageRecord(image);
    }
}

}  // namespace glowmere::renderer
