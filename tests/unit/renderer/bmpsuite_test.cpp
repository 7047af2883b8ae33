// The portable bitmap reader over the public bitmap test suite (tests/data/bmpsuite:
// g/ good, q/ questionable, b/ bad, x/ related formats), checked against ImageMagick's
// decoding as an independent reference. The GDI path is compared with the portable one
// under Wine (tests/wine/dib_reader_wine_test.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "byte_order.h"
#include "dib.h"
#include "dib_decode.h"
#include "picture_loader.h"

namespace {

using namespace glowmere::renderer;
namespace fs = std::filesystem;

fs::path Suite() { return GLOWMERE_BMPSUITE_DIR; }

std::vector<uint8_t> ReadBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// 0 past the end of a short file.
uint32_t Read32(const std::vector<uint8_t>& b, size_t at)
{
    return at + 4 <= b.size() ? glowmere::ReadLe32(b.data() + at) : 0;
}

// The size field of the DIB header, wherever the file puts it.
uint32_t HeaderSizeField(const std::vector<uint8_t>& file)
{
    const bool fileHeader = file.size() >= 2 && file[0] == 'B' && file[1] == 'M';
    return Read32(file, fileHeader ? 14 : 0);
}

// ImageMagick's reading of the file, bottom row first; false when it cannot read it.
bool ImageMagick(const fs::path& file, Picture* out)
{
    const std::optional<testpictures::RgbPicture> picture = testpictures::LoadPicture(file);
    if (!picture)
        return false;
    out->width = picture->width;
    out->height = picture->height;
    const size_t rowBytes = size_t(out->width) * 3;
    out->rgb.resize(picture->rgb.size());
    for (int row = 0; row < out->height; ++row)
        std::memcpy(out->rgb.data() + row * rowBytes, picture->rgb.data() + (out->height - 1 - row) * rowBytes,
                    rowBytes);
    return true;
}

std::vector<std::string> FilesIn(const std::vector<std::string>& folders)
{
    std::vector<std::string> names;
    for (const std::string& folder : folders)
        for (const auto& entry : fs::directory_iterator(Suite() / folder))
            if (entry.path().extension() == ".bmp")
                names.push_back(folder + "/" + entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// How a file's decoding is compared with the reference.
enum class Compare {
    Exact,
    // RLE files that skip pixels (deltas, or a stream cut short): the skipped pixels
    // are undefined in the format; we leave them black as GDI does, ImageMagick fills
    // them. Every other pixel must match.
    BlackWhereSkipped,
    // Bit-fields other than 5, 6 or 8 bits: GDI repeats a short field's high bits into
    // the low ones and keeps the top 8 bits of a long one; ImageMagick (6.9) puts a short
    // field into the high bits without repeating them and rounds long ones a little
    // differently (a 7-bit 64 is 127 there, 129 here). So a channel of n < 8 bits may
    // differ by up to 2^(8-n), one step of the field, and a longer one by 1. The exact
    // scaling is compared with GDI itself under Wine.
    FieldBits,
};

struct Expectation {
    Compare compare = Compare::Exact;
    std::string twin;   // ImageMagick cannot read the file: compare with this picture of the suite
};

const std::map<std::string, Expectation>& Expectations()
{
    static const std::map<std::string, Expectation> table = {
        {"q/pal4rletrns.bmp", {Compare::BlackWhereSkipped, ""}},
        {"q/pal8rletrns.bmp", {Compare::BlackWhereSkipped, ""}},
        {"q/pal4rlecut.bmp", {Compare::BlackWhereSkipped, "g/pal4rle.bmp"}},
        {"q/pal8rlecut.bmp", {Compare::BlackWhereSkipped, "g/pal8rle.bmp"}},
        {"q/pal8os2-hs.bmp", {Compare::Exact, "g/pal8os2.bmp"}},
        {"q/pal8os2-sz.bmp", {Compare::Exact, "g/pal8os2.bmp"}},
        {"q/pal8os2v2-40sz.bmp", {Compare::Exact, "g/pal8.bmp"}},
        {"q/pal8oversizepal.bmp", {Compare::Exact, "g/pal8.bmp"}},
        {"q/rgb16-231.bmp", {Compare::FieldBits, ""}},
        {"q/rgb16-3103.bmp", {Compare::FieldBits, ""}},
        {"q/rgb32-111110.bmp", {Compare::FieldBits, ""}},
        {"q/rgb32-7187.bmp", {Compare::FieldBits, ""}},
    };
    return table;
}

// Files with a 12- or 40-byte header that the platform's conversion does not take.
const std::set<std::string> kRefused = {
    "q/pal2.bmp", "q/pal2color.bmp",   // 2 bits per pixel: GDI has no such format
    "q/rgba32abf.bmp",                 // compression 6 (alpha bit-fields)
    "q/rgba64.bmp",                    // 64 bits per pixel
};

void ExpectSamePicture(const std::string& name, const Picture& ours, const Picture& ref, Compare compare,
                       const std::vector<uint8_t>& file)
{
    ASSERT_EQ(ours.width, ref.width) << name;
    ASSERT_EQ(ours.height, ref.height) << name;
    ASSERT_EQ(ours.rgb.size(), ref.rgb.size()) << name;
    size_t matching = 0, wrong = 0;
    int lengths[3];   // of the bit-fields, which are contiguous in the suite's files
    for (int i = 0; i < 3; ++i)
        lengths[i] = __builtin_popcount(Read32(file, 54 + 4 * i));
    for (size_t p = 0; p < ours.rgb.size(); p += 3) {
        const uint8_t* a = &ours.rgb[p];
        const uint8_t* b = &ref.rgb[p];
        bool same = std::memcmp(a, b, 3) == 0;
        if (!same && compare == Compare::FieldBits) {
            same = true;
            for (int c = 0; c < 3; ++c) {
                const int n = lengths[c];
                const int tolerance = n >= 8 ? 1 : 1 << (8 - n);
                same = same && std::abs(a[c] - b[c]) <= tolerance;
            }
        }
        if (same)
            ++matching;
        else if (!(compare == Compare::BlackWhereSkipped && a[0] == 0 && a[1] == 0 && a[2] == 0))
            ++wrong;
    }
    EXPECT_EQ(wrong, 0u) << name << ": pixels that differ from the reference";
    // Even the cut-short files keep more than a third of their picture.
    EXPECT_GT(matching * 3, ours.rgb.size() / 3) << name;
}

TEST(Bmpsuite, GoodAndQuestionableFilesWithKnownHeadersDecodeAsAnIndependentReaderDoes)
{
    size_t compared = 0, refused = 0;
    for (const std::string& name : FilesIn({"g", "q"})) {
        const std::vector<uint8_t> file = ReadBytes(Suite() / name);
        const uint32_t headerSize = HeaderSizeField(file);
        if (headerSize != 12 && headerSize != 40)
            continue;
        const Picture ours = Decode(file);
        if (ours.error != DibError::None) {
            EXPECT_TRUE(kRefused.count(name)) << name << " refused: " << DibErrorText(ours.error);
            EXPECT_EQ(ours.error, DibError::ConversionError) << name;
            ++refused;
            continue;
        }
        EXPECT_FALSE(kRefused.count(name)) << name << " should be refused";

        const auto found = Expectations().find(name);
        const Expectation expectation = found == Expectations().end() ? Expectation{} : found->second;
        Picture reference;
        const std::string source = expectation.twin.empty() ? name : expectation.twin;
        ASSERT_TRUE(ImageMagick(Suite() / source, &reference)) << "ImageMagick cannot read " << source;
        ExpectSamePicture(name, ours, reference, expectation.compare, file);
        ++compared;
    }
    EXPECT_EQ(refused, kRefused.size());
    EXPECT_EQ(compared, 43u) << "25 good and 18 questionable files: none may be skipped";
}

TEST(Bmpsuite, OtherHeaderSizesAreRefusedAsUnknown)
{
    int unknown = 0;
    for (const std::string& name : FilesIn({"g", "q", "b", "x"})) {
        const std::vector<uint8_t> file = ReadBytes(Suite() / name);
        const uint32_t headerSize = HeaderSizeField(file);
        if (headerSize == 12 || headerSize == 40)
            continue;
        EXPECT_EQ(Decode(file).error, DibError::UnknownFormat) << name << " header size " << headerSize;
        ++unknown;
    }
    EXPECT_EQ(unknown, 25) << "v4, v5, OS/2 2.x, odd header sizes and the bitmap array";
}

TEST(Bmpsuite, BadFilesAreRefusedOrDecodedWithinBounds)
{
    const DibError conversion = DibError::ConversionError, none = DibError::None;
    const std::map<std::string, DibError> expected = {
        {"b/badbitcount.bmp", conversion},     // 30000 bits per pixel
        {"b/badbitssize.bmp", none},           // image size field wrong: not used for BI_RGB
        {"b/baddens1.bmp", none},              // absurd resolution: not used
        {"b/baddens2.bmp", none},
        {"b/badfilesize.bmp", none},           // file size field wrong: not used
        {"b/badheadersize.bmp", DibError::UnknownFormat},
        {"b/badpalettesize.bmp", conversion},  // colour table past the end of the file
        {"b/badplanes.bmp", conversion},
        {"b/badrle.bmp", conversion},          // runs and deltas leaving the picture
        {"b/badrle4.bmp", conversion},
        {"b/badrle4bis.bmp", conversion},
        {"b/badrle4ter.bmp", conversion},
        {"b/badrlebis.bmp", conversion},
        {"b/badrleter.bmp", conversion},
        {"b/badwidth.bmp", conversion},        // negative width
        {"b/pal8badindex.bmp", none},          // indices past the table come out black
        {"b/reallybig.bmp", DibError::OutOfMemory},
        {"b/rgb16-880.bmp", conversion},       // a mask without bits
        {"b/rletopdown.bmp", conversion},      // RLE stored top down
        {"b/shortfile.bmp", conversion},       // pixel data cut short
    };
    const std::vector<std::string> files = FilesIn({"b"});
    EXPECT_EQ(files.size(), expected.size()) << "a new bad file needs its expected outcome here";
    for (const std::string& name : files) {
        const std::vector<uint8_t> file = ReadBytes(Suite() / name);
        const auto start = std::chrono::steady_clock::now();
        const Picture p = Decode(file);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ASSERT_TRUE(expected.count(name)) << name;
        EXPECT_EQ(p.error, expected.at(name)) << name << ": " << DibErrorText(p.error);
        EXPECT_LT(seconds, 60.0) << name << " (a hang, not a speed test)";
        if (p.error == none) {
            EXPECT_LE(int64_t(p.width) * p.height, kMaxPixels) << name;
        }
    }
}

TEST(Bmpsuite, EveryPrefixOfAGoodFileIsRefusedOrDecoded)
{
    // A file cut short, as a crashed writer leaves it: the header missing gives "Unknown
    // DIB file format.", uncompressed pixels missing give "Image file conversion error.",
    // an RLE stream cut short decodes up to its last whole line.
    for (const std::string& name : FilesIn({"g"})) {
        const std::vector<uint8_t> file = ReadBytes(Suite() / name);
        const uint32_t headerSize = HeaderSizeField(file);
        if (headerSize != 12 && headerSize != 40)
            continue;
        DibLayout whole;
        ASSERT_EQ(ParseDib(file.data(), file.size(), &whole), DibError::None) << name;
        const bool rle = whole.header.compression == kBiRle4 || whole.header.compression == kBiRle8;
        const size_t step = file.size() > 2000 ? 7 : 1;
        for (size_t cut = 0; cut < file.size(); cut += step) {
            const std::vector<uint8_t> prefix(file.begin(), file.begin() + cut);
            const DibError error = Decode(prefix).error;
            if (cut < 14 + headerSize) {
                EXPECT_EQ(error, DibError::UnknownFormat) << name << " cut at " << cut;
            } else if (!rle && cut >= whole.pixelOffset) {
                EXPECT_EQ(error, DibError::ConversionError) << name << " cut at " << cut;
            } else if (!rle) {
                EXPECT_NE(error, DibError::None) << name << " cut at " << cut;
            }
        }
    }
}

}  // namespace
