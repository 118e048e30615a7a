#include "platform/sdl/X11Desktop.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
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

RECT Intersection(const RECT& a, const RECT& b)
{
    const RECT both{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                    std::min(a.bottom, b.bottom)};
    return both.left < both.right && both.top < both.bottom ? both : a;
}

void AddOnce(std::vector<unsigned long>* list, unsigned long item)
{
    if (std::find(list->begin(), list->end(), item) == list->end())
        list->push_back(item);
}

// The decorations field of _MOTIF_WM_HINTS, which window managers read for a frame or none.
constexpr long kMotifHintsDecorations = 1L << 1;

}  // namespace

std::unique_ptr<CX11Desktop> CX11Desktop::Open(SDL_Window* window)
{
    Display* display = nullptr;
    unsigned long xwindow = 0;
    return SdlX11Window(window, &display, &xwindow) ? std::unique_ptr<CX11Desktop>(new CX11Desktop(display))
                                                     : nullptr;
}

CX11Desktop::CX11Desktop(Display* display) : m_display(display), m_root(DefaultRootWindow(display))
{
    const char* names[] = {"_NET_WM_STATE",           "_NET_WM_STATE_FULLSCREEN", "_NET_WM_STATE_MAXIMIZED_VERT",
                           "_NET_WM_STATE_MAXIMIZED_HORZ", "_NET_SUPPORTING_WM_CHECK", "_NET_WORKAREA",
                           "_NET_CURRENT_DESKTOP",    "_MOTIF_WM_HINTS"};
    Atom atoms[std::size(names)] = {};
    XInternAtoms(display, const_cast<char**>(names), int(std::size(names)), False, atoms);
    m_atoms = tAtoms{atoms[0], atoms[1], atoms[2], atoms[3], atoms[4], atoms[5], atoms[6], atoms[7]};
    int error = 0;
    if (!XRRQueryExtension(display, &m_randrEvent, &error))
        m_randrEvent = -1;
    SelectRootEvents();
}

unsigned long CX11Desktop::WindowOf(SDL_Window* window)
{
    Display* display = nullptr;
    unsigned long xwindow = 0;
    return SdlX11Window(window, &display, &xwindow) ? xwindow : 0;
}

// SDL selects the root's property changes (the work area among them) anew for each window it
// makes, in place of what was selected before: the root's size and its monitors are added again.
void CX11Desktop::SelectRootEvents()
{
    XWindowAttributes root;
    if (XGetWindowAttributes(m_display, m_root, &root))
        XSelectInput(m_display, m_root, root.your_event_mask | StructureNotifyMask | PropertyChangeMask);
    if (m_randrEvent >= 0)
        XRRSelectInput(m_display, m_root, RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
    XFlush(m_display);
}

void CX11Desktop::Watch(unsigned long window)
{
    SelectRootEvents();
    // The window's place is that of its client area, whatever frame the manager draws round it:
    // a manager that keeps a frame's extents while it draws none (herbstluftwm, in full screen)
    // cannot misplace it, nor one that takes a move for the client's own (herbstluftwm, i3).
    XSizeHints* hints = XAllocSizeHints();
    if (hints) {
        long supplied = 0;
        XGetWMNormalHints(m_display, window, hints, &supplied);
        hints->flags |= PWinGravity;
        hints->win_gravity = StaticGravity;
        XSetWMNormalHints(m_display, window, hints);
        XFree(hints);
    }
    XFlush(m_display);
    std::lock_guard<std::mutex> guard(m_lock);
    AddOnce(&m_watched, window);
}

void CX11Desktop::Note(const SDL_SysWMEvent& wm)
{
    if (!wm.msg || wm.msg->subsystem != SDL_SYSWM_X11)
        return;
    XEvent event = wm.msg->msg.x11.event;
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_randrEvent >= 0 && event.type >= m_randrEvent && event.type <= m_randrEvent + RRNotify) {
        XRRUpdateConfiguration(&event);
        m_changes.screen = true;
    } else if (event.type == ConfigureNotify && event.xconfigure.window == m_root) {
        XRRUpdateConfiguration(&event);
        m_rootResized = m_changes.screen = true;
    } else if (event.type == PropertyNotify && event.xproperty.window == m_root) {
        if (event.xproperty.atom == m_atoms.netWorkarea || event.xproperty.atom == m_atoms.netCurrentDesktop)
            m_changes.screen = true;
    } else if (event.type == PropertyNotify && event.xproperty.atom == m_atoms.netWmState &&
               std::find(m_watched.begin(), m_watched.end(), event.xproperty.window) != m_watched.end()) {
        AddOnce(&m_changes.windows, event.xproperty.window);
    } else if (event.type == ConfigureNotify &&
               std::find(m_watched.begin(), m_watched.end(), event.xconfigure.window) != m_watched.end()) {
        AddOnce(&m_changes.configured, event.xconfigure.window);
    } else if (event.type == DestroyNotify) {
        std::erase(m_watched, event.xdestroywindow.window);
    }
}

CX11Desktop::tChanges CX11Desktop::TakeChanges()
{
    tChanges changes;
    bool resized = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        std::swap(changes, m_changes);
        resized = std::exchange(m_rootResized, false);
        if (changes.screen)
            m_displays.clear();
    }
    // A server may change the screen's size without reading its outputs again (a nested server
    // whose window was resized): asking for them makes it, and it then tells every client, the
    // window manager among them, of the new monitors.
    if (resized && m_randrEvent >= 0)
        XRRFreeScreenResources(XRRGetScreenResources(m_display, m_root));
    return changes;
}

