#include "bitmap_file.h"

#include <algorithm>

#include "byte_order.h"

namespace glowmere {

namespace {

constexpr uint32_t kInfoHeaderSize = 40;
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

std::array<uint8_t, kBmp24HeaderSize> Bmp24Header(int32_t width, int32_t height)
{
    const size_t imageSize = Bitmap24::Stride(width) * static_cast<size_t>(height);
    std::array<uint8_t, kBmp24HeaderSize> header = {'B', 'M'};
    WriteLe32(header.data() + 2, static_cast<uint32_t>(kBmp24HeaderSize + imageSize));
    WriteLe32(header.data() + 10, static_cast<uint32_t>(kBmp24HeaderSize));

    WriteLe32(header.data() + 14, kInfoHeaderSize);
    WriteLe32(header.data() + 18, static_cast<uint32_t>(width));
    WriteLe32(header.data() + 22, static_cast<uint32_t>(height));
    WriteLe16(header.data() + 26, 1);    // planes
    WriteLe16(header.data() + 28, 24);   // bits per pixel
    WriteLe32(header.data() + 30, 0);    // BI_RGB
    WriteLe32(header.data() + 34, static_cast<uint32_t>(imageSize));
    WriteLe32(header.data() + 38, kPixelsPerMetreAt96Dpi);
    WriteLe32(header.data() + 42, kPixelsPerMetreAt96Dpi);
    return header;
}

std::vector<uint8_t> EncodeBmp24(const Bitmap24& picture)
{
    const auto header = Bmp24Header(picture.width, picture.height);
    std::vector<uint8_t> file(header.begin(), header.end());
    file.resize(kBmp24HeaderSize + Bitmap24::Stride(picture.width) * static_cast<size_t>(picture.height), 0);
    // Rows the picture does not hold (a short pixel buffer) stay black.
    const size_t present = std::min(picture.bits.size(), file.size() - kBmp24HeaderSize);
    std::copy_n(picture.bits.begin(), present, file.begin() + static_cast<std::ptrdiff_t>(kBmp24HeaderSize));
    return file;
}

}  // namespace glowmere
