// The bitmap reader's checks (ParseDib) and the header it hands to GDI, over files made to
// measure and the public bitmap suite. The rows GDI delivers are checked under Wine.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "bmp_builder.h"
#include "dib.h"

namespace {

using namespace glowmere::renderer;
using Bytes = std::vector<uint8_t>;

const std::string kUnknown = "Unknown DIB file format.", kConversion = "Image file conversion error.",
                  kTooLarge = "Out of memory.";

// The reader's message for the file, "" when it is accepted.
std::string Verdict(const Bytes& file, DibLayout* layout = nullptr)
{
    DibLayout ignored;
    return DibErrorText(ParseDib(file.data(), file.size(), layout ? layout : &ignored));
}

bmp::Fields Make(int32_t width, int32_t height, uint16_t bits, size_t pixelBytes, uint32_t compression = kBiRgb,
                 size_t colours = 0, bool packed = false)
{
    bmp::Fields s;
    s.width = width, s.height = height, s.bitCount = bits, s.compression = compression, s.fileHeader = !packed;
    s.pixels.assign(pixelBytes, 0x80), s.palette.resize(colours);
    return s;
}

TEST(DibReader, ChecksEveryFieldAgainstTheBytesPresentAndSaysWhereColoursAndPixelsAre)
{
    const struct {
        const char* name;
        const std::string& message;
        void (*edit)(bmp::Fields&);      // applied to a 3 × 2 24-bit picture
        size_t cut = 0;                  // bytes cut off the end of the file
        std::vector<int64_t> layout{};   // accepted: pixel offset and bytes, rows, top down, colours stored and used
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
        {"RLE8 over 24 bits", kConversion, [](auto& s) { s.compression = kBiRle8, s.pixels = {3, 0, 0, 1}; }},
        {"RLE4 over 8 bits", kConversion, [](auto& s) { s.bitCount = 8, s.compression = kBiRle4; }},
        {"bit-fields over 24 bits", kConversion, [](auto& s) { s.compression = kBiBitfields, s.masks = {1, 2, 4}; }},
        {"masks cut short", kConversion, [](auto& s) { s = Make(3, 2, 32, 0, kBiBitfields), s.masks = {1, 2}; }},
        {"a mask of 0", kConversion, [](auto& s) { s = Make(3, 2, 32, 24, kBiBitfields), s.masks = {1, 0, 4}; }},
        {"colour table past the end", kConversion, [](auto& s) { s = Make(3, 2, 8, 0, 0, 10), s.clrUsed = 200; }},
        {"indices without colours", kConversion, [](auto& s) { s.bitCount = 8, s.clrUsed = 0x10000; }},   // low 16 bits
        {"RLE stored top down", kConversion, [](auto& s) { s = Make(3, -2, 8, 0, kBiRle8), s.pixels = {3, 0, 0, 1}; }},
        {"the most negative height", kTooLarge, [](auto& s) { s.height = INT32_MIN; }},
        {"wider than the cap", kTooLarge, [](auto& s) { s.width = 65536, s.height = 1; }},
        {"more pixels than the cap", kTooLarge, [](auto& s) { s.width = 8193, s.height = 8192; }},
        {"a size beyond 64 bits of bytes", kTooLarge, [](auto& s) { s.width = s.height = 0x7FFFFFFF; }},
        // Accepted: where the colours and pixels are, and how many bytes the conversion reads.
        {"rows padded to 4 bytes", "", [](auto&) {}, 0, {54, 24, 2, 0, 0, 0}},
        {"top down", "", [](auto& s) { s.height = -2; }, 0, {54, 24, 2, 1, 0, 0}},
        {"core", "", [](auto& s) { s = Make(3, 1, 1, 4, 0, 2, true), s.headerSize = 12; }, 0, {18, 4, 1, 0, 2, 2}},
        {"packed 8 bits", "", [](auto& s) { s = Make(2, 1, 8, 4, 0, 256, true); }, 0, {1064, 4, 1, 0, 256, 256}},
        {"packed 3 used", "", [](auto& s) { s = Make(2, 1, 8, 4, 0, 3, true), s.clrUsed = 3; }, 0, {52, 4, 1, 0, 3, 3}},
        {"300 used", "", [](auto& s) { s = Make(2, 1, 8, 4, 0, 300), s.clrUsed = 300; }, 0, {1254, 4, 1, 0, 300, 256}},
        {"packed masks", "", [](auto& s) { s = Make(1, 1, 16, 4, kBiBitfields, 0, true), s.masks = {1, 2, 4}; }, 0,
         {52, 4, 1, 0, 0, 0}},
        {"widest", "", [](auto& s) { s = Make(65535, 1, 1, 8192, 0, 2); }, 0, {62, 8192, 1, 0, 2, 2}},
        {"largest", "", [](auto& s) { s = Make(8192, -8192, 1, 1 << 23, 0, 2); }, 0, {62, 1 << 23, 8192, 1, 2, 2}},
    };
    for (const auto& c : cases) {
        bmp::Fields s = Make(3, 2, 24, 24);
        c.edit(s);
        Bytes file = bmp::Build(s);
        file.resize(file.size() - c.cut);
        DibLayout l;
        EXPECT_EQ(Verdict(file, &l), c.message) << c.name;
        const std::vector<int64_t> layout = {int64_t(l.pixelOffset), int64_t(l.pixelBytes), l.rows, l.topDown,
                                             l.colourCount, l.paletteUsed};
        EXPECT_TRUE(c.layout.empty() || layout == c.layout) << c.name;
    }
}

TEST(DibReader, TheConversionHeaderNamesOnlyWhatWasChecked)
{
    const auto header = [](const bmp::Fields& s) {   // its 4-byte fields, planes and bits as one
        const Bytes file = bmp::Build(s);
        DibLayout layout;
        EXPECT_EQ(Verdict(file, &layout), "");
        Bytes out(ConversionHeaderSize(layout), 0xEE);
        WriteConversionHeader(layout, file.data(), out.data());
        std::vector<uint32_t> fields(out.size() / 4);
        for (size_t i = 0; i < fields.size(); ++i)
            fields[i] = glowmere::ReadLe32(out.data() + 4 * i);
        return fields;
    };
    // 300 colours stored, 256 taken (blue first); the checked size instead of one that lies; the height's sign kept.
    bmp::Fields s = Make(3, -1, 8, 4, kBiRgb, 300);
    s.clrUsed = 300, s.clrImportant = 280, s.sizeImage = 0x7FFFFFFF, s.palette[0] = {0, 0, 255};
    std::vector<uint32_t> h = header(s);
    ASSERT_EQ(h.size(), 10u + 256);
    EXPECT_EQ(std::vector<uint32_t>(h.begin(), h.begin() + 11),
              (std::vector<uint32_t>{40, 3, 0xFFFFFFFF, 1 | 8 << 16, 0, 4, 2835, 2835, 256, 0, 255}));
    // A core header widened: 3-byte colours become 4 bytes with a zero fourth.
    s = Make(2, 1, 1, 4, kBiRgb, 2), s.headerSize = 12, s.palette = {{1, 2, 3}, {4, 5, 6}};
    h = header(s);
    EXPECT_EQ(std::vector<uint32_t>(h.begin() + 8, h.end()), (std::vector<uint32_t>{2, 0, 0x010203, 0x040506}));
    // Bit-fields: the masks follow the header; colours above 8 bits are left out.
    s = Make(1, 1, 32, 4, kBiBitfields, 2), s.clrUsed = 2, s.masks = {0xFF, 0xFF00, 0xFF0000};
    h = header(s);
    EXPECT_EQ(std::vector<uint32_t>(h.begin() + 8, h.end()), (std::vector<uint32_t>{0, 0, 0xFF, 0xFF00, 0xFF0000}));
}

TEST(DibReader, RleStreamsStayInsideThePictureAndGoOnUpToTheirLastFinishedLine)
{
    // Streams for a 4 × 3 picture, bottom row first, and the bytes handed on (0: refused).
    const struct { const char* name; Bytes stream; size_t handedOn; uint32_t compression = kBiRle8; } cases[] = {
        {"a run past the row's end", {3, 1, 2, 2, 0, 1}, 0},
        {"a literal past the row's end", {2, 1, 0, 3, 1, 2, 3, 0, 0, 1}, 0},
        {"a delta past the right edge", {0, 0, 0, 2, 5, 0, 0, 1}, 0},
        {"a delta above the top", {0, 2, 0, 4, 0, 1}, 0},
        {"no line ever finished", {4, 1}, 0},
        // Runs, an end of line, a delta, an odd literal and its padding, the end; then bytes never read.
        {"a whole stream", {2, 1, 0, 0, 0, 2, 1, 1, 0, 3, 2, 3, 2, 0xAA, 0, 1, 4, 3, 0, 0}, 16},
        {"leaving the top row by an end of line", {4, 1, 0, 0, 4, 2, 0, 0, 4, 3, 0, 0, 4, 1, 0, 0}, 12},
        {"a delta to the top", {1, 1, 0, 2, 0, 3, 0, 1}, 6},
        {"an unfinished last line and half a command", {4, 1, 0, 0, 2, 2, 0, 4, 3}, 4},
        {"4 bits: three indices in two bytes", {0, 3, 0x12, 0x30, 0, 1}, 6, kBiRle4},
    };
    for (const auto& c : cases) {
        bmp::Fields s = Make(4, 3, c.compression == kBiRle8 ? 8 : 4, 0, c.compression, 4);
        s.pixels = c.stream, s.clrUsed = 4;
        DibLayout layout;
        EXPECT_EQ(Verdict(bmp::Build(s), &layout), c.handedOn ? "" : kConversion) << c.name;
        EXPECT_EQ(c.handedOn ? layout.pixelBytes : 0, c.handedOn) << c.name;
    }
}

// The public bitmap suite (g/ good, q/ questionable, b/ bad, x/ related): name, bytes, header of a known size.
std::vector<std::tuple<std::string, Bytes, bool>> Suite(std::initializer_list<std::string> folders)
{
    std::vector<std::tuple<std::string, Bytes, bool>> files;
    for (const std::string& folder : folders)
        for (const auto& entry : std::filesystem::directory_iterator(GLOWMERE_BMPSUITE_DIR "/" + folder)) {
            std::ifstream in(entry.path(), std::ios::binary);
            Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            const uint32_t size = bytes.size() >= 18 ? glowmere::ReadLe32(bytes.data() + 14) : 0;
            if (entry.path().extension() == ".bmp")
                files.emplace_back(folder + "/" + entry.path().filename().string(), bytes, size == 12 || size == 40);
        }
    return files;
}

TEST(Bmpsuite, EveryFileGetsItsVerdict)
{
    // Files with a 12- or 40-byte header not named here are accepted; v4, v5, OS/2 2.x and others are unknown.
    const std::map<std::string, std::string> refused = {
        {"q/pal2.bmp", kConversion}, {"q/pal2color.bmp", kConversion}, {"q/rgba32abf.bmp", kConversion},
        {"q/rgba64.bmp", kConversion}, {"b/badbitcount.bmp", kConversion}, {"b/badpalettesize.bmp", kConversion},
        {"b/badplanes.bmp", kConversion}, {"b/badrle.bmp", kConversion}, {"b/badrle4.bmp", kConversion},
        {"b/badrle4bis.bmp", kConversion}, {"b/badrle4ter.bmp", kConversion}, {"b/badrlebis.bmp", kConversion},
        {"b/badrleter.bmp", kConversion}, {"b/badwidth.bmp", kConversion}, {"b/reallybig.bmp", kTooLarge},
        {"b/rgb16-880.bmp", kConversion}, {"b/rletopdown.bmp", kConversion}, {"b/shortfile.bmp", kConversion},
    };
    int unknown = 0, accepted = 0;
    for (const auto& [name, bytes, known] : Suite({"g", "q", "b", "x"})) {
        const auto named = refused.find(name);
        EXPECT_EQ(Verdict(bytes), !known ? kUnknown : named != refused.end() ? named->second : "") << name;
        unknown += !known;
        accepted += known && named == refused.end();
    }
    EXPECT_TRUE(unknown == 25 && accepted == 48) << unknown << " unknown, " << accepted << " accepted";
}

TEST(Bmpsuite, EveryPrefixOfAGoodFileIsRefusedOrHandedOnWithinIt)
{
    // As a crashed writer leaves it: without its whole header it is unknown, without all its
    // uncompressed pixels it cannot be converted, and an RLE stream goes on up to its last finished line.
    for (const auto& [name, bytes, known] : Suite({"g"})) {
        DibLayout whole;
        if (!known || Verdict(bytes, &whole) != "")
            continue;
        const bool rle = whole.header.compression == kBiRle4 || whole.header.compression == kBiRle8;
        for (size_t cut = 0; cut < bytes.size(); cut += cut < whole.pixelOffset + 64 ? 1 : 13) {   // headers, colours
            DibLayout layout;
            const std::string verdict = Verdict(Bytes(bytes.begin(), bytes.begin() + cut), &layout);
            EXPECT_EQ(verdict, cut < 14 + whole.header.size ? kUnknown : !rle ? kConversion : verdict) << name << cut;
            EXPECT_LE(verdict == "" ? layout.pixelOffset + layout.pixelBytes : 0, cut) << name << cut;
        }
    }
}

}  // namespace
