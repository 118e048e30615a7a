#include "toolkit/imaging/SubtractRect.h"

#include <algorithm>

int32_t SubtractRect(const tCRect& a, const tCRect& b, tCRect out[4])
{
    const tCRect i{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                   std::min(a.bottom, b.bottom)};
    if (i.left >= i.right || i.top >= i.bottom) {
        out[0] = a;
        return 1;
    }
    if (i == a)
        return 0;
    const int32_t top = std::max(b.top - a.top, 0);
    const int32_t bottom = std::max(a.bottom - b.bottom, 0);
    const int32_t left = std::max(b.left - a.left, 0);
    const int32_t right = std::max(a.right - b.right, 0);
    int32_t count = 0;
    if (top > 0)
        out[count++] = {a.left, a.top, a.right, a.top + top};
    if (bottom > 0)
        out[count++] = {a.left, a.bottom - bottom, a.right, a.bottom};
    if (left > 0)
        out[count++] = {a.left, a.top + top, a.left + left, a.bottom - bottom};
    if (right > 0)
        out[count++] = {a.right - right, a.top + top, a.right, a.bottom - bottom};
    return count;
}
