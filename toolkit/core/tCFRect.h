#pragma once

#include "toolkit/core/tCFPoint.h"

// A rectangle of floats: left and top inclusive, right and bottom where it ends.
struct tCFRect {
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
};

// The rectangle's centre.
inline tCFPoint RectCentreF(const tCFRect& rect)
{
    return {(rect.left + rect.right) * 0.5f, (rect.top + rect.bottom) * 0.5f};
}
