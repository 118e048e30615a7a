#pragma once

#include <SDL.h>

#include <atomic>
#include <bitset>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Backend.h"
#include "platform/sdl/X11DialogWindows.h"
#include "platform/sdl/X11Keyboard.h"

struct _XDisplay;

namespace w32::sdl {

class CDialogHold;

// What the SDL backend keeps of the holds: how many drop the hand's input, which its event filter
// reads on any thread, and the one that follows the display's events, which come on the interface
// thread alone.
struct tDialogHolds {
    std::atomic<int> holding{0};
    CDialogHold* following = nullptr;
    // _NET_WM_PID on SDL's connection, once a hold has asked for it.
    unsigned long processAtom = 0;
};

// What the SDL backend does while a dialog of another program holds the program (see
// CBackend::HoldForDialog). SDL's event filter drops the hand's input while the hold holds
// (Admits); SDL reads its connection whenever it can be read, so that nothing piles up there and
// SDL keeps the hand's state. The dialog's windows are followed on SDL's connection from the
// events SDL hands on: the hold lets go at the event that tells that they all left the screen, so
// that what the hand did before is dropped and what it does after is kept, in the display's
// order, and holds again should one come back. Where the dialog shows no window the hold lasts
// until it is destroyed, and what came until then is read and dropped. The program's windows are
// drawn from their surfaces where the display exposes them meanwhile.
class CDialogHold : public IDialogHold {
public:
    // `windows` are the program's; `owner` (0: none) the X window the dialog stands over;
    // `managed`, a window manager gives windows the keyboard; `layout` names the keys the hand
    // holds as the hold lets go; `keyboardBack` gives the keyboard back to the window that had it.
    // A hold that does not `follow` the dialog's windows, as for a dialog that keeps the interface
    // thread (SDL's own box, CX11BoxWatch), holds until it is destroyed.
    CDialogHold(tDialogHolds& holds, const std::vector<SDL_Window*>& windows, unsigned long owner, bool managed,
                bool follow, const tX11KeyboardLayout& layout, std::function<void()> keyboardBack);
    ~CDialogHold() override;
    CDialogHold(const CDialogHold&) = delete;
    CDialogHold& operator=(const CDialogHold&) = delete;

    // For SDL's event filter: false for input of the hand while a hold holds, which is then
    // dropped, what the event owns freed. The display's events reach the following hold.
    static bool Admits(tDialogHolds& holds, SDL_Event* event);

    uintptr_t GetOwnerId() const override { return m_owner; }
    void Started(int processId) override;
    std::vector<int> Descriptors() override;
    bool IsWaiting(int descriptor) override;
    void Serve(int descriptor) override;

private:
    struct tWindow {
        SDL_Window* window;
        unsigned long xwindow;
        // The parts the display exposed since they were last drawn.
        std::vector<SDL_Rect> exposed;
    };

    static bool Drops(SDL_Event* event);
    void Note(const SDL_SysWMEvent& event);
    void Hold();
    void LetGo();
    void Redraw();
    // The keys and buttons the hand holds as SDL read them, by virtual key.
    std::bitset<256> Held() const;

    tDialogHolds& m_holds;
    CDialogHold* m_outer;
    _XDisplay* m_display = nullptr;
    unsigned long m_owner;
    std::vector<tWindow> m_windows;
    std::unique_ptr<CX11DialogWindows> m_dialog;
    tX11KeyboardLayout m_layout;
    std::function<void()> m_keyboardBack;
    bool m_holding = false;
};

}  // namespace w32::sdl
