#pragma once

#include <algorithm>
#include <cstdint>

#include "toolkit/core/tCRect.h"

// The cells a segment painter touched, from (left, top) to (right, bottom) inclusive, as the
// stroke engine reports them to the canvas (CCanvas::UpdateRect takes them so); empty while
// right < left or bottom < top.
struct CCellRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = -1;
    int32_t bottom = -1;

    bool IsEmpty() const { return right < left || bottom < top; }
    // An empty rectangle takes the other one whole.
    void Unite(const CCellRect& other)
    {
        if (other.IsEmpty())
            return;
        if (IsEmpty()) {
            *this = other;
            return;
        }
        left = std::min(left, other.left);
        top = std::min(top, other.top);
        right = std::max(right, other.right);
        bottom = std::max(bottom, other.bottom);
    }
    // The fields as they are, for CCanvas::UpdateRect, which takes the inclusive form.
    tCRect AsInclusiveRect() const { return {left, top, right, bottom}; }
    // The same cells as an exclusive rectangle: the one place the two forms meet.
    tCRect ToExclusive() const
    {
        return IsEmpty() ? tCRect{} : tCRect{left, top, right + 1, bottom + 1};
    }
};
