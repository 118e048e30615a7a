#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>

#include "toolkit/core/tCMemFile.h"

// Records put together byte by byte in the tests, little-endian, field by field.
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

// A chunk: u32 tag, i64 payload length, payload.
inline std::string Chunk(uint32_t tag, const std::string& payload)
{
    return U32(tag) + I64(int64_t(payload.size())) + payload;
}

inline std::string PlaneHeader(int32_t width, int32_t height, int32_t plane, uint32_t encoding)
{
    return I32(width) + I32(height) + I32(plane) + U32(encoding);
}

inline std::string StreamBytes(const tCMemFile& stream)
{
    return std::string(reinterpret_cast<const char*>(stream.GetData()), size_t(stream.GetSize()));
}

// The stream holds exactly the bytes, positioned at the start.
inline tCMemFile& Holding(tCMemFile& stream, const std::string& bytes)
{
    stream.Reset();
    if (!bytes.empty()) {
        EXPECT_EQ(stream.WriteBytes(bytes.data(), int64_t(bytes.size())), kResOk);
    }
    stream.Rewind();
    return stream;
}
