#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "byte_order.h"
#include "resource_pictures.h"

namespace {

using glowmere::resources::AllGeneratedResources;

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(BuiltInPictures, TheCommittedFilesAreWhatTheGeneratorDraws)
{
    for (const auto& file : AllGeneratedResources()) {
        const std::vector<uint8_t> committed = ReadFile(std::string(GLOWMERE_RESOURCES_DIR) + "/" + file.name);
        EXPECT_TRUE(committed == file.bytes) << file.name << " is stale: run scripts/make_resources.sh";
    }
}

TEST(BuiltInPictures, IconAndCursorCarryTheirSizesAndHotSpot)
{
    const auto icon = glowmere::resources::MakeProgramIcon();
    // Directory and entry, header, 256 palette entries, 32 × 32 colour indices, the 1-bit mask.
    ASSERT_EQ(icon.size(), 22u + 40 + 1024 + 1024 + 128);
    EXPECT_EQ(icon[2], 1);    // an icon
    EXPECT_EQ(icon[6], 32);   // 32 × 32
    EXPECT_EQ(icon[7], 32);
    EXPECT_EQ(icon[12], 8);   // 256 colours
    const auto cursor = glowmere::resources::MakeLinkCursor();
    EXPECT_EQ(cursor[2], 2);  // a cursor
    EXPECT_EQ(glowmere::ReadLe16(&cursor[10]), 13);   // hot spot at the fingertip
    EXPECT_EQ(glowmere::ReadLe16(&cursor[12]), 1);
}

}  // namespace
