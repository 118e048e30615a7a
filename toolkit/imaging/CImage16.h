#pragma once

#include "toolkit/imaging/CImageBase.h"

// A 16-bit 5-6-5 image (red 0xF800, green 0x07E0, blue 0x001F). It is never packed.
class CImage16 : public CImageBase {
public:
    // Created at once; test IsValid() for the outcome.
    CImage16(int32_t width, int32_t height, uint32_t dib = 0);

    // 16-bit images are not loaded from resources: both show the error box and answer 10.
    tResult GetFromRes(const tCString& name, tCStream* stream, CResourceDirectory* directory) override;
    tResult GetFromRes(uint32_t id, tCStream* stream, CResourceDirectory* directory) override;
};
