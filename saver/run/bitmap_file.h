#pragma once
// Uncompressed 24-bit Windows bitmap files: the form in which the saver run hands the
// desktop picture and the spirit picture to the renderer.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace glowmere {

// Pixels as a 24-bit bottom-up DIB holds them: rows from the bottom of the picture up,
// 3 bytes per pixel in blue, green, red order, each row padded to a multiple of 4 bytes.
struct Bitmap24 {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> bits;

    // Bytes per stored row, padding included.
    static size_t Stride(int32_t width) { return (static_cast<size_t>(width) * 3 + 3) & ~size_t(3); }

    // An all-black picture of the given size.
    static Bitmap24 Black(int32_t width, int32_t height);

    // Sets the pixel in column x of row y, counted from the top of the picture.
    void SetPixel(int32_t x, int32_t y, uint8_t r, uint8_t g, uint8_t b);
};

constexpr size_t kBmp24HeaderSize = 54;

// The start of the file of a picture of this size: the 14-byte "BM" header and a 40-byte
// information header (BI_RGB, 24 bits, 96 dots per inch). The rows follow it.
std::array<uint8_t, kBmp24HeaderSize> Bmp24Header(int32_t width, int32_t height);

// The whole file: the header and the rows.
std::vector<uint8_t> EncodeBmp24(const Bitmap24& picture);

}  // namespace glowmere
