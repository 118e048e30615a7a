#pragma once

#include <memory>
#include <vector>

struct _XDisplay;

namespace w32::sdl {

// The windows a dialog program shows over the program's window, found by the process they name
// (_NET_WM_PID) on a connection of their own, opened for the dialog's time. Each is made that
// window's own (WM_TRANSIENT_FOR) as soon as it is made, before a window manager takes it on,
// unless it names an owner itself: window managers keep such a window above its owner, over a
// full-screen one too, and give it the keyboard. Without a window manager each is raised and
// given the keyboard once on the screen, and when one goes the one shown last takes it back.
class CX11DialogWindows {
public:
    // Null where the display cannot be reached. `owner` is the program's X window the dialog
    // stands over (0: none); `managed`, a window manager gives windows the keyboard.
    static std::unique_ptr<CX11DialogWindows> Open(unsigned long owner, bool managed);
    ~CX11DialogWindows();
    CX11DialogWindows(const CX11DialogWindows&) = delete;
    CX11DialogWindows& operator=(const CX11DialogWindows&) = delete;

    // The dialog program runs as `processId`: its windows made since Open are the dialog's.
    void Follow(int processId);
    int Descriptor() const;
    // Events read already wait to be served.
    bool IsWaiting() const;
    // Reads what the display sent and follows it.
    void Serve();

private:
    CX11DialogWindows(_XDisplay* display, unsigned long owner, bool managed);
    // A top-level window: watched, and the dialog's own once it names the dialog's process.
    void Consider(unsigned long window);
    void ReadProcess(unsigned long window);
    void Adopt(unsigned long window);
    void Shown(unsigned long window);
    void Gone(unsigned long window);
    void GiveKeyboard();

    _XDisplay* m_display;
    unsigned long m_root;
    unsigned long m_owner;
    bool m_managed;
    int m_processId = 0;
    unsigned long m_processAtom;
    // Top-level windows made since Open whose process is not known yet.
    std::vector<unsigned long> m_unknown;
    std::vector<unsigned long> m_adopted;
    // The dialog's windows on the screen, the one shown last last.
    std::vector<unsigned long> m_shown;
};

}  // namespace w32::sdl
