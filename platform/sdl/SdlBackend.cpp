#include "platform/sdl/SdlBackend.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/DesktopInternal.h"
#include "platform/InputState.h"
#include "platform/Kernel.h"
#include "platform/MessageBox.h"
#include "platform/Messages.h"
#include "platform/QueueInternal.h"
#include "platform/TextCodec.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "platform/WindowTable.h"
#include "platform/sdl/DialogHold.h"
#include "platform/sdl/DisplayCover.h"
#include "platform/sdl/KeyTranslator.h"
#include "platform/sdl/SentReleases.h"
#include "platform/sdl/X11BoxWatch.h"
#include "platform/sdl/X11Connection.h"
#include "platform/sdl/X11Desktop.h"
#include "platform/sdl/X11Errors.h"
#include "platform/sdl/X11Event.h"
#include "platform/sdl/X11Pointer.h"
#include "platform/sdl/X11Screen.h"

namespace w32::sdl {
namespace {

struct tNative {
    SDL_Window* window = nullptr;
    // What the program asked of the window last.
    tNativeWindowState shown;
    std::vector<std::u16string> drops;
    // The X window, where the desktop is X11.
    unsigned long xwindow = 0;
};

int ButtonKey(Uint8 button)
{
    switch (button) {
    case SDL_BUTTON_LEFT:
        return VK_LBUTTON;
    case SDL_BUTTON_RIGHT:
        return VK_RBUTTON;
    case SDL_BUTTON_MIDDLE:
        return VK_MBUTTON;
    default:
        return 0;
    }
}

// X11's core pointer buttons are numbered as SDL's.
int SdlButton(int buttonKey)
{
    switch (buttonKey) {
    case VK_LBUTTON:
        return SDL_BUTTON_LEFT;
    case VK_RBUTTON:
        return SDL_BUTTON_RIGHT;
    case VK_MBUTTON:
        return SDL_BUTTON_MIDDLE;
    default:
        return 0;
    }
}

// Real windows, input, clipboard and boxes through SDL2. SDL's own key and button state does
// not follow events pushed into its queue, so the platform's table is kept by an event watch,
// which sees every event as it enters the queue. On X11 SDL also hands on the display's events,
// which tell the keyboard group of each key, where a button event happened on the screen, which
// button releases a client sent, and what the window manager and the X server changed.
class CSdlBackend : public CBackend {
public:
    CSdlBackend()
    {
        m_dummyVideo = std::strcmp(SDL_GetCurrentVideoDriver(), "dummy") == 0;
        m_onX11 = OnX11();
        if (m_onX11)
            SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
        SDL_SetEventFilter(FilterEvent, this);
        SDL_AddEventWatch(WatchEvent, this);
    }

    ~CSdlBackend() override
    {
        SDL_DelEventWatch(WatchEvent, this);
        SDL_SetEventFilter(nullptr, nullptr);
        for (auto& [window, native] : m_natives)
            SDL_DestroyWindow(native.window);
        m_desktop.reset();
        SDL_Quit();
    }

    // The heartbeat's posts wake the interface thread every 3 ms while the program runs; this
    // bounds the wait when nothing posts.
    DWORD GetPumpInterval() const override { return 10; }

    // Events already in SDL's queue (pushed ones among them) are taken every time.
    void PumpEvents() override
    {
        ReadDisplay();
        SDL_Event event;
        while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
            Translate(event);
        if (m_desktop)
            m_desktop->Tick();
    }

    void RefreshInput() override { ReadDisplay(); }

    // SDL takes a press for held until it reads a release, and passes over presses meanwhile: the
    // display is asked to send the window the release it will never get from the hand.
    void EndNativePress(HWND window, int buttonKey) override
    {
        tNative* native = Find(window);
        const int button = SdlButton(buttonKey);
        if (!native || !native->xwindow || !button)
            return;
        const unsigned long xwindow = native->xwindow;
        if (m_connection.Run([&](_XDisplay* display) { return SendX11ButtonRelease(display, xwindow, button); }))
            m_sentReleases.ReleaseSent(button);
    }

