#include "platform/sdl/X11Desktop.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>

#include "platform/sdl/X11Screen.h"

namespace w32::sdl {
namespace {

// The 32-bit items of a window's property of `type` (Xlib gives them as longs).
std::vector<long> ReadLongs(Display* display, Window window, Atom property, Atom type)
{
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<long> items;
    if (XGetWindowProperty(display, window, property, 0, 1024, False, type, &actualType, &format, &count, &after,
                           &data) == Success &&
        data && actualType == type && format == 32) {
        const auto* values = reinterpret_cast<const long*>(data);
        items.assign(values, values + count);
    }
    if (data)
        XFree(data);
    return items;
}

// SDL's connection and the X window that shows `window`; false where SDL shows it otherwise.
bool SdlX11Window(SDL_Window* window, Display** display, Window* xwindow)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return false;
    *display = info.info.x11.display;
    *xwindow = info.info.x11.window;
    return true;
}

RECT Intersection(const RECT& a, const RECT& b)
{
    const RECT both{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                    std::min(a.bottom, b.bottom)};
    return both.left < both.right && both.top < both.bottom ? both : a;
}

}  // namespace

std::unique_ptr<CX11Desktop> CX11Desktop::Open()
{
    if (!OnX11())
        return nullptr;
    Display* display = XOpenDisplay(nullptr);
    return display ? std::unique_ptr<CX11Desktop>(new CX11Desktop(display)) : nullptr;
}

CX11Desktop::CX11Desktop(Display* display) : m_display(display), m_root(DefaultRootWindow(display))
{
    m_state = XInternAtom(display, "_NET_WM_STATE", False);
    m_frameExtents = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
    m_managerCheck = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    m_fullScreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
    m_maximisedVert = XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_VERT", False);
    m_maximisedHorz = XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_HORZ", False);
    m_workArea = XInternAtom(display, "_NET_WORKAREA", False);
    m_currentDesktop = XInternAtom(display, "_NET_CURRENT_DESKTOP", False);
    // The root's size, and its work area, which a window manager or a panel sets.
    XSelectInput(display, m_root, StructureNotifyMask | PropertyChangeMask);
    int error = 0;
    if (XRRQueryExtension(display, &m_randrEvent, &error))
        XRRSelectInput(display, m_root, RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
    else
        m_randrEvent = -1;
    XFlush(display);
}

CX11Desktop::~CX11Desktop()
{
    XCloseDisplay(m_display);
}

unsigned long CX11Desktop::WindowOf(SDL_Window* window)
{
    Display* display = nullptr;
    Window xwindow = 0;
    return SdlX11Window(window, &display, &xwindow) ? xwindow : 0;
}

void CX11Desktop::Watch(unsigned long window)
{
    std::lock_guard<std::mutex> guard(m_lock);
    XSelectInput(m_display, window, PropertyChangeMask);
    XFlush(m_display);
}

CX11Desktop::tChanges CX11Desktop::TakeChanges()
{
    std::lock_guard<std::mutex> guard(m_lock);
    tChanges changes;
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        if (m_randrEvent >= 0 && event.type >= m_randrEvent && event.type <= m_randrEvent + RRNotify) {
            XRRUpdateConfiguration(&event);
            changes.screen = true;
        } else if (event.type == ConfigureNotify && event.xconfigure.window == m_root) {
            // A server may change the screen's size without reading its outputs again (a nested
            // server whose window was resized): asking for them makes it, and it then tells
            // every client, the window manager among them, of the new monitors.
            if (m_randrEvent >= 0)
                XRRFreeScreenResources(XRRGetScreenResources(m_display, m_root));
            changes.screen = true;
        } else if (event.type == PropertyNotify && event.xproperty.window == m_root) {
            changes.screen = changes.screen || event.xproperty.atom == m_workArea ||
                             event.xproperty.atom == m_currentDesktop;
        } else if (event.type == PropertyNotify &&
                   (event.xproperty.atom == m_state || event.xproperty.atom == m_frameExtents)) {
            std::vector<unsigned long>& list = event.xproperty.atom == m_state ? changes.windows : changes.frames;
            if (std::find(list.begin(), list.end(), event.xproperty.window) == list.end())
                list.push_back(event.xproperty.window);
        }
    }
    if (changes.screen)
        m_displays.clear();
    return changes;
}

tWmMode CX11Desktop::ReadMode(unsigned long window)
{
    std::lock_guard<std::mutex> guard(m_lock);
    const std::vector<long> states = ReadLongs(m_display, window, m_state, XA_ATOM);
    const auto has = [&](unsigned long atom) {
        return std::find(states.begin(), states.end(), long(atom)) != states.end();
    };
    if (has(m_fullScreen))
        return tWmMode::kFullScreen;
    return has(m_maximisedVert) && has(m_maximisedHorz) ? tWmMode::kMaximised : tWmMode::kNormal;
}

bool CX11Desktop::CanTakeFocus(unsigned long window)
{
    std::lock_guard<std::mutex> guard(m_lock);
    XWindowAttributes attributes;
    return XGetWindowAttributes(m_display, window, &attributes) && attributes.map_state == IsViewable;
}

