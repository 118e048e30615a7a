#pragma once

#include <cstdint>
#include <string>

// A four-character code as a u32 with the first letter in the most significant byte. Stored
// little-endian, its letters appear reversed in a file ('vers' reads "srev").
constexpr uint32_t MakeFourCC(const char (&letters)[5])
{
    return uint32_t(uint8_t(letters[0])) << 24 | uint32_t(uint8_t(letters[1])) << 16 |
           uint32_t(uint8_t(letters[2])) << 8 | uint32_t(uint8_t(letters[3]));
}

inline constexpr uint32_t kUnknownFourCC = MakeFourCC("????");

// The four letters of a code, and a code from a word of exactly four characters.
inline std::string FourCCText(uint32_t code)
{
    return {char(code >> 24), char(code >> 16), char(code >> 8), char(code)};
}

inline bool ParseFourCC(const std::string& word, uint32_t* code)
{
    if (word.size() != 4)
        return false;
    *code = uint32_t(uint8_t(word[0])) << 24 | uint32_t(uint8_t(word[1])) << 16 | uint32_t(uint8_t(word[2])) << 8 |
            uint32_t(uint8_t(word[3]));
    return true;
}
