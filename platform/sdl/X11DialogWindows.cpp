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

}  // namespace

std::unique_ptr<CX11DialogWindows> CX11DialogWindows::Open(unsigned long owner, bool managed)
{
    Display* display = XOpenDisplay(nullptr);
    return display ? std::unique_ptr<CX11DialogWindows>(new CX11DialogWindows(display, owner, managed)) : nullptr;
}

CX11DialogWindows::CX11DialogWindows(Display* display, unsigned long owner, bool managed)
    : m_display(display), m_root(DefaultRootWindow(display)), m_owner(owner), m_managed(managed),
      m_processAtom(XInternAtom(display, "_NET_WM_PID", False))
{
    // The windows made from now on: the dialog program has not started yet.
    XSelectInput(display, m_root, SubstructureNotifyMask);
    XSync(display, False);
}

CX11DialogWindows::~CX11DialogWindows()
{
    XCloseDisplay(m_display);
}

void CX11DialogWindows::Follow(int processId)
{
    m_processId = processId;
    for (const unsigned long window : std::vector<unsigned long>(m_unknown))
        ReadProcess(window);
    XFlush(m_display);
}

int CX11DialogWindows::Descriptor() const
{
    return ConnectionNumber(m_display);
}

bool CX11DialogWindows::IsWaiting() const
{
    return XEventsQueued(m_display, QueuedAlready) > 0;
}

void CX11DialogWindows::Serve()
{
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        switch (event.type) {
        case CreateNotify:
            if (event.xcreatewindow.parent == m_root && !event.xcreatewindow.override_redirect)
                Consider(event.xcreatewindow.window);
            break;
        case PropertyNotify:
            if (event.xproperty.atom == m_processAtom && Holds(m_unknown, event.xproperty.window))
                ReadProcess(event.xproperty.window);
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
            break;
        }
    }
    XFlush(m_display);
}

void CX11DialogWindows::Consider(unsigned long window)
{
    // Watched first, so that the process it is told of later is not missed.
    XSelectInput(m_display, window, StructureNotifyMask | PropertyChangeMask);
    m_unknown.push_back(window);
    ReadProcess(window);
}

void CX11DialogWindows::ReadProcess(unsigned long window)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long process = 0;
    if (XGetWindowProperty(m_display, window, m_processAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                           &data) == Success &&
        data && type == XA_CARDINAL && format == 32 && count == 1)
        process = *reinterpret_cast<const long*>(data);
    if (data)
        XFree(data);
    // A window whose process is not told yet, or not known yet, is read again once it is.
    if (process == 0 || m_processId == 0)
        return;
    std::erase(m_unknown, window);
    if (process == m_processId)
        Adopt(window);
}

void CX11DialogWindows::Adopt(unsigned long window)
{
    m_adopted.push_back(window);
    Window named = None;
    if (m_owner && (!XGetTransientForHint(m_display, window, &named) || named == None))
        XSetTransientForHint(m_display, window, m_owner);
    XWindowAttributes attributes;
    if (XGetWindowAttributes(m_display, window, &attributes) && attributes.map_state != IsUnmapped)
        Shown(window);
}

void CX11DialogWindows::Shown(unsigned long window)
{
    std::erase(m_shown, window);
    m_shown.push_back(window);
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
