// Writes the generated pictures into the folder given on the command line
// (scripts/make_resources.sh passes saver/resources).
#include <cstdio>
#include <fstream>

#include "resource_pictures.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    for (const auto& file : glowmere::resources::AllGeneratedResources()) {
        const std::string path = std::string(argv[1]) + "/" + file.name;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.bytes.data()), static_cast<std::streamsize>(file.bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    return 0;
}
