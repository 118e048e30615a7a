#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "toolkit/core/tCMemFile.h"

// Little-endian bytes of stored fields, made by hand, and memory streams over them.

inline std::string Le(uint64_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += char(value >> (8 * i));
    return out;
}

inline std::string U32(uint32_t value) { return Le(value, 4); }
inline std::string I64(int64_t value) { return Le(uint64_t(value), 8); }

inline std::string F32(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return U32(bits);
}

// A four-character tag as the files hold it: the letters reversed.
inline std::string Tag(const char* letters)
{
    return U32(uint32_t(uint8_t(letters[0])) << 24 | uint32_t(uint8_t(letters[1])) << 16 |
               uint32_t(uint8_t(letters[2])) << 8 | uint32_t(uint8_t(letters[3])));
}

// A tagged chunk: tag, 64-bit length, payload.
inline std::string Chunk(const char* tag, const std::string& payload)
{
    return Tag(tag) + I64(int64_t(payload.size())) + payload;
}

inline std::unique_ptr<tCMemFile> StreamOf(const std::string& bytes)
{
    auto stream = std::make_unique<tCMemFile>();
    stream->WriteBytes(bytes.data(), int64_t(bytes.size()));
    stream->Rewind();
    return stream;
}

inline std::string BytesOf(const tCMemFile& stream)
{
    return std::string(reinterpret_cast<const char*>(stream.GetData()), size_t(stream.GetSize()));
}
