// Loads the two hand-off pictures as GL textures. A picture goes up once at its own size
// where the GL takes any size, straight from the mapped file when its rows are already
// what the GL reads; otherwise the reader's RGB rows go up, through GLU's mipmaps where
// the GL needs powers of two.
#include "textures_win32.h"

#include <windows.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>

#include "dib_reader_win32.h"
#include "texture_upload.h"

#ifndef GL_BGR_EXT
#define GL_BGR_EXT 0x80E0
#endif

namespace glowmere::renderer {

namespace {

// In slot order: the spirit picture first, then the desktop.
const char kTexturePaths[2][255] = {
    "C:\\n_hale\\Lumadrift2.bmp",
    "C:\\n_hale\\Lumadrift1.bmp",
};

GlTextureLimits CurrentGlLimits()
{
    GlTextureLimits gl;
    gl.version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    gl.extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    gl.maxTextureSize = maxSize;
    return gl;
}

// Takes the error flags earlier calls left set, so that only the upload's own count.
void ClearGlErrors()
{
    for (int flag = 0; flag < 8; ++flag)
        if (glGetError() == GL_NO_ERROR)
            break;
}

// The texture name, or 0 when the picture could not be converted or the GL refused it.
GLuint UploadTexture(const MappedDib& dib, const GlTextureLimits& gl)
{
    const TextureUpload upload = ChooseTextureUpload(gl, dib.Layout());
    ImageRecord* image = nullptr;
    if (upload != TextureUpload::FileRows) {
        image = ConvertDib(dib);
        if (!image)
            return 0;
    }

    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    // Wrapping stays at its default, repeat: the floor tiles the desktop 3 x 3.
    // The file's rows are padded to 4 bytes, the reader's are tightly packed (3 × width
    // bytes): read with the default alignment of 4, those would shear every picture whose
    // width is not a multiple of 4 and read past the end of the buffer.
    glPixelStorei(GL_UNPACK_ALIGNMENT, image ? 1 : 4);
    ClearGlErrors();
    const int32_t width = dib.Layout().width, height = dib.Layout().rows;
    bool uploaded = true;
    switch (upload) {
    case TextureUpload::FileRows:
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_BGR_EXT, GL_UNSIGNED_BYTE, dib.Pixels());
        break;
    case TextureUpload::BaseLevel:
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, image->pixels);
        break;
    case TextureUpload::Mipmaps:
        uploaded = gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_RGB, GL_UNSIGNED_BYTE, image->pixels) == 0;
        break;
    }
    uploaded = glGetError() == GL_NO_ERROR && uploaded;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    FreeImageRecord(image);
    if (!uploaded) {
        glDeleteTextures(1, &name);   // a picture the GL could not take draws untextured
        name = 0;
    }
    return name;
}

}  // namespace

void LoadTextures(unsigned names[2])
{
    const GlTextureLimits gl = CurrentGlLimits();
    for (int slot = 0; slot < 2; ++slot) {
        names[slot] = 0;
        char path[256];
        std::memcpy(path, kTexturePaths[slot], sizeof kTexturePaths[slot]);
        path[255] = '\0';
        if (const std::unique_ptr<MappedDib> dib = MapBitmapFile(path))
            names[slot] = UploadTexture(*dib, gl);
    }
}

}  // namespace glowmere::renderer
