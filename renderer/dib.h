#pragma once
// The bitmap reader's portable half. ParseDib reads and checks a DIB file that is already
// in memory (a mapped view) and describes it in a DibLayout; every size in the file is
// checked against the bytes really present before anything is allocated or converted, so
// the GDI conversion can neither read outside the file nor write outside its buffers.
// WriteConversionHeader builds the header that GDI's conversion is given.
//
// Accepted: a 12-byte core header or a 40-byte information header, with or without the
// 14-byte "BM" file header (without it the file is a packed DIB); 1, 4 and 8 bits per
// pixel with a colour table, 16, 24 and 32 bits per pixel; BI_RGB, BI_RLE8 (8 bpp, stored
// bottom up), BI_RLE4 (4 bpp, bottom up), BI_BITFIELDS (16 and 32 bpp, with its masks).
#include <cstddef>
#include <cstdint>

namespace glowmere::renderer {

enum class DibError {
    None,
    UnknownFormat,     // not a DIB header we know: "Unknown DIB file format."
    ConversionError,   // a known header over pixels that cannot be converted as stored
    OutOfMemory,       // too large to hold, or an allocation failed
};

// The reader's message for an error (the texts users have always seen); "" for None.
const char* DibErrorText(DibError error);

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;

constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr size_t kFileHeaderSize = 14;

// Pictures above these sizes are refused as too large before anything is allocated:
// 2^26 pixels (8192 x 8192) is 192 MiB of 24-bit rows, held twice during the conversion.
constexpr int64_t kMaxDimension = 65535;
constexpr int64_t kMaxPixels = int64_t(1) << 26;

// The information header as the file stores it; a core header's fields are widened
// (width and height without sign) and the fields it lacks are 0.
struct DibHeader {
    uint32_t size = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t clrUsed = 0;
    uint32_t clrImportant = 0;
};

// Colour-table entries stored after the header: the colours-used field when set (40-byte
// header), otherwise 2, 16 or 256 for 1, 4 or 8 bits per pixel, and 0 for the others.
// Only the low 16 bits are kept.
uint16_t DibColorCount(const DibHeader& header);

// A picture that passed every check. All offsets are from the start of the file, and
// every range below lies inside it.
struct DibLayout {
    DibHeader header;
    int32_t width = 0;              // > 0
    int32_t rows = 0;               // |height| > 0
    bool topDown = false;           // negative height: the first stored row is the top
    uint16_t colourCount = 0;       // DibColorCount: entries stored in the file
    size_t paletteOffset = 0;
    uint32_t paletteEntrySize = 0;  // 3 (core header) or 4
    uint32_t paletteUsed = 0;       // entries the conversion looks up: at most 2^bpp, 0 above 8 bpp
    uint32_t masks[3] = {0, 0, 0};  // BI_BITFIELDS: red, green, blue as stored after the header
    bool hasMaskFields = false;
    size_t pixelOffset = 0;
    size_t pixelBytes = 0;          // exactly the bytes the conversion reads from pixelOffset
};

// Reads and checks the file. On success fills `layout` and returns None.
DibError ParseDib(const uint8_t* file, size_t size, DibLayout* layout);

// The conversion header: a 40-byte information header (sizes taken from the layout, so
// GDI reads no more than the layout proved present), the three masks for BI_BITFIELDS,
// and paletteUsed 4-byte colour entries.
size_t ConversionHeaderSize(const DibLayout& layout);
void WriteConversionHeader(const DibLayout& layout, const uint8_t* file, uint8_t* out);

// The size of the picture's 24-bit rows: rows × width × 3 bytes, tightly packed.
size_t DibOutputBytes(const DibLayout& layout);

// The result of a successful load. Both the record and its pixels come from the C heap.
struct ImageRecord {
    int32_t width;
    int32_t height;    // rows; positive, also for pictures stored top to bottom
    uint8_t* pixels;   // width × height × 3 bytes, R G B, bottom row first, no row padding
};

// Frees the pixels, then the record; accepts null.
void FreeImageRecord(ImageRecord* image);

}  // namespace glowmere::renderer
