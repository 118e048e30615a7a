#pragma once

#include <SDL.h>

#include <memory>
#include <mutex>
#include <vector>

#include "platform/Backend.h"
#include "platform/sdl/FramePlacement.h"
#include "platform/sdl/PlacementJudge.h"
#include "platform/sdl/WmModeTracker.h"

struct _XDisplay;
union _XEvent;

namespace w32::sdl {

// The X server and the window manager as the program's windows meet them, through SDL's own
// connection: SDL reads every event of its windows and of the root window and hands each on
// (SDL_SYSWMEVENT), and the events are read here in the order SDL read them, the input's among
// them, so that each change is followed where it came; the requests go in order with SDL's own.
// The desktop keeps each watched window's place as the server has it, its frame, and how its
// window manager keeps it against what the program asked (CWmModeTracker), and brings the
// platform's record of the window in line (windows::Native...). Used on the interface thread,
// which reads SDL's events; the displays may be asked for from any thread.
class CX11Desktop {
public:
    // Null where SDL does not show `window` on X11.
    static std::unique_ptr<CX11Desktop> Open(SDL_Window* window);
    CX11Desktop(const CX11Desktop&) = delete;
    CX11Desktop& operator=(const CX11Desktop&) = delete;

    // The X window that shows `window`, 0 when there is none.
    static unsigned long WindowOf(SDL_Window* window);

    // The program's window `window`, shown by `xwindow` and made as `state` (not yet shown), is
    // followed from now on until Forget, and placed by its client area whatever frame the window
    // manager draws round it.
    void Watch(HWND window, unsigned long xwindow, const tNativeWindowState& state);
    void Forget(HWND window);
    // The program asks for `state` of a watched window it asked for as `before` last: its frame,
    // its mode and its place, before SDL shows or minimises it.
    void Ask(HWND window, const tNativeWindowState& before, const tNativeWindowState& state);
    // After SDL showed the window (`appeared`) or left it shown.
    void Shown(HWND window, const tNativeWindowState& state, bool appeared);
    // Events came on SDL's connection, or were read into its queue already, that SDL has yet to
    // take: looked at without reading the connection.
    bool HasEventsWaiting() const;
    // Whether the desktop follows an event SDL hands on: it then waits in SDL's queue for Handle.
    bool Keeps(const SDL_SysWMEvent& event);
    // An event SDL read, in the order it read them.
    void Handle(const SDL_SysWMEvent& event);
    // Time passed: what the window manager kept against what was asked becomes its own, and its
    // answer to a placement is looked at once it has done.
    void Tick();
    // The window came back from a minimise: what the manager did meanwhile is followed.
    void Restored(HWND window);

    // Mapped, and every window above it mapped too: only such a window may take the input focus.
    bool CanTakeFocus(HWND window);
    // A window manager that follows the desktop conventions runs: it gives windows the keyboard.
    bool HasWindowManager() const { return m_managed; }
    // The window the running manager marks the root with, 0 where none runs.
    unsigned long ManagerWindow() const { return m_managed ? m_managerWindow : 0; }
    // The monitors as the server has them, the primary first; the work area is the part of each
    // that the window manager leaves free of its panels.
    std::vector<tDisplay> ReadDisplays();

private:
    struct tWatched {
        HWND window = nullptr;
        unsigned long xwindow = 0;
        CWmModeTracker modes{tWmMode::kNormal};
        CPlacementJudge placement;
        bool visible = false;
        // Full screen is to be asked once SDL has shown the window.
        bool fullScreenToAsk = false;
        // The client area as the server has it.
        RECT client{};
        // A size the record has yet to take, and since when.
        bool sizeHeld = false;
        uint64_t sizeHeldSince = 0;
        // The serial of the program's latest request of a state when the size was held.
        unsigned long sizeHeldAfterRequest = 0;
        // Whether the hand may size the window.
        bool resizable = false;
        // The serial of the program's latest request to the manager to change the window's state.
        unsigned long stateRequestSerial = 0;
    };

    explicit CX11Desktop(_XDisplay* display);
    tWatched* Find(HWND window);
    tWatched* FindX(unsigned long xwindow);

    bool IsRandrEvent(int type) const;
    void HandleRootEvent(const _XEvent& event);
    void HandleWindowEvent(tWatched& watched, const SDL_SysWMEvent& wm, const _XEvent& event);
    void TakeGeometry(tWatched& watched);
    bool ConfigureWaiting(unsigned long xwindow);
    void TakeSize(tWatched& watched);
    void ReadManager();
    void ScreenChanged();
    // Acts on what the mode tracker tells.
    void Answer(tWatched& watched, CWmModeTracker::tAnswer answer);
    // Brings the window's record in line with the manager's mode as it is when the input before
    // the change has been handled.
    void TakeManagersMode(HWND window);
    void KeepFullScreen(HWND window);
    // Places a framed window so that its frame lies on the work area, smaller where needed.
    void PlaceFitted(tWatched& watched, const RECT& client);
    void JudgePlacement(tWatched& watched, uint64_t now);
    void CheckCover(tWatched& watched, uint64_t now);
    tFrameExtents ReadFrame(const tWatched& watched);

    std::vector<tDisplay> ReadDisplaysNow();
    void SelectRootEvents();
    tWmMode ReadMode(unsigned long window);
    RECT ReadClient(unsigned long window);
    void SendState(unsigned long window, bool add, unsigned long first, unsigned long second);
    void AskFullScreen(unsigned long window, bool fullScreen, bool shown);
    void AskUnmaximised(unsigned long window);
    void SetFramed(unsigned long window, bool framed);
    void SetSizeHints(unsigned long window, const RECT& client, bool resizable);
    void Place(tWatched& watched, const RECT& client, POINT shift = POINT{0, 0}, bool move = true);

    struct tAtoms {
        unsigned long netWmState, netWmStateFullscreen, netWmStateMaximizedVert, netWmStateMaximizedHorz;
        unsigned long netSupportingWmCheck, netWorkarea, netCurrentDesktop, netFrameExtents, motifWmHints;
    };

    _XDisplay* m_display;
    unsigned long m_root;
    int m_randrEvent = -1;
    tAtoms m_atoms{};
    std::vector<tWatched> m_watched;
    // The window manager's own window, which says that it runs, and whether one runs.
    unsigned long m_managerWindow = 0;
    bool m_managed = false;
    std::mutex m_displaysLock;
    std::vector<tDisplay> m_displays;
};

}  // namespace w32::sdl
