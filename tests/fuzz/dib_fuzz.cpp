// libFuzzer target for the bitmap reader's checks: any bytes as a file in memory. ParseDib
// must refuse them or describe a picture whose every range lies inside them, and the
// conversion header handed to GDI must be written from those ranges alone (reads and
// writes outside any buffer are caught by AddressSanitizer and UBSan).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "dib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace glowmere::renderer;
    // The fuzzer's buffer is exactly `size` bytes, so any read past its end is caught.
    DibLayout layout;
    const DibError error = ParseDib(data, size, &layout);
    if (error == DibError::None) {
        const bool inside = layout.pixelBytes > 0 && layout.pixelOffset + layout.pixelBytes <= size &&
                            layout.paletteOffset + size_t(layout.paletteUsed) * layout.paletteEntrySize <= size;
        const bool sized = layout.width > 0 && layout.rows > 0 && int64_t(layout.width) * layout.rows <= kMaxPixels;
        if (!inside || !sized || layout.paletteUsed > (layout.header.bitCount <= 8 ? 1u << layout.header.bitCount : 0))
            std::abort();
        std::vector<uint8_t> header(ConversionHeaderSize(layout));
        WriteConversionHeader(layout, data, header.data());
    } else if (*DibErrorText(error) == '\0') {
        std::abort();   // refused without a message
    }
    return 0;
}
