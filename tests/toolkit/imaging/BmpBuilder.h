#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/core/ErrorBoxRecorder.h"
#include "toolkit/core/tCMemFile.h"

// Hand-made BMP files for the reader's tests, laid out byte by byte.
struct tBmpLayout {
    uint32_t headerSize = 40;
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bits = 8;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
    std::vector<uint32_t> palette;  // 0xRRGGBB; written as B, G, R (and a zero byte)
    std::vector<uint8_t> pixels;
    int32_t gap = 0;  // bytes between the palette and the pixels, counted in the offset
};

inline void PutLe(std::vector<uint8_t>& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

inline std::vector<uint8_t> MakeBmp(const tBmpLayout& s)
{
    const bool core = s.headerSize == 12;
    const uint32_t entry = core ? 3 : 4;
    const uint32_t offset = 14 + s.headerSize + entry * uint32_t(s.palette.size()) + uint32_t(s.gap);
    std::vector<uint8_t> out{'B', 'M'};
    PutLe(out, offset + s.pixels.size(), 4);
    PutLe(out, 0, 4);
    PutLe(out, offset, 4);
    PutLe(out, s.headerSize, 4);
    if (core) {
        PutLe(out, uint32_t(s.width), 2);
        PutLe(out, uint32_t(s.height), 2);
        PutLe(out, 1, 2);
        PutLe(out, s.bits, 2);
    } else {
        PutLe(out, uint32_t(s.width), 4);
        PutLe(out, uint32_t(s.height), 4);
        PutLe(out, 1, 2);
        PutLe(out, s.bits, 2);
        PutLe(out, s.compression, 4);
        PutLe(out, s.pixels.size(), 4);
        PutLe(out, 2835, 4);
        PutLe(out, 2835, 4);
        PutLe(out, s.coloursUsed, 4);
        PutLe(out, 0, 4);
        for (uint32_t i = 40; i < s.headerSize; ++i)
            out.push_back(0xEE);
    }
    for (uint32_t c : s.palette) {
        PutLe(out, c, 3);
        if (!core)
            out.push_back(0);
    }
    out.insert(out.end(), size_t(s.gap), 0xCC);
    out.insert(out.end(), s.pixels.begin(), s.pixels.end());
    return out;
}

inline void Fill(tCMemFile& stream, const std::vector<uint8_t>& bytes)
{
    stream.Reset();
    if (!bytes.empty())
        stream.WriteBytes(bytes.data(), int64_t(bytes.size()));
    stream.Rewind();
}

inline std::vector<uint8_t> Contents(tCMemFile& stream)
{
    return std::vector<uint8_t>(stream.GetData(), stream.GetData() + stream.GetSize());
}

// The extra line of the last error box ("" when none was shown since the last call).
inline std::string TakeExtraLine(ErrorBoxRecorder& boxes)
{
    std::string text;
    text.swap(boxes.text);
    const size_t line = text.find('\n');
    return line == std::string::npos ? text : text.substr(line + 1);
}
