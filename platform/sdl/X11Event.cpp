#include "platform/sdl/X11Event.h"

#include <SDL_syswm.h>
#include <X11/XKBlib.h>

namespace w32::sdl {

tX11Event ReadX11Event(const SDL_SysWMEvent& event)
{
    tX11Event read;
    if (!event.msg || event.msg->subsystem != SDL_SYSWM_X11)
        return read;
    const XEvent& x = event.msg->msg.x11.event;
    switch (x.type) {
    case KeyPress:
    case KeyRelease:
        read.kind = tX11Event::kKey;
        read.group = XkbGroupForCoreState(x.xkey.state);
        break;
    case ButtonPress:
    case ButtonRelease:
        read.kind = x.type == ButtonPress ? tX11Event::kButtonPress : tX11Event::kButtonRelease;
        read.button = int(x.xbutton.button);
        read.x = x.xbutton.x;
        read.y = x.xbutton.y;
        read.rootX = x.xbutton.x_root;
        read.rootY = x.xbutton.y_root;
        read.sent = x.xbutton.send_event != 0;
        break;
    case MappingNotify:
        read.kind = tX11Event::kMappingChanged;
        break;
    default:
        break;
    }
    return read;
}

}  // namespace w32::sdl
