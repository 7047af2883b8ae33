#pragma once
// Builds BMP files byte by byte for tests. Every header field can be set to any value,
// so a test can make files that lie about their sizes as easily as honest ones.
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "byte_order.h"

namespace bmp {

using Rgb = std::array<uint8_t, 3>;

struct Fields {
    bool fileHeader = true;          // "BM" and the 14-byte file header; false: a packed DIB
    uint32_t headerSize = 40;        // 12 writes a core header (16-bit width and height)
    int32_t width = 1;
    int32_t height = 1;
    uint16_t planes = 1;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    uint32_t clrUsed = 0;
    uint32_t clrImportant = 0;
    std::vector<uint32_t> masks;     // written straight after the header
    std::vector<Rgb> palette;        // written as blue, green, red (and 0 for a 40-byte header)
    std::vector<uint8_t> pixels;
    std::optional<uint32_t> pixelOffset;   // default: where the pixels really start
};

using glowmere::AppendLe16;
using glowmere::AppendLe32;

inline std::vector<uint8_t> Build(const Fields& s)
{
    std::vector<uint8_t> dib;
    AppendLe32(dib, s.headerSize);
    if (s.headerSize == 12) {
        AppendLe16(dib, static_cast<uint32_t>(s.width));
        AppendLe16(dib, static_cast<uint32_t>(s.height));
        AppendLe16(dib, s.planes);
        AppendLe16(dib, s.bitCount);
    } else {
        AppendLe32(dib, static_cast<uint32_t>(s.width));
        AppendLe32(dib, static_cast<uint32_t>(s.height));
        AppendLe16(dib, s.planes);
        AppendLe16(dib, s.bitCount);
        AppendLe32(dib, s.compression);
        AppendLe32(dib, s.sizeImage);
        AppendLe32(dib, 2835);
        AppendLe32(dib, 2835);
        AppendLe32(dib, s.clrUsed);
        AppendLe32(dib, s.clrImportant);
        while (dib.size() < s.headerSize)   // the longer headers' fields, all zero
            dib.push_back(0);
    }
    for (uint32_t m : s.masks)
        AppendLe32(dib, m);
    for (const Rgb& c : s.palette) {
        dib.push_back(c[2]);
        dib.push_back(c[1]);
        dib.push_back(c[0]);
        if (s.headerSize != 12)
            dib.push_back(0);
    }
    const uint32_t pixelsAt = static_cast<uint32_t>(dib.size()) + (s.fileHeader ? 14 : 0);
    dib.insert(dib.end(), s.pixels.begin(), s.pixels.end());
    if (!s.fileHeader)
        return dib;

    std::vector<uint8_t> file = {'B', 'M'};
    AppendLe32(file, static_cast<uint32_t>(14 + dib.size()));
    AppendLe32(file, 0);
    AppendLe32(file, s.pixelOffset.value_or(pixelsAt));
    file.insert(file.end(), dib.begin(), dib.end());
    return file;
}

// A plain 24-bit file of width x |height| whose stored row r holds colour(x, r) at column x
// (bottom row first for a positive height), blue first, each row padded to 4 bytes.
template <class Colour>
std::vector<uint8_t> Build24(int32_t width, int32_t height, Colour colour)
{
    Fields s;
    s.width = width;
    s.height = height;
    for (int r = 0; r < (height < 0 ? -height : height); ++r) {
        for (int x = 0; x < width; ++x) {
            const Rgb c = colour(x, r);
            s.pixels.insert(s.pixels.end(), {c[2], c[1], c[0]});
        }
        s.pixels.resize((s.pixels.size() + 3) / 4 * 4);
    }
    return Build(s);
}

}  // namespace bmp
