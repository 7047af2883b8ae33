#include "bitmap_file.h"

#include <algorithm>

namespace glowmere {

namespace {

void Put16(std::vector<uint8_t>& out, size_t at, uint16_t value)
{
    out[at] = static_cast<uint8_t>(value);
    out[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr uint32_t kPixelsPerMetreAt96Dpi = 3780;

}  // namespace

Bitmap24 Bitmap24::Black(int32_t width, int32_t height)
{
    Bitmap24 picture;
    picture.width = width;
    picture.height = height;
    picture.bits.assign(Stride(width) * static_cast<size_t>(height), 0);
    return picture;
}

void Bitmap24::SetPixel(int32_t x, int32_t y, uint8_t r, uint8_t g, uint8_t b)
{
    uint8_t* p = &bits[Stride(width) * static_cast<size_t>(height - 1 - y) + static_cast<size_t>(x) * 3];
    p[0] = b;
    p[1] = g;
    p[2] = r;
}

std::vector<uint8_t> EncodeBmp24(const Bitmap24& picture)
{
    const size_t imageSize = Bitmap24::Stride(picture.width) * static_cast<size_t>(picture.height);
    const size_t offset = kFileHeaderSize + kInfoHeaderSize;
    std::vector<uint8_t> file(offset + imageSize, 0);
    file[0] = 'B';
    file[1] = 'M';
    Put32(file, 2, static_cast<uint32_t>(offset + imageSize));
    Put32(file, 10, static_cast<uint32_t>(offset));

    Put32(file, 14, kInfoHeaderSize);
    Put32(file, 18, static_cast<uint32_t>(picture.width));
    Put32(file, 22, static_cast<uint32_t>(picture.height));
    Put16(file, 26, 1);    // planes
    Put16(file, 28, 24);   // bits per pixel
    Put32(file, 30, 0);    // BI_RGB
    Put32(file, 34, static_cast<uint32_t>(imageSize));
    Put32(file, 38, kPixelsPerMetreAt96Dpi);
    Put32(file, 42, kPixelsPerMetreAt96Dpi);

    // Rows the picture does not hold (a short pixel buffer) stay black.
    const size_t present = std::min(picture.bits.size(), imageSize);
    std::copy_n(picture.bits.begin(), present, file.begin() + static_cast<std::ptrdiff_t>(offset));
    return file;
}

}  // namespace glowmere
