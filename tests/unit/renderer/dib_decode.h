#pragma once
// The portable bitmap reader's whole path over a file in memory, as the tests look at it.
#include <array>
#include <cstdint>
#include <vector>

#include "dib.h"

struct Picture {
    glowmere::renderer::DibError error = glowmere::renderer::DibError::None;
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;   // bottom row first

    std::array<uint8_t, 3> At(int x, int row) const
    {
        const size_t i = (static_cast<size_t>(row) * width + x) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
};

inline Picture Decode(const std::vector<uint8_t>& file)
{
    Picture p;
    using namespace glowmere::renderer;
    if (ImageRecord* image = DecodeDibImage(file.data(), file.size(), &p.error)) {
        p.width = image->width;
        p.height = image->height;
        p.rgb.assign(image->pixels, image->pixels + static_cast<size_t>(image->width) * image->height * 3);
        FreeImageRecord(image);
    }
    return p;
}
