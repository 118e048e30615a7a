#include "platform/sdl/X11Pointer.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include "platform/sdl/X11Screen.h"

namespace w32::sdl {

bool SendX11ButtonRelease(SDL_Window* window, int button)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !OnX11() || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return false;
    // A connection of its own: SDL's may be read on another thread meanwhile.
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    XEvent event{};
    event.xbutton.type = ButtonRelease;
    event.xbutton.display = display;
    event.xbutton.window = info.info.x11.window;
    event.xbutton.root = DefaultRootWindow(display);
    event.xbutton.time = CurrentTime;
    event.xbutton.button = unsigned(button);
    event.xbutton.state = Button1Mask << (button - 1);
    event.xbutton.same_screen = True;
    const bool sent = XSendEvent(display, info.info.x11.window, False, ButtonReleaseMask, &event) != 0;
    XCloseDisplay(display);
    return sent;
}

}  // namespace w32::sdl
