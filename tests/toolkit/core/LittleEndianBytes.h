#pragma once

#include <bit>
#include <cstdint>
#include <string>

#include "toolkit/core/tCMemFile.h"

// Fields put together byte by byte in the tests, little-endian, as the files hold them.
inline std::string LittleEndian(uint64_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += char(uint8_t(value >> (8 * i)));
    return out;
}

inline std::string U8(uint32_t value) { return LittleEndian(value, 1); }
inline std::string U16(uint32_t value) { return LittleEndian(value, 2); }
inline std::string U32(uint32_t value) { return LittleEndian(value, 4); }
inline std::string I32(int32_t value) { return LittleEndian(uint32_t(value), 4); }
inline std::string I64(int64_t value) { return LittleEndian(uint64_t(value), 8); }
inline std::string F32(float value) { return U32(std::bit_cast<uint32_t>(value)); }

// The bytes a memory stream holds.
inline std::string StreamBytes(const tCMemFile& stream)
{
    return std::string(reinterpret_cast<const char*>(stream.GetData()), size_t(stream.GetSize()));
}
