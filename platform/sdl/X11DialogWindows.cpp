#include "platform/sdl/X11DialogWindows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>

namespace w32::sdl {
namespace {

bool Holds(const std::vector<unsigned long>& windows, unsigned long window)
{
    return std::find(windows.begin(), windows.end(), window) != windows.end();
}

// The process a window names, 0 while it names none.
long ProcessOf(Display* display, Window window, Atom processAtom)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long process = 0;
    if (XGetWindowProperty(display, window, processAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                           &data) == Success &&
        data && type == XA_CARDINAL && format == 32 && count == 1)
        process = *reinterpret_cast<const long*>(data);
    if (data)
        XFree(data);
    return process;
}

long RootEvents(Display* display, Window root)
{
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, root, &attributes) ? attributes.your_event_mask : NoEventMask;
}

}  // namespace

CX11DialogWindows::CX11DialogWindows(Display* display, unsigned long owner, bool managed, unsigned long processAtom)
    : m_display(display), m_root(DefaultRootWindow(display)), m_owner(owner), m_managed(managed),
      m_processAtom(processAtom)
{
    // The windows made from now on: the dialog has not started yet. The request goes before the
    // dialog program can even reach the display.
    const long events = RootEvents(display, m_root);
    m_rootWatched = (events & SubstructureNotifyMask) != 0;
    XSelectInput(display, m_root, events | SubstructureNotifyMask);
    XFlush(display);
}

CX11DialogWindows::~CX11DialogWindows()
{
    // The dialog's own windows go with it; those of other programs stay.
    for (const unsigned long window : m_unknown)
        XSelectInput(m_display, window, NoEventMask);
    if (!m_rootWatched)
        XSelectInput(m_display, m_root, RootEvents(m_display, m_root) & ~SubstructureNotifyMask);
    XFlush(m_display);
}

void CX11DialogWindows::Follow(int processId)
{
    m_processId = processId;
    for (const unsigned long window : std::vector<unsigned long>(m_unknown))
        Decide(window);
    XFlush(m_display);
}

void CX11DialogWindows::Note(const XEvent& event)
{
    switch (event.type) {
    case CreateNotify:
        if (event.xcreatewindow.parent == m_root && !event.xcreatewindow.override_redirect)
            Consider(event.xcreatewindow.window);
        break;
    case PropertyNotify:
        if ((event.xproperty.atom == m_processAtom || event.xproperty.atom == XA_WM_TRANSIENT_FOR) &&
            Holds(m_unknown, event.xproperty.window))
            Decide(event.xproperty.window);
        break;
    case MapNotify:
        // Another window shown, such as the frame a manager that gives no keyboard puts round
        // the dialog's window, may have put the dialog's window on the screen.
        if (Holds(m_adopted, event.xmap.window))
            Shown(event.xmap.window);
        else
            GiveKeyboard();
        break;
    case UnmapNotify:
        std::erase(m_shown, event.xunmap.window);
        GiveKeyboard();
        break;
    case DestroyNotify:
        Gone(event.xdestroywindow.window);
        break;
    default:
        return;
    }
    XFlush(m_display);
}

void CX11DialogWindows::Consider(unsigned long window)
{
    if (Holds(m_unknown, window) || Holds(m_adopted, window))
        return;
    // Watched first, so that the process or owner it is told of later is not missed.
    XSelectInput(m_display, window, StructureNotifyMask | PropertyChangeMask);
    m_unknown.push_back(window);
    Decide(window);
}

// A window that names neither yet is looked at again once it names one.
void CX11DialogWindows::Decide(unsigned long window)
{
    Window named = None;
    if (!XGetTransientForHint(m_display, window, &named))
        named = None;
    const bool ownerNamed = m_owner && named == m_owner;
    if (ownerNamed || (m_processId && ProcessOf(m_display, window, m_processAtom) == m_processId)) {
        std::erase(m_unknown, window);
        Adopt(window, named);
    }
}

void CX11DialogWindows::Adopt(unsigned long window, unsigned long namedOwner)
{
    m_adopted.push_back(window);
    if (m_owner && namedOwner == None)
        XSetTransientForHint(m_display, window, m_owner);
    XWindowAttributes attributes;
    if (XGetWindowAttributes(m_display, window, &attributes) && attributes.map_state != IsUnmapped)
        Shown(window);
}

void CX11DialogWindows::Shown(unsigned long window)
{
    std::erase(m_shown, window);
    m_shown.push_back(window);
    m_everShown = true;
    if (!m_managed)
        XRaiseWindow(m_display, window);
    GiveKeyboard();
}

void CX11DialogWindows::Gone(unsigned long window)
{
    std::erase(m_unknown, window);
    std::erase(m_adopted, window);
    std::erase(m_shown, window);
    GiveKeyboard();
}

// The X server refuses the keyboard to a window not on the screen, such as one whose frame is not
// shown yet: it is asked again as windows come and go.
void CX11DialogWindows::GiveKeyboard()
{
    if (m_managed || m_shown.empty())
        return;
    XWindowAttributes attributes;
    if (XGetWindowAttributes(m_display, m_shown.back(), &attributes) && attributes.map_state == IsViewable)
        XSetInputFocus(m_display, m_shown.back(), RevertToParent, CurrentTime);
}

}  // namespace w32::sdl
