#pragma once

#include "toolkit/imaging/CImageBase.h"

// An 8-bit image of grey values or coverage, always on the heap.
class CImage8 : public CImageBase {
public:
    CImage8();
    // Created at once; test IsValid() for the outcome.
    CImage8(int32_t width, int32_t height);
};
