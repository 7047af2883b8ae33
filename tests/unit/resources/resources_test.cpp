// The pictures built into the shell: the committed files are what the generator draws.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "resource_pictures.h"

namespace {

TEST(BuiltInPictures, TheCommittedFilesAreWhatTheGeneratorDraws)
{
    for (const auto& file : glowmere::resources::AllGeneratedResources()) {
        std::ifstream in(std::string(GLOWMERE_RESOURCES_DIR) + "/" + file.name, std::ios::binary);
        const std::vector<uint8_t> committed{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_TRUE(committed == file.bytes) << file.name << " is stale: run scripts/make_resources.sh";
    }
}

}  // namespace
