#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/toolkit/imaging/BmpBuilder.h"
#include "toolkit/core/LittleEndianBytes.h"
#include "toolkit/core/tCMemFile.h"

// A chunk: u32 tag, i64 payload length, payload.
inline std::string Chunk(uint32_t tag, const std::string& payload)
{
    return U32(tag) + I64(int64_t(payload.size())) + payload;
}

// A 24-bit BMP whose header declares side x side pixels, and no pixel.
inline std::string BmpHeaderOnly(int32_t side)
{
    const std::vector<uint8_t> bmp = MakeBmp({.width = side, .height = side, .bits = 24, .palette{}, .pixels{}});
    return std::string(bmp.begin(), bmp.end());
}

// An 8-bit run-length BMP of side x side pixels that ends at once: a whole image of one colour.
inline std::string RleBmpEndingAtOnce(int32_t side)
{
    const std::vector<uint8_t> bmp = MakeBmp(
        {.width = side, .height = side, .bits = 8, .compression = 1, .coloursUsed = 1, .palette{0x808080}, .pixels{0, 1}});
    return std::string(bmp.begin(), bmp.end());
}

inline std::string PlaneHeader(int32_t width, int32_t height, int32_t plane, uint32_t encoding)
{
    return I32(width) + I32(height) + I32(plane) + U32(encoding);
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
