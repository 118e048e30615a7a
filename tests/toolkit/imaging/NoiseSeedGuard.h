#pragma once

#include <cstdint>

#include "toolkit/imaging/NoiseLibrary.h"

// Keeps the shared seed of the noise library as a test found it: blend mode 11, set or read,
// advances it.
class tSeedGuard {
public:
    tSeedGuard() : m_saved{SharedNoise().seed[0], SharedNoise().seed[1]} {}
    ~tSeedGuard()
    {
        SharedNoise().seed[0] = m_saved[0];
        SharedNoise().seed[1] = m_saved[1];
    }
    tSeedGuard(const tSeedGuard&) = delete;
    tSeedGuard& operator=(const tSeedGuard&) = delete;

private:
    uint32_t m_saved[2];
};
