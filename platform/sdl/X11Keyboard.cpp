#include "platform/sdl/X11Keyboard.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <cstring>

#include "platform/sdl/X11Screen.h"

namespace w32::sdl {
namespace {

// The key the layout's key names call RALT (its alias ALGR names the same key), whatever its
// key code; 0 where none does.
int RightAltKeyCode(const XkbDescRec& keyboard)
{
    if (!keyboard.names || !keyboard.names->keys)
        return 0;
    for (int code = keyboard.min_key_code; code <= keyboard.max_key_code; ++code)
        if (std::strncmp(keyboard.names->keys[code].name, "RALT", XkbKeyNameLength) == 0)
            return code;
    return 0;
}

}  // namespace

bool RightAltIsAltGr()
{
    if (!OnX11())
        return false;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    bool altGr = false;
    if (XkbDescPtr keyboard = XkbGetMap(display, XkbKeySymsMask, XkbUseCoreKbd)) {
        XkbStateRec state{};
        const int code = XkbGetNames(display, XkbKeyNamesMask, keyboard) == Success ? RightAltKeyCode(*keyboard) : 0;
        const int groups = code ? XkbKeyNumGroups(keyboard, code) : 0;
        if (groups > 0 && XkbGetState(display, XkbUseCoreKbd, &state) == Success) {
            // A group past the key's own wraps round, as the server takes it by default.
            const KeySym symbol = XkbKeySymEntry(keyboard, code, 0, state.group % groups);
            altGr = symbol == XK_ISO_Level3_Shift || symbol == XK_Mode_switch;
        }
        XkbFreeKeyboard(keyboard, 0, True);
    }
    XCloseDisplay(display);
    return altGr;
}

}  // namespace w32::sdl