    bool CreateNativeWindow(HWND window, const tNativeWindowState& state) override
    {
        const RECT& r = state.client;
        Uint32 flags = SDL_WINDOW_HIDDEN;
        if (!(state.style & WS_CAPTION))
            flags |= SDL_WINDOW_BORDERLESS;
        if (state.style & WS_THICKFRAME)
            flags |= SDL_WINDOW_RESIZABLE;
        if (state.topmost)
            flags |= SDL_WINDOW_ALWAYS_ON_TOP;
        if (!m_onX11 && FillsDisplay(state, GetDisplays()))
            flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        SDL_Window* native = SDL_CreateWindow(ToAnsi(state.title).c_str(), r.left, r.top,
                                              std::max<int>(r.right - r.left, 1), std::max<int>(r.bottom - r.top, 1),
                                              flags);
        if (!native)
            return false;
        // The window's pixels go through a framebuffer of its size, which SDL makes on first
        // use: where memory is short it is never had, and the window would stay blank for good.
        if (!SDL_GetWindowSurface(native)) {
            SDL_DestroyWindow(native);
            return false;
        }
        if (m_onX11 && !m_desktop)
            m_desktop = CX11Desktop::Open(native);
        std::lock_guard<std::recursive_mutex> guard(m_lock);
        tNative& entry = m_natives[window];
        entry.window = native;
        entry.shown = state;
        entry.shown.visible = false;
        if (m_desktop && (entry.xwindow = CX11Desktop::WindowOf(native)))
            m_desktop->Watch(window, entry.xwindow, entry.shown);
        m_byId[SDL_GetWindowID(native)] = window;
        return true;
    }

    void UpdateNativeWindow(HWND window, const tNativeWindowState& state) override
    {
        tNative* native = Find(window);
        if (!native)
            return;
        if (state.title != native->shown.title)
            SDL_SetWindowTitle(native->window, ToAnsi(state.title).c_str());
        if (state.topmost != native->shown.topmost)
            SDL_SetWindowAlwaysOnTop(native->window, state.topmost ? SDL_TRUE : SDL_FALSE);
        if (native->xwindow)
            UpdateX11Window(window, *native, state);
        else
            UpdateSdlWindow(*native, state);
        native->shown = state;
    }

    void DestroyNativeWindow(HWND window) override
    {
        SDL_Window* native = nullptr;
        {
            std::lock_guard<std::recursive_mutex> guard(m_lock);
            const auto it = m_natives.find(window);
            if (it == m_natives.end())
                return;
            native = it->second.window;
            m_byId.erase(SDL_GetWindowID(native));
            m_natives.erase(it);
        }
        if (m_desktop)
            m_desktop->Forget(window);
        if (m_focusWanted == window)
            m_focusWanted = nullptr;
        if (m_hadKeyboard == window)
            m_hadKeyboard = nullptr;
        // Outside the lock: destroying sends events, and the event watch takes the lock.
        SDL_DestroyWindow(native);
    }

    void FocusNativeWindow(HWND window) override
    {
        if (tNative* native = Find(window)) {
            SDL_RaiseWindow(native->window);
            m_focusWanted = window;
            GiveWantedFocus();
        }
    }

    void Present(HWND window, const uint32_t* pixels, int32_t width, int32_t height, const RECT& rect) override
    {
        tNative* native = Find(window);
        SDL_Surface* surface = native ? SDL_GetWindowSurface(native->window) : nullptr;
        if (!surface)
            return;
        SDL_Rect area{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
        const SDL_Rect bounds{0, 0, std::min(width, surface->w), std::min(height, surface->h)};
        if (!SDL_IntersectRect(&area, &bounds, &area))
            return;
        auto* target = static_cast<uint8_t*>(surface->pixels) + size_t(area.y) * size_t(surface->pitch) +
                       size_t(area.x) * surface->format->BytesPerPixel;
        SDL_ConvertPixels(area.w, area.h, SDL_PIXELFORMAT_ARGB8888,
                          pixels + size_t(area.y) * size_t(width) + size_t(area.x), width * 4,
                          surface->format->format, target, surface->pitch);
        SDL_UpdateWindowSurfaceRects(native->window, &area, 1);
    }

    std::vector<tDisplay> GetDisplays() override
    {
        std::vector<tDisplay> displays = m_desktop ? m_desktop->ReadDisplays() : std::vector<tDisplay>{};
        if (!displays.empty())
            return displays;
        for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) {
            SDL_Rect bounds, usable;
            if (SDL_GetDisplayBounds(i, &bounds) != 0)
                continue;
            if (SDL_GetDisplayUsableBounds(i, &usable) != 0)
                usable = bounds;
            displays.push_back(tDisplay{RECT{bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h},
                                        RECT{usable.x, usable.y, usable.x + usable.w, usable.y + usable.h}});
        }
        return displays;
    }

