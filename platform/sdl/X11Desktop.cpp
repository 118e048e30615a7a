#include "platform/sdl/X11Desktop.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <poll.h>

#include <algorithm>

#include "platform/InputState.h"
#include "platform/Messages.h"
#include "platform/QueueInternal.h"
#include "platform/Window.h"
#include "platform/WindowTable.h"
#include "platform/sdl/DisplayCover.h"
#include "platform/sdl/FramePlacement.h"
#include "platform/sdl/X11Event.h"
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

bool IsEmpty(const RECT& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

// The decorations field of _MOTIF_WM_HINTS, which window managers read for a frame or none.
constexpr long kMotifHintsDecorations = 1L << 1;

// How long a full-screen window's other size waits for the manager's word on its mode.
constexpr uint64_t kSizeHeldMs = 250;

// Milliseconds from `since` to `now`, none where `since` came later: a change the tick itself
// made is younger than the tick's own time.
uint64_t Since(uint64_t since, uint64_t now)
{
    return now > since ? now - since : 0;
}

tWmAsk WmAsk(const tNativeWindowState& state, bool fullScreen)
{
    if (fullScreen)
        return tWmAsk::kFullScreen;
    return (state.style & WS_MAXIMIZE) ? tWmAsk::kWorkArea : tWmAsk::kWindow;
}

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
                           "_NET_CURRENT_DESKTOP",    "_NET_FRAME_EXTENTS",       "_MOTIF_WM_HINTS"};
    Atom atoms[std::size(names)] = {};
    XInternAtoms(display, const_cast<char**>(names), int(std::size(names)), False, atoms);
    m_atoms = tAtoms{atoms[0], atoms[1], atoms[2], atoms[3], atoms[4], atoms[5], atoms[6], atoms[7], atoms[8]};
    int error = 0;
    if (!XRRQueryExtension(display, &m_randrEvent, &error))
        m_randrEvent = -1;
    SelectRootEvents();
    ReadManager();
}

unsigned long CX11Desktop::WindowOf(SDL_Window* window)
{
    Display* display = nullptr;
    unsigned long xwindow = 0;
    return SdlX11Window(window, &display, &xwindow) ? xwindow : 0;
}

