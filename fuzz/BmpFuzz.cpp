#include <cstddef>
#include <cstdint>

#include "tests/toolkit/core/ErrorBoxRecorder.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/ImageCodecs.h"

// Decodes the input as a BMP into both image kinds and encodes what was decoded.

namespace {

int64_t Field(const uint8_t* data, size_t at, int bytes, bool isSigned)
{
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= uint32_t(data[at + size_t(i)]) << (8 * i);
    return isSigned ? int64_t(int32_t(value)) : int64_t(value);
}

// The pixel count the headers ask for. Large images are legal, and a few header bytes can ask
// for gigabytes: the fuzzer keeps to small ones, where the parsing is.
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
    // The reader's error boxes are recorded, not shown.
    static ErrorBoxRecorder boxes;
    if (DeclaredPixels(data, size) > (1 << 16))
        return 0;
    tCMemFile stream;
    if (size > 0 && stream.WriteBytes(data, int64_t(size)) != kResOk)
        return 0;
    stream.Rewind();
    CImage image;
    if (DecodeImageStream(&stream, &image) == kResOk) {
        tCMemFile out;
        EncodeImageStream(&out, &image, kImageFormatBmp);
    }
    stream.Rewind();
    CImage8 grey;
    if (DecodeImage8Stream(&stream, &grey) == kResOk) {
        tCMemFile out;
        EncodeImage8Stream(&out, &grey, kImageFormatBmp);
    }
    return 0;
}
