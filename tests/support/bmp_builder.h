#pragma once
// Builds BMP files byte by byte for tests. Every header field can be set to any value,
// so a test can make files that lie about their sizes as easily as honest ones.
#include <algorithm>
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
    int32_t width = 1, height = 1;
    uint16_t planes = 1, bitCount = 24;
    uint32_t compression = 0, sizeImage = 0, clrUsed = 0, clrImportant = 0;
    std::vector<uint32_t> masks;     // written straight after the header
    std::vector<Rgb> palette;        // written as blue, green, red (and 0 for a 40-byte header)
    std::vector<uint8_t> pixels;
    std::optional<uint32_t> pixelOffset;   // default: where the pixels really start
};

inline std::vector<uint8_t> Build(const Fields& s)
{
    using glowmere::AppendLe16, glowmere::AppendLe32;
    const bool core = s.headerSize == 12;
    std::vector<uint8_t> dib;
    AppendLe32(dib, s.headerSize);
    for (int32_t size : {s.width, s.height})
        core ? AppendLe16(dib, static_cast<uint16_t>(size)) : AppendLe32(dib, static_cast<uint32_t>(size));
    AppendLe16(dib, s.planes);
    AppendLe16(dib, s.bitCount);
    if (!core)
        for (uint32_t field : {s.compression, s.sizeImage, 2835u, 2835u, s.clrUsed, s.clrImportant})
            AppendLe32(dib, field);
    dib.resize(std::max<size_t>(dib.size(), s.headerSize));   // the longer headers' fields, all zero
    for (uint32_t m : s.masks)
        AppendLe32(dib, m);
    for (const Rgb& c : s.palette) {
        dib.insert(dib.end(), {c[2], c[1], c[0]});
        if (!core)
            dib.push_back(0);
    }
    const uint32_t pixelsAt = static_cast<uint32_t>(dib.size()) + (s.fileHeader ? 14 : 0);
    dib.insert(dib.end(), s.pixels.begin(), s.pixels.end());
    if (!s.fileHeader)
        return dib;
    std::vector<uint8_t> file = {'B', 'M'};
    for (uint32_t field : {static_cast<uint32_t>(14 + dib.size()), 0u, s.pixelOffset.value_or(pixelsAt)})
        AppendLe32(file, field);
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
