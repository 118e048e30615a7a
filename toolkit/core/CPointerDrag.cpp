#include "toolkit/core/CPointerDrag.h"

#include <iterator>

#include "platform/Messages.h"
#include "platform/Queue.h"
#include "platform/Window.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CWindowBase.h"

namespace {

w32::HWND InputWindow()
{
    CWindowBase* window = GetMainWindow();
    return window ? window->GetHandle() : nullptr;
}

tCPoint LivePointer()
{
    CAppBase* application = GetApplication();
    return application ? application->GetCursorPosition() : tCPoint{};
}

}  // namespace

CPointerDrag::CPointerDrag(int32_t secondary, const tCPoint* press)
    : m_secondary(secondary), m_start(press && InputWindow() ? *press : LivePointer()), m_cursor(m_start)
{
}

bool CPointerDrag::IsHeld() const
{
    CAppBase* application = GetApplication();
    if (!application)
        return false;
    return m_secondary ? application->IsSecondaryButtonDown() : application->IsPrimaryButtonDown();
}

int32_t CPointerDrag::Next(tCPoint* cursor)
{
    // The button is read before the queue: a release it saw is in the queue by then.
    const bool held = IsHeld();
    const w32::HWND window = InputWindow();
    if (!window) {
        const tCPoint now = LivePointer();
        if (held && now == m_cursor)
            return kDragNothing;
        *cursor = m_cursor = now;
        return held ? kDragMove : kDragRelease;
    }
    const w32::UINT codes[] = {w32::WM_MOUSEMOVE, m_secondary ? w32::WM_RBUTTONUP : w32::WM_LBUTTONUP};
    w32::MSG message;
    if (w32::PeekMessageAmongW(&message, window, codes, std::size(codes), w32::PM_NOREMOVE)) {
        w32::POINT point{w32::GET_X_LPARAM(message.lParam), w32::GET_Y_LPARAM(message.lParam)};
        w32::ClientToScreen(window, &point);
        *cursor = m_cursor = tCPoint{point.x, point.y};
        if (message.message != w32::WM_MOUSEMOVE)
            return kDragRelease;
        (void)w32::PeekMessageAmongW(&message, window, codes, std::size(codes), w32::PM_REMOVE);
        return kDragMove;
    }
    *cursor = m_cursor;
    return held ? kDragNothing : kDragRelease;
}
