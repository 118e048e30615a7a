#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCRect.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CRLE8.h"

// The pixel walks the effects share. Rects are in the owner's frame, which the target's origin
// maps onto its pixels; the part of a rect off the target is skipped.

// Calls visit(pixels, count, x, y) for each row of target pixels in `rect`, (x, y) being the
// first pixel's place in the owner's frame. 5 when the target cannot be viewed.
template <typename Visit>
tResult ForEachTargetRow(CImage* target, const tCRect& rect, Visit visit)
{
    CImNav view(target, rect);
    if (!view.IsLocked())
        return kResNoMemory;
    const tCPoint at = view.GetClip().GetTopLeft().Minus(target->GetOrigin());
    for (int32_t row = 0; row < view.GetHeight(); ++row)
        visit(view.Pixels(row), view.GetWidth(), at.x, at.y + row);
    return kResOk;
}

// Calls visit(pixel, x, y) for each target pixel of `rect`.
template <typename Visit>
tResult ForEachTargetPixel(CImage* target, const tCRect& rect, Visit visit)
{
    return ForEachTargetRow(target, rect, [&](CPixel* pixels, int32_t count, int32_t x, int32_t y) {
        for (int32_t i = 0; i < count; ++i)
            visit(pixels + i, x + i, y);
    });
}

// Calls visit(pixels, bytes, count) for each row of target pixels in `rect` with the mask bytes
// at their places moved by `shift`; the caller keeps `rect` moved by `shift` inside the mask.
template <typename Visit>
tResult ForEachMaskedRow(CImage* target, const tCRect& rect, CRLE8& mask, tCPoint shift, Visit visit)
{
    std::vector<uint8_t> bytes(size_t(std::max(rect.Width(), 0)));
    return ForEachTargetRow(target, rect, [&](CPixel* pixels, int32_t count, int32_t x, int32_t y) {
        mask.ReadRun(x + shift.x, y + shift.y, count, bytes.data());
        visit(pixels, bytes.data(), count);
    });
}
