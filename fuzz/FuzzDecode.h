#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "tests/toolkit/core/ErrorBoxRecorder.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/ImageCodecs.h"

// Large images are legal, and a few bytes of a run-length BMP can ask for gigabytes: the
// fuzzers keep to small ones, where the parsing is.
inline constexpr int64_t kFuzzPixels = int64_t(1) << 18;

inline uint32_t BigEndianAt(const uint8_t* data, size_t at, int bytes)
{
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = value << 8 | data[at + size_t(i)];
    return value;
}

inline int64_t LittleEndianAt(const uint8_t* data, size_t at, int bytes, bool isSigned)
{
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= uint32_t(data[at + size_t(i)]) << (8 * i);
    return isSigned ? int64_t(int32_t(value)) : int64_t(value);
}

// The pixel count a BMP's headers ask for.
inline int64_t BmpDeclaredPixels(const uint8_t* data, size_t size)
{
    if (size < 26)
        return 0;
    const bool core = LittleEndianAt(data, 14, 4, false) == 12;
    const int64_t width = core ? LittleEndianAt(data, 18, 2, false) : LittleEndianAt(data, 18, 4, true);
    const int64_t height = core ? LittleEndianAt(data, 20, 2, false) : LittleEndianAt(data, 22, 4, true);
    return (width < 0 ? -width : width) * (height < 0 ? -height : height);
}

// Every byte pair that could start a JPEG frame header is taken for one, which is stricter than
// the library: its height and width follow the marker, its length and its precision.
inline bool JpegDeclaresLargeFrame(const uint8_t* data, size_t size, int64_t limit)
{
    for (size_t i = 0; i + 9 <= size; ++i) {
        const uint8_t marker = data[i + 1];
        if (data[i] == 0xFF && marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
            marker != 0xCC && int64_t(BigEndianAt(data, i + 5, 2)) * BigEndianAt(data, i + 7, 2) > limit)
            return true;
    }
    return false;
}

// True when the bytes begin an image file, told apart as the decoders tell formats apart, whose
// headers ask for more than `limit` pixels.
inline bool DeclaresLargeImage(const uint8_t* data, size_t size, int64_t limit = kFuzzPixels)
{
    if (size >= 8 && std::memcmp(data, "\x89PNG\r\n\x1A\n", 8) == 0)
        // The header's width and height follow the signature and the header's length and type.
        return size >= 24 && uint64_t(BigEndianAt(data, 16, 4)) * BigEndianAt(data, 20, 4) > uint64_t(limit);
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8)
        return JpegDeclaresLargeFrame(data, size, limit);
    if (size >= 2 && data[0] == 'B' && data[1] == 'M')
        return BmpDeclaredPixels(data, size) > limit;
    if (size >= 4 && std::memcmp(data, "8BPS", 4) == 0)
        // Height and width follow the signature, the version, six reserved bytes and the channels.
        return size >= 22 && uint64_t(BigEndianAt(data, 14, 4)) * BigEndianAt(data, 18, 4) > uint64_t(limit);
    return false;
}

// Reads the input's size from its header, then decodes it into both image kinds, which must have
// that size, and encodes what was decoded in `format`.
inline int FuzzDecode(const uint8_t* data, size_t size, uint32_t format)
{
    // The readers' error boxes are recorded, not shown.
    static ErrorBoxRecorder boxes;
    tCMemFile stream;
    if (size > 0 && stream.WriteBytes(data, int64_t(size)) != kResOk)
        return 0;
    stream.Rewind();
    // The header read allocates nothing of the image's size: it takes large images too.
    int32_t width = 0, height = 0;
    const bool sized = ReadImageStreamSize(&stream, &width, &height) == kResOk;
    if (DeclaresLargeImage(data, size))
        return 0;
    const auto check = [&](const CImageBase& image) {
        if (!sized || image.GetWidth() != width || image.GetHeight() != height)
            __builtin_trap();
    };
    CImage image;
    if (DecodeImageStream(&stream, &image) == kResOk) {
        check(image);
        tCMemFile out;
        EncodeImageStream(&out, &image, format);
    }
    stream.Rewind();
    CImage8 grey;
    if (DecodeImage8Stream(&stream, &grey) == kResOk) {
        check(grey);
        tCMemFile out;
        EncodeImage8Stream(&out, &grey, format);
    }
    return 0;
}
