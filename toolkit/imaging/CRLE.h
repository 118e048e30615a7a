#pragma once

#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CRunLengthT.h"

class CImage;

// A 32-bit image packed in runs of u32 words; CImage keeps one while it is packed.
class CRLE : public CRunLengthT<CPixel> {
public:
    static int64_t EstimateSize(const CImNav* view);
    // width x height when the image cannot be viewed.
    static int64_t EstimateImageSize(CImage* image);
    // Into the block as it is sized; 6 when it is too small or the view is unusable.
    tResult EncodeRows(const CImNav* view);
    tResult BuildFromNav(const CImNav* view);
    // 5 when the image cannot be viewed.
    tResult BuildFromImage(CImage* image);
    // As BuildFromNav, with the estimate already made.
    tResult BuildFromView(const CImNav* view, int64_t estimate);
};

using CRLESampler = tRunSampler<CPixel>;
