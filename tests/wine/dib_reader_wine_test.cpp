// The renderer's bitmap reader with its GDI conversion (dib_dump.exe, the same code as
// Glowmere.dll's) under Wine, against the portable conversion: for every file of the
// bitmap test suite and for edge files made here, both must give the same rows or the
// same message.
//
// Wine's GDI differs from a plain reading of the format in two places, and the reader
// adapts to both so that the two conversions agree:
//  - SetDIBits refuses BI_BITFIELDS with a mask of zero: the reader refuses such files.
//  - Its RLE conversion commits a line's pixels only at an end-of-line, delta or
//    end-of-bitmap command, so a stream cut short loses its unfinished last line: the
//    reader hands GDI the stream only up to its last such command, and the portable
//    converter decodes the same part.
// No file is known on which Wine's GDI gives other rows than the portable converter.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bmp_builder.h"
#include "dib.h"
#include "harness.h"

namespace {

using namespace glowmere::renderer;
namespace fs = std::filesystem;
using harness::Millis;

harness::WineSession& Session()
{
    static harness::WineSession session({1024, 768, "dib-reader"});
    return session;
}

// What the GDI path said about one file.
struct GdiResult {
    std::string kind;      // image, message or none
    int width = 0, height = 0;
    std::string rgb;
    std::string message;
};

// Runs dib_dump.exe over the files (Linux paths inside drive_c).
std::vector<GdiResult> RunGdiReader(const std::vector<fs::path>& files)
{
    harness::WineSession& s = Session();
    const fs::path dump = s.DriveC() / "dump";
    fs::remove_all(dump);
    fs::create_directories(dump);
    std::vector<std::string> args = {s.WindowsPath(dump)};
    for (const fs::path& f : files)
        args.push_back(s.WindowsPath(f));
    const harness::RunResult run = s.Run(harness::TestProgramsDir() / "dib_dump.exe", args, Millis(120000));
    EXPECT_EQ(run.exitCode, 0) << run.output;

    std::vector<GdiResult> results(files.size());
    std::istringstream lines(run.output);
    std::string line;
    size_t seen = 0;
    while (std::getline(lines, line)) {
        std::istringstream in(line);
        size_t n;
        GdiResult r;
        if (!(in >> n >> r.kind) || n >= files.size())
            continue;   // Wine's own chatter, if any
        if (r.kind == "image") {
            in >> r.width >> r.height;
            r.rgb = harness::ReadFile(dump / (std::to_string(n) + ".rgb"));
        } else if (r.kind == "message") {
            std::string hex;
            in >> hex;
            r.message = harness::FromHex(hex);
        }
        results[n] = r;
        ++seen;
    }
    EXPECT_EQ(seen, files.size()) << run.output;
    return results;
}

// Edge files: each stresses one decision of the reader that GDI must share.
std::map<std::string, std::vector<uint8_t>> EdgeFiles()
{
    using bmp::Rgb;
    const Rgb black = {0, 0, 0}, red = {200, 0, 0}, green = {0, 200, 0}, blue = {0, 0, 200};
    std::map<std::string, std::vector<uint8_t>> files;

    auto fields16 = [](std::vector<uint32_t> masks) {
        bmp::Fields s;
        s.width = 6;
        s.bitCount = 16;
        s.compression = kBiBitfields;
        s.masks = std::move(masks);
        s.pixels = bmp::PaddedRows({{0x00, 0x00, 0xFF, 0xFF, 0x34, 0x12, 0x01, 0xF0, 0x01, 0x80, 0xFE, 0x7F}});
        return bmp::Build(s);
    };
    files["mask-noncontiguous.bmp"] = fields16({0xF001, 0x07E0, 0x001E});
    files["mask-overlapping.bmp"] = fields16({0xFF00, 0x0FF0, 0x00FF});
    files["mask-beyond-16-bits.bmp"] = fields16({0xFFFF0000, 0xF800, 0x001F});
    files["mask-zero.bmp"] = fields16({0xF800, 0x0000, 0x001F});
    files["mask-short-fields.bmp"] = fields16({0x0003, 0x001C, 0xC000});

    bmp::Fields full;
    full.width = 2;
    full.bitCount = 32;
    full.compression = kBiBitfields;
    full.masks = {0xFFFFFFFF, 0xFF00, 0xFF};
    full.pixels = {0x78, 0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0xFF};
    files["mask-32-bits.bmp"] = bmp::Build(full);

    auto rle = [&](std::vector<uint8_t> stream, uint32_t compression = kBiRle8) {
        bmp::Fields s;
        s.width = 4;
        s.height = 3;
        s.bitCount = compression == kBiRle8 ? 8 : 4;
        s.compression = compression;
        s.clrUsed = 4;
        s.palette = {{10, 20, 30}, red, green, blue};
        s.pixels = std::move(stream);
        return bmp::Build(s);
    };
    files["rle8-rows-ended-by-eol.bmp"] = rle({4, 1, 0, 0, 4, 2, 0, 0, 4, 3, 0, 0, 0, 1});
    files["rle8-last-line-unterminated.bmp"] = rle({4, 1, 0, 0, 2, 2});
    files["rle8-delta.bmp"] = rle({1, 1, 0, 2, 2, 1, 1, 3, 0, 1});
    files["rle8-delta-to-the-top.bmp"] = rle({1, 1, 0, 2, 0, 3, 0, 1});
    files["rle8-odd-trailing-byte.bmp"] = rle({4, 1, 0, 1, 7});
    files["rle8-literal-cut.bmp"] = rle({2, 1, 0, 0, 2, 1, 0, 4, 1, 2});
    files["rle8-odd-literal.bmp"] = rle({0, 3, 1, 2, 3, 0, 1, 1, 0, 1});
    files["rle8-data-after-the-top.bmp"] = rle({4, 1, 0, 0, 4, 1, 0, 0, 4, 1, 0, 0, 4, 2, 0, 1});
    files["rle8-run-past-the-edge.bmp"] = rle({3, 1, 2, 2, 0, 1});
    files["rle4-runs.bmp"] = rle({3, 0x12, 1, 0x30, 0, 0, 0, 3, 0x12, 0x30, 0, 1}, kBiRle4);
    files["rle4-literal-at-odd-x.bmp"] = rle({1, 0x11, 0, 3, 0x23, 0x10, 0, 1}, kBiRle4);

    bmp::Fields index;
    index.width = 4;
    index.bitCount = 8;
    index.clrUsed = 2;
    index.palette = {red, green};
    index.pixels = bmp::PaddedRows({{0, 1, 2, 255}});
    files["index-past-the-table.bmp"] = bmp::Build(index);

    bmp::Fields big;
    big.width = 3;
    big.bitCount = 8;
    big.clrUsed = 300;
    big.palette.assign(300, green);
    big.palette[0] = blue;
    big.pixels = bmp::PaddedRows({{0, 1, 255}});
    files["three-hundred-colours.bmp"] = bmp::Build(big);

    bmp::Fields core;
    core.fileHeader = false;
    core.headerSize = 12;
    core.width = 2;
    core.height = 2;
    core.pixels = bmp::Rows24({{red, green}, {blue, {1, 2, 3}}});
    files["core-24-packed.bmp"] = bmp::Build(core);
    core.bitCount = 1;
    core.width = 9;
    core.palette = {red, blue};
    core.pixels = bmp::PaddedRows({{0xA5, 0x80}, {0x5A, 0x00}});
    files["core-1-packed.bmp"] = bmp::Build(core);

    bmp::Fields packed;
    packed.fileHeader = false;
    packed.width = 3;
    packed.bitCount = 8;
    packed.clrUsed = 3;
    packed.sizeImage = 99999;   // a lie the reader does not pass on
    packed.palette = {red, green, blue};
    packed.pixels = bmp::PaddedRows({{2, 1, 0}});
    files["packed-8-colours-used.bmp"] = bmp::Build(packed);

    // Widths whose 24-bit rows need 1, 2 and 3 padding bytes, stored both ways up.
    const auto rgb24 = [](int x, int r) { return Rgb{uint8_t(40 * r + x), uint8_t(7 * x), uint8_t(255 - x)}; };
    for (int width : {5, 6, 7})
        for (int sign : {1, -1})
            files["rgb24-w" + std::to_string(width) + (sign < 0 ? "-topdown" : "") + ".bmp"] =
                bmp::Build24(width, 3 * sign, rgb24);
    bmp::Fields td;
    td.width = 2;
    td.height = -2;
    td.bitCount = 16;
    td.compression = kBiBitfields;
    td.masks = {0xF800, 0x07E0, 0x001F};
    td.pixels = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0xFF, 0xFF};
    files["bitfields-topdown.bmp"] = bmp::Build(td);
    td.bitCount = 1;
    td.compression = kBiRgb;
    td.masks.clear();
    td.width = 10;
    td.palette = {black, red};
    td.pixels = bmp::PaddedRows({{0xF0, 0xC0}, {0x0F, 0x40}});
    files["pal1-topdown.bmp"] = bmp::Build(td);

