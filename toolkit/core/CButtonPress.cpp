#include "toolkit/core/CButtonPress.h"

#include "platform/Messages.h"
#include "platform/Queue.h"
#include "platform/Window.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/IRootWidget.h"
#include "toolkit/core/CWindowBase.h"

namespace {

// A point of the main window's client area on the screen, through the window's place now.
tCPoint ClientOnScreen(w32::HWND window, int32_t x, int32_t y)
{
    w32::POINT point{x, y};
    w32::ClientToScreen(window, &point);
    return tCPoint{point.x, point.y};
}

w32::HWND PressWindow()
{
    CWindowBase* main = GetMainWindow();
    return main ? main->GetHandle() : nullptr;
}

}  // namespace

CButtonPress::CButtonPress(int32_t secondary)
    : m_secondary(secondary), m_held(ReadHeld()), m_wasHeld(m_held), m_queued(!m_held && ReleaseWaits())
{
    CWindowBase* main = GetMainWindow();
    IRootWidget* root = main ? main->GetRootWidget() : nullptr;
    const w32::HWND window = PressWindow();
    if (m_queued && root) {
        const tCPoint press = root->GetPressPoint();
        m_start = ClientOnScreen(window, press.x, press.y);
    } else if (CAppBase* application = GetApplication()) {
        m_start = application->GetCursorPosition();
    }
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
    if (m_held) {
        if (CAppBase* application = GetApplication()) {
            (void)application->RunHeartbeat();
            // The hold rests until the hand moves, the button comes up or the next tick.
            application->WaitForInputOrTick(true);
        }
        // The button before the pointer: a release that ends its hold waits in the queue by then.
        m_held = ReadHeld();
        if (m_held) {
            // The round reads the pointer past every move queued so far: they are the loop's.
            while (TakeMoveBeforeRelease(pointer)) {
            }
            *pointer = GetPointer(m_secondary);
            return true;
        }
    }
    if (m_ended || !(m_wasHeld || m_queued)) {
        m_ended = true;
        *pointer = GetPointer(m_secondary);
        return false;
    }
    // A press that waited in the queue whole is played from where it came, as a held press's
    // first round reads the pointer there. What the queue holds is played place by place: a place
    // the round before it played already is passed over.
    if (m_queued && !m_played) {
        *pointer = m_start;
        return Play(*pointer);
    }
    while (TakeMoveBeforeRelease(pointer))
        if (Play(*pointer))
            return true;
    m_ended = true;
    *pointer = GetPointer(m_secondary);
    return Play(*pointer);
}

bool CButtonPress::Play(tCPoint point)
{
    if (m_played && point == m_lastPlayed)
        return false;
    m_played = true;
    m_lastPlayed = point;
    return true;
}

bool CButtonPress::ReleaseWaits() const
{
    const w32::HWND window = PressWindow();
    const w32::UINT release = m_secondary ? w32::WM_RBUTTONUP : w32::WM_LBUTTONUP;
    w32::MSG message;
    return window && w32::PeekMessageAmongW(&message, window, &release, 1, w32::PM_NOREMOVE);
}

bool CButtonPress::TakeMoveBeforeRelease(tCPoint* pointer) const
{
    const w32::HWND window = PressWindow();
    if (!window)
        return false;
    const w32::UINT release = m_secondary ? w32::WM_RBUTTONUP : w32::WM_LBUTTONUP;
    const w32::UINT codes[2] = {w32::WM_MOUSEMOVE, release};
    w32::MSG message;
    if (!w32::PeekMessageAmongW(&message, window, codes, 2, w32::PM_NOREMOVE) || message.message != w32::WM_MOUSEMOVE)
        return false;
    (void)w32::PeekMessageAmongW(&message, window, codes, 1, w32::PM_REMOVE);
    *pointer = ClientOnScreen(window, w32::GET_X_LPARAM(message.lParam), w32::GET_Y_LPARAM(message.lParam));
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
    if (const w32::HWND window = PressWindow()) {
        const w32::UINT release = secondary ? w32::WM_RBUTTONUP : w32::WM_LBUTTONUP;
        w32::MSG message;
        if (w32::PeekMessageAmongW(&message, window, &release, 1, w32::PM_NOREMOVE))
            return ClientOnScreen(window, w32::GET_X_LPARAM(message.lParam), w32::GET_Y_LPARAM(message.lParam));
    }
    CAppBase* application = GetApplication();
    return application ? application->GetCursorPosition() : tCPoint{};
}
