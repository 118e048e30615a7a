#include "platform/sdl/X11Event.h"

#include <SDL_syswm.h>
#include <X11/XKBlib.h>

namespace w32::sdl {
namespace {

template <typename tPointerEvent>
void ReadPointer(const tPointerEvent& event, tX11Event* read)
{
    read->window = event.window;
    read->x = event.x;
    read->y = event.y;
    read->rootX = event.x_root;
    read->rootY = event.y_root;
    read->sent = event.send_event != 0;
}

}  // namespace

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
        read.state = x.xkey.state;
        break;
    case ButtonPress:
    case ButtonRelease:
        read.kind = x.type == ButtonPress ? tX11Event::kButtonPress : tX11Event::kButtonRelease;
        read.button = int(x.xbutton.button);
        ReadPointer(x.xbutton, &read);
        break;
    case MotionNotify:
        read.kind = tX11Event::kMotion;
        ReadPointer(x.xmotion, &read);
        break;
    case EnterNotify:
    case LeaveNotify:
        read.kind = tX11Event::kCrossing;
        ReadPointer(x.xcrossing, &read);
        break;
    case MappingNotify:
        read.kind = tX11Event::kMappingChanged;
        break;
    // The root hears of a focus that passes down to a window below it too (a virtual detail).
    case FocusIn:
        if (x.xfocus.window == DefaultRootWindow(x.xfocus.display) && x.xfocus.detail != NotifyVirtual &&
            x.xfocus.detail != NotifyNonlinearVirtual)
            read.kind = tX11Event::kKeyboardFell;
        break;
    default:
        break;
    }
    return read;
}

}  // namespace w32::sdl