    bool CaptureScreen(const RECT& area, uint32_t* pixels) override
    {
        return m_onX11 &&
               m_connection.Run([&](_XDisplay* display) { return CaptureX11Screen(display, area, pixels); });
    }

    // The window manager draws captions and frames outside the client area.
    int32_t GetDecorationMetric(int32_t) override { return 0; }
    bool AreButtonsSwapped() override { return false; }

    void SetPointerVisible(bool visible) override { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }
    bool WarpPointer(int32_t x, int32_t y) override { return SDL_WarpMouseGlobal(x, y) == 0; }

    bool SetClipboardText(const std::u16string& text) override
    {
        return SDL_SetClipboardText(ToAnsi(text).c_str()) == 0;
    }

    bool GetClipboardText(std::u16string* text) override
    {
        if (!SDL_HasClipboardText())
            return false;
        char* utf8 = SDL_GetClipboardText();
        if (!utf8)
            return false;
        *text = ToWide(utf8);
        SDL_free(utf8);
        return !text->empty();
    }

    int32_t ShowMessageBox(HWND owner, const std::u16string& text, const std::u16string& caption, UINT type) override
    {
        const std::string title = ToAnsi(caption), body = ToAnsi(text);
        // With no display SDL would start a helper program for the box; the text goes to the log.
        if (m_dummyVideo) {
            std::fprintf(stderr, "%s\n%s\n", title.c_str(), body.c_str());
            return IDOK;
        }
        // SDL's own box needs the X server's core fonts, which many desktops no longer install:
        // the desktop's dialog program shows it then, and the log only when there is none.
        // SDL shows its box from a process it forks and waits for, from the thread that made its
        // parent window as it asks. That process holds the program's connection too: it ends with
        // the thread, so that however the program ends the box and the program's windows leave
        // the screen with it. While SDL waits, a watch gives the box the keyboard and draws the
        // program's windows, and the hold drops what the hand did to them.
        const bool here = GetCurrentThreadId() == GetInterfaceThreadId();
        tNative* native = here ? Find(owner) : nullptr;
        SDL_Window* parent = native ? native->window : nullptr;
        std::unique_ptr<IDialogHold> hold = Hold(owner, false);
        std::unique_ptr<CX11BoxWatch> watch = hold && m_desktop ? WatchBox(parent) : nullptr;
        const bool shown = process::RunEndingForksWithUs(
            [&] {
                return SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, title.c_str(), body.c_str(), parent) == 0;
            },
            [&] {
                if (watch)
                    watch->Forked();
            });
        watch.reset();
        hold.reset();
        if (!shown && !desktop::RunDesktopMessageBox(caption, text, (type & MB_ICONERROR) != 0))
            std::fprintf(stderr, "%s\n%s\n", title.c_str(), body.c_str());
        return IDOK;
    }

    std::unique_ptr<IDialogHold> HoldForDialog(HWND owner) override { return Hold(owner, true); }

private:
    // SDL reads its connection on the interface thread alone.
    std::unique_ptr<IDialogHold> Hold(HWND owner, bool follow)
    {
        if (GetCurrentThreadId() != GetInterfaceThreadId())
            return nullptr;
        const tNative* native = Find(owner);
        const unsigned long ownerWindow = native ? native->xwindow : 0;
        const HWND focus = GetFocus();
        return std::make_unique<CDialogHold>(m_dialogHolds, SdlWindows(), ownerWindow,
                                             m_desktop && m_desktop->HasWindowManager(), follow, m_keys.Layout(),
                                             [this, focus] {
                                                 if (IsWindow(focus))
                                                     FocusNativeWindow(focus);
                                             });
    }

    std::unique_ptr<CX11BoxWatch> WatchBox(SDL_Window* parent)
    {
        return CX11BoxWatch::Make(SdlWindows(), parent ? CX11Desktop::WindowOf(parent) : 0,
                                  m_desktop->HasWindowManager());
    }

