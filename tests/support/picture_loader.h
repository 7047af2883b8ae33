#pragma once
// The tests' one picture loader: a binary PPM (P6) is read as it is, any other picture
// through ImageMagick's convert. The Wine suites read screenshots and stored pictures
// with it, the bitmap suite its independent reference decoding.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace testpictures {

struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;   // top row first, 3 bytes (R, G, B) per pixel
};

// Nothing when the file is neither a PPM nor a picture that convert reads.
inline std::optional<RgbPicture> LoadPicture(const std::filesystem::path& file)
{
    std::ifstream stream(file, std::ios::binary);
    std::string data{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    if (data.compare(0, 2, "P6") != 0) {
        std::string quoted = "'";
        for (char c : file.string())
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        const std::string command = "convert " + quoted + "' -depth 8 -type TrueColor ppm:- 2>/dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe)
            return std::nullopt;
        data.clear();
        char buffer[65536];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            data.append(buffer, n);
        if (pclose(pipe) != 0)
            return std::nullopt;
    }
    std::istringstream in(data);
    std::string magic;
    int maxValue = 0;
    RgbPicture picture;
    in >> magic >> picture.width >> picture.height >> maxValue;
    in.get();
    if (magic != "P6" || picture.width <= 0 || picture.height <= 0 || maxValue != 255)
        return std::nullopt;
    picture.rgb.resize(static_cast<size_t>(picture.width) * picture.height * 3);
    in.read(reinterpret_cast<char*>(picture.rgb.data()), static_cast<std::streamsize>(picture.rgb.size()));
    if (in.gcount() != static_cast<std::streamsize>(picture.rgb.size()))
        return std::nullopt;
    return picture;
}

}  // namespace testpictures