// SDL selects the root's property changes (the work area among them) anew for each window it
// makes, in place of what was selected before: the root's size and its monitors are added again,
// and its focus changes, which tell when the keyboard fell back to it.
void CX11Desktop::SelectRootEvents()
{
    XWindowAttributes root;
    if (XGetWindowAttributes(m_display, m_root, &root))
        XSelectInput(m_display, m_root,
                     root.your_event_mask | StructureNotifyMask | PropertyChangeMask | FocusChangeMask);
    if (m_randrEvent >= 0)
        XRRSelectInput(m_display, m_root, RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
    XFlush(m_display);
}

// A manager that follows the desktop conventions marks the root with a window of its own, which
// marks itself the same way; one that ended leaves the root's mark behind, its window gone. The
// window's end is heard of, so that this is read again only when the mark or the window changes.
void CX11Desktop::ReadManager()
{
    const std::vector<long> mark = ReadLongs(m_display, m_root, m_atoms.netSupportingWmCheck, XA_WINDOW);
    m_managerWindow = mark.empty() ? 0 : Window(mark.front());
    const std::vector<long> own =
        m_managerWindow ? ReadLongs(m_display, m_managerWindow, m_atoms.netSupportingWmCheck, XA_WINDOW)
                        : std::vector<long>{};
    m_managed = !own.empty() && Window(own.front()) == m_managerWindow;
    if (m_managed)
        XSelectInput(m_display, m_managerWindow, StructureNotifyMask);
    XFlush(m_display);
}

CX11Desktop::tWatched* CX11Desktop::Find(HWND window)
{
    for (tWatched& watched : m_watched)
        if (watched.window == window)
            return &watched;
    return nullptr;
}

CX11Desktop::tWatched* CX11Desktop::FindX(unsigned long xwindow)
{
    for (tWatched& watched : m_watched)
        if (watched.xwindow == xwindow)
            return &watched;
    return nullptr;
}

void CX11Desktop::Watch(HWND window, unsigned long xwindow, const tNativeWindowState& state)
{
    SelectRootEvents();
    // The window's place is that of its client area, whatever frame the manager draws round it:
    // a manager that keeps a frame's extents while it draws none (herbstluftwm, in full screen)
    // cannot misplace it, nor one that takes a move for the client's own (herbstluftwm, i3).
    if (XSizeHints* hints = XAllocSizeHints()) {
        long supplied = 0;
        XGetWMNormalHints(m_display, xwindow, hints, &supplied);
        hints->flags |= PWinGravity;
        hints->win_gravity = StaticGravity;
        XSetWMNormalHints(m_display, xwindow, hints);
        XFree(hints);
    }
    tWatched watched;
    watched.window = window;
    watched.xwindow = xwindow;
    watched.placement.SetFramed((state.style & WS_CAPTION) != 0);
    watched.resizable = (state.style & WS_THICKFRAME) != 0;
    watched.placement.Ask(state.client);
    watched.modes = CWmModeTracker(ReadMode(xwindow));
    watched.client = ReadClient(xwindow);
    const bool fullScreen = FillsDisplay(state, ReadDisplays());
    (void)watched.modes.Ask(WmAsk(state, fullScreen), SDL_GetTicks64());
    // A window manager is asked for full screen once the window is shown (Shown): with the
    // wish in the window's state as it is shown, one passes it over (bspwm), another keeps the
    // window at its own size (awesome).
    watched.fullScreenToAsk = fullScreen;
    m_watched.push_back(watched);
    if (fullScreen && !m_managed)
        AskFullScreen(xwindow, true, false);
    XFlush(m_display);
}

void CX11Desktop::Forget(HWND window)
{
    std::erase_if(m_watched, [&](const tWatched& watched) { return watched.window == window; });
}

// The frame, the size the window may take and the manager's mode are asked before the place:
// a manager that takes full screen away puts the window back at a size it may take (dwm). The
// frame comes before full screen is left: a manager may take a window without one that covers
// the screen for full screen still (mutter and metacity, by their rule for older programs).
void CX11Desktop::Ask(HWND window, const tNativeWindowState& before, const tNativeWindowState& state)
{
    tWatched* watched = Find(window);
    if (!watched)
        return;
    const unsigned long xwindow = watched->xwindow;
    // An update that changes neither the style nor a place the server gave the window follows the
    // server: a window that covers a display is full screen, else what was asked stays asked (a
    // manager resizes a full-screen window before it says it took full screen away, herbstluftwm).
    const bool follows = state.style == before.style &&
                         (SameRect(state.client, before.client) || SameRect(state.client, watched->client));
    const tWmAsk covers = WmAsk(state, FillsDisplay(state, ReadDisplays()));
    const tWmAsk ask = follows && covers != tWmAsk::kFullScreen ? watched->modes.Asked() : covers;
    const CWmModeTracker::tRequests requests = watched->modes.Ask(ask, SDL_GetTicks64());
    const bool resizable = (state.style & WS_THICKFRAME) != 0;
    if ((state.style ^ before.style) & WS_CAPTION)
        SetFramed(xwindow, (state.style & WS_CAPTION) != 0);
    const bool placed = !SameRect(state.client, before.client) || ((state.style ^ before.style) & WS_THICKFRAME);
    // A window manager covers the display with a full-screen window itself, at a size of its
    // own: a size the window kept from before would keep it from the display (awesome adds its
    // bar's height to it, and restores a window it takes full screen away from at that size).
    if (placed && ask == tWmAsk::kFullScreen && m_managed)
        SetSizeHints(xwindow, state.client, true);
    // The window is the program's to place, but where the update follows the server. The
    // manager's answer to a placement is looked at even where the server has the window there
    // already when the manager is asked to change the window's mode too, as it may move it yet
    // (pekwm puts a window back where it stood before full screen). A window the manager is to
    // cover the display with is its own to place.
    const bool own = placed && !(ask == tWmAsk::kFullScreen && m_managed) && !follows;
    CPlacementJudge& placement = watched->placement;
    watched->resizable = resizable;
    placement.SetFramed((state.style & WS_CAPTION) != 0);
    if (!follows)
        placement.Ask(state.client);
    if (own)
        PlaceFitted(*watched, state.client);
    else if (ask == tWmAsk::kFullScreen)
        placement.LeaveToManager();
    if (requests.leaveFullScreen)
        AskFullScreen(xwindow, false, before.visible);
    else if (requests.unmaximise)
        AskUnmaximised(xwindow);
    const bool moves = own && !SameRect(placement.Placed(), watched->client);
    if (moves)
        Place(*watched, placement.Placed());
    if (own && (moves || requests.leaveFullScreen || requests.unmaximise))
        placement.Await(SDL_GetTicks64());
    watched->fullScreenToAsk = ask == tWmAsk::kFullScreen && (watched->fullScreenToAsk || requests.fullScreen);
    XFlush(m_display);
}

void CX11Desktop::Shown(HWND window, const tNativeWindowState& state, bool appeared)
{
    tWatched* watched = Find(window);
    if (!watched)
        return;
    watched->visible = state.visible;
    if (appeared)
        watched->modes.Shown(SDL_GetTicks64());
    if (watched->fullScreenToAsk && (state.visible || !m_managed)) {
        watched->fullScreenToAsk = false;
        AskFullScreen(watched->xwindow, true, state.visible);
        XFlush(m_display);
    }
}

// The frame a manager draws is known once it drew it: a framed window is placed by what it drew
// last.
void CX11Desktop::PlaceFitted(tWatched& watched, const RECT& client)
{
    tDisplay display{client, client};
    (void)windows::DisplayOf(client, &display);
    watched.placement.Own(client, display.work);
}

bool CX11Desktop::HasEventsWaiting() const
{
    if (XQLength(m_display) > 0)
        return true;
    pollfd connection{ConnectionNumber(m_display), POLLIN, 0};
    return poll(&connection, 1, 0) > 0;
}

bool CX11Desktop::IsRandrEvent(int type) const
{
    return m_randrEvent >= 0 && type >= m_randrEvent && type <= m_randrEvent + RRNotify;
}

bool CX11Desktop::Keeps(const SDL_SysWMEvent& wm)
{
    if (!wm.msg || wm.msg->subsystem != SDL_SYSWM_X11)
        return false;
    // Those of other programs' windows, which a dialog's hold hears of too, are not kept.
    const XEvent& event = wm.msg->msg.x11.event;
    const auto ours = [&](unsigned long window) { return window == m_root || FindX(window); };
    switch (event.type) {
    case ConfigureNotify:
        return ours(event.xconfigure.window);
    case PropertyNotify:
        return ours(event.xproperty.window);
    case DestroyNotify:
        return m_managerWindow && event.xdestroywindow.window == m_managerWindow;
    default:
        return IsRandrEvent(event.type);
    }
}

// The event is copied first: what follows it may have SDL read its connection again, which
// takes back the message it handed on.
void CX11Desktop::Handle(const SDL_SysWMEvent& wm)
{
    if (!wm.msg || wm.msg->subsystem != SDL_SYSWM_X11)
        return;
    const XEvent event = wm.msg->msg.x11.event;
    if (event.xany.window == m_root || IsRandrEvent(event.type)) {
        HandleRootEvent(event);
    } else if (event.type == DestroyNotify && m_managerWindow && event.xdestroywindow.window == m_managerWindow) {
        // The manager ended: its window, which the root's mark still names, is asked nothing.
        m_managerWindow = 0;
        m_managed = false;
    } else if (tWatched* watched = FindX(event.xany.window)) {
        HandleWindowEvent(*watched, wm, event);
    }
}

void CX11Desktop::HandleRootEvent(const XEvent& event)
{
    XEvent copy = event;
    if (IsRandrEvent(event.type)) {
        XRRUpdateConfiguration(&copy);
        ScreenChanged();
    } else if (event.type == ConfigureNotify && event.xconfigure.window == m_root) {
        XRRUpdateConfiguration(&copy);
        // A server may change the screen's size without reading its outputs again (a nested
        // server whose window was resized): asking for them makes it, and it then tells every
        // client, the window manager among them, of the new monitors.
        if (m_randrEvent >= 0)
            XRRFreeScreenResources(XRRGetScreenResources(m_display, m_root));
        ScreenChanged();
    } else if (event.type == PropertyNotify) {
        const Atom atom = event.xproperty.atom;
        if (atom == m_atoms.netWorkarea || atom == m_atoms.netCurrentDesktop)
            ScreenChanged();
        else if (atom == m_atoms.netSupportingWmCheck)
            ReadManager();
    }
}

void CX11Desktop::ScreenChanged()
{
    {
        std::lock_guard<std::mutex> guard(m_displaysLock);
        m_displays.clear();
    }
    windows::NativeDisplaysChanged();
}

// A change the server or the manager tells of is the manager's answer to a placement asked,
// else the window's own. A pointer event in the window tells where the window is on the screen,
// in the order of the events around it: a window manager that moves the window's frame need not
// tell the window.
void CX11Desktop::HandleWindowEvent(tWatched& watched, const SDL_SysWMEvent& wm, const XEvent& event)
{
    const uint64_t now = SDL_GetTicks64();
    switch (event.type) {
    case PropertyNotify:
        if (event.xproperty.atom == m_atoms.netWmState) {
            watched.placement.Changed(now, false);
            Answer(watched, watched.modes.See(ReadMode(watched.xwindow), now,
                                              event.xproperty.serial >= watched.stateRequestSerial));
            if (watched.sizeHeld && watched.modes.Seen() != tWmMode::kFullScreen)
                TakeSize(watched);
        } else if (event.xproperty.atom == m_atoms.netFrameExtents) {
            watched.placement.Changed(now, false);
        }
        break;
    case ConfigureNotify:
        watched.placement.Changed(now, true);
        TakeGeometry(watched);
        break;
    default:
        if (const tX11Event pointer = ReadX11Event(wm); pointer.IsPointer() && !pointer.sent) {
            const LONG left = pointer.rootX - pointer.x, top = pointer.rootY - pointer.y;
            const RECT& c = watched.client;
            watched.client = RECT{left, top, left + c.right - c.left, top + c.bottom - c.top};
            windows::NativeMoved(watched.window, POINT{left, top});
        }
        break;
    }
}

// The window is where the server says, whether the window manager moved it on its own, did as
// asked, or refused (a tiling manager keeps its own place and size, and says so in an event of
// no change). The record takes the place at once: the input around it carries its own points in
// the window. A new size waits for the input that came before it, which is handled on the layout
// it was made on; a press in the window ends as the window changes under the pointer. A window
// the manager keeps full screen that it gives another size is on its way out of full screen: the
// size waits for the manager's word on the mode (or a quarter second), so that the window is never
// laid out as a maximised one of that size. The server is asked where the window is now, which a
// request the program made since the event may have changed already; of a run of changes waiting
// together (a manager's drag sends one a step), only the last asks.
void CX11Desktop::TakeGeometry(tWatched& watched)
{
    if (ConfigureWaiting(watched.xwindow))
        return;
    const RECT now = ReadClient(watched.xwindow);
    if (IsEmpty(now))
        return;
    watched.client = now;
    watched.placement.At(now);
    windows::NativeMoved(watched.window, POINT{now.left, now.top});
    RECT record{};
    if (!GetClientRect(watched.window, &record) ||
        (record.right == now.right - now.left && record.bottom == now.bottom - now.top))
        return;
    tDisplay display{now, now};
    (void)windows::DisplayOf(now, &display);
    const RECT& bounds = display.bounds;
    if (watched.modes.Seen() == tWmMode::kFullScreen &&
        (now.right - now.left != bounds.right - bounds.left || now.bottom - now.top != bounds.bottom - bounds.top)) {
        watched.sizeHeldSince = SDL_GetTicks64();
        watched.sizeHeldAfterRequest = watched.stateRequestSerial;
        watched.sizeHeld = true;
        return;
    }
    TakeSize(watched);
}

// Whether a later change of the window's place or size waits in SDL's queue.
bool CX11Desktop::ConfigureWaiting(unsigned long xwindow)
{
    SDL_Event waiting[64];
    const int count = SDL_PeepEvents(waiting, int(std::size(waiting)), SDL_PEEKEVENT, SDL_SYSWMEVENT, SDL_SYSWMEVENT);
    for (int i = 0; i < count; ++i) {
        const SDL_SysWMmsg* message = waiting[i].syswm.msg;
        if (message && message->subsystem == SDL_SYSWM_X11 && message->msg.x11.event.type == ConfigureNotify &&
            message->msg.x11.event.xconfigure.window == xwindow)
            return true;
    }
    return false;
}

// The record takes the window's size as the server has it once the input before has been handled.
// A size that came before the program asked the manager for full screen anew (a window with no
// room for a frame keeps full screen as the manager takes it away) is not taken: the manager's
// answer brings the size, and a full-screen window laid out at the other one would ask the manager
// to leave full screen once more.
void CX11Desktop::TakeSize(tWatched& watched)
{
    const unsigned long askedBefore = watched.sizeHeld ? watched.sizeHeldAfterRequest : watched.stateRequestSerial;
    watched.sizeHeld = false;
    const HWND window = watched.window;
    input::EndPressesOf(window);
    queue::AfterQueuedInput(window, [this, window, askedBefore] {
        const tWatched* now = Find(window);
        if (!now || IsEmpty(now->client) ||
            (now->stateRequestSerial != askedBefore && now->modes.Asked() == tWmAsk::kFullScreen))
            return;
        windows::NativeResized(window, now->client.right - now->client.left, now->client.bottom - now->client.top);
    });
}

// What waits for the manager to have done is looked at once its events have stopped: the answer to
// a placement, then whether a window the program covers the display with still does. Neither is
// judged while the window is minimised, nor while the manager has yet to show the mode asked:
// they wait for it.
void CX11Desktop::Tick()
{
    const uint64_t now = SDL_GetTicks64();
    // A pump step comes with every message taken: nothing is asked while nothing is due.
    for (tWatched& watched : m_watched) {
        if (watched.sizeHeld && Since(watched.sizeHeldSince, now) >= kSizeHeldMs)
            TakeSize(watched);
        if (!watched.visible)
            continue;
        Answer(watched, watched.modes.Tick(now));
        if (watched.placement.AnswerDue(now) && !watched.modes.Settling())
            JudgePlacement(watched, now);
        if (watched.placement.CoverDue(now) && !watched.sizeHeld)
            CheckCover(watched, now);
    }
}

void CX11Desktop::Restored(HWND window)
{
    if (tWatched* watched = Find(window); watched && !watched->modes.Settling())
        Answer(*watched, watched->modes.ToFollow());
}

// A change of the window's mode that the window manager made on its own ends a press in the
// window, as the window changes under the pointer: the stroke goes no further than the hand
// went. The window then takes the manager's mode, once the input that came before, the end of
// the press among it, has been handled where the window was.
void CX11Desktop::Answer(tWatched& watched, CWmModeTracker::tAnswer answer)
{
    const HWND window = watched.window;
    switch (answer) {
    case CWmModeTracker::tAnswer::kFullScreen:
    case CWmModeTracker::tAnswer::kMaximised:
    case CWmModeTracker::tAnswer::kRestored:
        input::EndPressesOf(window);
        queue::AfterQueuedInput(window, [this, window] { TakeManagersMode(window); });
        break;
    case CWmModeTracker::tAnswer::kTakeMaximiseAway:
        AskUnmaximised(watched.xwindow);
        XFlush(m_display);
        break;
    default:
        break;
    }
}

// What the manager's mode makes of the window is read as the change is made, from the mode the
// manager shows and the mode the program asked then, whatever came between: a window the manager
// minimised follows once it is back.
void CX11Desktop::TakeManagersMode(HWND window)
{
    tWatched* watched = Find(window);
    const DWORD style = DWORD(GetWindowLongW(window, GWL_STYLE));
    if (!watched || (style & WS_MINIMIZE))
        return;
    watched->modes.Followed();
    switch (const CWmModeTracker::tAnswer answer = watched->modes.ToFollow()) {
    case CWmModeTracker::tAnswer::kFullScreen:
    case CWmModeTracker::tAnswer::kMaximised: {
        tDisplay display{watched->client, watched->client};
        (void)windows::DisplayOf(watched->client, &display);
        windows::NativeZoomed(window, answer == CWmModeTracker::tAnswer::kFullScreen ? display.bounds : display.work);
        break;
    }
    case CWmModeTracker::tAnswer::kRestored:
        if (style & WS_MAXIMIZE) {
            windows::NativeShowState(window, SIZE_RESTORED);
            KeepFullScreen(window);
        }
        break;
    default:
        break;
    }
}

// A window that has no room for its frame on the display stays full screen when the manager takes
// full screen away: the manager is asked for it anew, or the window would be left where the manager
// puts it, without a frame, and the program would ask for nothing more.
void CX11Desktop::KeepFullScreen(HWND window)
{
    tWatched* watched = Find(window);
    if (!watched || !m_managed || !(GetWindowLongW(window, GWL_STYLE) & WS_MAXIMIZE) ||
        watched->modes.Asked() != tWmAsk::kFullScreen || watched->modes.Seen() == tWmMode::kFullScreen)
        return;
    const uint64_t now = SDL_GetTicks64();
    (void)watched->modes.Ask(tWmAsk::kWindow, now);
    if (watched->modes.Ask(tWmAsk::kFullScreen, now).fullScreen) {
        watched->placement.LeaveToManager();
        AskFullScreen(watched->xwindow, true, watched->visible);
        XFlush(m_display);
    }
}

// The window's cover is judged once the manager shows the mode asked and the window is back from
// a minimise.
void CX11Desktop::CheckCover(tWatched& watched, uint64_t now)
{
    const DWORD style = DWORD(GetWindowLongW(watched.window, GWL_STYLE));
    if (watched.modes.Settling() || (style & WS_MINIMIZE))
        return;
    CPlacementJudge& placement = watched.placement;
    tDisplay display{placement.Asked(), placement.Asked()};
    const bool onDisplay = windows::DisplayOf(placement.Asked(), &display);
    switch (placement.JudgeCover(watched.modes, m_managed, (style & WS_MAXIMIZE) != 0, watched.client,
                                 onDisplay ? &display : nullptr, now)) {
    case CPlacementJudge::tCover::kFullScreenAgain:
        (void)watched.modes.Ask(tWmAsk::kWindow, now);
        (void)watched.modes.Ask(tWmAsk::kFullScreen, now);
        SendState(watched.xwindow, false, m_atoms.netWmStateFullscreen, None);
        SendState(watched.xwindow, true, m_atoms.netWmStateFullscreen, None);
        XFlush(m_display);
        break;
    case CPlacementJudge::tCover::kPlaceAgain:
        Place(watched, placement.Placed());
        XFlush(m_display);
        break;
    case CPlacementJudge::tCover::kRestore: {
        const HWND window = watched.window;
        input::EndPressesOf(window);
        queue::AfterQueuedInput(window, [window] {
            if ((GetWindowLongW(window, GWL_STYLE) & (WS_MAXIMIZE | WS_MINIMIZE)) == WS_MAXIMIZE)
                windows::NativeShowState(window, SIZE_RESTORED);
        });
        break;
    }
    default:
        break;
    }
}

// The manager's answer to a placement of a framed window, once it has shown the mode asked and
// its events have stopped.
void CX11Desktop::JudgePlacement(tWatched& watched, uint64_t now)
{
    const RECT client = ReadClient(watched.xwindow);
    tDisplay display{client, client};
    const bool onDisplay = !IsEmpty(client) && windows::DisplayOf(client, &display);
    const CPlacementJudge::tPlacement placement =
        watched.placement.JudgeAnswer(watched.modes.Seen(), ReadFrame(watched), client, onDisplay ? &display.work : nullptr, now);
    if (!placement.place)
        return;
    Place(watched, placement.client, placement.shift, placement.move);
    XFlush(m_display);
}

// The frame as the manager says it drew it, else as its frame window shows it: the top-level
// window that holds the client, or the client's own border where the manager does not reparent.
tFrameExtents CX11Desktop::ReadFrame(const tWatched& watched)
{
    const std::vector<long> extents = ReadLongs(m_display, watched.xwindow, m_atoms.netFrameExtents, XA_CARDINAL);
    if (extents.size() >= 4 && (extents[0] || extents[1] || extents[2] || extents[3]))
        return tFrameExtents{extents[0], extents[1], extents[2], extents[3]};
    Window top = watched.xwindow;
    for (;;) {
        Window root = None, parent = None;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(m_display, top, &root, &parent, &children, &count))
            return tFrameExtents{};
        if (children)
            XFree(children);
        if (parent == root || parent == None)
            break;
        top = parent;
    }
    XWindowAttributes attributes;
    int x = 0, y = 0;
    Window child = None;
    if (!XGetWindowAttributes(m_display, top, &attributes) ||
        !XTranslateCoordinates(m_display, top, m_root, -attributes.border_width, -attributes.border_width, &x, &y,
                               &child))
        return tFrameExtents{};
    const RECT& c = watched.client;
    const long right = x + attributes.width + 2 * attributes.border_width, bottom = y + attributes.height + 2 * attributes.border_width;
    return tFrameExtents{std::max<long>(c.left - x, 0), std::max<long>(right - c.right, 0), std::max<long>(c.top - y, 0),
                  std::max<long>(bottom - c.bottom, 0)};
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

bool CX11Desktop::CanTakeFocus(HWND window)
{
    const tWatched* watched = Find(window);
    XWindowAttributes attributes;
    return watched && XGetWindowAttributes(m_display, watched->xwindow, &attributes) &&
           attributes.map_state == IsViewable;
}

void CX11Desktop::AskFullScreen(unsigned long window, bool fullScreen, bool shown)
{
    // Without a window manager the window's state would keep a wish nobody reads.
    if (shown && m_managed) {
        SendState(window, fullScreen, m_atoms.netWmStateFullscreen, None);
        if (!fullScreen)
            AskUnmaximised(window);
        return;
    }
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

// Only a maximise the window has is asked away, one direction at a time: pekwm takes a request to
// remove a maximise the window does not have for one to add it.
void CX11Desktop::AskUnmaximised(unsigned long window)
{
    const std::vector<long> states = ReadLongs(m_display, window, m_atoms.netWmState, XA_ATOM);
    for (const unsigned long atom : {m_atoms.netWmStateMaximizedVert, m_atoms.netWmStateMaximizedHorz})
        if (std::find(states.begin(), states.end(), long(atom)) != states.end())
            SendState(window, false, atom, None);
}

void CX11Desktop::SetFramed(unsigned long window, bool framed)
{
    // Flags, functions, decorations, input mode, status.
    const long hints[5] = {kMotifHintsDecorations, 0, framed ? 1 : 0, 0, 0};
    XChangeProperty(m_display, window, m_atoms.motifWmHints, m_atoms.motifWmHints, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(hints), 5);
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

// The window's own border is the frame a manager that does not reparent draws (bspwm): the place
// asked is that of the border's outer corner, less `shift` where the manager places the frame
// where the client is asked; or its size alone. A window the user may not size keeps the size it
// is given: the manager is told so first.
void CX11Desktop::Place(tWatched& watched, const RECT& client, POINT shift, bool move)
{
    const unsigned long window = watched.xwindow;
    watched.placement.Requested(client);
    SetSizeHints(window, client, watched.resizable);
    const int width = std::max<int>(client.right - client.left, 1), height = std::max<int>(client.bottom - client.top, 1);
    if (!move) {
        XResizeWindow(m_display, window, unsigned(width), unsigned(height));
        return;
    }
    XWindowAttributes attributes;
    const int border = XGetWindowAttributes(m_display, window, &attributes) ? attributes.border_width : 0;
    XMoveResizeWindow(m_display, window, int(client.left - shift.x) - border, int(client.top - shift.y) - border,
                      unsigned(width), unsigned(height));
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
    // A change the manager makes once the server has taken the request comes in an event of this
    // request's serial or a later one.
    if (tWatched* watched = FindX(window))
        watched->stateRequestSerial = NextRequest(m_display);
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
    std::lock_guard<std::mutex> guard(m_displaysLock);
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
