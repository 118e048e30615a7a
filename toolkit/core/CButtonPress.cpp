#include "toolkit/core/CButtonPress.h"

#include "platform/Messages.h"
#include "platform/Queue.h"
#include "platform/Window.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CWindowBase.h"

CButtonPress::CButtonPress(int32_t secondary) : m_secondary(secondary), m_held(ReadHeld())
{
}

bool CButtonPress::ReadHeld() const
{
    CAppBase* application = GetApplication();
    if (!application)
        return false;
    return m_secondary ? application->IsSecondaryButtonHeld() : application->IsPrimaryButtonHeld();
}

bool CButtonPress::NextRound(tCPoint* pointer)
{
    if (!m_held) {
        *pointer = GetPointer(m_secondary);
        return false;
    }
    if (CAppBase* application = GetApplication())
        (void)application->RunHeartbeat();
    // The button before the pointer: a release that ends its hold waits in the queue by then.
    m_held = ReadHeld();
    *pointer = GetPointer(m_secondary);
    return true;
}

tCPoint CButtonPress::WaitForRelease()
{
    tCPoint pointer;
    while (NextRound(&pointer)) {
    }
    return pointer;
}

tCPoint CButtonPress::GetPointer(int32_t secondary)
{
    CWindowBase* main = GetMainWindow();
    if (const w32::HWND window = main ? main->GetHandle() : nullptr) {
        const w32::UINT release = secondary ? w32::WM_RBUTTONUP : w32::WM_LBUTTONUP;
        w32::MSG message;
        if (w32::PeekMessageAmongW(&message, window, &release, 1, w32::PM_NOREMOVE)) {
            w32::POINT point{w32::GET_X_LPARAM(message.lParam), w32::GET_Y_LPARAM(message.lParam)};
            w32::ClientToScreen(window, &point);
            return tCPoint{point.x, point.y};
        }
    }
    CAppBase* application = GetApplication();
    return application ? application->GetCursorPosition() : tCPoint{};
}
