#pragma once

#include <cstddef>
#include <cstdint>

#include "tests/toolkit/core/ErrorBoxRecorder.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/ImageCodecs.h"

// Large images are legal, and a few header bytes can ask for a gigabyte: the fuzzers keep to
// small ones, where the parsing is.
inline constexpr int64_t kFuzzPixels = int64_t(1) << 18;

inline uint32_t BigEndianAt(const uint8_t* data, size_t at, int bytes)
{
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = value << 8 | data[at + size_t(i)];
    return value;
}

// Decodes the input into both image kinds and encodes what was decoded in `format`.
inline int FuzzDecode(const uint8_t* data, size_t size, uint32_t format)
{
    // The readers' error boxes are recorded, not shown.
    static ErrorBoxRecorder boxes;
    tCMemFile stream;
    if (size > 0 && stream.WriteBytes(data, int64_t(size)) != kResOk)
        return 0;
    stream.Rewind();
    CImage image;
    if (DecodeImageStream(&stream, &image) == kResOk) {
        tCMemFile out;
        EncodeImageStream(&out, &image, format);
    }
    stream.Rewind();
    CImage8 grey;
    if (DecodeImage8Stream(&stream, &grey) == kResOk) {
        tCMemFile out;
        EncodeImage8Stream(&out, &grey, format);
    }
    return 0;
}
