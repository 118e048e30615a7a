#pragma once

#include "platform/Win32Types.h"

namespace w32::sdl {

// The widths of a window manager's frame on each side of a client area.
struct tFrameExtents {
    long left = 0, right = 0, top = 0, bottom = 0;
};

// The client area nearest `client` whose frame lies on `work`: moved, and made smaller where the
// frame and all cannot fit. `client` itself where the work area leaves no room for a client.
RECT FitFramedClient(const RECT& client, const tFrameExtents& frame, const RECT& work);

}  // namespace w32::sdl
