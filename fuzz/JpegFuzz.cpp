#include "fuzz/FuzzDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Every byte pair that could start a frame header is taken for one, which is stricter than
    // the library: its height and width follow the marker, its length and its precision.
    for (size_t i = 0; i + 9 <= size; ++i) {
        const uint8_t marker = data[i + 1];
        if (data[i] == 0xFF && marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
            marker != 0xCC && int64_t(BigEndianAt(data, i + 5, 2)) * BigEndianAt(data, i + 7, 2) > kFuzzPixels)
            return 0;
    }
    return FuzzDecode(data, size, kImageFormatJpeg);
}
