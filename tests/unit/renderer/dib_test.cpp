// The bitmap reader's checks and its portable conversion, over files made to measure.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bmp_builder.h"
#include "byte_order.h"
#include "dib.h"
#include "dib_decode.h"

namespace {

using namespace glowmere::renderer;
using bmp::Rgb;
using Rgbs = std::vector<Rgb>;

const Rgb kBlack = {0, 0, 0};
const Rgb kRed = {255, 0, 0};
const Rgb kGreen = {0, 255, 0};
const Rgb kBlue = {0, 0, 255};
const Rgb kWhite = {255, 255, 255};

bmp::Fields Make(int32_t width, int32_t height, uint16_t bits, std::vector<uint8_t> pixels)
{
    bmp::Fields s;
    s.width = width;
    s.height = height;
    s.bitCount = bits;
    s.pixels = std::move(pixels);
    return s;
}

// One decoded row (0 is the bottom), or nothing when the file is refused.
Rgbs Row(const bmp::Fields& s, int row = 0)
{
    const Picture p = Decode(bmp::Build(s));
    Rgbs out;
    for (int x = 0; p.error == DibError::None && x < p.width; ++x)
        out.push_back(p.At(x, row));
    return out;
}

DibLayout Parse(const std::vector<uint8_t>& file)
{
    DibLayout layout;
    EXPECT_EQ(ParseDib(file.data(), file.size(), &layout), DibError::None);
    return layout;
}

uint32_t Read32(const std::vector<uint8_t>& b, size_t at) { return glowmere::ReadLe32(b.data() + at); }

// An 8-bit RLE picture of 4 × 3 over a palette of black, red, green, blue.
bmp::Fields Rle8(std::vector<uint8_t> stream)
{
    bmp::Fields s = Make(4, 3, 8, std::move(stream));
    s.compression = kBiRle8;
    s.clrUsed = 4;
    s.palette = {kBlack, kRed, kGreen, kBlue};
    return s;
}

TEST(DibReader, TheMessagesAreTheReadersOwn)
{
    EXPECT_STREQ(DibErrorText(DibError::UnknownFormat), "Unknown DIB file format.");
    EXPECT_STREQ(DibErrorText(DibError::ConversionError), "Image file conversion error.");
    EXPECT_STREQ(DibErrorText(DibError::OutOfMemory), "Out of memory.");
}

TEST(DibReader, OnlyTwelveAndFortyByteHeadersAreKnown)
{
    // The suite's files bring the other real header sizes, and their prefixes the headers
    // cut short; here sizes no header has, in files and in packed DIBs.
    for (uint32_t size : {0u, 41u, 0xFFFFFFFFu}) {
        for (bool fileHeader : {true, false}) {
            bmp::Fields s = Make(1, 1, 24, bmp::Rows24({{kRed}}));
            s.fileHeader = fileHeader;
            std::vector<uint8_t> file = bmp::Build(s);
            glowmere::WriteLe32(file.data() + (fileHeader ? 14 : 0), size);
            EXPECT_EQ(Decode(file).error, DibError::UnknownFormat) << size << " " << fileHeader;
        }
    }
    EXPECT_EQ(Decode({40, 0, 0}).error, DibError::UnknownFormat) << "a packed DIB without a whole size field";
}

TEST(DibReader, ColourCountComesFromColoursUsedOrTheBitDepth)
{
    const std::pair<uint16_t, uint16_t> byDepth[] = {{1, 2}, {4, 16}, {8, 256}, {16, 0}, {24, 0}, {32, 0}, {2, 0}};
    for (const auto& [bits, expected] : byDepth) {
        for (uint32_t size : {12u, 40u}) {
            DibHeader header;
            header.size = size;
            header.bitCount = bits;
            header.clrUsed = size == 12 ? 7 : 0;   // a core header has no such field: ignored
            EXPECT_EQ(DibColorCount(header), expected) << bits << " " << size;
        }
    }
    DibHeader info;
    info.size = 40;
    info.bitCount = 24;
    info.clrUsed = 300;
    EXPECT_EQ(DibColorCount(info), 300);
    info.clrUsed = 0x12345;   // only the low 16 bits are kept
    EXPECT_EQ(DibColorCount(info), 0x2345);
}

TEST(DibReader, APackedDibHasItsPixelsRightAfterItsColoursAndIndicesPastThemAreBlack)
{
    // The suite's files all have a file header, which says where the pixels are.
    // Packed 8-bit DIB without colours used: 256 entries, then the pixels.
    bmp::Fields packed = Make(2, 1, 8, bmp::PaddedRows({{255, 1}}));
    packed.fileHeader = false;
    packed.palette.assign(256, kBlack);
    packed.palette[1] = kRed;
    packed.palette[255] = kBlue;
    EXPECT_EQ(Row(packed), (Rgbs{kBlue, kRed}));

    // Colours used set: only that many entries come first.
    packed.clrUsed = 3;
    packed.palette = {kBlack, kRed, kGreen};
    packed.pixels = bmp::PaddedRows({{2, 1}});
    EXPECT_EQ(Row(packed), (Rgbs{kGreen, kRed}));

    // Packed core header, 1 bit: two 3-byte entries.
    bmp::Fields core = Make(3, 1, 1, bmp::PaddedRows({{0b10100000}}));
    core.fileHeader = false;
    core.headerSize = 12;
    core.palette = {kGreen, kWhite};
    EXPECT_EQ(Row(core), (Rgbs{kWhite, kGreen, kWhite}));

    // Packed BI_BITFIELDS: the masks come before the pixels.
    bmp::Fields fields = Make(1, 1, 16, bmp::PaddedRows({{0x1F, 0x00}}));
    fields.fileHeader = false;
    fields.compression = kBiBitfields;
    fields.masks = {0xF800, 0x07E0, 0x001F};
    EXPECT_EQ(Row(fields), (Rgbs{kBlue}));

    // Indices past the table give black rather than a read beyond it.
    bmp::Fields past = Make(4, 1, 8, bmp::PaddedRows({{0, 1, 2, 255}}));
    past.clrUsed = 2;
    past.palette = {kRed, kGreen};
    EXPECT_EQ(Row(past), (Rgbs{kRed, kGreen, kBlack, kBlack}));
}

TEST(DibReader, ShortAndLongBitFieldsScaleAsGdiScalesThem)
{
    // Fields shorter than 8 bits repeat their high bits once; longer ones keep the top 8.
    // (The suite's comparison allows a step of the field here: its reference scales
    // differently.)
    bmp::Fields s = Make(2, 1, 32, bmp::PaddedRows({{0x03, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}}));
    s.compression = kBiBitfields;
    s.masks = {0xFFE00000, 0x001FFC00, 0x00000003};   // 11, 11 and 2 bits
    EXPECT_EQ(Row(s), (Rgbs{{0, 0, 0xF0}, {0xFF, 0xFF, 0xF0}}));
}

TEST(DibReader, TheConversionHeaderNamesOnlyWhatWasChecked)
{
    DibLayout layout;
    const auto header = [&layout](const bmp::Fields& s) {
        const std::vector<uint8_t> file = bmp::Build(s);
        layout = Parse(file);
        std::vector<uint8_t> out(ConversionHeaderSize(layout), 0xEE);
        WriteConversionHeader(layout, file.data(), out.data());
        return out;
    };

    // 8 bits with 300 colours stored: the conversion takes 256, all of them present.
    bmp::Fields s = Make(3, 1, 8, bmp::PaddedRows({{0, 1, 2}}));
    s.clrUsed = 300;
    s.clrImportant = 280;
    s.sizeImage = 0x7FFFFFFF;   // lies; the conversion header carries the checked size
    s.palette.assign(300, kBlue);
    std::vector<uint8_t> h = header(s);
    EXPECT_EQ(layout.colourCount, 300);
    ASSERT_EQ(h.size(), 40u + 4 * 256);
    EXPECT_EQ(Read32(h, 20), 4u) << "image size: one padded row";
    EXPECT_EQ(Read32(h, 32), 256u) << "colours used";
    EXPECT_EQ(Read32(h, 36), 0u) << "colours important beyond the table";
    EXPECT_EQ(h[40], 255) << "blue of the first entry";

    // A core header is widened: 3-byte entries become 4 bytes with a zero fourth.
    s = Make(2, 1, 1, bmp::PaddedRows({{0x40}}));
    s.headerSize = 12;
    s.palette = {{1, 2, 3}, {4, 5, 6}};
    h = header(s);
    ASSERT_EQ(h.size(), 48u);
    EXPECT_EQ(Read32(h, 0), 40u);
    EXPECT_EQ(Read32(h, 4), 2u);
    EXPECT_EQ(std::vector<uint8_t>(h.begin() + 40, h.end()), (std::vector<uint8_t>{3, 2, 1, 0, 6, 5, 4, 0}));

    // BI_BITFIELDS: the masks follow the header; colours above 8 bits are left out.
    s = Make(1, 1, 32, bmp::PaddedRows({{1, 2, 3, 4}}));
    s.compression = kBiBitfields;
    s.clrUsed = 2;
    s.masks = {0xFF, 0xFF00, 0xFF0000};
    s.palette = {kRed, kRed};
    h = header(s);
    ASSERT_EQ(h.size(), 52u);
    EXPECT_EQ(Read32(h, 40), 0xFFu);
    EXPECT_EQ(Read32(h, 48), 0xFF0000u);
}

TEST(DibReader, RefusesFilesWhoseFieldsDoNotFitTheBytesPresent)
{
    const DibError conversion = DibError::ConversionError, tooLarge = DibError::OutOfMemory;
    const struct {
        const char* name;
        DibError expected;
        void (*edit)(bmp::Fields&);   // applied to a 3 × 2 24-bit picture
        size_t cut = 0;               // bytes cut off the end of the file
    } cases[] = {
        {"one pixel byte missing", conversion, [](auto&) {}, 1},
        {"the last row's padding missing", conversion, [](auto&) {}, 3},   // GDI reads whole rows
        {"pixel offset past the end", conversion, [](auto& s) { s.pixelOffset = 1000; }},
        {"pixel offset inside the header", conversion, [](auto& s) { s.pixelOffset = 20; }},
        {"width 0", conversion, [](auto& s) { s.width = 0; }},
        {"negative width", conversion, [](auto& s) { s.width = -3; }},
        {"height 0", conversion, [](auto& s) { s.height = 0; }},
        {"the most negative height", tooLarge, [](auto& s) { s.height = INT32_MIN; }},
        {"no planes", conversion, [](auto& s) { s.planes = 0; }},
        {"two planes", conversion, [](auto& s) { s.planes = 2; }},
        {"0 bits", conversion, [](auto& s) { s.bitCount = 0; }},
        {"2 bits", conversion, [](auto& s) { s.bitCount = 2; }},
        {"3 bits", conversion, [](auto& s) { s.bitCount = 3; }},
        {"48 bits", conversion, [](auto& s) { s.bitCount = 48; }},
        {"64 bits", conversion, [](auto& s) { s.bitCount = 64; }},
        {"JPEG", conversion, [](auto& s) { s.compression = 4; }},
        {"alpha bit-fields", conversion, [](auto& s) { s.compression = 6; }},
        {"RLE8 over 24 bits", conversion, [](auto& s) { s.compression = kBiRle8; }},
        {"bit-fields over 24 bits", conversion,
         [](auto& s) { s.compression = kBiBitfields; s.masks = {0xFF0000, 0xFF00, 0xFF}; }},
        {"masks cut short", conversion,
         [](auto& s) { s.bitCount = 32; s.compression = kBiBitfields; s.masks = {0xFF0000, 0xFF00}; s.pixels = {}; }},
        {"a mask without bits", conversion,
         [](auto& s) { s.bitCount = 32; s.compression = kBiBitfields; s.masks = {0xFF0000, 0, 0xFF}; }},
        {"colour table past the end", conversion,
         [](auto& s) { s.bitCount = 8; s.clrUsed = 200; s.palette.assign(10, kRed); s.pixels = {}; }},
        {"palettised without colours", conversion,   // 16 low bits of 0: an 8-bit picture without colours
         [](auto& s) { s.bitCount = 8; s.clrUsed = 0x10000; s.pixels = bmp::PaddedRows({{0, 0, 0}, {0, 0, 0}}); }},
        {"wider than the cap", tooLarge, [](auto& s) { s.width = 65536; s.height = 1; }},
        {"more pixels than the cap", tooLarge, [](auto& s) { s.width = 8193; s.height = 8192; }},
        {"a size that overflows 64 bits of bytes", tooLarge, [](auto& s) { s.width = s.height = 0x7FFFFFFF; }},
    };
    for (const auto& c : cases) {
        bmp::Fields s = Make(3, 2, 24, bmp::Rows24({{kRed, kRed, kRed}, {kBlue, kBlue, kBlue}}));
        c.edit(s);
        std::vector<uint8_t> file = bmp::Build(s);
        file.resize(file.size() - c.cut);
        EXPECT_EQ(Decode(file).error, c.expected) << c.name;
    }

    // The largest picture within the caps is accepted when its bytes are there.
    bmp::Fields s = Make(8192, -8192, 1, std::vector<uint8_t>(size_t(8192) * 8192 / 8, 0));
    s.clrUsed = 1;
    s.palette = {kGreen};
    EXPECT_EQ(DibOutputBytes(Parse(bmp::Build(s))), size_t(8192) * 8192 * 3);
}

TEST(DibReader, RleRunsLiteralsAndDeltasStayInsideThePicture)
{
    const std::pair<const char*, std::vector<uint8_t>> refused[] = {
        {"a run past the row's end", {3, 1, 2, 2, 0, 1}},
        {"a literal past the row's end", {2, 1, 0, 3, 1, 2, 3, 0, 0, 1}},
        {"a delta past the right edge", {0, 0, 0, 2, 5, 0, 0, 1}},
        {"a delta above the top", {0, 2, 0, 4, 0, 1}},
        {"no line ever finished", {4, 1}},
        {"nothing but one byte", {7}},
    };
    for (const auto& [name, stream] : refused)
        EXPECT_EQ(Decode(bmp::Build(Rle8(stream))).error, DibError::ConversionError) << name;

    bmp::Fields topDown = Rle8({4, 1, 0, 0, 0, 1});
    topDown.height = -3;
    EXPECT_EQ(Decode(bmp::Build(topDown)).error, DibError::ConversionError) << "RLE is bottom up only";
}

TEST(DibReader, RleStreamsDecodeAndStopWhereGdiStops)
{
    // Runs, an end of line, a delta that skips pixels (left black), an odd literal with
    // its padding byte, and the end of the bitmap; bytes after it are not part of the picture.
    const bmp::Fields s = Rle8({2, 1, 0, 0,              // row 0: red red . .
                                0, 2, 1, 1,              // delta: right 1, up 1 → row 2, x 1
                                0, 3, 2, 3, 2, 0xAA,     // literal green blue green + padding
                                0, 1,                    // end of bitmap
                                4, 3, 0, 0, 4, 3});      // never read
    EXPECT_EQ(Parse(bmp::Build(s)).pixelBytes, 16u);
    EXPECT_EQ(Row(s, 0), (Rgbs{kRed, kRed, kBlack, kBlack}));
    EXPECT_EQ(Row(s, 1), Rgbs(4, kBlack));
    EXPECT_EQ(Row(s, 2), (Rgbs{kBlack, kGreen, kBlue, kGreen}));

    // Leaving the top row by an end of line ends the picture, too.
    const bmp::Fields full = Rle8({4, 1, 0, 0, 4, 2, 0, 0, 4, 3, 0, 0, 4, 1, 0, 0});
    EXPECT_EQ(Parse(bmp::Build(full)).pixelBytes, 12u);
    EXPECT_EQ(Row(full, 2), Rgbs(4, kBlue));

    // A stream cut short: its unfinished last line is dropped, as GDI drops it, and a
    // command cut in half is never read.
    const bmp::Fields cut = Rle8({4, 1, 0, 0, 2, 2, 0, 4, 3});
    EXPECT_EQ(Parse(bmp::Build(cut)).pixelBytes, 4u);
    EXPECT_EQ(Row(cut, 0), Rgbs(4, kRed));
    EXPECT_EQ(Row(cut, 1), Rgbs(4, kBlack));
}

}  // namespace