    std::vector<SDL_Window*> SdlWindows()
    {
        std::lock_guard<std::recursive_mutex> guard(m_lock);
        std::vector<SDL_Window*> windows;
        for (const auto& [window, native] : m_natives)
            windows.push_back(native.window);
        return windows;
    }

    // Without a window manager nobody else gives the window the keyboard; the X server refuses
    // it to a window not yet on the screen (a window manager maps the window in its own time).
    // A window manager is asked instead (SDL_RaiseWindow): one that saw the program take the
    // keyboard itself gives none to the program's dialogs that come next (fluxbox).
    void GiveWantedFocus()
    {
        tNative* native = Find(m_focusWanted);
        if (!native)
            return;
        if (native->xwindow && !m_desktop->CanTakeFocus(m_focusWanted))
            return;
        m_focusWanted = nullptr;
        if (!native->xwindow || !m_desktop->HasWindowManager())
            SDL_SetWindowInputFocus(native->window);
    }

    // A window that lost the keyboard to another program's window is not the one that had it: a
    // manager that ends lets that program's keyboard fall to the root too.
    void KeyboardLeft(HWND window)
    {
        if (!m_desktop || window != m_hadKeyboard)
            return;
        const unsigned long manager = m_desktop->ManagerWindow();
        if (m_connection.Run([&](_XDisplay* display) { return X11KeyboardWentElsewhere(display, manager); }))
            m_hadKeyboard = nullptr;
    }

    // A window manager that ends leaves the keyboard to the root, where SDL hears no focus come
    // to the program's window and passes over its keys: the window that had the keyboard takes it
    // back, as at a start without a manager, as the manager goes and whenever the keyboard falls
    // back while none runs (metacity lets it fall only after its mark went).
    void TakeKeyboardBack()
    {
        if (!m_desktop->HasWindowManager() && IsWindow(m_hadKeyboard) && m_connection.Run(X11KeyboardFellBack))
            FocusNativeWindow(m_hadKeyboard);
    }

    // On X11 the window manager is asked for the frame, the mode and the place, all through
    // SDL's connection in one order. SDL's own placing of a window goes by the frame it read
    // last, and moves the window again as it sizes it.
    void UpdateX11Window(HWND window, tNative& native, const tNativeWindowState& state)
    {
        m_desktop->Ask(window, native.shown, state);
        const bool appears = state.visible && !native.shown.visible;
        ShowAndMinimise(native, state);
        m_desktop->Shown(window, state, appears);
    }

    // Elsewhere SDL's full screen serves: it takes no place or size, so a window that must cover
    // another display, or one of another size, leaves it and enters it again there. Nor does it
    // take a frame.
    void UpdateSdlWindow(tNative& native, const tNativeWindowState& state)
    {
        SDL_Window* w = native.window;
        const tNativeWindowState& shown = native.shown;
        const std::vector<tDisplay> displays = GetDisplays();
        const bool wasFullScreen = FillsDisplay(shown, displays);
        const bool fullScreen = FillsDisplay(state, displays);
        const bool placed = !SameRect(state.client, shown.client);
        const bool leaving = wasFullScreen && (!fullScreen || placed);
        if (leaving) {
            SDL_SetWindowFullscreen(w, 0);
            if (!(state.style & WS_MAXIMIZE) && (SDL_GetWindowFlags(w) & SDL_WINDOW_MAXIMIZED))
                SDL_RestoreWindow(w);
        }
        if ((state.style ^ shown.style) & WS_CAPTION)
            SDL_SetWindowBordered(w, (state.style & WS_CAPTION) ? SDL_TRUE : SDL_FALSE);
        if ((state.style ^ shown.style) & WS_THICKFRAME)
            SDL_SetWindowResizable(w, (state.style & WS_THICKFRAME) ? SDL_TRUE : SDL_FALSE);
        if (placed) {
            const RECT& r = state.client;
            SDL_SetWindowPosition(w, r.left, r.top);
            SDL_SetWindowSize(w, std::max<int>(r.right - r.left, 1), std::max<int>(r.bottom - r.top, 1));
        }
        ShowAndMinimise(native, state);
        if (fullScreen && (!wasFullScreen || leaving))
            SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }

