// The bitmap reader's checks (ParseDib) and the header it hands to GDI, over files made to
// measure and the public bitmap suite. The rows GDI then delivers are compared with an
// independent decoding under Wine (tests/wine/dib_reader_wine_test.cpp).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "bmp_builder.h"
#include "dib.h"

namespace {

using namespace glowmere::renderer;
using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

const std::string kUnknown = "Unknown DIB file format.", kConversion = "Image file conversion error.",
                  kTooLarge = "Out of memory.";

// The reader's message for the file, "" when it is accepted.
std::string Verdict(const Bytes& file, DibLayout* layout = nullptr)
{
    DibLayout ignored;
    return DibErrorText(ParseDib(file.data(), file.size(), layout ? layout : &ignored));
}

bmp::Fields Make(int32_t width, int32_t height, uint16_t bits, Bytes pixels = {}, uint32_t compression = kBiRgb)
{
    bmp::Fields s;
    s.width = width;
    s.height = height;
    s.bitCount = bits;
    s.compression = compression;
    s.pixels = std::move(pixels);
    return s;
}

TEST(DibReader, RefusesFilesWhoseFieldsDoNotFitTheBytesPresent)
{
    const struct {
        const char* name;
        const std::string& message;
        void (*edit)(bmp::Fields&);   // applied to a 3 × 2 24-bit picture
        size_t cut = 0;               // bytes cut off the end of the file
    } cases[] = {
        {"header size 0", kUnknown, [](auto& s) { s.headerSize = 0; }},
        {"packed, header size 41", kUnknown, [](auto& s) { s.fileHeader = false, s.headerSize = 41; }},
        {"packed, size field cut short", kUnknown, [](auto& s) { s.fileHeader = false; }, 61},
        {"one pixel byte missing", kConversion, [](auto&) {}, 1},
        {"the last row's padding missing", kConversion, [](auto&) {}, 3},
        {"pixel offset past the end", kConversion, [](auto& s) { s.pixelOffset = 79; }},
        {"pixel offset inside the header", kConversion, [](auto& s) { s.pixelOffset = 53; }},
        {"width 0", kConversion, [](auto& s) { s.width = 0; }},
        {"negative width", kConversion, [](auto& s) { s.width = -3; }},
        {"height 0", kConversion, [](auto& s) { s.height = 0; }},
        {"two planes", kConversion, [](auto& s) { s.planes = 2; }},
        {"2 bits", kConversion, [](auto& s) { s.bitCount = 2; }},
        {"64 bits", kConversion, [](auto& s) { s.bitCount = 64; }},
        {"JPEG", kConversion, [](auto& s) { s.compression = 4; }},
        {"RLE8 over 24 bits", kConversion, [](auto& s) { s.compression = kBiRle8; }},
        {"RLE4 over 8 bits", kConversion, [](auto& s) { s.bitCount = 8, s.compression = kBiRle4; }},
        {"bit-fields over 24 bits", kConversion, [](auto& s) { s.compression = kBiBitfields, s.masks = {1, 2, 4}; }},
        {"masks cut short", kConversion,
         [](auto& s) { s.bitCount = 32, s.compression = kBiBitfields, s.masks = {0xFF0000, 0xFF00}, s.pixels = {}; }},
        {"a mask without bits", kConversion,
         [](auto& s) { s.bitCount = 32, s.compression = kBiBitfields, s.masks = {0xFF0000, 0, 0xFF}; }},
        {"colour table past the end", kConversion,
         [](auto& s) { s.bitCount = 8, s.clrUsed = 200, s.palette.assign(10, {}), s.pixels = {}; }},
        {"indices without colours", kConversion, [](auto& s) { s.bitCount = 8, s.clrUsed = 0x10000; }},
        {"RLE stored top down", kConversion,
         [](auto& s) { s.bitCount = 8, s.compression = kBiRle8, s.height = -2, s.pixels = {3, 0, 0, 1}; }},
        {"the most negative height", kTooLarge, [](auto& s) { s.height = INT32_MIN; }},
        {"wider than the cap", kTooLarge, [](auto& s) { s.width = 65536, s.height = 1; }},
        {"more pixels than the cap", kTooLarge, [](auto& s) { s.width = 8193, s.height = 8192; }},
        {"a size beyond 64 bits of bytes", kTooLarge, [](auto& s) { s.width = s.height = 0x7FFFFFFF; }},
    };
    for (const auto& c : cases) {
        bmp::Fields s = Make(3, 2, 24, Bytes(24, 0x80));
        c.edit(s);
        Bytes file = bmp::Build(s);
        file.resize(file.size() - c.cut);
        EXPECT_EQ(Verdict(file), c.message) << c.name;
    }
}

TEST(DibReader, AcceptedFilesSayWhereTheirColoursAndPixelsAreAndHowManyBytesTheConversionReads)
{
    const auto packed = [](bmp::Fields s) { return s.fileHeader = false, s; };
    bmp::Fields core = packed(Make(3, 1, 1, Bytes(4)));
    core.headerSize = 12;
    core.palette.resize(2);
    bmp::Fields eight = packed(Make(2, 1, 8, Bytes(4)));
    eight.palette.resize(256);
    bmp::Fields three = eight;
    three.clrUsed = 3;
    three.palette.resize(3);
    bmp::Fields wrapped = Make(2, 1, 8, Bytes(4));
    wrapped.clrUsed = 0x10001;   // only the low 16 bits count
    wrapped.palette.resize(1);
    bmp::Fields many = Make(2, 1, 8, Bytes(4));
    many.clrUsed = 300;
    many.palette.resize(300);
    bmp::Fields masked = packed(Make(1, 1, 16, Bytes(4), kBiBitfields));
    masked.masks = {0xF800, 0x07E0, 0x001F};
    bmp::Fields widest = Make(65535, 1, 1, Bytes(8192));
    widest.palette.resize(2);
    bmp::Fields largest = Make(8192, -8192, 1, Bytes(size_t(8192) * 1024));
    largest.palette.resize(2);
    const struct {
        const char* name;
        bmp::Fields fields;
        std::vector<int64_t> expected;   // pixel offset and bytes, rows, top down, colours stored and used
    } cases[] = {
        {"24 bits, rows padded to 4 bytes", Make(3, 2, 24, Bytes(24)), {54, 24, 2, 0, 0, 0}},
        {"stored top down", Make(3, -2, 24, Bytes(24)), {54, 24, 2, 1, 0, 0}},
        {"packed core header: 3-byte colours", core, {18, 4, 1, 0, 2, 2}},
        {"packed, 256 colours", eight, {1064, 4, 1, 0, 256, 256}},
        {"packed, 3 colours used", three, {52, 4, 1, 0, 3, 3}},
        {"colours used beyond 16 bits", wrapped, {58, 4, 1, 0, 1, 1}},
        {"more colours than indices", many, {1254, 4, 1, 0, 300, 256}},
        {"packed bit-fields: masks before the pixels", masked, {52, 4, 1, 0, 0, 0}},
        {"as wide as the cap", widest, {62, 8192, 1, 0, 2, 2}},
        {"as many pixels as the cap", largest, {62, 8192 * 1024, 8192, 1, 2, 2}},
    };
    for (const auto& c : cases) {
        DibLayout l;
        ASSERT_EQ(Verdict(bmp::Build(c.fields), &l), "") << c.name;
        EXPECT_EQ((std::vector<int64_t>{int64_t(l.pixelOffset), int64_t(l.pixelBytes), l.rows, l.topDown,
                                        l.colourCount, l.paletteUsed}),
                  c.expected)
            << c.name;
    }
}

TEST(DibReader, TheConversionHeaderNamesOnlyWhatWasChecked)
{
    const auto header = [](const bmp::Fields& s) {
        const Bytes file = bmp::Build(s);
        DibLayout layout;
        EXPECT_EQ(Verdict(file, &layout), "");
        Bytes out(ConversionHeaderSize(layout), 0xEE);
        WriteConversionHeader(layout, file.data(), out.data());
        return out;
    };
    const auto at = [](const Bytes& b, size_t i) { return glowmere::ReadLe32(b.data() + i); };

    // 300 colours stored, 256 taken; the size field lies, the checked size goes on.
    bmp::Fields s = Make(3, -1, 8, Bytes(4));
    s.clrUsed = 300;
    s.clrImportant = 280;
    s.sizeImage = 0x7FFFFFFF;
    s.palette.assign(300, {0, 0, 255});
    Bytes h = header(s);
    ASSERT_EQ(h.size(), 40u + 4 * 256);
    EXPECT_EQ((std::vector<uint32_t>{at(h, 0), at(h, 4), at(h, 8), at(h, 12), at(h, 16), at(h, 20), at(h, 32),
                                     at(h, 36), at(h, 40)}),
              (std::vector<uint32_t>{40, 3, 0xFFFFFFFF, 1 | 8 << 16, 0, 4, 256, 0, 255}));

    // A core header widened: 3-byte colours become 4 bytes with a zero fourth.
    s = Make(2, 1, 1, Bytes(4));
    s.headerSize = 12;
    s.palette = {{1, 2, 3}, {4, 5, 6}};
    h = header(s);
    ASSERT_EQ(h.size(), 48u);
    EXPECT_EQ(Bytes(h.begin() + 40, h.end()), (Bytes{3, 2, 1, 0, 6, 5, 4, 0}));

    // Bit-fields: the masks follow the header; colours above 8 bits are left out.
    s = Make(1, 1, 32, Bytes(4), kBiBitfields);
    s.clrUsed = 2;
    s.masks = {0xFF, 0xFF00, 0xFF0000};
    s.palette.resize(2);
    h = header(s);
    ASSERT_EQ(h.size(), 52u);
    EXPECT_EQ((std::vector<uint32_t>{at(h, 32), at(h, 40), at(h, 44), at(h, 48)}),
              (std::vector<uint32_t>{0, 0xFF, 0xFF00, 0xFF0000}));
}

TEST(DibReader, RleStreamsStayInsideThePictureAndAreHandedOnUpToTheirLastFinishedLine)
{
    const struct {
        const char* name;
        Bytes stream;   // for a 4 × 3 picture, bottom row first
        size_t handedOn;   // 0: refused
        uint32_t compression = kBiRle8;
    } cases[] = {
        {"a run past the row's end", {3, 1, 2, 2, 0, 1}, 0},
        {"a literal past the row's end", {2, 1, 0, 3, 1, 2, 3, 0, 0, 1}, 0},
        {"a delta past the right edge", {0, 0, 0, 2, 5, 0, 0, 1}, 0},
        {"a delta above the top", {0, 2, 0, 4, 0, 1}, 0},
        {"no line ever finished", {4, 1}, 0},
        {"nothing but one byte", {7}, 0},
        // Runs, an end of line, a delta, an odd literal and its padding, the end of the
        // bitmap; what follows it is never read.
        {"a whole stream", {2, 1, 0, 0, 0, 2, 1, 1, 0, 3, 2, 3, 2, 0xAA, 0, 1, 4, 3, 0, 0}, 16},
        {"leaving the top row by an end of line", {4, 1, 0, 0, 4, 2, 0, 0, 4, 3, 0, 0, 4, 1, 0, 0}, 12},
        {"a delta to the top", {1, 1, 0, 2, 0, 3, 0, 1}, 6},
        {"an unfinished last line and half a command", {4, 1, 0, 0, 2, 2, 0, 4, 3}, 4},
        {"4 bits: three indices in two bytes", {0, 3, 0x12, 0x30, 0, 1}, 6, kBiRle4},
    };
    for (const auto& c : cases) {
        bmp::Fields s = Make(4, 3, c.compression == kBiRle8 ? 8 : 4, c.stream, c.compression);
        s.palette.resize(4);
        s.clrUsed = 4;
        DibLayout layout;
        EXPECT_EQ(Verdict(bmp::Build(s), &layout), c.handedOn ? "" : kConversion) << c.name;
        EXPECT_EQ(c.handedOn ? layout.pixelBytes : 0, c.handedOn) << c.name;
    }
}

// The public bitmap suite: g/ good, q/ questionable, b/ bad, x/ related formats.
struct SuiteFile {
    std::string name;
    Bytes bytes;
    bool knownHeader;   // 12 or 40 bytes
};

std::vector<SuiteFile> Suite(std::initializer_list<const char*> folders)
{
    std::vector<SuiteFile> files;
    for (const char* folder : folders)
        for (const auto& entry : fs::directory_iterator(fs::path(GLOWMERE_BMPSUITE_DIR) / folder)) {
            std::ifstream in(entry.path(), std::ios::binary);
            Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            const uint32_t size = bytes.size() >= 18 ? glowmere::ReadLe32(bytes.data() + 14) : 0;
            if (entry.path().extension() == ".bmp")
                files.push_back({std::string(folder) + "/" + entry.path().filename().string(), bytes,
                                 size == 12 || size == 40});
        }
    return files;
}

TEST(Bmpsuite, EveryFileGetsItsVerdict)
{
    // Files with a 12- or 40-byte header not named here are accepted.
    const std::map<std::string, std::string> refused = {
        {"q/pal2.bmp", kConversion}, {"q/pal2color.bmp", kConversion},   // 2 bits per pixel
        {"q/rgba32abf.bmp", kConversion},                                 // compression 6
        {"q/rgba64.bmp", kConversion},
        {"b/badbitcount.bmp", kConversion}, {"b/badpalettesize.bmp", kConversion},
        {"b/badplanes.bmp", kConversion},   {"b/badrle.bmp", kConversion},
        {"b/badrle4.bmp", kConversion},     {"b/badrle4bis.bmp", kConversion},
        {"b/badrle4ter.bmp", kConversion},  {"b/badrlebis.bmp", kConversion},
        {"b/badrleter.bmp", kConversion},   {"b/badwidth.bmp", kConversion},
        {"b/reallybig.bmp", kTooLarge},     {"b/rgb16-880.bmp", kConversion},   // a mask without bits
        {"b/rletopdown.bmp", kConversion},  {"b/shortfile.bmp", kConversion},
    };
    int unknown = 0, accepted = 0;
    for (const SuiteFile& f : Suite({"g", "q", "b", "x"})) {
        const auto named = refused.find(f.name);
        EXPECT_EQ(Verdict(f.bytes), !f.knownHeader ? kUnknown : named != refused.end() ? named->second : "") << f.name;
        unknown += !f.knownHeader;
        accepted += f.knownHeader && named == refused.end();
    }
    EXPECT_EQ(unknown, 25) << "v4, v5, OS/2 2.x, odd header sizes and the bitmap array";
    EXPECT_EQ(accepted, 48);
}

TEST(Bmpsuite, EveryPrefixOfAGoodFileIsRefusedOrHandedOnWithinIt)
{
    // A file cut short, as a crashed writer leaves it: without its whole header it is
    // unknown, without all its uncompressed pixels it cannot be converted, and an RLE
    // stream goes on up to its last finished line.
    for (const SuiteFile& f : Suite({"g"})) {
        DibLayout whole;
        if (!f.knownHeader || Verdict(f.bytes, &whole) != "")
            continue;
        const bool rle = whole.header.compression == kBiRle4 || whole.header.compression == kBiRle8;
        for (size_t cut = 0; cut < f.bytes.size(); cut += f.bytes.size() > 2000 ? 7 : 1) {
            DibLayout layout;
            const std::string verdict = Verdict(Bytes(f.bytes.begin(), f.bytes.begin() + cut), &layout);
            const std::string expected = cut < 14 + whole.header.size ? kUnknown : !rle ? kConversion : verdict;
            EXPECT_EQ(verdict, expected) << f.name << " cut at " << cut;
            EXPECT_LE(verdict == "" ? layout.pixelOffset + layout.pixelBytes : 0, cut) << f.name << " cut at " << cut;
        }
    }
}

}  // namespace
