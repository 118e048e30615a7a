#include "platform/sdl/DialogHold.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include "platform/InputState.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "platform/sdl/SdlKeys.h"
#include "platform/sdl/X11Screen.h"

namespace w32::sdl {

CDialogHold::CDialogHold(tDialogHolds& holds, const std::vector<SDL_Window*>& windows, unsigned long owner,
                         bool managed, bool follow, const tX11KeyboardLayout& layout,
                         std::function<void()> keyboardBack)
    : m_holds(holds), m_outer(holds.following), m_owner(owner), m_layout(layout),
      m_keyboardBack(std::move(keyboardBack))
{
    Hold();
    for (SDL_Window* window : windows) {
        unsigned long xwindow = 0;
        if (SdlX11Window(window, &m_display, &xwindow))
            m_windows.push_back(tWindow{window, xwindow, {}});
    }
    if (!m_display || !follow)
        return;
    if (!m_holds.processAtom)
        m_holds.processAtom = XInternAtom(m_display, "_NET_WM_PID", False);
    m_dialog = std::make_unique<CX11DialogWindows>(m_display, owner, managed, m_holds.processAtom);
    m_holds.following = this;
}

CDialogHold::~CDialogHold()
{
    // What the hand did until now reaches SDL, whose filter drops it but for what came after the
    // dialog's windows left.
    if (m_holding) {
        if (m_display)
            XSync(m_display, False);
        SDL_PumpEvents();
    }
    if (m_holding)
        LetGo();
    m_holds.following = m_outer;
    m_dialog.reset();
}

bool CDialogHold::Admits(tDialogHolds& holds, SDL_Event* event)
{
    if (event->type == SDL_SYSWMEVENT && holds.following)
        holds.following->Note(event->syswm);
    return holds.holding == 0 || !Drops(event);
}

bool CDialogHold::Drops(SDL_Event* event)
{
    switch (event->type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_TEXTEDITING:
    case SDL_TEXTINPUT:
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEWHEEL:
    case SDL_DROPBEGIN:
    case SDL_DROPCOMPLETE:
        return true;
    case SDL_DROPFILE:
    case SDL_DROPTEXT:
        // SDL frees the name of a dropped file only once it was taken from its queue.
        SDL_free(event->drop.file);
        return true;
    default:
        return false;
    }
}

void CDialogHold::Started(int processId)
{
    if (m_dialog)
        m_dialog->Follow(processId);
}

std::vector<int> CDialogHold::Descriptors()
{
    std::vector<int> descriptors;
    if (m_display)
        descriptors.push_back(ConnectionNumber(m_display));
    return descriptors;
}

bool CDialogHold::IsWaiting(int descriptor)
{
    // Xlib's own count, which reads nothing: asking Xlib how many are queued reads the connection.
    return m_display && descriptor == ConnectionNumber(m_display) && XQLength(m_display) > 0;
}

void CDialogHold::Serve(int descriptor)
{
    if (!m_display || descriptor != ConnectionNumber(m_display))
        return;
    SDL_PumpEvents();
    Redraw();
}

void CDialogHold::Note(const SDL_SysWMEvent& wm)
{
    if (!wm.msg || wm.msg->subsystem != SDL_SYSWM_X11)
        return;
    const XEvent& event = wm.msg->msg.x11.event;
    if (event.type == Expose) {
        for (tWindow& window : m_windows)
            if (window.xwindow == event.xexpose.window)
                window.exposed.push_back(
                    SDL_Rect{event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height});
        return;
    }
    m_dialog->Note(event);
    if (m_holding && m_dialog->HasLeft())
        LetGo();
    else if (!m_holding && m_dialog->IsShown())
        Hold();
}

void CDialogHold::Hold()
{
    m_holding = true;
    ++m_holds.holding;
}

// Runs as SDL hands on the event that tells the hold to let go, before SDL makes the events that
// follow it: SDL's state of the keys and buttons is the hand's at that moment.
void CDialogHold::LetGo()
{
    m_holding = false;
    --m_holds.holding;
    input::EndHeldInput(GetFocus(), Held());
    if (m_display) {
        int x = 0, y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        input::SetCursorScreenPos(POINT{x, y});
    }
    if (m_keyboardBack)
        m_keyboardBack();
}

// The program draws nothing while it waits: what it drew last is shown again from the windows'
// surfaces.
void CDialogHold::Redraw()
{
    for (tWindow& window : m_windows) {
        if (!window.exposed.empty())
            SDL_UpdateWindowSurfaceRects(window.window, window.exposed.data(), int(window.exposed.size()));
        window.exposed.clear();
    }
}

std::bitset<256> CDialogHold::Held() const
{
    std::bitset<256> held;
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    const size_t group = size_t(m_layout.group) & 3;
    for (int scancode = 0; scancode < count; ++scancode) {
        if (!keys[scancode])
            continue;
        SDL_Keysym key{};
        key.scancode = SDL_Scancode(scancode);
        key.sym = SDL_GetKeyFromScancode(key.scancode);
        // The keypad's keys by Num Lock and Shift as they are now, as they went down unless
        // either changed meanwhile.
        key.mod = Uint16(SDL_GetModState());
        const int virtualKey = VirtualKeyFor(key, m_layout.rightAltIsAltGr[group], m_layout.groupKeys[group]);
        if (virtualKey > 0 && virtualKey < 256)
            held[size_t(virtualKey)] = true;
    }
    const Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
    held[VK_LBUTTON] = (buttons & SDL_BUTTON_LMASK) != 0;
    held[VK_RBUTTON] = (buttons & SDL_BUTTON_RMASK) != 0;
    held[VK_MBUTTON] = (buttons & SDL_BUTTON_MMASK) != 0;
    return held;
}

}  // namespace w32::sdl
