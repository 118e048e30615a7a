#pragma once

#include <cstdint>

// A four-character code as a u32 with the first letter in the most significant byte. Stored
// little-endian, its letters appear reversed in a file ('vers' reads "srev").
constexpr uint32_t MakeFourCC(const char (&letters)[5])
{
    return uint32_t(uint8_t(letters[0])) << 24 | uint32_t(uint8_t(letters[1])) << 16 |
           uint32_t(uint8_t(letters[2])) << 8 | uint32_t(uint8_t(letters[3]));
}

inline constexpr uint32_t kUnknownFourCC = MakeFourCC("????");
