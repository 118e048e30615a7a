#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "resources/CompiledResources.h"
#include "toolkit/core/tCMemFile.h"

// Tagged chunks (64-bit lengths) made by hand, and memory streams over them. U32, I64, F32, Line
// and the resource file's Chunk come with the compiled resources' helpers.

// A four-character tag as the files hold it: the letters reversed.
inline std::string Tag(const char* letters)
{
    return U32(uint32_t(uint8_t(letters[0])) << 24 | uint32_t(uint8_t(letters[1])) << 16 |
               uint32_t(uint8_t(letters[2])) << 8 | uint32_t(uint8_t(letters[3])));
}

inline std::string TaggedChunk(const char* tag, const std::string& payload)
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
