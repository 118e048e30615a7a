#pragma once

#include <vector>

struct _XDisplay;
union _XEvent;

namespace w32::sdl {

// The windows a dialog shows over the program's window, followed on SDL's connection from the
// events it reads: the top-level windows made meanwhile are watched, and those of the dialog's
// process (_NET_WM_PID) and those that name the program's window as their owner (SDL's own box)
// are the dialog's. Each of the dialog process's windows is made the program's window's own
// (WM_TRANSIENT_FOR) as soon as it names the process, unless it names an owner itself. Nothing
// orders that before a window manager takes the window on; dialog programs name the process as
// they make the window, before they show it, so that a manager mostly finds it the owner's.
// Window managers keep such a window above its owner, over a full-screen one too, and give it the
// keyboard. Without a window manager each is raised and given the keyboard once on the screen,
// and when one goes the one shown last takes it back.
class CX11DialogWindows {
public:
    // `display` is SDL's connection, whose root window's substructure is watched from now on;
    // `owner` the program's X window the dialog stands over (0: none); `managed`, a window manager
    // gives windows the keyboard; `processAtom` is _NET_WM_PID on the display.
    CX11DialogWindows(_XDisplay* display, unsigned long owner, bool managed, unsigned long processAtom);
    // The display no longer tells SDL's connection of the windows made, nor of those of other
    // programs among them.
    ~CX11DialogWindows();
    CX11DialogWindows(const CX11DialogWindows&) = delete;
    CX11DialogWindows& operator=(const CX11DialogWindows&) = delete;

    // The dialog program runs as `processId`: its windows made since the start are the dialog's.
    void Follow(int processId);
    // Follows an event read from the display.
    void Note(const _XEvent& event);
    // One of the dialog's windows is on the screen.
    bool IsShown() const { return !m_shown.empty(); }
    // The dialog's windows were on the screen and have all left it.
    bool HasLeft() const { return m_everShown && m_shown.empty(); }

private:
    // A top-level window: watched, and the dialog's once it names the dialog's process or owner.
    void Consider(unsigned long window);
    void Decide(unsigned long window);
    void Adopt(unsigned long window, unsigned long namedOwner);
    void Shown(unsigned long window);
    void Gone(unsigned long window);
    void GiveKeyboard();

    _XDisplay* m_display;
    unsigned long m_root;
    unsigned long m_owner;
    bool m_managed;
    unsigned long m_processAtom;
    int m_processId = 0;
    // The root's substructure was watched before: another follower began first.
    bool m_rootWatched = false;
    // Top-level windows made since the start that are not the dialog's yet.
    std::vector<unsigned long> m_unknown;
    std::vector<unsigned long> m_adopted;
    // The dialog's windows on the screen, the one shown last last.
    std::vector<unsigned long> m_shown;
    bool m_everShown = false;
};

}  // namespace w32::sdl
