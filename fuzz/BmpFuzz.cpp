#include "fuzz/FuzzDecode.h"

// Decodes the input as a BMP into both image kinds and encodes what was decoded.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return FuzzDecode(data, size, kImageFormatBmp);
}
