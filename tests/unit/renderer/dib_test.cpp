// The bitmap reader's checks and its portable conversion, over files made to measure.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bmp_builder.h"
#include "dib.h"

namespace {

using bmp::Rgb;

struct Decoded {
    DibError error = DibError::None;
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;   // bottom row first

    Rgb At(int x, int row) const
    {
        const size_t i = (static_cast<size_t>(row) * width + x) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
};

Decoded Decode(const std::vector<uint8_t>& file)
{
    Decoded d;
    ImageRecord* image = DecodeDibImage(file.data(), file.size(), &d.error);
    if (image) {
        d.width = image->width;
        d.height = image->height;
        d.rgb.assign(image->pixels, image->pixels + static_cast<size_t>(image->width) * image->height * 3);
        FreeImageRecord(image);
    }
    return d;
}

DibLayout Parse(const std::vector<uint8_t>& file)
{
    DibLayout layout;
    EXPECT_EQ(ParseDib(file.data(), file.size(), &layout), DibError::None);
    return layout;
}

const Rgb kBlack = {0, 0, 0};
const Rgb kRed = {255, 0, 0};
const Rgb kGreen = {0, 255, 0};
const Rgb kBlue = {0, 0, 255};
const Rgb kWhite = {255, 255, 255};

// An 8-bit RLE picture of 4 × 3 over a palette of black, red, green, blue.
bmp::Fields Rle8(std::vector<uint8_t> stream)
{
    bmp::Fields s;
    s.width = 4;
    s.height = 3;
    s.bitCount = 8;
    s.compression = kBiRle8;
    s.clrUsed = 4;
    s.palette = {kBlack, kRed, kGreen, kBlue};
    s.pixels = std::move(stream);
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
    for (uint32_t size : {0u, 16u, 52u, 56u, 64u, 108u, 124u, 41u, 0xFFFFFFFFu}) {
        for (bool fileHeader : {true, false}) {
            bmp::Fields s;
            s.headerSize = size > 200 ? 40 : size;   // the huge one is patched in below
            s.fileHeader = fileHeader;
            s.pixels = bmp::Rows24({{kRed}});
            std::vector<uint8_t> file = bmp::Build(s);
            if (size > 200)
                std::memcpy(file.data() + (fileHeader ? 14 : 0), &size, 4);
            EXPECT_EQ(Decode(file).error, DibError::UnknownFormat) << size << " " << fileHeader;
        }
    }

    // A header that claims 40 bytes but is cut short, and files too short for any header.
    bmp::Fields s;
    s.pixels = bmp::Rows24({{kRed}});
    std::vector<uint8_t> file = bmp::Build(s);
    file.resize(14 + 39);
    EXPECT_EQ(Decode(file).error, DibError::UnknownFormat);
    for (std::vector<uint8_t> tiny : {std::vector<uint8_t>{}, std::vector<uint8_t>{'B', 'M'},
                                      std::vector<uint8_t>{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40},
                                      std::vector<uint8_t>{40, 0, 0}}) {
        EXPECT_EQ(Decode(tiny).error, DibError::UnknownFormat) << tiny.size();
    }
}

TEST(DibReader, ColourCountComesFromColoursUsedOrTheBitDepth)
{
    DibHeader core;
    core.size = 12;
    core.clrUsed = 7;   // a core header has no such field; whatever is here is ignored
    DibHeader info;
    info.size = 40;
    const struct {
        uint16_t bits;
        uint16_t expected;
    } byDepth[] = {{1, 2}, {4, 16}, {8, 256}, {16, 0}, {24, 0}, {32, 0}, {2, 0}};
    for (const auto& c : byDepth) {
        core.bitCount = info.bitCount = c.bits;
        EXPECT_EQ(DibColorCount(core), c.expected) << c.bits;
        EXPECT_EQ(DibColorCount(info), c.expected) << c.bits;
    }
    info.bitCount = 8;
    info.clrUsed = 5;
    EXPECT_EQ(DibColorCount(info), 5);
    info.bitCount = 24;
    info.clrUsed = 300;
    EXPECT_EQ(DibColorCount(info), 300);
    info.clrUsed = 0x12345;   // only the low 16 bits are kept
    EXPECT_EQ(DibColorCount(info), 0x2345);
}

TEST(DibReader, FindsThePixelsAfterTheColourTableOrAtTheFileOffset)
{
    // Packed 8-bit DIB without colours used: 256 entries, then the pixels.
    bmp::Fields packed;
    packed.fileHeader = false;
    packed.width = 2;
    packed.bitCount = 8;
    packed.palette.assign(256, kBlack);
    packed.palette[1] = kRed;
    packed.palette[255] = kBlue;
    packed.pixels = bmp::PaddedRows({{255, 1}});
    Decoded d = Decode(bmp::Build(packed));
    ASSERT_EQ(d.error, DibError::None);
    EXPECT_EQ(d.At(0, 0), kBlue);
    EXPECT_EQ(d.At(1, 0), kRed);

    // Colours used set: only that many entries come first.
    packed.clrUsed = 3;
    packed.palette = {kBlack, kRed, kGreen};
    packed.pixels = bmp::PaddedRows({{2, 1}});
    d = Decode(bmp::Build(packed));
    ASSERT_EQ(d.error, DibError::None);
    EXPECT_EQ(d.At(0, 0), kGreen);
    EXPECT_EQ(d.At(1, 0), kRed);

    // Packed core header, 1 bit: two 3-byte entries.
    bmp::Fields core;
    core.fileHeader = false;
    core.headerSize = 12;
    core.width = 3;
    core.bitCount = 1;
    core.palette = {kGreen, kWhite};
    core.pixels = bmp::PaddedRows({{0b10100000}});
    d = Decode(bmp::Build(core));
    ASSERT_EQ(d.error, DibError::None);
    EXPECT_EQ(d.At(0, 0), kWhite);
    EXPECT_EQ(d.At(1, 0), kGreen);
    EXPECT_EQ(d.At(2, 0), kWhite);

    // Packed BI_BITFIELDS: the masks come before the pixels.
    bmp::Fields fields;
    fields.fileHeader = false;
    fields.bitCount = 16;
    fields.compression = kBiBitfields;
    fields.masks = {0xF800, 0x07E0, 0x001F};
    fields.pixels = bmp::PaddedRows({{0x1F, 0x00}});
    d = Decode(bmp::Build(fields));
    ASSERT_EQ(d.error, DibError::None);
    EXPECT_EQ(d.At(0, 0), kBlue);

    // A file header whose offset leaves a gap after the colour table: read from the offset.
    bmp::Fields gap;
    gap.width = 1;
    gap.bitCount = 8;
    gap.clrUsed = 2;
    gap.palette = {kRed, kGreen};
    gap.gap = {0, 0, 0, 0, 0, 0, 0, 0};
    gap.pixels = bmp::PaddedRows({{1}});
    d = Decode(bmp::Build(gap));
    ASSERT_EQ(d.error, DibError::None);
    EXPECT_EQ(d.At(0, 0), kGreen);
}

TEST(DibReader, RowsAreTightlyPackedBottomFirstAndUprightEitherWayUp)
{
    // Five pixels wide: 15 bytes per stored row plus 1 byte of padding.
    const std::vector<Rgb> bottom = {kRed, kGreen, kBlue, kWhite, {1, 2, 3}};
    const std::vector<Rgb> top = {{9, 8, 7}, kBlack, kWhite, kBlue, kGreen};
    bmp::Fields up;
    up.width = 5;
    up.height = 2;
    up.pixels = bmp::Rows24({bottom, top});
    ASSERT_EQ(up.pixels.size(), 32u);
    const Decoded a = Decode(bmp::Build(up));
    ASSERT_EQ(a.error, DibError::None);
    ASSERT_EQ(a.rgb.size(), 30u);
    EXPECT_EQ(a.At(4, 0), (Rgb{1, 2, 3}));
    EXPECT_EQ(a.At(0, 1), (Rgb{9, 8, 7}));

    // Stored top row first (negative height): the same rows, and a positive height.
    bmp::Fields down = up;
    down.height = -2;
    down.pixels = bmp::Rows24({top, bottom});
    const Decoded b = Decode(bmp::Build(down));
    ASSERT_EQ(b.error, DibError::None);
    EXPECT_EQ(b.height, 2);
    EXPECT_EQ(b.rgb, a.rgb);
}

TEST(DibReader, BitfieldMasksAreKept)
{
    // The same 16-bit value reads differently as 5-6-5 and as the default 5-5-5.
    bmp::Fields s;
    s.width = 2;
    s.bitCount = 16;
    s.compression = kBiBitfields;
    s.masks = {0xF800, 0x07E0, 0x001F};
    s.pixels = bmp::PaddedRows({{0xE0, 0x07, 0x00, 0xF8}});   // 0x07E0 green, 0xF800 red
    Decoded d = Decode(bmp::Build(s));
    ASSERT_EQ(d.error, DibError::None);
    EXPECT_EQ(d.At(0, 0), kGreen);
    EXPECT_EQ(d.At(1, 0), kRed);

    s.compression = kBiRgb;
    s.masks.clear();
    d = Decode(bmp::Build(s));
    ASSERT_EQ(d.error, DibError::None);
    EXPECT_EQ(d.At(0, 0), (Rgb{0x08, 0xFF, 0}));   // 0x07E0 as 5-5-5: red 00001, green 11111
    EXPECT_EQ(d.At(1, 0), (Rgb{0xF7, 0, 0}));      // 0xF800: red 11110 (bit 15 unused)
}

TEST(DibReader, ShortAndLongBitFieldsScaleAsGdiDoes)
{
    // Fields shorter than 8 bits repeat their high bits once; longer ones keep the top 8.
    bmp::Fields s;
    s.width = 2;
    s.bitCount = 32;
    s.compression = kBiBitfields;
    s.masks = {0xFFE00000, 0x001FFC00, 0x00000003};   // 11, 11 and 2 bits
    s.pixels = bmp::PaddedRows({{0x03, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}});
    const Decoded d = Decode(bmp::Build(s));
    ASSERT_EQ(d.error, DibError::None);
    EXPECT_EQ(d.At(0, 0), (Rgb{0, 0, 0xF0}));
    EXPECT_EQ(d.At(1, 0), (Rgb{0xFF, 0xFF, 0xF0}));
}

TEST(DibReader, TheConversionHeaderNamesOnlyWhatWasChecked)
{
    // 8 bits with 300 colours stored: the conversion takes 256, all of them present.
    bmp::Fields s;
    s.width = 3;
    s.bitCount = 8;
    s.clrUsed = 300;
    s.clrImportant = 280;
    s.sizeImage = 0x7FFFFFFF;   // lies; the conversion header carries the checked size
    s.palette.assign(300, kBlue);
    s.pixels = bmp::PaddedRows({{0, 1, 2}});
    std::vector<uint8_t> file = bmp::Build(s);
    DibLayout layout = Parse(file);
    EXPECT_EQ(layout.colourCount, 300);
    EXPECT_EQ(layout.paletteUsed, 256u);
    ASSERT_EQ(ConversionHeaderSize(layout), 40u + 4 * 256);
    std::vector<uint8_t> header(ConversionHeaderSize(layout));
    WriteConversionHeader(layout, file.data(), header.data());
    uint32_t field;
    std::memcpy(&field, header.data() + 20, 4);
    EXPECT_EQ(field, 4u) << "image size: one padded row";
    std::memcpy(&field, header.data() + 32, 4);
    EXPECT_EQ(field, 256u) << "colours used";
    std::memcpy(&field, header.data() + 36, 4);
    EXPECT_EQ(field, 0u) << "colours important beyond the table";
    EXPECT_EQ(header[40], 255) << "blue of the first entry";

    // A core header is widened: 3-byte entries become 4 bytes with a zero fourth.
    bmp::Fields core;
    core.headerSize = 12;
    core.width = 2;
    core.bitCount = 1;
    core.palette = {{1, 2, 3}, {4, 5, 6}};
    core.pixels = bmp::PaddedRows({{0x40}});
    file = bmp::Build(core);
    layout = Parse(file);
    header.assign(ConversionHeaderSize(layout), 0xEE);
    WriteConversionHeader(layout, file.data(), header.data());
    ASSERT_EQ(header.size(), 48u);
    std::memcpy(&field, header.data(), 4);
    EXPECT_EQ(field, 40u);
    std::memcpy(&field, header.data() + 4, 4);
    EXPECT_EQ(field, 2u);
    EXPECT_EQ(std::vector<uint8_t>(header.begin() + 40, header.end()),
              (std::vector<uint8_t>{3, 2, 1, 0, 6, 5, 4, 0}));

    // BI_BITFIELDS: the masks follow the header; colours above 8 bits are left out.
    bmp::Fields fields;
    fields.width = 1;
    fields.bitCount = 32;
    fields.compression = kBiBitfields;
    fields.clrUsed = 2;
    fields.masks = {0xFF, 0xFF00, 0xFF0000};
    fields.palette = {kRed, kRed};
    fields.pixels = bmp::PaddedRows({{1, 2, 3, 4}});
    file = bmp::Build(fields);
    layout = Parse(file);
    ASSERT_EQ(ConversionHeaderSize(layout), 52u);
    header.assign(52, 0);
    WriteConversionHeader(layout, file.data(), header.data());
    std::memcpy(&field, header.data() + 40, 4);
    EXPECT_EQ(field, 0xFFu);
    std::memcpy(&field, header.data() + 48, 4);
    EXPECT_EQ(field, 0xFF0000u);
}

TEST(DibReader, RefusesFilesWhoseFieldsDoNotFitTheBytesPresent)
{
    const auto base = [] {
        bmp::Fields s;
        s.width = 3;
        s.height = 2;
        s.pixels = bmp::Rows24({{kRed, kRed, kRed}, {kBlue, kBlue, kBlue}});
        return s;
    };
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        DibError expected;
    };
    std::vector<Case> cases;
    auto add = [&](const char* name, const bmp::Fields& s, DibError e, long cut = 0) {
        std::vector<uint8_t> file = bmp::Build(s);
        file.resize(file.size() - cut);
        cases.push_back({name, file, e});
    };
    const DibError conversion = DibError::ConversionError;

