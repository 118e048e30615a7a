#pragma once

#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CPackableImageT.h"
#include "toolkit/imaging/CPixel.h"
#include "toolkit/imaging/CRLE.h"

// A 32-bit ARGB image.
class CImage : public CPackableImageT<CRLE, CImNav> {
public:
    explicit CImage(uint32_t dib = 0);
    // Created at once; test IsValid() for the outcome.
    CImage(int32_t width, int32_t height, uint32_t dib = 0);

    tResult GetFromRes(const tCString& name, tCStream* stream, CResourceDirectory* directory) override;
    tResult GetFromRes(uint32_t id, tCStream* stream, CResourceDirectory* directory) override;
};
