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

// What the X server and the window manager say about the screen and the program's windows,
// through a connection of its own: SDL reads the displays once at its start and learns little
// of what a window manager does to a window's state. Any thread may ask; the events are read on
// the interface thread.
class CX11Desktop {
public:
    // Null where SDL does not show its windows on X11 or the display cannot be reached.
    static std::unique_ptr<CX11Desktop> Open();
    ~CX11Desktop();
    CX11Desktop(const CX11Desktop&) = delete;
    CX11Desktop& operator=(const CX11Desktop&) = delete;

    // The X window that shows `window`, 0 when there is none.
    static unsigned long WindowOf(SDL_Window* window);
    // Changes of the window's state reach TakeChanges from now on.
    void Watch(unsigned long window);

    struct tChanges {
        std::vector<unsigned long> windows;  // whose state the window manager changed
        std::vector<unsigned long> frames;   // whose frame it changed
        bool screen = false;                 // the screen's size, its monitors or work area
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
    // in its state, where the manager reads it when it shows the window. SDL's own full screen knows only the displays
    // it found at its start and lets no frame change meanwhile. The requests go through SDL's
    // connection, in order with SDL's own for the window.
    void AskFullScreen(SDL_Window* window, bool fullScreen, bool shown);
    void AskUnmaximised(SDL_Window* window);
    // Moves the window so that its client area's top left is at (x, y), by the frame the window
    // manager has given it now; SDL places a window by the frame it read last.
    void MoveClient(SDL_Window* window, int32_t x, int32_t y);
    // The monitors as the server has them, the primary first; the work area is the part of each
    // that the window manager leaves free of its panels. Read again after TakeChanges saw the
    // screen change.
    std::vector<tDisplay> ReadDisplays();

private:
    explicit CX11Desktop(_XDisplay* display);
    std::vector<tDisplay> ReadDisplaysNow();
    // A _NET_WM_STATE request to the window manager through `display`.
    void SendState(_XDisplay* display, unsigned long window, bool add, unsigned long first, unsigned long second);

    std::mutex m_lock;
    _XDisplay* m_display;
    unsigned long m_root;
    int m_randrEvent = -1;
    std::vector<tDisplay> m_displays;
    // Atoms.
    unsigned long m_state, m_frameExtents, m_managerCheck, m_fullScreen, m_maximisedVert, m_maximisedHorz;
    unsigned long m_workArea, m_currentDesktop;
};

}  // namespace w32::sdl