tWmMode CX11Desktop::ReadMode(unsigned long window)
{
    const std::vector<long> states = ReadLongs(m_display, window, m_atoms.netWmState, XA_ATOM);
    const auto has = [&](unsigned long atom) {
        return std::find(states.begin(), states.end(), long(atom)) != states.end();
    };
    if (has(m_atoms.netWmStateFullscreen))
        return tWmMode::kFullScreen;
    return has(m_atoms.netWmStateMaximizedVert) && has(m_atoms.netWmStateMaximizedHorz) ? tWmMode::kMaximised
                                                                                         : tWmMode::kNormal;
}

bool CX11Desktop::CanTakeFocus(unsigned long window)
{
    XWindowAttributes attributes;
    return XGetWindowAttributes(m_display, window, &attributes) && attributes.map_state == IsViewable;
}

bool CX11Desktop::HasWindowManager()
{
    const std::vector<long> manager = ReadLongs(m_display, m_root, m_atoms.netSupportingWmCheck, XA_WINDOW);
    if (manager.empty())
        return false;
    // A manager that ended leaves the root's mark behind; its own window says it still runs.
    const std::vector<long> own = ReadLongs(m_display, Window(manager.front()), m_atoms.netSupportingWmCheck, XA_WINDOW);
    return !own.empty() && own.front() == manager.front();
}

void CX11Desktop::AskFullScreen(unsigned long window, bool fullScreen, bool shown)
{
    // Without a window manager the window's state would keep a wish nobody reads.
    if (shown && HasWindowManager()) {
        SendState(window, fullScreen, m_atoms.netWmStateFullscreen, None);
        if (!fullScreen)
            SendState(window, false, m_atoms.netWmStateMaximizedVert, m_atoms.netWmStateMaximizedHorz);
    } else {
        std::vector<long> states = ReadLongs(m_display, window, m_atoms.netWmState, XA_ATOM);
        std::erase_if(states, [&](long atom) {
            return atom == long(m_atoms.netWmStateFullscreen) || atom == long(m_atoms.netWmStateMaximizedVert) ||
                   atom == long(m_atoms.netWmStateMaximizedHorz);
        });
        if (fullScreen)
            states.push_back(long(m_atoms.netWmStateFullscreen));
        XChangeProperty(m_display, window, m_atoms.netWmState, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(states.data()), int(states.size()));
    }
    XFlush(m_display);
}

void CX11Desktop::AskUnmaximised(unsigned long window)
{
    SendState(window, false, m_atoms.netWmStateMaximizedVert, m_atoms.netWmStateMaximizedHorz);
    XFlush(m_display);
}

void CX11Desktop::SetFramed(unsigned long window, bool framed)
{
    // Flags, functions, decorations, input mode, status.
    const long hints[5] = {kMotifHintsDecorations, 0, framed ? 1 : 0, 0, 0};
    XChangeProperty(m_display, window, m_atoms.motifWmHints, m_atoms.motifWmHints, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(hints), 5);
    XFlush(m_display);
}

void CX11Desktop::SetSizeHints(unsigned long window, const RECT& client, bool resizable)
{
    const int width = std::max<int>(client.right - client.left, 1), height = std::max<int>(client.bottom - client.top, 1);
    if (XSizeHints* hints = XAllocSizeHints()) {
        long supplied = 0;
        XGetWMNormalHints(m_display, window, hints, &supplied);
        if (resizable) {
            hints->flags &= ~(PMinSize | PMaxSize);
        } else {
            hints->flags |= PMinSize | PMaxSize;
            hints->min_width = hints->max_width = width;
            hints->min_height = hints->max_height = height;
        }
        XSetWMNormalHints(m_display, window, hints);
        XFree(hints);
    }
}

void CX11Desktop::Place(unsigned long window, const RECT& client, bool resizable)
{
    const int width = std::max<int>(client.right - client.left, 1), height = std::max<int>(client.bottom - client.top, 1);
    // A window the user may not size keeps the size it is given: the manager is told so first.
    SetSizeHints(window, client, resizable);
    // The window's own border is the frame a manager that does not reparent draws (bspwm): the
    // place asked is that of the border's outer corner.
    XWindowAttributes attributes;
    const int border = XGetWindowAttributes(m_display, window, &attributes) ? attributes.border_width : 0;
    XMoveResizeWindow(m_display, window, int(client.left) - border, int(client.top) - border, unsigned(width),
                      unsigned(height));
    XFlush(m_display);
}

RECT CX11Desktop::ReadClient(unsigned long window)
{
    XWindowAttributes attributes;
    int x = 0, y = 0;
    Window child = None;
    if (!XGetWindowAttributes(m_display, window, &attributes) ||
        !XTranslateCoordinates(m_display, window, m_root, 0, 0, &x, &y, &child))
        return RECT{};
    return RECT{x, y, x + attributes.width, y + attributes.height};
}

void CX11Desktop::SendState(unsigned long window, bool add, unsigned long first, unsigned long second)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = m_atoms.netWmState;
    event.xclient.format = 32;
    event.xclient.data.l[0] = add ? 1 : 0;  // _NET_WM_STATE_ADD, _NET_WM_STATE_REMOVE
    event.xclient.data.l[1] = long(first);
    event.xclient.data.l[2] = long(second);
    event.xclient.data.l[3] = 1;  // from an application
    XSendEvent(m_display, m_root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
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
    const std::vector<long> areas = ReadLongs(m_display, m_root, m_atoms.netWorkarea, XA_CARDINAL);
    const std::vector<long> current = ReadLongs(m_display, m_root, m_atoms.netCurrentDesktop, XA_CARDINAL);
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
