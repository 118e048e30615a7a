#pragma once

#include <cstdint>

// Characters of NUL-terminated UTF-16 text. A surrogate pair is one character; a surrogate
// without its partner is a character of its own, whose code no face maps, so it is drawn and
// measured as the face's missing glyph like any other character the face lacks.

inline bool IsHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

inline bool IsLowSurrogate(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

struct tTextCharacter {
    uint32_t code = 0;
    // 2 for a surrogate pair, else 1.
    int32_t units = 1;
};

// The character that starts at the non-NUL unit text[i]. A pair must end before `end` (end <= 0:
// the text's NUL); its low half is read only after a high one, so never past the NUL.
inline tTextCharacter CharacterAt(const char16_t* text, int32_t i, int32_t end)
{
    const char16_t unit = text[i];
    if (IsHighSurrogate(unit) && (end <= 0 || i + 1 < end) && IsLowSurrogate(text[i + 1]))
        return {0x10000u + ((uint32_t(unit) - 0xD800u) << 10) + (uint32_t(text[i + 1]) - 0xDC00u), 2};
    return {unit, 1};
}
