#pragma once

#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CPackableImageT.h"
#include "toolkit/imaging/CRLE8.h"

// An 8-bit image of grey values or coverage, always on the heap.
class CImage8 : public CPackableImageT<CRLE8, CImNav8> {
public:
    CImage8();
    // Created at once; test IsValid() for the outcome.
    CImage8(int32_t width, int32_t height);

    tResult GetFromRes(const tCString& name, tCStream* stream, CResourceDirectory* directory) override;
    tResult GetFromRes(uint32_t id, tCStream* stream, CResourceDirectory* directory) override;
};
