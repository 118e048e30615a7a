#pragma once

#include <SDL.h>

#include <atomic>
#include <bitset>
#include <memory>
#include <vector>

#include "platform/Process.h"
#include "platform/sdl/X11DialogWindows.h"
#include "platform/sdl/X11Keyboard.h"

struct _XDisplay;

namespace w32::sdl {

// What the SDL backend does while a dialog of another program holds the program (see
// CBackend::HoldForDialog). SDL's event filter drops the hand's input while `holds` counts a hold
// (Drops); SDL reads its connection whenever it can be read, so that nothing piles up there and
// SDL keeps the hand's state, and once more at the end for what came until then. The windows of
// the dialog's process are followed on a connection of their own.
class CDialogHold : public process::IWaitService {
public:
    // `owner` (may be null) is the window the dialog stands over, `shown` any of the program's
    // windows, through which SDL's connection is found; `managed`, a window manager gives windows
    // the keyboard; `layout` names the keys the hand holds at the end.
    CDialogHold(std::atomic<int>& holds, SDL_Window* owner, SDL_Window* shown, bool managed,
                const tX11KeyboardLayout& layout);
    ~CDialogHold() override;
    CDialogHold(const CDialogHold&) = delete;
    CDialogHold& operator=(const CDialogHold&) = delete;

    // For SDL's event filter while a hold lasts: true for input of the hand, which is then
    // dropped, what the event owns freed.
    static bool Drops(SDL_Event* event);

    void Started(int processId) override;
    std::vector<int> Descriptors() override;
    bool IsWaiting(int descriptor) override;
    void Serve(int descriptor) override;

private:
    // The keys and buttons the hand holds as SDL read them, by virtual key.
    std::bitset<256> Held() const;

    std::atomic<int>& m_holds;
    _XDisplay* m_sdlDisplay = nullptr;
    std::unique_ptr<CX11DialogWindows> m_windows;
    tX11KeyboardLayout m_layout;
};

}  // namespace w32::sdl
