#pragma once

#include <vector>

#include "platform/Backend.h"

namespace w32::sdl {

bool SameRect(const RECT& a, const RECT& b);

// A window without a caption that covers one of `displays` is full screen, as the desktop takes it.
bool FillsDisplay(const tNativeWindowState& state, const std::vector<tDisplay>& displays);

}  // namespace w32::sdl
