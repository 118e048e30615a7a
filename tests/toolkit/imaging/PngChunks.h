#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>

#include "tests/toolkit/imaging/BigEndianBytes.h"

// A PNG chunk made byte by byte: its length, its type and data, and their CRC.
inline std::string PngChunk(const std::string& type, const std::string& data)
{
    const std::string body = type + data;
    const uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size())));
    return Big32(uint32_t(data.size())) + body + Big32(crc);
}
