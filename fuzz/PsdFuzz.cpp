#include "fuzz/FuzzDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Height and width follow the signature, the version, six reserved bytes and the channels.
    if (size >= 22 && uint64_t(BigEndianAt(data, 14, 4)) * BigEndianAt(data, 18, 4) > uint64_t(kFuzzPixels))
        return 0;
    return FuzzDecode(data, size, kImageFormatPsd);
}
