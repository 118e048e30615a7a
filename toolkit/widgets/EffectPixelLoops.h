#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCRect.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CRLE8.h"

// The pixel walks the effects share. Rects are in the owner's frame, which the target's origin
// maps onto its pixels; the part of a rect off the target is skipped.

// Calls visit(pixel, x, y) row by row for each target pixel of `rect`, (x, y) in the owner's
// frame. 5 when the target cannot be viewed.
template <typename Visit>
tResult ForEachTargetPixel(CImage* target, const tCRect& rect, Visit visit)
{
    CImNav view(target, rect);
    if (!view.IsLocked())
        return kResNoMemory;
    const tCPoint at = view.GetClip().GetTopLeft().Minus(target->GetOrigin());
    for (int32_t row = 0; row < view.GetHeight(); ++row) {
        CPixel* pixel = view.Pixels(row);
        for (int32_t col = 0; col < view.GetWidth(); ++col)
            visit(pixel + col, at.x + col, at.y + row);
    }
    return kResOk;
}

// Calls visit(pixel, byte) for each target pixel of `rect` with the mask byte at the pixel's
// position moved by `shift`; the caller keeps `rect` moved by `shift` inside the mask.
template <typename Visit>
tResult ForEachMaskedPixel(CImage* target, const tCRect& rect, CRLE8& mask, tCPoint shift, Visit visit)
{
    CImNav view(target, rect);
    if (!view.IsLocked())
        return kResNoMemory;
    const tCPoint at = view.GetClip().GetTopLeft().Minus(target->GetOrigin()).Plus(shift);
    for (int32_t row = 0; row < view.GetHeight(); ++row) {
        CPixel* pixel = view.Pixels(row);
        tRunCursor<uint8_t> cursor = mask.CursorAt(at.x, at.y + row);
        for (int32_t col = 0; col < view.GetWidth(); ++col)
            visit(pixel + col, uint32_t(mask.ReadFrom(cursor)));
    }
    return kResOk;
}
