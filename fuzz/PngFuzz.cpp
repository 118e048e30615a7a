#include "fuzz/FuzzDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The header's width and height follow the signature and the header's length and type.
    if (size >= 24 && uint64_t(BigEndianAt(data, 16, 4)) * BigEndianAt(data, 20, 4) > uint64_t(kFuzzPixels))
        return 0;
    return FuzzDecode(data, size, kImageFormatPng);
}
