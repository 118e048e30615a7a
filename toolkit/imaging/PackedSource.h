#pragma once

#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"

// The run-length copy of a packed 32-bit or 8-bit image; null for any other image, also for a
// valid image that is not packed.
inline CRLE* PackedCopyOf(CImageBase* image)
{
    auto* argb = dynamic_cast<CImage*>(image);
    return argb ? argb->GetRunLengthCopy() : nullptr;
}

inline CRLE8* PackedCopy8Of(CImageBase* image)
{
    auto* grey = dynamic_cast<CImage8*>(image);
    return grey ? grey->GetRunLengthCopy() : nullptr;
}
