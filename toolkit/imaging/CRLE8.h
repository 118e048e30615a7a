#pragma once

#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CRunLengthT.h"

class CImage;
class CImage8;

// An 8-bit image packed in runs of bytes (counts up to 126); CImage8 keeps one while it is
// packed, and masks are built from a channel of 32-bit images: the alpha byte when `alpha` is
// set, else the green byte.
class CRLE8 : public CRunLengthT<uint8_t> {
public:
    static int64_t EstimateSize(const CImNav8* view);
    static int64_t EstimateSize32(const CImNav* view, uint32_t alpha);
    // width x height when the image cannot be viewed.
    static int64_t EstimateImageSize(CImage8* image);
    // Into the block as it is sized; 6 when it is too small or the view is unusable.
    tResult EncodeRows8(const CImNav8* view);
    tResult EncodeRows32(const CImNav* view, uint32_t alpha);
    tResult BuildFromNav8(const CImNav8* view);
    tResult BuildFromNav32(const CImNav* view, uint32_t alpha);
    // 5 when the image cannot be viewed.
    tResult BuildFromImage8(CImage8* image);
    tResult BuildFromImage32(CImage* image, uint32_t alpha);
    // As BuildFromNav8, with the estimate already made.
    tResult BuildFromView(const CImNav8* view, int64_t estimate);
};

using CRLE8Sampler = tRunSampler<uint8_t>;