    add("one pixel byte missing", base(), conversion, 1);
    add("the last row's padding missing", base(), conversion, 3);   // GDI reads whole rows
    bmp::Fields s = base();
    s.pixelOffset = 1000;
    add("pixel offset past the end", s, conversion);
    s.pixelOffset = 20;
    add("pixel offset inside the header", s, conversion);
    s = base();
    s.width = 0;
    add("width 0", s, conversion);
    s.width = -3;
    add("negative width", s, conversion);
    s = base();
    s.height = 0;
    add("height 0", s, conversion);
    s = base();
    s.height = INT32_MIN;
    add("the most negative height", s, DibError::OutOfMemory);
    s = base();
    s.planes = 0;
    add("no planes", s, conversion);
    s.planes = 2;
    add("two planes", s, conversion);
    for (uint16_t bits : {0, 2, 3, 48, 64}) {
        s = base();
        s.bitCount = bits;
        add("an unconvertible bit depth", s, conversion);
    }
    s = base();
    s.compression = 4;
    add("JPEG", s, conversion);
    s.compression = 6;
    add("alpha bit-fields", s, conversion);
    s.compression = kBiRle8;
    add("RLE8 over 24 bits", s, conversion);
    s = base();
    s.compression = kBiBitfields;
    s.masks = {0xFF0000, 0xFF00, 0xFF};
    add("bit-fields over 24 bits", s, conversion);
    s = base();
    s.bitCount = 32;
    s.compression = kBiBitfields;
    s.masks = {0xFF0000, 0xFF00};
    s.pixels.clear();
    add("masks cut short", s, conversion);
    s.masks = {0xFF0000, 0, 0xFF};
    s.pixels.assign(24, 0);
    add("a mask without bits", s, conversion);
    s = base();
    s.bitCount = 8;
    s.clrUsed = 200;
    s.palette.assign(10, kRed);
    s.pixels.clear();
    add("colour table past the end", s, conversion);
    s = base();
    s.bitCount = 8;
    s.clrUsed = 0x10000;   // 16 low bits of 0: an 8-bit picture without colours
    s.pixels = bmp::PaddedRows({{0, 0, 0}, {0, 0, 0}});
    add("palettised without colours", s, conversion);
    s = base();
    s.width = 65536;
    s.height = 1;
    add("wider than the cap", s, DibError::OutOfMemory);
    s.width = 8193;
    s.height = 8192;
    add("more pixels than the cap", s, DibError::OutOfMemory);
    s.width = 0x7FFFFFFF;
    s.height = 0x7FFFFFFF;
    add("a size that overflows 64 bits of bytes", s, DibError::OutOfMemory);

