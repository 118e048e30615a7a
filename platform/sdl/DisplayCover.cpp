#include "platform/sdl/DisplayCover.h"

#include <algorithm>

namespace w32::sdl {

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool FillsDisplay(const tNativeWindowState& state, const std::vector<tDisplay>& displays)
{
    return !(state.style & WS_CAPTION) && std::any_of(displays.begin(), displays.end(), [&](const tDisplay& display) {
        return SameRect(display.bounds, state.client);
    });
}

}  // namespace w32::sdl
