#pragma once

#include <cstdint>
#include <string>

// Fields of the formats that store the high byte first, written byte by byte.
inline std::string Big16(uint32_t v) { return {char(v >> 8), char(v)}; }

inline std::string Big32(uint32_t v)
{
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}