    void ShowAndMinimise(tNative& native, const tNativeWindowState& state)
    {
        const tNativeWindowState& shown = native.shown;
        if (state.visible != shown.visible) {
            if (state.visible) {
                SDL_ShowWindow(native.window);
            } else {
                SDL_HideWindow(native.window);
            }
        }
        if ((state.style ^ shown.style) & WS_MINIMIZE) {
            if (state.style & WS_MINIMIZE)
                SDL_MinimizeWindow(native.window);
            else
                SDL_RestoreWindow(native.window);
        }
    }

    // Reading the display costs system calls, and a pump step and every key or button query
    // ask for it (several times per tick, once per pen sample): it is read at most every 2 ms,
    // and on X11 only when something came (SDL's own look tries a read every time).
    void ReadDisplay()
    {
        const Uint64 now = SDL_GetTicks64();
        if (now - m_lastRead < 2)
            return;
        m_lastRead = now;
        if (!m_desktop || m_desktop->HasEventsWaiting())
            SDL_PumpEvents();
    }

    tNative* Find(HWND window)
    {
        std::lock_guard<std::recursive_mutex> guard(m_lock);
        const auto it = m_natives.find(window);
        return it == m_natives.end() ? nullptr : &it->second;
    }

    HWND WindowOf(Uint32 id)
    {
        std::lock_guard<std::recursive_mutex> guard(m_lock);
        const auto it = m_byId.find(id);
        return it == m_byId.end() ? nullptr : it->second;
    }

    // Where a pointer event of SDL happened: in the window and on the screen as the display's own
    // event of it says, which comes just before it; else from the window's place. SDL takes the
    // moves from XInput 2, which gives no event of the display's own. The watch reads SDL's place of
    // the window, which follows the display's events as SDL reads them, and the delivery the
    // record's, which follows them as they are delivered: a window that moved again after the
    // event was read does not move its point.
    input::tPointerAt PointerAt(Uint32 id, int32_t x, int32_t y, const std::optional<tX11Event>& raw,
                                bool delivered)
    {
        input::tPointerAt at;
        at.screen = POINT{x, y};
        std::lock_guard<std::recursive_mutex> guard(m_lock);
        const auto it = m_byId.find(id);
        if (it == m_byId.end())
            return at;
        const tNative& native = m_natives[it->second];
        at.window = it->second;
        at.client = POINT{x, y};
        if (raw && native.xwindow && raw->window == native.xwindow) {
            at.screen = POINT{raw->rootX, raw->rootY};
            at.client = POINT{raw->x, raw->y};
        } else if (POINT origin{0, 0}; delivered && ClientToScreen(at.window, &origin)) {
            at.screen = POINT{origin.x + x, origin.y + y};
        } else {
            int left = 0, top = 0;
            SDL_GetWindowPosition(native.window, &left, &top);
            at.screen = POINT{left + x, top + y};
        }
        return at;
    }

    // The display's event that SDL made `event` of: SDL gives a button the place of the last move
    // inside the window, which a window that moved since makes wrong, and a move of the same place
    // as the event before it no event at all.
    static std::optional<tX11Event> Matching(const std::optional<tX11Event>& raw, const SDL_Event& event)
    {
        if (!raw || raw->sent)
            return std::nullopt;
        switch (event.type) {
        case SDL_MOUSEMOTION:
            return raw->x == event.motion.x && raw->y == event.motion.y ? raw : std::nullopt;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            const auto kind = event.type == SDL_MOUSEBUTTONDOWN ? tX11Event::kButtonPress : tX11Event::kButtonRelease;
            return raw->kind == kind && raw->button == event.button.button ? raw : std::nullopt;
        }
        case SDL_MOUSEWHEEL:
            return raw->kind == tX11Event::kButtonPress && raw->button >= 4 && raw->button <= 7 ? raw : std::nullopt;
        default:
            return std::nullopt;
        }
    }

