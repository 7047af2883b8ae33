// The renderer's bitmap reader with its GDI conversion (dib_dump.exe, the same code as
// Glowmere.dll's) under Wine, over every file of the public bitmap suite: a picture it
// delivers must have the rows ImageMagick decodes from the same file, and a file it
// refuses must get the message of ParseDib's verdict. One dib_dump run and one
// ImageMagick pass (at the same time) cover all the files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <utility>
#include <string>
#include <vector>

#include "byte_order.h"
#include "dib.h"
#include "harness.h"

namespace {

using namespace glowmere::renderer;
namespace fs = std::filesystem;
using harness::Millis;

// How a picture is compared with ImageMagick's (6.9) decoding of it.
enum class Compare {
    Exact,
    // Pixels the file leaves undefined (skipped by an RLE delta or a stream cut short, or
    // an index past the colour table): GDI makes them black, ImageMagick fills them. Every
    // other pixel must match.
    BlackWhereUndefined,
    // Bit-fields other than 5, 6 or 8 bits: GDI repeats a short field's high bits into
    // the low ones and keeps the top 8 bits of a long one; ImageMagick leaves a short
    // field's low bits empty and rounds long ones a little differently (a 7-bit 64 is 127
    // there, 129 here). So a channel of n < 8 bits may differ by one step of its field,
    // 2^(8-n), and a longer one by 1.
    FieldBits,
};

struct Expectation {
    Compare compare = Compare::Exact;
    std::string twin;   // ImageMagick cannot read the file: compare with this picture of the suite
};

const std::map<std::string, Expectation> kExpectations = {
    {"q/pal4rletrns.bmp", {Compare::BlackWhereUndefined, ""}},
    {"q/pal8rletrns.bmp", {Compare::BlackWhereUndefined, ""}},
    {"q/pal4rlecut.bmp", {Compare::BlackWhereUndefined, "g/pal4rle.bmp"}},
    {"q/pal8rlecut.bmp", {Compare::BlackWhereUndefined, "g/pal8rle.bmp"}},
    {"q/pal8os2-hs.bmp", {Compare::Exact, "g/pal8os2.bmp"}},
    {"q/pal8os2-sz.bmp", {Compare::Exact, "g/pal8os2.bmp"}},
    {"q/pal8os2v2-40sz.bmp", {Compare::Exact, "g/pal8.bmp"}},
    {"q/pal8oversizepal.bmp", {Compare::Exact, "g/pal8.bmp"}},
    {"q/rgb16-231.bmp", {Compare::FieldBits, ""}},
    {"q/rgb16-3103.bmp", {Compare::FieldBits, ""}},
    {"q/rgb32-111110.bmp", {Compare::FieldBits, ""}},
    {"q/rgb32-7187.bmp", {Compare::FieldBits, ""}},
    {"b/badfilesize.bmp", {Compare::Exact, "g/pal1.bmp"}},
    {"b/pal8badindex.bmp", {Compare::BlackWhereUndefined, ""}},
};

// What the reader said about one file: "image" with its rows (bottom first), or "message".
struct GdiResult {
    std::string kind;
    int width = 0, height = 0;
    std::string rgb, message;
};

void ExpectSameRows(const std::string& name, const GdiResult& ours, const harness::Image& reference,
                    Compare compare, const std::string& file)
{
    ASSERT_EQ(std::make_pair(ours.width, ours.height), std::make_pair(reference.width, reference.height)) << name;
    ASSERT_EQ(ours.rgb.size(), reference.rgb.size()) << name;
    int lengths[3] = {8, 8, 8};   // of the bit-fields, which are contiguous in the suite's files
    for (int c = 0; c < 3 && file.size() >= 66; ++c)
        lengths[c] = __builtin_popcount(glowmere::ReadLe32(reinterpret_cast<const uint8_t*>(file.data()) + 54 + 4 * c));
    const auto tolerance = [&](int c) {
        return compare != Compare::FieldBits ? 0 : lengths[c] >= 8 ? 1 : 1 << (8 - lengths[c]);
    };
    size_t matching = 0, wrong = 0;
    const size_t rowBytes = size_t(ours.width) * 3;
    for (size_t p = 0; p < ours.rgb.size(); p += 3) {
        const auto* a = reinterpret_cast<const uint8_t*>(&ours.rgb[p]);
        const uint8_t* b = &reference.rgb[(ours.height - 1 - p / rowBytes) * rowBytes + p % rowBytes];
        bool same = true;
        for (int c = 0; c < 3; ++c)
            same = same && std::abs(a[c] - b[c]) <= tolerance(c);
        matching += same;
        wrong += !same && !(compare == Compare::BlackWhereUndefined && a[0] == 0 && a[1] == 0 && a[2] == 0);
    }
    EXPECT_EQ(wrong, 0u) << name << ": pixels that differ from ImageMagick's";
    EXPECT_GT(matching * 3, ours.rgb.size() / 3) << name << ": even a cut-short file keeps a third of its picture";
}

TEST(DibReaderUnderWine, DeliversTheRowsImageMagickDecodesOrTheMessageOfItsChecks)
{
    harness::WineSession s({1024, 768, "dib-reader"});
    const fs::path suite = s.DriveC() / "bmpsuite", magick = s.DriveC() / "magick", dump = s.DriveC() / "dump";
    fs::copy(harness::SourceDir() / "tests" / "data" / "bmpsuite", suite, fs::copy_options::recursive);
    fs::create_directories(magick);
    fs::create_directories(dump);
    std::vector<std::string> names, dumpArgs = {s.WindowsPath(dump)};
    std::vector<std::string> mogrify = {"mogrify", "-path", magick.string(), "-depth", "8", "-format", "ppm"};
    for (const char* folder : {"g", "q", "b", "x"})
        for (const auto& entry : fs::directory_iterator(suite / folder))
            if (entry.path().extension() == ".bmp") {
                names.push_back(std::string(folder) + "/" + entry.path().filename().string());
                dumpArgs.push_back(s.WindowsPath(entry.path()));
                mogrify.push_back(entry.path().string());
            }

    harness::Process imageMagick = s.StartNative(mogrify);   // fails on the files it cannot read
    const harness::RunResult run = s.Run(harness::TestProgramsDir() / "dib_dump.exe", dumpArgs, Millis(120000));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ASSERT_TRUE(imageMagick.Wait(Millis(60000)).has_value());
    std::vector<GdiResult> gdi(names.size());
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        size_t n;
        GdiResult r;
        if (!(in >> n >> r.kind) || n >= names.size())
            continue;   // Wine's own chatter, if any
        if (r.kind == "image" && in >> r.width >> r.height)
            r.rgb = harness::ReadFile(dump / (std::to_string(n) + ".rgb"));
        std::string hex;
        if (r.kind == "message" && in >> hex)
            r.message = harness::FromHex(hex);
        gdi[n] = r;
    }

