// The renderer's bitmap reader with its GDI conversion ("testtool dib", the same code as Glowmere.dll's) under
// Wine, over every file of the public bitmap suite: a picture it delivers must have the rows ImageMagick
// decodes from the file, and a file it refuses the message of ParseDib's verdict. One testtool run and one
// ImageMagick pass, side by side, cover all the files.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <map>

#include "byte_order.h"
#include "dib.h"
#include "harness.h"

namespace {

using namespace glowmere::renderer;
namespace fs = std::filesystem;

// Where ImageMagick (6.9) decodes a file otherwise than GDI, or cannot read it: then a
// picture of the suite with the same rows stands in.
//  - BlackWhereUndefined: pixels the file leaves undefined (skipped by an RLE delta or a
//    stream cut short, or an index past the colour table) are black from GDI and filled by
//    ImageMagick; every other pixel must match.
//  - FieldBits: GDI repeats a bit-field's high bits into the low ones and keeps the top 8 of
//    a longer one; ImageMagick leaves a short field's low bits empty and rounds long ones a
//    little differently. A channel of n < 8 bits may differ by one step, 2^(8 - n), a longer one by 1.
enum class Compare { Exact, BlackWhereUndefined, FieldBits };
const std::map<std::string, std::pair<Compare, std::string>> kExceptions = {
    {"q/pal4rletrns.bmp", {Compare::BlackWhereUndefined, ""}},
    {"q/pal8rletrns.bmp", {Compare::BlackWhereUndefined, ""}},
    {"q/pal4rlecut.bmp", {Compare::BlackWhereUndefined, "g/pal4rle.bmp"}},
    {"q/pal8rlecut.bmp", {Compare::BlackWhereUndefined, "g/pal8rle.bmp"}},
    {"b/pal8badindex.bmp", {Compare::BlackWhereUndefined, ""}}, {"b/badfilesize.bmp", {Compare::Exact, "g/pal1.bmp"}},
    {"q/pal8os2-hs.bmp", {Compare::Exact, "g/pal8os2.bmp"}}, {"q/pal8os2-sz.bmp", {Compare::Exact, "g/pal8os2.bmp"}},
    {"q/pal8os2v2-40sz.bmp", {Compare::Exact, "g/pal8.bmp"}}, {"q/pal8oversizepal.bmp", {Compare::Exact, "g/pal8.bmp"}},
    {"q/rgb16-231.bmp", {Compare::FieldBits, ""}}, {"q/rgb16-3103.bmp", {Compare::FieldBits, ""}},
    {"q/rgb32-111110.bmp", {Compare::FieldBits, ""}}, {"q/rgb32-7187.bmp", {Compare::FieldBits, ""}},
};

// Our rows (bottom row first) against ImageMagick's (top row first).
void ExpectSameRows(const std::string& name, int width, int height, const std::string& ours,
                    const harness::Image& reference, Compare compare, const std::string& file)
{
    ASSERT_EQ(std::make_pair(width, height), std::make_pair(reference.width, reference.height)) << name;
    int tolerance[3] = {0, 0, 0};   // bit-fields are contiguous in the suite's files
    for (int c = 0; c < 3 && compare == Compare::FieldBits; ++c) {
        const int bits = __builtin_popcount(glowmere::ReadLe32(reinterpret_cast<const uint8_t*>(&file[54 + 4 * c])));
        tolerance[c] = bits >= 8 ? 1 : 1 << (8 - bits);
    }
    size_t matching = 0, wrong = 0;
    const size_t rowBytes = size_t(width) * 3;
    for (size_t p = 0; p < ours.size(); p += 3) {
        const auto* a = reinterpret_cast<const uint8_t*>(&ours[p]);
        const uint8_t* b = &reference.rgb[(height - 1 - p / rowBytes) * rowBytes + p % rowBytes];
        const bool same = std::abs(a[0] - b[0]) <= tolerance[0] && std::abs(a[1] - b[1]) <= tolerance[1] &&
                          std::abs(a[2] - b[2]) <= tolerance[2];
        matching += same;
        wrong += !same && !(compare == Compare::BlackWhereUndefined && a[0] == 0 && a[1] == 0 && a[2] == 0);
    }
    EXPECT_EQ(wrong, 0u) << name << ": pixels that differ from ImageMagick's";
    EXPECT_GT(matching * 3, ours.size() / 3) << name << ": even a cut-short file keeps a third of its picture";
}

TEST(DibReaderUnderWine, DeliversTheRowsImageMagickDecodesOrTheMessageOfItsChecks)
{
    harness::WineSession s({1024, 768, "dib-reader"});
    const fs::path suite = s.DriveC() / "bmpsuite", magick = s.DriveC() / "magick", dump = s.DriveC() / "dump";
    fs::copy(harness::SourceDir() / "tests" / "data" / "bmpsuite", suite, fs::copy_options::recursive);
    fs::create_directories(magick), fs::create_directories(dump);
    std::vector<std::string> names, dumpArgs = {"dib", s.WindowsPath(dump)};
    std::vector<std::string> mogrify = {"mogrify", "-path", magick.string(), "-depth", "8", "-format", "ppm"};
    for (const char* folder : {"g", "q", "b", "x"})
        for (const auto& entry : fs::directory_iterator(suite / folder))
            if (entry.path().extension() == ".bmp") {
                names.push_back(std::string(folder) + "/" + entry.path().filename().string());
                dumpArgs.push_back(s.WindowsPath(entry.path()));
                mogrify.push_back(entry.path().string());
            }
    harness::Process imageMagick = s.StartNative(mogrify);   // fails on the files it cannot read
    const harness::RunResult run = s.Run(harness::TestProgramsDir() / "testtool.exe", dumpArgs, harness::Millis(90000));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ASSERT_TRUE(imageMagick.Wait(harness::Millis(60000)).has_value());

    std::map<size_t, std::string> said;   // testtool's line for each file, without its number
    for (const std::string& line : harness::Lines(run.output))
        if (std::isdigit(static_cast<unsigned char>(line[0])))   // not Wine's own chatter
            said[std::strtoul(line.c_str(), nullptr, 10)] = line.substr(line.find(' ') + 1);
    int images = 0, refusals = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string bytes = harness::ReadFile(suite / names[i]);
        DibLayout layout;
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
        const std::string verdict = DibErrorText(ParseDib(data, bytes.size(), &layout));
        refusals += !verdict.empty();
        if (!verdict.empty()) {
            EXPECT_EQ(said[i], "message " + harness::Hex(verdict)) << names[i];
            continue;
        }
        EXPECT_EQ(said[i], "image " + std::to_string(layout.width) + " " + std::to_string(layout.rows)) << names[i];
        const auto found = kExceptions.find(names[i]);
        const auto [compare, twin] = found != kExceptions.end() ? found->second : std::pair(Compare::Exact, "");
        const fs::path reference = magick / fs::path(twin.empty() ? names[i] : twin).stem() += ".ppm";
        ASSERT_TRUE(fs::exists(reference)) << "ImageMagick cannot read " << names[i];
        ExpectSameRows(names[i], layout.width, layout.rows, harness::ReadFile(dump / (std::to_string(i) + ".rgb")),
                       harness::LoadImage(reference), compare, bytes);
        ++images;
    }
    // 25 good, 18 questionable and 5 bad files are pictures; 25 other header sizes, 4
    // questionable and 14 bad files are refused.
    EXPECT_EQ(images, 48);
    EXPECT_EQ(refusals, 43);
}

}  // namespace
