#include "platform/sdl/FramePlacement.h"

#include <algorithm>

namespace w32::sdl {
namespace {

// The start of the span from `start` to `end` moved so that the span lies between `outerStart`
// and `outerEnd`, its start kept on where it cannot.
LONG Shifted(LONG start, LONG end, LONG outerStart, LONG outerEnd)
{
    if (end > outerEnd)
        start -= end - outerEnd;
    return std::max(start, outerStart);
}

}  // namespace

RECT FitFramedClient(const RECT& client, const tFrameExtents& frame, const RECT& work)
{
    const LONG width = std::min<LONG>(client.right - client.left, work.right - work.left - frame.left - frame.right);
    const LONG height = std::min<LONG>(client.bottom - client.top, work.bottom - work.top - frame.top - frame.bottom);
    if (width <= 0 || height <= 0)
        return client;
    const LONG left = Shifted(client.left - frame.left, client.left + width + frame.right, work.left, work.right) + frame.left;
    const LONG top = Shifted(client.top - frame.top, client.top + height + frame.bottom, work.top, work.bottom) + frame.top;
    return RECT{left, top, left + width, top + height};
}

}  // namespace w32::sdl
