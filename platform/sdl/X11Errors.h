#pragma once

namespace w32::sdl {

// From now on an error the X server reports costs the request that caused it, never the process:
// it is noted on stderr and the program goes on. Xlib's own handler ends the process, and SDL's,
// which it replaces, ends in Xlib's; the handler is Xlib's for the whole process, so that the
// program's other connections are covered too. An I/O error, the display gone, still ends it.
void PassOverX11Errors();

}  // namespace w32::sdl
