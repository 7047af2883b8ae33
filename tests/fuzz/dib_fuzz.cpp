// libFuzzer target for the bitmap reader's checks: any bytes as a file in memory (exactly `size` bytes, so
// AddressSanitizer catches a read past them). ParseDib must refuse them with a message or describe a picture
// whose every range lies inside them, and the conversion header for GDI must be written from those ranges alone.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "dib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace glowmere::renderer;
    DibLayout l;
    const DibError error = ParseDib(data, size, &l);
    if (error != DibError::None) {   // refused, always with a message
        if (*DibErrorText(error) == '\0')
            std::abort();
        return 0;
    }
    const uint32_t indices = l.header.bitCount <= 8 ? 1u << l.header.bitCount : 0;
    if (l.pixelBytes == 0 || l.pixelOffset + l.pixelBytes > size || l.paletteUsed > indices ||
        l.paletteOffset + size_t(l.paletteUsed) * l.paletteEntrySize > size || l.width <= 0 || l.rows <= 0 ||
        int64_t(l.width) * l.rows > kMaxPixels)
        std::abort();
    std::vector<uint8_t> header(ConversionHeaderSize(l));
    WriteConversionHeader(l, data, header.data());
    return 0;
}
