#include "platform/sdl/X11BoxWatch.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "platform/sdl/X11Screen.h"

namespace w32::sdl {

std::unique_ptr<CX11BoxWatch> CX11BoxWatch::Make(const std::vector<SDL_Window*>& windows, unsigned long owner,
                                                 bool managed)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return nullptr;
    std::unique_ptr<CX11BoxWatch> watch(new CX11BoxWatch(display));
    if (pipe2(watch->m_stop, O_CLOEXEC) != 0)
        return nullptr;
    for (SDL_Window* window : windows)
        watch->Add(window);
    watch->m_box = std::make_unique<CX11DialogWindows>(display, owner, managed,
                                                       XInternAtom(display, "_NET_WM_PID", False));
    XSync(display, False);
    return watch;
}

CX11BoxWatch::CX11BoxWatch(Display* display) : m_display(display) {}

void CX11BoxWatch::Forked()
{
    // A thread of SDL's, which blocks the signals that end a program: they reach another thread.
    if (!m_thread)
        m_thread = SDL_CreateThread(Run, "box watch", this);
}

CX11BoxWatch::~CX11BoxWatch()
{
    if (m_thread) {
        (void)!write(m_stop[1], "", 1);
        SDL_WaitThread(m_thread, nullptr);
    }
    for (int end : m_stop)
        if (end >= 0)
            close(end);
    m_box.reset();
    for (tWindow& window : m_windows) {
        // The pixels are the surface's.
        window.image->data = nullptr;
        XDestroyImage(window.image);
        XFreeGC(m_display, window.context);
    }
    XCloseDisplay(m_display);
}

void CX11BoxWatch::Add(SDL_Window* window)
{
    Display* sdl = nullptr;
    unsigned long xwindow = 0;
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    XWindowAttributes attributes;
    if (!surface || !SdlX11Window(window, &sdl, &xwindow) || !XGetWindowAttributes(m_display, xwindow, &attributes))
        return;
    XImage* image = XCreateImage(m_display, attributes.visual, unsigned(attributes.depth), ZPixmap, 0,
                                 static_cast<char*>(surface->pixels), unsigned(surface->w), unsigned(surface->h), 32,
                                 surface->pitch);
    if (!image)
        return;
    m_windows.push_back(tWindow{xwindow, image, XCreateGC(m_display, xwindow, 0, nullptr), {}});
    XSelectInput(m_display, xwindow, ExposureMask);
}

int CX11BoxWatch::Run(void* context)
{
    auto* watch = static_cast<CX11BoxWatch*>(context);
    pollfd watched[2] = {{ConnectionNumber(watch->m_display), POLLIN, 0}, {watch->m_stop[0], POLLIN, 0}};
    for (;;) {
        watch->Read();
        if (poll(watched, 2, -1) < 0 && errno != EINTR)
            return 0;
        if (watched[1].revents)
            return 0;
    }
}

void CX11BoxWatch::Read()
{
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        if (event.type != Expose) {
            m_box->Note(event);
            continue;
        }
        for (tWindow& window : m_windows)
            if (window.xwindow == event.xexpose.window)
                window.exposed.push_back(
                    SDL_Rect{event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height});
    }
    Redraw();
}

void CX11BoxWatch::Redraw()
{
    for (tWindow& window : m_windows) {
        for (const SDL_Rect& rect : window.exposed)
            XPutImage(m_display, window.xwindow, window.context, window.image, rect.x, rect.y, rect.x, rect.y,
                      unsigned(rect.w), unsigned(rect.h));
        window.exposed.clear();
    }
    XFlush(m_display);
}

}  // namespace w32::sdl
