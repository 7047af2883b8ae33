// libFuzzer target for the portable bitmap reader: any bytes as a file in memory. The
// reader must refuse or decode without reading or writing outside its buffers (checked
// by AddressSanitizer and UBSan), and a decoded picture must be as large as its layout
// says. Also writes the conversion header GDI would be given, so its bounds are checked.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "dib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace glowmere::renderer;
    // The fuzzer's buffer is exactly `size` bytes, so any read past the end is caught.
    DibLayout layout;
    if (ParseDib(data, size, &layout) == DibError::None) {
        if (layout.pixelOffset + layout.pixelBytes > size || layout.rows <= 0 || layout.width <= 0)
            std::abort();
        std::vector<uint8_t> header(ConversionHeaderSize(layout));
        WriteConversionHeader(layout, data, header.data());
    }
    // Pictures above 2^18 pixels (larger than any in the test suite) are parsed but not
    // decoded: the decoding loops are the same at every size, and allocating and
    // clearing megabytes for a few bytes of RLE stream would slow the search a
    // hundredfold.
    if (int64_t(layout.width) * layout.rows > (int64_t(1) << 18))
        return 0;
    DibError error = DibError::None;
    ImageRecord* image = DecodeDibImage(data, size, &error);
    if (image) {
        if (int64_t(image->width) * image->height > kMaxPixels)
            std::abort();
        // The pixel buffer must hold the whole picture: read across it, up to its last byte.
        const size_t bytes = size_t(image->width) * image->height * 3;
        unsigned sum = image->pixels[bytes - 1];
        for (size_t i = 0; i < bytes; i += 61)
            sum += image->pixels[i];
        if (sum == 0xFFFFFFFFu)   // never true; keeps the reads
            std::abort();
    } else if (error == DibError::None) {
        std::abort();   // refused without a reason
    }
    FreeImageRecord(image);
    return 0;
}
