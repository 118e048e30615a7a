#pragma once

#include <algorithm>
#include <cstdint>

#include "toolkit/core/tCPoint.h"

// A rectangle with exclusive right and bottom edges: an image of w x h has bounds (0, 0, w, h).
struct tCRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(tCPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }

    tCPoint GetTopLeft() const { return {left, top}; }
    tCPoint GetTopRight() const { return {right, top}; }
    tCPoint GetBottomLeft() const { return {left, bottom}; }
    tCPoint GetBottomRight() const { return {right, bottom}; }
    // Arithmetic shifts: the centre rounds toward minus infinity.
    tCPoint GetCentre() const { return {(left + right) >> 1, (top + bottom) >> 1}; }

    tCRect Offset(tCPoint p) const { return {left + p.x, top + p.y, right + p.x, bottom + p.y}; }
    // Neither rectangle is tested for emptiness.
    tCRect Union(const tCRect& o) const
    {
        return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right), std::max(bottom, o.bottom)};
    }
    // The common part; empty (possibly with inverted edges clamped) when they do not meet.
    tCRect Intersect(const tCRect& o) const
    {
        tCRect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
        if (r.right < r.left)
            r.right = r.left;
        if (r.bottom < r.top)
            r.bottom = r.top;
        return r;
    }
    // True when the two share at least one pixel.
    bool Overlaps(const tCRect& o) const { return !Intersect(o).IsEmpty(); }
    bool operator==(const tCRect&) const = default;
};