    for (const Case& c : cases) {
        EXPECT_EQ(Decode(c.file).error, c.expected) << c.name;
        DibLayout layout;
        EXPECT_EQ(ParseDib(c.file.data(), c.file.size(), &layout), c.expected) << c.name;
    }

    // The largest picture within the caps is accepted when its bytes are there.
    s = base();
    s.bitCount = 1;
    s.clrUsed = 1;
    s.palette = {kGreen};
    s.width = 8192;
    s.height = -8192;
    s.pixels.assign(size_t(8192) * 8192 / 8, 0);
    const std::vector<uint8_t> big = bmp::Build(s);
    DibLayout layout;
    EXPECT_EQ(ParseDib(big.data(), big.size(), &layout), DibError::None);
    EXPECT_EQ(DibOutputBytes(layout), size_t(8192) * 8192 * 3);
}

TEST(DibReader, PaletteIndicesPastTheTableAreBlack)
{
    bmp::Fields s;
    s.width = 4;
    s.bitCount = 8;
    s.clrUsed = 2;
    s.palette = {kRed, kGreen};
    s.pixels = bmp::PaddedRows({{0, 1, 2, 255}});
    const Decoded d = Decode(bmp::Build(s));
    ASSERT_EQ(d.error, DibError::None);
    EXPECT_EQ(d.At(0, 0), kRed);
    EXPECT_EQ(d.At(1, 0), kGreen);
    EXPECT_EQ(d.At(2, 0), kBlack);
    EXPECT_EQ(d.At(3, 0), kBlack);
}

TEST(DibReader, RleRunsLiteralsAndDeltasStayInsideThePicture)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> stream;
    };
    const Case refused[] = {
        {"a run past the row's end", {3, 1, 2, 2, 0, 1}},
        {"a literal past the row's end", {2, 1, 0, 3, 1, 2, 3, 0, 0, 1}},
        {"a delta past the right edge", {0, 0, 0, 2, 5, 0, 0, 1}},
        {"a delta above the top", {0, 2, 0, 4, 0, 1}},
        {"no line ever finished", {4, 1}},
        {"nothing but one byte", {7}},
    };
    for (const Case& c : refused)
        EXPECT_EQ(Decode(bmp::Build(Rle8(c.stream))).error, DibError::ConversionError) << c.name;

    bmp::Fields topDown = Rle8({4, 1, 0, 0, 0, 1});
    topDown.height = -3;
    EXPECT_EQ(Decode(bmp::Build(topDown)).error, DibError::ConversionError) << "RLE is bottom up only";
}

