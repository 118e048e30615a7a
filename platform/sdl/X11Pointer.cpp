#include "platform/sdl/X11Pointer.h"

#include <X11/Xlib.h>

namespace w32::sdl {

bool SendX11ButtonRelease(Display* display, unsigned long window, int button)
{
    XEvent event{};
    event.xbutton.type = ButtonRelease;
    event.xbutton.display = display;
    event.xbutton.window = window;
    event.xbutton.root = DefaultRootWindow(display);
    event.xbutton.time = CurrentTime;
    event.xbutton.button = unsigned(button);
    event.xbutton.state = Button1Mask << (button - 1);
    event.xbutton.same_screen = True;
    return XSendEvent(display, window, False, ButtonReleaseMask, &event) != 0;
}

}  // namespace w32::sdl
