#include "XTestInput.h"

#include <SDL_syswm.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstring>

CXTestInput::CXTestInput()
{
    m_display = XOpenDisplay(nullptr);
    int event = 0, error = 0, major = 0, minor = 0;
    if (m_display && !XTestQueryExtension(m_display, &event, &error, &major, &minor)) {
        XCloseDisplay(m_display);
        m_display = nullptr;
    }
}

CXTestInput::~CXTestInput()
{
    if (m_display)
        XCloseDisplay(m_display);
}

bool CXTestInput::Key(const char* name, bool down)
{
    XkbDescPtr keyboard = XkbGetMap(m_display, XkbKeySymsMask, XkbUseCoreKbd);
    if (!keyboard)
        return false;
    int found = 0;
    if (XkbGetNames(m_display, XkbKeyNamesMask, keyboard) == Success && keyboard->names) {
        for (int code = keyboard->min_key_code; code <= keyboard->max_key_code && !found; ++code)
            if (std::strncmp(keyboard->names->keys[code].name, name, XkbKeyNameLength) == 0)
                found = code;
    }
    XkbFreeKeyboard(keyboard, 0, True);
    if (found) {
        XTestFakeKeyEvent(m_display, unsigned(found), down, CurrentTime);
        XSync(m_display, False);
    }
    return found != 0;
}

void CXTestInput::Button(int button, bool down)
{
    XTestFakeButtonEvent(m_display, unsigned(button), down, CurrentTime);
    XSync(m_display, False);
}

void CXTestInput::LockNumLock(bool on)
{
    const unsigned mask = XkbKeysymToModifiers(m_display, XK_Num_Lock);
    XkbLockModifiers(m_display, XkbUseCoreKbd, mask, on ? mask : 0);
    XSync(m_display, False);
}

void CXTestInput::MovePointer(int x, int y)
{
    XTestFakeMotionEvent(m_display, -1, x, y, CurrentTime);
    XSync(m_display, False);
}

bool CXTestInput::Focus(SDL_Window* window)
{
    Window target = DefaultRootWindow(m_display);
    if (window) {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        XWindowAttributes attributes;
        if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11 ||
            !XGetWindowAttributes(m_display, info.info.x11.window, &attributes) || attributes.map_state != IsViewable)
            return false;
        target = info.info.x11.window;
    }
    XSetInputFocus(m_display, target, RevertToParent, CurrentTime);
    XSync(m_display, False);
    return true;
}
