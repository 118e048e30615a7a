#include "platform/sdl/DialogHold.h"

#include <X11/Xlib.h>

#include "platform/InputState.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "platform/sdl/SdlKeys.h"
#include "platform/sdl/X11Screen.h"

namespace w32::sdl {

CDialogHold::CDialogHold(std::atomic<int>& holds, SDL_Window* owner, SDL_Window* shown, bool managed,
                         const tX11KeyboardLayout& layout)
    : m_holds(holds), m_layout(layout)
{
    ++m_holds;
    unsigned long xwindow = 0;
    if (!SdlX11Window(shown, &m_sdlDisplay, &xwindow))
        return;
    _XDisplay* display = nullptr;
    unsigned long ownerWindow = 0;
    m_windows = CX11DialogWindows::Open(SdlX11Window(owner, &display, &ownerWindow) ? ownerWindow : 0, managed);
}

CDialogHold::~CDialogHold()
{
    // What the hand did until now reaches SDL, whose filter drops it.
    if (m_sdlDisplay)
        XSync(m_sdlDisplay, False);
    SDL_PumpEvents();
    m_windows.reset();
    --m_holds;
    input::EndHeldInput(GetFocus(), Held());
    if (m_sdlDisplay) {
        int x = 0, y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        input::SetCursorScreenPos(POINT{x, y});
    }
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
    if (m_windows)
        m_windows->Follow(processId);
}

std::vector<int> CDialogHold::Descriptors()
{
    std::vector<int> descriptors;
    if (m_sdlDisplay)
        descriptors.push_back(ConnectionNumber(m_sdlDisplay));
    if (m_windows)
        descriptors.push_back(m_windows->Descriptor());
    return descriptors;
}

bool CDialogHold::IsWaiting(int descriptor)
{
    if (m_sdlDisplay && descriptor == ConnectionNumber(m_sdlDisplay))
        return XEventsQueued(m_sdlDisplay, QueuedAlready) > 0;
    return m_windows && descriptor == m_windows->Descriptor() && m_windows->IsWaiting();
}

void CDialogHold::Serve(int descriptor)
{
    if (m_sdlDisplay && descriptor == ConnectionNumber(m_sdlDisplay))
        SDL_PumpEvents();
    else if (m_windows && descriptor == m_windows->Descriptor())
        m_windows->Serve();
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
