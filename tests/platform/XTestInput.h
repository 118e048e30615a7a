#pragma once

#include <SDL.h>

struct _XDisplay;

// Input made as the hand makes it, through the XTest extension, on the X display that DISPLAY
// names: the server gives each event the keyboard group and the modifiers in effect, and delivers
// it where the focus and the pointer are. Keys are named by their place, as the keyboard's key
// names give it (LALT, AB01 the first key of the bottom letter row), whatever the layout.
class CXTestInput {
public:
    CXTestInput();
    ~CXTestInput();
    CXTestInput(const CXTestInput&) = delete;
    CXTestInput& operator=(const CXTestInput&) = delete;

    // False when the display or its XTest extension cannot be reached.
    bool IsOpen() const { return m_display != nullptr; }

    // Each is done by the server before it answers. Key answers false where no key has the name.
    bool Key(const char* name, bool down);
    void Button(int button, bool down);
    void MovePointer(int x, int y);
    // Turns Num Lock on or off on the core keyboard without a key, as a program that sets it does.
    void LockNumLock(bool on);
    // Gives the keyboard focus to the window that shows `window`, or with null to the root window;
    // false for a window that is not shown.
    bool Focus(SDL_Window* window);

private:
    _XDisplay* m_display = nullptr;
};
