#include "platform/sdl/X11Connection.h"

#include <X11/Xlib.h>

namespace w32::sdl {

CX11Connection::~CX11Connection()
{
    if (m_display)
        XCloseDisplay(m_display);
}

bool CX11Connection::Run(const std::function<bool(_XDisplay*)>& request)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_display)
        m_display = XOpenDisplay(nullptr);
    if (!m_display)
        return false;
    const bool answered = request(m_display);
    // The server sends every client the keyboard's mapping changes, selected or not: they are
    // dropped here rather than kept for nobody.
    XSync(m_display, True);
    return answered;
}

bool CX11Connection::DisplayAnswers()
{
    _XDisplay* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    XCloseDisplay(display);
    return true;
}

}  // namespace w32::sdl
