#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzDecode.h"

// Decodes the input as a BMP into both image kinds and encodes what was decoded.

namespace {

int64_t Field(const uint8_t* data, size_t at, int bytes, bool isSigned)
{
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= uint32_t(data[at + size_t(i)]) << (8 * i);
    return isSigned ? int64_t(int32_t(value)) : int64_t(value);
}

// The pixel count the headers ask for.
int64_t DeclaredPixels(const uint8_t* data, size_t size)
{
    if (size < 26)
        return 0;
    const bool core = Field(data, 14, 4, false) == 12;
    const int64_t width = core ? Field(data, 18, 2, false) : Field(data, 18, 4, true);
    const int64_t height = core ? Field(data, 20, 2, false) : Field(data, 22, 4, true);
    return (width < 0 ? -width : width) * (height < 0 ? -height : height);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (DeclaredPixels(data, size) > kFuzzPixels)
        return 0;
    return FuzzDecode(data, size, kImageFormatBmp);
}
