#include "dib.h"

#include <cstdlib>
#include <cstring>

#include "byte_order.h"

namespace glowmere::renderer {

namespace {

// Walks an RLE8 or RLE4 stream over [begin, end) for a picture of width × rows, bottom
// row first. Every run, literal and delta must stay inside the picture; a stream that
// breaks that is refused. The walk ends at the end-of-bitmap mark, when the position
// leaves the top row, or when the bytes run out. Returns false for a refused stream;
// otherwise `used` is the length up to the end of the last end-of-line, delta or
// end-of-bitmap command. That is all of the stream GDI is given: it commits a line's
// pixels only at one of those commands, so a line that a cut-short stream leaves
// unterminated is dropped, and pixels not reached stay black.
bool WalkRle(const uint8_t* begin, const uint8_t* end, bool fourBits, int32_t width, int32_t rows, size_t* used)
{
    const uint8_t* p = begin;
    const uint8_t* terminated = begin;
    int64_t x = 0, row = 0;
    while (row < rows && end - p >= 2) {
        const uint8_t count = p[0];
        const uint8_t value = p[1];
        p += 2;
        if (count > 0) {
            // Encoded run: `count` pixels of one index, or of two alternating nibbles.
            if (x + count > width)
                return false;
            x += count;
        } else if (value == 0) {   // end of line
            x = 0;
            ++row;
            terminated = p;
        } else if (value == 1) {   // end of bitmap
            terminated = p;
            break;
        } else if (value == 2) {   // delta: right and up
            if (end - p < 2)
                break;
            x += p[0];
            row += p[1];
            p += 2;
            if (x > width || row > rows)
                return false;
            terminated = p;
        } else {
            // Literal: `value` indices, padded to a whole number of 16-bit words.
            const size_t bytes = fourBits ? (value + 1u) / 2 : value;
            if (static_cast<size_t>(end - p) < bytes)
                break;
            if (x + value > width)
                return false;
            x += value;
            const size_t padded = (bytes + 1) & ~size_t(1);
            p += padded <= static_cast<size_t>(end - p) ? padded : bytes;
        }
    }
    *used = static_cast<size_t>(terminated - begin);
    return true;
}

bool IsPalettised(uint16_t bitCount) { return bitCount <= 8; }

}  // namespace

const char* DibErrorText(DibError error)
{
    switch (error) {
    case DibError::None:
        return "";
    case DibError::UnknownFormat:
        return "Unknown DIB file format.";
    case DibError::ConversionError:
        return "Image file conversion error.";
    case DibError::OutOfMemory:
        return "Out of memory.";
    }
    return "";
}

uint16_t DibColorCount(const DibHeader& header)
{
    if (header.size != kCoreHeaderSize && header.clrUsed != 0)
        return static_cast<uint16_t>(header.clrUsed);
    switch (header.bitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

namespace {

// The information header: its size field identifies it, and all of it must be present. A
// core header's fields are widened.
DibError ReadHeader(const uint8_t* file, size_t size, size_t headerAt, DibHeader& header)
{
    if (size < headerAt + 4)
        return DibError::UnknownFormat;
    const uint8_t* h = file + headerAt;
    header.size = ReadLe32(h);
    if (header.size != kCoreHeaderSize && header.size != kInfoHeaderSize)
        return DibError::UnknownFormat;
    if (size - headerAt < header.size)
        return DibError::UnknownFormat;
    if (header.size == kCoreHeaderSize) {
        header.width = ReadLe16(h + 4);
        header.height = ReadLe16(h + 6);
        header.planes = ReadLe16(h + 8);
        header.bitCount = ReadLe16(h + 10);
    } else {
        header.width = static_cast<int32_t>(ReadLe32(h + 4));
        header.height = static_cast<int32_t>(ReadLe32(h + 8));
        header.planes = ReadLe16(h + 12);
        header.bitCount = ReadLe16(h + 14);
        header.compression = ReadLe32(h + 16);
        header.sizeImage = ReadLe32(h + 20);
        header.xPelsPerMeter = static_cast<int32_t>(ReadLe32(h + 24));
        header.yPelsPerMeter = static_cast<int32_t>(ReadLe32(h + 28));
        header.clrUsed = ReadLe32(h + 32);
        header.clrImportant = ReadLe32(h + 36);
    }
    return DibError::None;
}

// The pixel format: what the platform's conversion takes.
bool ConvertibleFormat(const DibHeader& header)
{
    const uint16_t bpp = header.bitCount;
    if (header.planes != 1)
        return false;
    switch (header.compression) {
    case kBiRgb:
        return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
    case kBiRle8:
        return bpp == 8;
    case kBiRle4:
        return bpp == 4;
    case kBiBitfields:
        return bpp == 16 || bpp == 32;
    default:
        return false;
    }
}

bool IsRle(const DibHeader& header) { return header.compression == kBiRle8 || header.compression == kBiRle4; }

// The header, its pixel format and the picture's dimensions, checked before any size is
// computed from them.
DibError ParseHeaders(const uint8_t* file, size_t size, size_t headerAt, DibLayout& layout)
{
    DibHeader& header = layout.header;
    const DibError error = ReadHeader(file, size, headerAt, header);
    if (error != DibError::None)
        return error;
    if (!ConvertibleFormat(header))
        return DibError::ConversionError;

    const int64_t width = header.width;
    const int64_t height = header.height;
    if (width <= 0 || height == 0)
        return DibError::ConversionError;
    const int64_t rows = height < 0 ? -height : height;
    if (IsRle(header) && height < 0)
        return DibError::ConversionError;   // compressed pictures are stored bottom up only
    if (width > kMaxDimension || rows > kMaxDimension || width * rows > kMaxPixels)
        return DibError::OutOfMemory;
    layout.width = static_cast<int32_t>(width);
    layout.rows = static_cast<int32_t>(rows);
    layout.topDown = height < 0;
    return DibError::None;
}

// The masks and the colour table, which follow the header at `at`.
DibError ParseMasksAndColourTable(const uint8_t* file, size_t size, size_t at, DibLayout& layout)
{
    const DibHeader& header = layout.header;
    const uint16_t bpp = header.bitCount;
    if (header.compression == kBiBitfields) {
        if (size - at < 12)
            return DibError::ConversionError;
        for (int i = 0; i < 3; ++i) {
            layout.masks[i] = ReadLe32(file + at + 4 * i);
            if (layout.masks[i] == 0)
                return DibError::ConversionError;   // a channel without bits: GDI refuses it too
        }
        layout.hasMaskFields = true;
        at += 12;
    }
    layout.colourCount = DibColorCount(header);
    layout.paletteOffset = at;
    layout.paletteEntrySize = header.size == kCoreHeaderSize ? 3 : 4;
    const size_t paletteBytes = static_cast<size_t>(layout.colourCount) * layout.paletteEntrySize;
    if (size - at < paletteBytes)
        return DibError::ConversionError;
    if (IsPalettised(bpp)) {
        const uint32_t most = 1u << bpp;
        layout.paletteUsed = layout.colourCount < most ? layout.colourCount : most;
        if (layout.paletteUsed == 0)
            return DibError::ConversionError;   // indices without any colours
    }
    return DibError::None;
}

// The pixel data: at the file header's offset, or straight after the colour table; an
// RLE stream walked to its last whole line, other rows all present.
DibError ParsePixelData(const uint8_t* file, size_t size, bool fileHeader, DibLayout& layout)
{
    const DibHeader& header = layout.header;
    if (fileHeader) {
        const uint32_t offset = ReadLe32(file + 10);
        if (offset < kFileHeaderSize + header.size || offset > size)
            return DibError::ConversionError;
        layout.pixelOffset = offset;
    } else {
        layout.pixelOffset = layout.paletteOffset + static_cast<size_t>(layout.colourCount) * layout.paletteEntrySize;
    }
    const size_t available = size - layout.pixelOffset;
    if (IsRle(header)) {
        size_t used = 0;
        if (!WalkRle(file + layout.pixelOffset, file + size, header.compression == kBiRle4, layout.width,
                     layout.rows, &used))
            return DibError::ConversionError;
        if (used == 0)
            return DibError::ConversionError;   // not one terminated line
        layout.pixelBytes = used;
    } else {
        // Every row is padded to 4 bytes, the last one too; with the caps on the
        // dimensions this cannot overflow (at most 65535 × 32 bits per row, 2^26 pixels).
        const uint64_t stride = ((static_cast<uint64_t>(layout.width) * header.bitCount + 31) / 32) * 4;
        const uint64_t needed = stride * static_cast<uint64_t>(layout.rows);
        if (needed > available)
            return DibError::ConversionError;
        layout.pixelBytes = static_cast<size_t>(needed);
    }
    return DibError::None;
}

}  // namespace

DibError ParseDib(const uint8_t* file, size_t size, DibLayout* out)
{
    DibLayout layout;
    const bool fileHeader = size >= 2 && file[0] == 'B' && file[1] == 'M';
    const size_t headerAt = fileHeader ? kFileHeaderSize : 0;
    DibError error = ParseHeaders(file, size, headerAt, layout);
    if (error == DibError::None)
        error = ParseMasksAndColourTable(file, size, headerAt + layout.header.size, layout);
    if (error == DibError::None)
        error = ParsePixelData(file, size, fileHeader, layout);
    if (error == DibError::None)
        *out = layout;
    return error;
}

size_t ConversionHeaderSize(const DibLayout& layout)
{
    return kInfoHeaderSize + (layout.hasMaskFields ? 12 : 0) + 4 * static_cast<size_t>(layout.paletteUsed);
}

void WriteConversionHeader(const DibLayout& layout, const uint8_t* file, uint8_t* out)
{
    const DibHeader& h = layout.header;
    std::memset(out, 0, ConversionHeaderSize(layout));
    WriteLe32(out, kInfoHeaderSize);
    WriteLe32(out + 4, static_cast<uint32_t>(h.width));
    WriteLe32(out + 8, static_cast<uint32_t>(h.height));
    WriteLe16(out + 12, h.planes);
    WriteLe16(out + 14, h.bitCount);
    WriteLe32(out + 16, h.compression);
    // GDI reads an RLE stream up to this size: the part the walk proved whole.
    WriteLe32(out + 20, static_cast<uint32_t>(layout.pixelBytes));
    WriteLe32(out + 24, static_cast<uint32_t>(h.xPelsPerMeter));
    WriteLe32(out + 28, static_cast<uint32_t>(h.yPelsPerMeter));
    // As many colours as follow, so GDI never looks past this header.
    WriteLe32(out + 32, layout.paletteUsed);
    WriteLe32(out + 36, h.clrImportant < layout.paletteUsed ? h.clrImportant : 0);
    uint8_t* p = out + kInfoHeaderSize;
    if (layout.hasMaskFields) {
        for (int i = 0; i < 3; ++i)
            WriteLe32(p + 4 * i, layout.masks[i]);
        p += 12;
    }
    for (uint32_t i = 0; i < layout.paletteUsed; ++i, p += 4) {
        const uint8_t* entry = file + layout.paletteOffset + i * layout.paletteEntrySize;
        p[0] = entry[0];
        p[1] = entry[1];
        p[2] = entry[2];
        p[3] = layout.paletteEntrySize == 4 ? entry[3] : 0;
    }
}

size_t DibOutputBytes(const DibLayout& layout)
{
    return static_cast<size_t>(layout.width) * static_cast<size_t>(layout.rows) * 3;
}

void FreeImageRecord(ImageRecord* image)
{
    if (!image)
        return;
    std::free(image->pixels);
    std::free(image);
}

}  // namespace glowmere::renderer
