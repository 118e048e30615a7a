#pragma once

#include <unistd.h>

// A file descriptor closed when the scope ends.
class tDescriptor {
public:
    explicit tDescriptor(int descriptor = -1) : m_descriptor(descriptor) {}
    ~tDescriptor() { Reset(-1); }
    tDescriptor(const tDescriptor&) = delete;
    tDescriptor& operator=(const tDescriptor&) = delete;

    int Get() const { return m_descriptor; }
    int Release()
    {
        const int descriptor = m_descriptor;
        m_descriptor = -1;
        return descriptor;
    }
    void Reset(int descriptor)
    {
        if (m_descriptor >= 0)
            close(m_descriptor);
        m_descriptor = descriptor;
    }

private:
    int m_descriptor;
};
