#pragma once
// How a picture goes into its texture. Only the base level is ever sampled (both filters
// are linear), so a GL that takes pictures of any size gets the picture once, at its own
// size, and where the file already holds rows the GL can read (24-bit, uncompressed,
// bottom row first), straight from the file. Any other GL gets GLU's mipmaps, which scale
// the picture to powers of two.
#include <cstdint>

#include "dib.h"

namespace glowmere::renderer {

enum class TextureUpload {
    FileRows,    // glTexImage2D of the file's own rows: blue, green, red, padded to 4 bytes
    BaseLevel,   // glTexImage2D of the reader's RGB rows
    Mipmaps,     // gluBuild2DMipmaps of the reader's RGB rows
};

// What the current GL context says of itself: glGetString(GL_VERSION) and
// glGetString(GL_EXTENSIONS), either of which may be null, and GL_MAX_TEXTURE_SIZE.
struct GlTextureLimits {
    const char* version = nullptr;
    const char* extensions = nullptr;
    int32_t maxTextureSize = 0;
};

TextureUpload ChooseTextureUpload(const GlTextureLimits& gl, const DibLayout& picture);

}  // namespace glowmere::renderer
