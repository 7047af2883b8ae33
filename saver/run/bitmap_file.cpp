#include "bitmap_file.h"

#include <algorithm>

#include "byte_order.h"

namespace glowmere {

namespace {

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
    WriteLe32(file.data() + 2, static_cast<uint32_t>(offset + imageSize));
    WriteLe32(file.data() + 10, static_cast<uint32_t>(offset));

    WriteLe32(file.data() + 14, kInfoHeaderSize);
    WriteLe32(file.data() + 18, static_cast<uint32_t>(picture.width));
    WriteLe32(file.data() + 22, static_cast<uint32_t>(picture.height));
    WriteLe16(file.data() + 26, 1);    // planes
    WriteLe16(file.data() + 28, 24);   // bits per pixel
    WriteLe32(file.data() + 30, 0);    // BI_RGB
    WriteLe32(file.data() + 34, static_cast<uint32_t>(imageSize));
    WriteLe32(file.data() + 38, kPixelsPerMetreAt96Dpi);
    WriteLe32(file.data() + 42, kPixelsPerMetreAt96Dpi);

    // Rows the picture does not hold (a short pixel buffer) stay black.
    const size_t present = std::min(picture.bits.size(), imageSize);
    std::copy_n(picture.bits.begin(), present, file.begin() + static_cast<std::ptrdiff_t>(offset));
    return file;
}

}  // namespace glowmere
