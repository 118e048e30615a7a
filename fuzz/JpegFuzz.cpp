#include "fuzz/FuzzDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return FuzzDecode(data, size, kImageFormatJpeg);
}