    // Runs before the watch, as each event enters SDL's queue: of the display's own events, those
    // of the hand stay for the event SDL makes of each, which follows, and those the desktop keeps
    // wait for their turn among them; the others go.
    static int FilterEvent(void* context, SDL_Event* event)
    {
        auto* self = static_cast<CSdlBackend*>(context);
        if (!CDialogHold::Admits(self->m_dialogHolds, event))
            return 0;
        switch (event->type) {
        case SDL_SYSWMEVENT: {
            const tX11Event read = ReadX11Event(event->syswm);
            if (read.kind == tX11Event::kMappingChanged)
                self->m_keys.LayoutChanged();
            else if (read.kind == tX11Event::kButtonRelease)
                self->m_sentReleases.Read(read);
            if (read.kind == tX11Event::kKey || read.IsPointer())
                return self->m_dialogHolds.holding > 0 ? 0 : 1;
            if (read.kind == tX11Event::kKeyboardFell)
                return 1;
            return self->m_desktop && self->m_desktop->Keeps(event->syswm) ? 1 : 0;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            return self->m_sentReleases.Admit(event->button) ? 1 : 0;
        default:
            return 1;
        }
    }

    // Runs as each event enters SDL's queue, on the thread that adds it: the interface thread for
    // the display's events, which it reads. It keeps the live input table, and reads the
    // keyboard's layout again at the first key after the layout changed.
    static int WatchEvent(void* context, SDL_Event* event)
    {
        auto* self = static_cast<CSdlBackend*>(context);
        switch (event->type) {
        case SDL_SYSWMEVENT: {
            const tX11Event read = ReadX11Event(event->syswm);
            if (read.kind == tX11Event::kKey)
                self->m_keys.X11KeyRead(CKeyTranslator::kWatch, read.group, read.state);
            else if (read.IsPointer())
                self->m_watchedPointer = read;
            break;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            input::SetKeyDown(self->m_keys.VirtualKeyOf(CKeyTranslator::kWatch, event->key), event->type == SDL_KEYDOWN);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            input::SetCursorScreenPos(self->PointerAt(event->button.windowID, event->button.x, event->button.y,
                                                      Matching(self->m_watchedPointer, *event), false)
                                          .screen);
            input::SetKeyDown(ButtonKey(event->button.button), event->type == SDL_MOUSEBUTTONDOWN);
            break;
        case SDL_MOUSEMOTION:
            input::SetCursorScreenPos(self->PointerAt(event->motion.windowID, event->motion.x, event->motion.y,
                                                      Matching(self->m_watchedPointer, *event), false)
                                          .screen);
            break;
        default:
            break;
        }
        return 1;
    }

    void TranslateWindowEvent(const SDL_WindowEvent& event)
    {
        const HWND window = WindowOf(event.windowID);
        if (!window)
            return;
        switch (event.event) {
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
            windows::NativeExposed(window);
            if (window == m_focusWanted)
                GiveWantedFocus();
            break;
        case SDL_WINDOWEVENT_HIDDEN:
            windows::NativeHidden(window);
            break;
        // On X11 the window's place and size are read from the server as it tells them, in the
        // order of the events around them (CX11Desktop::Handle); SDL tells the corner of a window's
        // own border, which a window manager may draw as its frame (bspwm), and no answer to a
        // request that changed nothing.
        case SDL_WINDOWEVENT_MOVED:
            if (!m_desktop)
                windows::NativeMoved(window, POINT{event.data1, event.data2});
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            if (!m_desktop)
                TranslateSize(window, event.data1, event.data2);
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            if (tNative* native = Find(window))
                native->shown.style |= WS_MINIMIZE;
            windows::NativeShowState(window, SIZE_MINIMIZED);
            break;
        // On X11 the window manager's maximise and full screen are read from the window itself
        // (CX11Desktop::Handle), and SDL's restore is the end of a minimise alone, after which what
        // the manager did meanwhile is followed.
        case SDL_WINDOWEVENT_MAXIMIZED:
            if (!m_desktop)
                windows::NativeShowState(window, SIZE_MAXIMIZED);
            break;
        case SDL_WINDOWEVENT_RESTORED:
            if (!m_desktop || (GetWindowLongW(window, GWL_STYLE) & WS_MINIMIZE)) {
                if (tNative* native = Find(window))
                    native->shown.style &= ~DWORD(WS_MINIMIZE);
                windows::NativeShowState(window, SIZE_RESTORED);
                if (m_desktop)
                    m_desktop->Restored(window);
            }
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            m_hadKeyboard = window;
            windows::NativeActivated(window, true);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            windows::NativeActivated(window, false);
            KeyboardLeft(window);
            break;
        case SDL_WINDOWEVENT_CLOSE:
            windows::NativeCloseRequested(window);
            break;
        default:
            break;
        }
    }

    void TranslateSize(HWND window, int32_t width, int32_t height)
    {
        // The real window has this size now: a size the window cannot take is then asked back to
        // the one it kept.
        if (tNative* native = Find(window)) {
            RECT& shown = native->shown.client;
            shown.right = shown.left + width;
            shown.bottom = shown.top + height;
        }
        windows::NativeResized(window, width, height);
    }

    void TranslateDrop(const SDL_DropEvent& event)
    {
        const HWND window = WindowOf(event.windowID);
        tNative* native = Find(window);
        if (event.type == SDL_DROPFILE && event.file) {
            if (native)
                native->drops.push_back(FileNameToWide(event.file));
            SDL_free(event.file);
        } else if (event.type == SDL_DROPCOMPLETE && native) {
            input::DeliverDroppedFiles(window, std::move(native->drops));
            native->drops.clear();
        }
    }

    void Translate(const SDL_Event& event)
    {
        switch (event.type) {
        case SDL_WINDOWEVENT:
            TranslateWindowEvent(event.window);
            break;
        case SDL_SYSWMEVENT: {
            const tX11Event read = ReadX11Event(event.syswm);
            if (read.kind == tX11Event::kKey)
                m_keys.X11KeyRead(CKeyTranslator::kDelivery, read.group, read.state);
            else if (read.IsPointer())
                m_translatedPointer = read;
            if (m_desktop) {
                const bool managed = m_desktop->HasWindowManager();
                m_desktop->Handle(event.syswm);
                if (read.kind == tX11Event::kKeyboardFell || (managed && !m_desktop->HasWindowManager()))
                    TakeKeyboardBack();
            }
            break;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            HWND window = WindowOf(event.key.windowID);
            const int key = m_keys.VirtualKeyOf(CKeyTranslator::kDelivery, event.key);
            input::DeliverKey(window ? window : GetFocus(), key, event.type == SDL_KEYDOWN, event.key.repeat != 0);
            break;
        }
        case SDL_KEYMAPCHANGED:
            m_keys.LayoutChanged();
            break;
        case SDL_TEXTINPUT: {
            // Control with a key makes no character (TranslateMessage gives the control codes),
            // nor does Alt (the key goes as a system key); AltGr is neither here.
            if (input::DeliveredModifiers() & (MK_CONTROL | MK_ALT))
                break;
            HWND window = WindowOf(event.text.windowID);
            input::DeliverText(window ? window : GetFocus(), ToWide(event.text.text));
            break;
        }
        case SDL_MOUSEMOTION:
            input::DeliverMouseMove(WindowOf(event.motion.windowID),
                                    PointerAt(event.motion.windowID, event.motion.x, event.motion.y,
                                              Matching(m_translatedPointer, event), true));
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            const input::tPointerAt at = PointerAt(event.button.windowID, event.button.x, event.button.y,
                                                   Matching(m_translatedPointer, event), true);
            if (event.type == SDL_MOUSEBUTTONDOWN)
                m_sentReleases.PressDelivered(event.button.button);
            if (const int key = ButtonKey(event.button.button))
                input::DeliverMouseButton(WindowOf(event.button.windowID), key, event.type == SDL_MOUSEBUTTONDOWN, at);
            break;
        }
        case SDL_MOUSEWHEEL: {
            const float notches = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.preciseY
                                                                                  : event.wheel.preciseY;
            if (const int32_t delta = int32_t(std::lround(notches * float(WHEEL_DELTA))))
                input::DeliverWheel(WindowOf(event.wheel.windowID), delta,
                                    PointerAt(event.wheel.windowID, event.wheel.mouseX, event.wheel.mouseY,
                                              Matching(m_translatedPointer, event), true));
            break;
        }
        case SDL_DROPFILE:
        case SDL_DROPCOMPLETE:
            TranslateDrop(event.drop);
            break;
        case SDL_DISPLAYEVENT:
            windows::NativeDisplaysChanged();
            break;
        default:
            break;
        }
    }

    std::recursive_mutex m_lock;
    std::map<HWND, tNative> m_natives;
    std::map<Uint32, HWND> m_byId;
    bool m_dummyVideo = false;
    bool m_onX11 = false;
    // On X11, from the first window on: SDL's connection gives no way to it before.
    std::unique_ptr<CX11Desktop> m_desktop;
    CX11Connection m_connection;
    CKeyTranslator m_keys{m_connection, OnX11()};
    // The window the program gave the keyboard last, until it can take it.
    HWND m_focusWanted = nullptr;
    // The program's window that had the keyboard last, also once it lost it, unless it lost it to
    // another program's window.
    HWND m_hadKeyboard = nullptr;
    // The display's last pointer event, as the watch and the delivery each come to it.
    std::optional<tX11Event> m_watchedPointer;
    std::optional<tX11Event> m_translatedPointer;
    CSentReleases m_sentReleases;
    // Dialogs of other programs holding the program: the hand's input is dropped meanwhile.
    tDialogHolds m_dialogHolds;
    Uint64 m_lastRead = 0;
};

bool IsSetVariable(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

// The display variables as a message gives them: "(DISPLAY=:1, WAYLAND_DISPLAY is not set)".
std::string DisplayVariables()
{
    std::string text;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        text += text.empty() ? "(" : ", ";
        text += std::string(name) + (!value ? " is not set" : !*value ? " is empty" : std::string("=") + value);
    }
    return text + ")";
}

// When no display answers, SDL falls back by itself to a driver that shows nothing, and the
// program would run on unseen for good; such a driver is taken only when SDL_VIDEODRIVER names it.
bool ShowsNothing(const char* driver)
{
    if (!driver)
        return false;
    for (const char* hidden : {"offscreen", "dummy", "evdev"})
        if (std::strcmp(driver, hidden) == 0)
            return true;
    return false;
}

// SDL's Wayland driver makes a window's framebuffer only as a texture of an accelerated
// renderer, which the program does not use and the machine may lack; XWayland shows the windows.
std::string WaylandRefusal(bool driverAsked)
{
    if (driverAsked)
        return "SDL's wayland video driver cannot show the program's windows, which need a plain framebuffer " +
               DisplayVariables() + ": unset SDL_VIDEODRIVER, or set it to x11, to run the program under XWayland";
    return "no display could be reached " + DisplayVariables() +
           ": the program needs an X11 display, such as XWayland's; SDL's wayland video driver cannot show its "
           "windows";
}

// The driver SDL_VIDEODRIVER names may fail where another would reach a display: the message names
// it and says how to let SDL choose. Where no X display answers, letting SDL choose would not help,
// and the message says that no display could be reached; nor would it for the x11 driver itself.
std::string AskedDriverRefusal()
{
    const std::string asked = std::getenv("SDL_VIDEODRIVER");
    const std::string why = SDL_GetError();
    if (!CX11Connection::DisplayAnswers())
        return "no display could be reached " + DisplayVariables() + ": " + why;
    std::string text = "the video driver that SDL_VIDEODRIVER names (" + asked + ") could not be started " +
                       DisplayVariables() + ": " + why;
    if (asked != "x11")
        text += ": unset SDL_VIDEODRIVER to run the program on the display that DISPLAY names";
    return text;
}

}  // namespace

std::unique_ptr<CBackend> MakeBackend(std::string* error)
{
    const bool driverAsked = IsSetVariable("SDL_VIDEODRIVER");
    if (!driverAsked && !IsSetVariable("DISPLAY") && !IsSetVariable("WAYLAND_DISPLAY")) {
        *error = "no display could be reached " + DisplayVariables();
        return nullptr;
    }
    // Signals keep their default meaning, and a click that activates a window still counts.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // The window's pixels are ours: a plain framebuffer, no graphics library behind it.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        *error = driverAsked ? AskedDriverRefusal()
                             : "no display could be reached " + DisplayVariables() + ": " + SDL_GetError();
        return nullptr;
    }
    if (!driverAsked && ShowsNothing(SDL_GetCurrentVideoDriver())) {
        SDL_Quit();
        *error = "no display could be reached " + DisplayVariables();
        return nullptr;
    }
    if (std::strcmp(SDL_GetCurrentVideoDriver(), "wayland") == 0) {
        SDL_Quit();
        *error = WaylandRefusal(driverAsked);
        return nullptr;
    }
    if (OnX11())
        PassOverX11Errors();
    return std::make_unique<CSdlBackend>();
}

}  // namespace w32::sdl
