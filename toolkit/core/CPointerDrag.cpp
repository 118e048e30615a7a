#include "toolkit/core/CPointerDrag.h"

#include <array>

#include "platform/Input.h"
#include "platform/Messages.h"
#include "platform/Queue.h"
#include "platform/VirtualKeys.h"
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

// Alt and the space bar as the program meets them now: while a press is handled, as it came.
uint32_t KeysNow()
{
    const auto down = [](int key) { return (w32::GetKeyState(key) & 0x8000) != 0; };
    return (down(w32::VK_MENU) ? uint32_t(w32::MK_ALT) : 0) | (down(w32::VK_SPACE) ? uint32_t(w32::MK_SPACE) : 0);
}

std::array<w32::UINT, 2> DragMessages(int32_t secondary)
{
    return {w32::WM_MOUSEMOVE, secondary ? w32::WM_RBUTTONUP : w32::WM_LBUTTONUP};
}

}  // namespace

CPointerDrag::CPointerDrag(int32_t secondary, const tCPoint* press)
    : m_secondary(secondary), m_start(press && InputWindow() ? *press : LivePointer()), m_cursor(m_start)
{
    ReadKeys(KeysNow());
}

bool CPointerDrag::IsHeld() const
{
    CAppBase* application = GetApplication();
    if (!application)
        return false;
    return m_secondary ? application->IsSecondaryButtonDown() : application->IsPrimaryButtonDown();
}

void CPointerDrag::ReadKeys(uint32_t delivered)
{
    m_alt = (delivered & w32::MK_ALT) != 0;
    m_space = (delivered & w32::MK_SPACE) != 0;
}

void CPointerDrag::WaitForInput(uint32_t milliseconds)
{
    const w32::HWND window = InputWindow();
    if (!window || !IsHeld())
        return;
    const auto codes = DragMessages(m_secondary);
    // Whether input came is for Next to find.
    (void)w32::WaitMessageAmongW(window, codes.data(), codes.size(), milliseconds);
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
        ReadKeys(KeysNow());
        return held ? kDragMove : kDragRelease;
    }
    const auto codes = DragMessages(m_secondary);
    w32::MSG message;
    if (w32::PeekMessageAmongW(&message, window, codes.data(), codes.size(), w32::PM_NOREMOVE)) {
        w32::POINT point{w32::GET_X_LPARAM(message.lParam), w32::GET_Y_LPARAM(message.lParam)};
        w32::ClientToScreen(window, &point);
        *cursor = m_cursor = tCPoint{point.x, point.y};
        ReadKeys(message.lPrivate);
        if (message.message != w32::WM_MOUSEMOVE)
            return kDragRelease;
        (void)w32::PeekMessageAmongW(&message, window, codes.data(), codes.size(), w32::PM_REMOVE);
        return kDragMove;
    }
    *cursor = m_cursor;
    return held ? kDragNothing : kDragRelease;
}