TEST(DibReader, RleStreamsDecodeAndStopWhereGdiStops)
{
    // Runs, an end of line, a delta that skips pixels (left black), an odd literal with
    // its padding byte, and the end of the bitmap; bytes after it are not part of the picture.
    bmp::Fields s = Rle8({2, 1, 0, 0,              // row 0: red red . .
                        0, 2, 1, 1,              // delta: right 1, up 1 → row 2, x 1
                        0, 3, 2, 3, 2, 0xAA,     // literal green blue green + padding
                        0, 1,                    // end of bitmap
                        4, 3, 0, 0, 4, 3});      // never read
    std::vector<uint8_t> file = bmp::Build(s);
    DibLayout layout = Parse(file);
    EXPECT_EQ(layout.pixelBytes, 16u);
    Decoded d = Decode(file);
    ASSERT_EQ(d.error, DibError::None);
    EXPECT_EQ(d.At(0, 0), kRed);
    EXPECT_EQ(d.At(1, 0), kRed);
    EXPECT_EQ(d.At(2, 0), kBlack);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(d.At(x, 1), kBlack) << x;
    EXPECT_EQ(d.At(0, 2), kBlack);
    EXPECT_EQ(d.At(1, 2), kGreen);
    EXPECT_EQ(d.At(2, 2), kBlue);
    EXPECT_EQ(d.At(3, 2), kGreen);

    // Leaving the top row by an end of line ends the picture, too.
    file = bmp::Build(Rle8({4, 1, 0, 0, 4, 2, 0, 0, 4, 3, 0, 0, 4, 1, 0, 0}));
    EXPECT_EQ(Parse(file).pixelBytes, 12u);
    d = Decode(file);
    ASSERT_EQ(d.error, DibError::None);
    EXPECT_EQ(d.At(3, 2), kBlue);

    // A stream cut short: its unfinished last line is dropped, as GDI drops it, and a
    // command cut in half is never read.
    file = bmp::Build(Rle8({4, 1, 0, 0, 2, 2, 0, 4, 3}));
    EXPECT_EQ(Parse(file).pixelBytes, 4u);
    d = Decode(file);
    ASSERT_EQ(d.error, DibError::None);
    EXPECT_EQ(d.At(3, 0), kRed);
    EXPECT_EQ(d.At(0, 1), kBlack);
}

TEST(DibReader, Rle4AlternatesNibblesFromTheRunsStart)
{
    // A run of 3 from x 0 (1 2 1), a literal of 3 from x 3 (odd): 3 0 2, end of line.
    bmp::Fields s;
    s.width = 6;
    s.height = 1;
    s.bitCount = 4;
    s.compression = kBiRle4;
    s.clrUsed = 4;
    s.palette = {kBlack, kRed, kGreen, kBlue};
    s.pixels = {3, 0x12, 0, 3, 0x30, 0x20, 0, 0, 0, 1};
    const Decoded d = Decode(bmp::Build(s));
    ASSERT_EQ(d.error, DibError::None);
    const Rgb expected[6] = {kRed, kGreen, kRed, kBlue, kBlack, kGreen};
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(d.At(x, 0), expected[x]) << x;
}

}  // namespace
