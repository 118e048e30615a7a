#pragma once

#include <functional>
#include <mutex>

struct _XDisplay;

namespace w32::sdl {

// A connection of the program's own to the X display, for requests that must not wait on SDL's
// (the keyboard's layout, a sent button release, a copy of the screen): opened at the first
// request and kept to the end. It selects no events, so nothing reads it while nobody asks.
class CX11Connection {
public:
    CX11Connection() = default;
    ~CX11Connection();
    CX11Connection(const CX11Connection&) = delete;
    CX11Connection& operator=(const CX11Connection&) = delete;

    // Runs `request` on the connection, one caller at a time, and answers what it answers; false
    // when the display cannot be reached.
    bool Run(const std::function<bool(_XDisplay*)>& request);

    // Whether the X display that DISPLAY names answers a connection now.
    static bool DisplayAnswers();

private:
    std::mutex m_lock;
    _XDisplay* m_display = nullptr;
};

}  // namespace w32::sdl
