#pragma once

#include "toolkit/imaging/CImageBase.h"

// A 16-bit 5-6-5 image (red 0xF800, green 0x07E0, blue 0x001F). It is never packed.
class CImage16 : public CImageBase {
public:
    // Created at once; test IsValid() for the outcome.
    CImage16(int32_t width, int32_t height, uint32_t dib = 0);
};
