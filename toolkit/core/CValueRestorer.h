#pragma once

#include <cstdint>

// Writes a saved value back into an int when the scope ends, or earlier on Restore, so that a
// flag set for the length of a handler is cleared on every path out of it. Disarmed, it writes
// nothing; after the first write it forgets the int.
class CValueRestorer {
public:
    CValueRestorer(int32_t* target, int32_t value) : m_target(target), m_value(value) {}
    ~CValueRestorer() { Restore(); }
    CValueRestorer(const CValueRestorer&) = delete;
    CValueRestorer& operator=(const CValueRestorer&) = delete;

    void Restore()
    {
        if (m_armed && m_target)
            *m_target = m_value;
        m_target = nullptr;
    }
    void Disarm() { m_armed = false; }

private:
    int32_t* m_target;
    int32_t m_value;
    bool m_armed = true;
};