    // A desktop-sized capture as the saver shell writes it, with an odd width.
    files["desktop-1023x767.bmp"] =
        bmp::Build24(1023, 767, [](int x, int r) { return Rgb{uint8_t(x), uint8_t(r), uint8_t(x ^ r)}; });
    return files;
}

TEST(DibReaderUnderWine, GdiAndThePortableConverterGiveTheSameRowsOrTheSameMessage)
{
    harness::WineSession& s = Session();
    std::vector<fs::path> files;
    std::vector<std::string> names;
    const fs::path suite = s.DriveC() / "bmpsuite";
    fs::remove_all(suite);
    fs::copy(harness::SourceDir() / "tests" / "data" / "bmpsuite", suite, fs::copy_options::recursive);
    for (const std::string folder : {"g", "q", "b", "x"}) {
        for (const auto& entry : fs::directory_iterator(suite / folder)) {
            if (entry.path().extension() == ".bmp") {
                files.push_back(entry.path());
                names.push_back(folder + "/" + entry.path().filename().string());
            }
        }
    }
    const fs::path edge = s.DriveC() / "edge";
    for (const auto& [name, bytes] : EdgeFiles()) {
        harness::WriteFile(edge / name, bytes);
        files.push_back(edge / name);
        names.push_back("edge/" + name);
    }

    const std::vector<GdiResult> gdi = RunGdiReader(files);
    ASSERT_EQ(gdi.size(), files.size());
    int images = 0, refusals = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string& name = names[i];
        const std::string bytes = harness::ReadFile(files[i]);
        DibError error = DibError::None;
        ImageRecord* image = DecodeDibImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &error);
        if (image) {
            const std::string portable(reinterpret_cast<const char*>(image->pixels),
                                       size_t(image->width) * image->height * 3);
            const bool same = gdi[i].kind == "image" && gdi[i].width == image->width &&
                              gdi[i].height == image->height && gdi[i].rgb == portable;
            EXPECT_TRUE(same) << name << ": GDI gave " << gdi[i].kind << " " << gdi[i].width << "x" << gdi[i].height
                              << " " << gdi[i].message;
            images += same;
            FreeImageRecord(image);
        } else {
            EXPECT_EQ(gdi[i].kind, "message") << name;
            EXPECT_EQ(gdi[i].message, DibErrorText(error)) << name;
            refusals += gdi[i].message == DibErrorText(error);
        }
    }
    // 48 pictures of the suite decode (25 good, 18 questionable, 5 bad) and 29 of the 31
    // edge files; the other 45 files are refused alike.
    EXPECT_EQ(images, 77);
    EXPECT_EQ(refusals, 45);
}

}  // namespace
