#include "texture_upload.h"

#include <cstdlib>
#include <cstring>

namespace glowmere::renderer {

namespace {

// The version text starts "<major>.<minor>", whatever follows.
bool VersionAtLeast(const char* version, long major, long minor)
{
    if (!version || *version < '0' || *version > '9')
        return false;
    char* end = nullptr;
    const long gotMajor = std::strtol(version, &end, 10);
    if (*end != '.' || end[1] < '0' || end[1] > '9')
        return false;
    const long gotMinor = std::strtol(end + 1, nullptr, 10);
    return gotMajor > major || (gotMajor == major && gotMinor >= minor);
}

// A whole name of the blank-separated list, not the start or the end of a longer one.
bool HasExtension(const char* list, const char* name)
{
    const size_t length = std::strlen(name);
    for (const char* p = list; p && (p = std::strstr(p, name)) != nullptr; p += length) {
        const bool starts = p == list || p[-1] == ' ';
        const bool ends = p[length] == ' ' || p[length] == '\0';
        if (starts && ends)
            return true;
    }
    return false;
}

}  // namespace

TextureUpload ChooseTextureUpload(const GlTextureLimits& gl, const DibLayout& picture)
{
    const bool anySize = VersionAtLeast(gl.version, 2, 0) || HasExtension(gl.extensions, "GL_ARB_texture_non_power_of_two");
    const bool fits = picture.width <= gl.maxTextureSize && picture.rows <= gl.maxTextureSize;
    if (!anySize || !fits)
        return TextureUpload::Mipmaps;
    const bool readsBgr = VersionAtLeast(gl.version, 1, 2) || HasExtension(gl.extensions, "GL_EXT_bgra");
    const DibHeader& h = picture.header;
    const bool rowsAsStored = h.bitCount == 24 && h.compression == kBiRgb && !picture.topDown;
    return readsBgr && rowsAsStored ? TextureUpload::FileRows : TextureUpload::BaseLevel;
}

}  // namespace glowmere::renderer