    int images = 0, refusals = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        const std::string bytes = harness::ReadFile(suite / name);
        DibLayout layout;
        const std::string verdict =
            DibErrorText(ParseDib(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &layout));
        if (!verdict.empty()) {
            EXPECT_EQ(gdi[i].kind + ": " + gdi[i].message, "message: " + verdict) << name;
            ++refusals;
            continue;
        }
        EXPECT_EQ(gdi[i].kind, "image") << name << " " << gdi[i].message;
        const auto found = kExpectations.find(name);
        const Expectation expectation = found == kExpectations.end() ? Expectation{} : found->second;
        const fs::path reference = magick / fs::path(expectation.twin.empty() ? name : expectation.twin)
                                                .filename().replace_extension(".ppm");
        EXPECT_TRUE(fs::exists(reference)) << "ImageMagick cannot read " << name;
        if (gdi[i].kind == "image" && fs::exists(reference))
            ExpectSameRows(name, gdi[i], harness::LoadImage(reference), expectation.compare, bytes);
        ++images;
    }
    // 25 good, 18 questionable and 5 bad files are pictures; 25 other header sizes, 4
    // questionable and 14 bad files are refused.
    EXPECT_EQ(images, 48);
    EXPECT_EQ(refusals, 43);
}

}  // namespace
