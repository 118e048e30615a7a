#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CompiledResources.h"
#include "toolkit/core/FourCC.h"

// Pieces of compiled widget data and of resource sources, put together by hand.

// A four-character tag as the compiled file holds it.
inline std::string Tag(const char* tag)
{
    uint32_t code = 0;
    ParseFourCC(tag, &code);
    return U32(code);
}

// A widget data text: UTF-16 units with the line end the reader drops, then a NUL.
inline std::string WidgetText(const std::u16string& text)
{
    std::string bytes;
    for (char16_t unit : text + u"\n")
        bytes += {char(unit & 0xFF), char(unit >> 8)};
    return bytes + std::string(2, '\0');
}

// Source lines, each ended by a line feed.
inline std::string Lines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}
