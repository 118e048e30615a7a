#pragma once

#include <memory>
#include <string>

#include "platform/Backend.h"

namespace w32::sdl {

// Null, with the reason in `error`, when there is no display to open; SDL's drivers that show
// nothing count as none unless SDL_VIDEODRIVER names them. SDL's Wayland driver is refused: it
// gives no plain framebuffer, and the windows are shown through XWayland instead.
std::unique_ptr<CBackend> MakeBackend(std::string* error);

}  // namespace w32::sdl
