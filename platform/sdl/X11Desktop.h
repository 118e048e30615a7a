#pragma once

#include <SDL.h>

#include <memory>
#include <mutex>
#include <vector>

#include "platform/Backend.h"

struct _XDisplay;

namespace w32::sdl {

// How the window manager keeps a window, as its _NET_WM_STATE says.
enum class tWmMode { kNormal, kMaximised, kFullScreen };

// What the X server and the window manager say about the screen and the program's windows, and
// what the program asks of the manager, through SDL's own connection: SDL already reads every
// event of its windows and of the root window, and hands each on (SDL_SYSWMEVENT), so that the
// changes are noted as SDL reads them and nothing else is read; the requests go in order with
// SDL's own for the windows. Used on the interface thread, which reads SDL's events; the
// displays may be asked for from any thread.
class CX11Desktop {
public:
    // Null where SDL does not show `window` on X11.
    static std::unique_ptr<CX11Desktop> Open(SDL_Window* window);
    CX11Desktop(const CX11Desktop&) = delete;
    CX11Desktop& operator=(const CX11Desktop&) = delete;

    // The X window that shows `window`, 0 when there is none.
    static unsigned long WindowOf(SDL_Window* window);
    // Changes of the window's state reach TakeChanges from now on, and the window is placed by
    // its client area whatever frame the manager draws.
    void Watch(unsigned long window);
    // Notes what an event SDL read says has changed; asks the display nothing.
    void Note(const SDL_SysWMEvent& event);

    struct tChanges {
        std::vector<unsigned long> windows;     // whose state the window manager changed
        std::vector<unsigned long> configured;  // whose place or size the server or manager told
        bool screen = false;                    // the screen's size, its monitors or work area
    };
    // What changed since the last call.
    tChanges TakeChanges();

    tWmMode ReadMode(unsigned long window);
    // Mapped, and every window above it mapped too: only such a window may take the input focus.
    bool CanTakeFocus(unsigned long window);
    // A window manager that follows the desktop conventions runs: it gives windows the keyboard.
    bool HasWindowManager();
    // Asks the window manager to make the window full screen, or to take full screen and a
    // maximise away from it; a window not yet shown, or one without a manager, carries the wish
    // in its state, where the manager reads it when it shows the window.
    void AskFullScreen(unsigned long window, bool fullScreen, bool shown);
    void AskUnmaximised(unsigned long window);
    // Asks for a frame of the window manager's around the window, or for none.
    void SetFramed(unsigned long window, bool framed);
    // Tells the window manager the size the window's client area takes, `client`'s, or any where
    // it is `resizable` by the user.
    void SetSizeHints(unsigned long window, const RECT& client, bool resizable);
    // Moves and sizes the window so that its client area is `client` (screen coordinates), in one
    // request, after SetSizeHints.
    void Place(unsigned long window, const RECT& client, bool resizable);
    // The window's client area on the screen now.
    RECT ReadClient(unsigned long window);
    // The monitors as the server has them, the primary first; the work area is the part of each
    // that the window manager leaves free of its panels. Read again after TakeChanges saw the
    // screen change.
    std::vector<tDisplay> ReadDisplays();

private:
    explicit CX11Desktop(_XDisplay* display);
    std::vector<tDisplay> ReadDisplaysNow();
    // The root window's events this reads, added to those SDL selects.
    void SelectRootEvents();
    // A _NET_WM_STATE request to the window manager.
    void SendState(unsigned long window, bool add, unsigned long first, unsigned long second);

    struct tAtoms {
        unsigned long netWmState, netWmStateFullscreen, netWmStateMaximizedVert, netWmStateMaximizedHorz;
        unsigned long netSupportingWmCheck, netWorkarea, netCurrentDesktop, motifWmHints;
    };

    _XDisplay* m_display;
    unsigned long m_root;
    int m_randrEvent = -1;
    tAtoms m_atoms{};
    std::mutex m_lock;
    std::vector<unsigned long> m_watched;
    tChanges m_changes;
    // The root window changed size: the server is asked for its outputs before they are read.
    bool m_rootResized = false;
    std::vector<tDisplay> m_displays;
};

}  // namespace w32::sdl
