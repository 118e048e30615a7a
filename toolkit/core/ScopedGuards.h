#pragma once

#include "toolkit/core/Memory.h"
#include "toolkit/core/tCBaseObject.h"

// Deletes the object a variable holds when the scope ends while armed, so that every early
// return of a builder releases what it built. Disarm when ownership passes elsewhere.
template <typename T>
class ScopedObjectGuard {
public:
    explicit ScopedObjectGuard(T** variable) : m_variable(variable) {}
    ~ScopedObjectGuard()
    {
        if (m_armed && *m_variable) {
            delete *m_variable;
            *m_variable = nullptr;
        }
    }
    ScopedObjectGuard(const ScopedObjectGuard&) = delete;
    ScopedObjectGuard& operator=(const ScopedObjectGuard&) = delete;
    void Disarm() { m_armed = false; }

private:
    T** m_variable;
    bool m_armed = true;
};

// The same for a raw buffer from the allocation hooks.
template <typename T>
class ScopedBufferGuard {
public:
    explicit ScopedBufferGuard(T** variable) : m_variable(variable) {}
    ~ScopedBufferGuard()
    {
        if (m_armed && *m_variable) {
            ToolkitFree(*m_variable);
            *m_variable = nullptr;
        }
    }
    ScopedBufferGuard(const ScopedBufferGuard&) = delete;
    ScopedBufferGuard& operator=(const ScopedBufferGuard&) = delete;
    void Disarm() { m_armed = false; }

private:
    T** m_variable;
    bool m_armed = true;
};
