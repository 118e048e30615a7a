#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"

class tCStream;

// The memory the system reports available; false when it cannot tell.
bool AvailableMemory(uint64_t* bytes);

// Sizes read from a file decide how many cells are made, so a few bytes could ask for more memory
// than there is. Answers 5 when width x height cells would not fit in the memory the system
// reports available, 6 for a negative size, else 0. Call it before the cells are made.
tResult CheckCellMemory(int64_t width, int64_t height);
// As CheckCellMemory, for `count` images of width x height pixels of 4 bytes.
tResult CheckImageMemory(int64_t count, int64_t width, int64_t height);

// An image measured from its header before it is decoded: its size, and what its decoder holds
// beside its pixels on the way (ReadImageStreamSize).
struct ImageMeasure {
    int32_t width = 0;
    int32_t height = 0;
    int64_t decoderBytes = 0;

    // The most that decoding it into pixels of `pixelBytes` holds at once; UINT64_MAX past 64
    // bits.
    uint64_t DecodeBytes(int32_t pixelBytes) const;
};
// Measures the image at the stream's position, which is left where it was: 16 when it is no
// image the decoders take.
tResult MeasureImage(tCStream* stream, ImageMeasure* measure);
// 5 when decoding the image into pixels of `pixelBytes` would not fit in the memory the system
// reports available.
tResult CheckImageMemory(const ImageMeasure& image, int32_t pixelBytes);
