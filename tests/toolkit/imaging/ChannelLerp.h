#pragma once

#include <cmath>
#include <cstdint>

// a + floor((b - a) t / 256) on each of the four channels, computed one channel at a time.
inline uint32_t ChannelLerp(uint32_t a, uint32_t b, int t)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int ca = int((a >> shift) & 0xFF), cb = int((b >> shift) & 0xFF);
        out |= uint32_t(ca + int(std::floor((cb - ca) * t / 256.0))) << shift;
    }
    return out;
}