bool CX11Desktop::HasWindowManager()
{
    std::lock_guard<std::mutex> guard(m_lock);
    const std::vector<long> manager = ReadLongs(m_display, m_root, m_managerCheck, XA_WINDOW);
    if (manager.empty())
        return false;
    // A manager that ended leaves the root's mark behind; its own window says it still runs.
    const std::vector<long> own = ReadLongs(m_display, Window(manager.front()), m_managerCheck, XA_WINDOW);
    return !own.empty() && own.front() == manager.front();
}

void CX11Desktop::AskFullScreen(SDL_Window* window, bool fullScreen, bool shown)
{
    Display* display = nullptr;
    Window xwindow = 0;
    if (!SdlX11Window(window, &display, &xwindow))
        return;
    // Without a window manager the window's state would keep a wish nobody reads.
    if (shown && HasWindowManager()) {
        SendState(display, xwindow, fullScreen, m_fullScreen, None);
        if (!fullScreen)
            SendState(display, xwindow, false, m_maximisedVert, m_maximisedHorz);
    } else {
        std::vector<long> states = ReadLongs(display, xwindow, m_state, XA_ATOM);
        std::erase_if(states, [&](long atom) {
            return atom == long(m_fullScreen) || atom == long(m_maximisedVert) || atom == long(m_maximisedHorz);
        });
        if (fullScreen)
            states.push_back(long(m_fullScreen));
        XChangeProperty(display, xwindow, m_state, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(states.data()), int(states.size()));
    }
    XFlush(display);
}

void CX11Desktop::AskUnmaximised(SDL_Window* window)
{
    Display* display = nullptr;
    Window xwindow = 0;
    if (!SdlX11Window(window, &display, &xwindow))
        return;
    SendState(display, xwindow, false, m_maximisedVert, m_maximisedHorz);
    XFlush(display);
}

void CX11Desktop::MoveClient(SDL_Window* window, int32_t x, int32_t y)
{
    Display* display = nullptr;
    Window xwindow = 0;
    if (!SdlX11Window(window, &display, &xwindow))
        return;
    // Left, right, top, bottom.
    const std::vector<long> frame = ReadLongs(display, xwindow, m_frameExtents, XA_CARDINAL);
    const long left = frame.size() == 4 ? frame[0] : 0, top = frame.size() == 4 ? frame[2] : 0;
    XMoveWindow(display, xwindow, int(x - left), int(y - top));
    XFlush(display);
}

void CX11Desktop::SendState(_XDisplay* display, unsigned long window, bool add, unsigned long first,
                            unsigned long second)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = m_state;
    event.xclient.format = 32;
    event.xclient.data.l[0] = add ? 1 : 0;  // _NET_WM_STATE_ADD, _NET_WM_STATE_REMOVE
    event.xclient.data.l[1] = long(first);
    event.xclient.data.l[2] = long(second);
    event.xclient.data.l[3] = 1;  // from an application
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

std::vector<tDisplay> CX11Desktop::ReadDisplays()
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_displays.empty())
        m_displays = ReadDisplaysNow();
    return m_displays;
}

std::vector<tDisplay> CX11Desktop::ReadDisplaysNow()
{
    std::vector<tDisplay> displays;
    int count = 0;
    XRRMonitorInfo* monitors = m_randrEvent >= 0 ? XRRGetMonitors(m_display, m_root, True, &count) : nullptr;
    for (int i = 0; i < count; ++i) {
        const XRRMonitorInfo& m = monitors[i];
        const RECT bounds{m.x, m.y, m.x + m.width, m.y + m.height};
        displays.insert(m.primary ? displays.begin() : displays.end(), tDisplay{bounds, bounds});
    }
    if (monitors)
        XRRFreeMonitors(monitors);
    // One monitor is the whole screen, whose size the server may change before its monitors
    // are read again (a nested server whose window was resized).
    if (displays.size() <= 1) {
        XWindowAttributes root;
        if (!XGetWindowAttributes(m_display, m_root, &root))
            return displays;
        const RECT bounds{0, 0, root.width, root.height};
        displays.assign(1, tDisplay{bounds, bounds});
    }
    // One work area for the whole screen, that of the current desktop.
    const std::vector<long> areas = ReadLongs(m_display, m_root, m_workArea, XA_CARDINAL);
    const std::vector<long> current = ReadLongs(m_display, m_root, m_currentDesktop, XA_CARDINAL);
    const size_t at = current.empty() ? 0 : size_t(std::max(current.front(), 0L)) * 4;
    if (at + 4 <= areas.size()) {
        const RECT work{int32_t(areas[at]), int32_t(areas[at + 1]), int32_t(areas[at] + areas[at + 2]),
                        int32_t(areas[at + 1] + areas[at + 3])};
        for (tDisplay& display : displays)
            display.work = Intersection(display.bounds, work);
    }
    return displays;
}

}  // namespace w32::sdl
