#pragma once

#include <SDL.h>

#include <memory>
#include <vector>

#include "platform/sdl/X11DialogWindows.h"

struct _XDisplay;
struct _XGC;
struct _XImage;

namespace w32::sdl {

// What the program does while SDL's own box is up. SDL shows the box from a process it forks and
// keeps the thread that asked for it, the interface thread, until that process ends; SDL's
// connection is read by nobody meanwhile. The watch works from a thread and a connection to the
// display of its own: it follows the box (found by the owner it names) and gives it the keyboard
// where no window manager does, and draws the program's windows again from their surfaces where
// the display exposes them. Made on the thread that shows the box before SDL forks, so that the box
// is followed from its start; its thread starts once SDL has forked: the box's process is a copy of
// ours, and a thread caught in the middle of Xlib or of the memory allocator as the process forks
// (the sanitizers' allocator) would leave it waiting for a lock for good.
class CX11BoxWatch {
public:
    // `windows` are the program's; `owner` (0: none) the X window the box stands over; `managed`,
    // a window manager gives windows the keyboard. Null where the display cannot be had.
    static std::unique_ptr<CX11BoxWatch> Make(const std::vector<SDL_Window*>& windows, unsigned long owner,
                                              bool managed);
    // Stops the thread: called once the box has gone, before the program draws again.
    ~CX11BoxWatch();
    CX11BoxWatch(const CX11BoxWatch&) = delete;
    CX11BoxWatch& operator=(const CX11BoxWatch&) = delete;

    // SDL has forked the box's process: the watch starts, where a thread can.
    void Forked();

private:
    struct tWindow {
        unsigned long xwindow;
        // The window's surface, whose pixels are what SDL put on the screen last, in the window's
        // own format.
        _XImage* image;
        _XGC* context;
        std::vector<SDL_Rect> exposed;
    };

    explicit CX11BoxWatch(_XDisplay* display);
    void Add(SDL_Window* window);
    static int Run(void* context);
    void Read();
    void Redraw();

    _XDisplay* m_display;
    std::vector<tWindow> m_windows;
    std::unique_ptr<CX11DialogWindows> m_box;
    // Written once to stop the thread.
    int m_stop[2] = {-1, -1};
    SDL_Thread* m_thread = nullptr;
};

}  // namespace w32::sdl
