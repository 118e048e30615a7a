#pragma once

#include <cstdint>
#include <memory>

#include "paint/engine/CellMemory.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCStreamWindow.h"

class CImage;
class CImage8;
class tCStream;

// An image that a chunk of a painting file holds: where its bytes lie, and its size read from its
// header before anything of that size is decoded, so that the painting can be measured with all of
// its images before it is made. Its bytes are read from the file where they lie, never copied:
// the stream must outlive the image. Every refusal is a code without a box, for the caller to tell.
class CChunkImage {
public:
    // Takes the `length` bytes at the stream's position as the image's: 6 or 16 when the stream
    // cannot tell its position or ends before them.
    tResult SetPayload(tCStream& stream, int64_t length);
    // Reads the image's size from the bytes taken: 16 when they hold no image the decoders take,
    // or one whose data cannot hold the size its header gives: a damaged image, passed over.
    tResult Measure();
    bool IsMeasured() const { return m_measured; }
    const ImageMeasure& GetMeasure() const { return m_measure; }
    // Decodes the image once it fits in the memory the system has: 5 when it does not or its
    // pixels cannot be had, 16 when it was not measured or does not decode.
    tResult Decode(CImage* image);
    tResult Decode(CImage8* image);
    // The same into a new image, left null when the image does not decode: 5 only.
    tResult DecodeNew(std::unique_ptr<CImage>* image);
    tResult DecodeNew(std::unique_ptr<CImage8>* image);

private:
    template <typename Image, typename DecodeStream>
    tResult DecodeInto(Image* image, int32_t pixelBytes, DecodeStream decode);
    template <typename Image>
    tResult DecodeIntoNew(std::unique_ptr<Image>* image);

    tCStreamWindow m_payload;
    ImageMeasure m_measure;
    bool m_measured = false;
};
