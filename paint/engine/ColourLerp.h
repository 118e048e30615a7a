#pragma once

#include <cstdint>

// Interpolation of 8-bit channels by an 8-bit weight: a + ((b - a) x w >> 8), the shift taken on
// the two's-complement product so the result rounds toward minus infinity.

// All four bytes of two colours, two channels per 32-bit operation (blue and red, then green and
// alpha). A lane's borrow never reaches the next lane because each lane's result is a byte.
inline uint32_t LerpColour(uint32_t a, uint32_t b, uint32_t w)
{
    const uint32_t aRB = a & 0x00FF00FFu;
    const uint32_t bRB = b & 0x00FF00FFu;
    const uint32_t aGA = (a >> 8) & 0x00FF00FFu;
    const uint32_t bGA = (b >> 8) & 0x00FF00FFu;
    const uint32_t rb = (aRB + (((bRB - aRB) * w) >> 8)) & 0x00FF00FFu;
    const uint32_t ga = (aGA + (((bGA - aGA) * w) >> 8)) & 0x00FF00FFu;
    return rb | ga << 8;
}

// The same rule on a 16-bit field, kept modulo 65536.
inline uint16_t LerpU16(uint32_t a, uint32_t b, uint32_t w)
{
    return uint16_t(int32_t(a) + ((int32_t(b) - int32_t(a)) * int32_t(w) >> 8));
}

inline uint8_t LerpU8(uint32_t a, uint32_t b, uint32_t w)
{
    return uint8_t(int32_t(a) + ((int32_t(b) - int32_t(a)) * int32_t(w) >> 8));
}

// The weight of a 16.16 position: its fraction's top byte.
inline uint32_t LinearWeight(int32_t position) { return uint32_t(position >> 8) & 255u; }

// The smoothstep t^2 (3 - 2t) of the position's fraction, as a weight 0..255.
inline uint32_t SmoothWeight(int32_t position)
{
    const uint64_t t = uint32_t(position) & 0xFFFFu;
    return uint32_t((((t * t) >> 16) * (0x18000u - t) * 2) >> 24);
}
