#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The narrow ("ANSI") text of the program is UTF-8. Bytes that do not form a UTF-8 sequence read
// as Windows-1252, one character per byte, so no narrow text is ever unreadable.
namespace w32 {

// Converts `bytes` narrow bytes into UTF-16 units. With `out` null only counts; answers the
// number of units written or needed.
size_t AnsiToWide(const char* text, size_t bytes, char16_t* out);

// Converts UTF-16 units into UTF-8; a lone surrogate becomes U+FFFD.
std::string WideToAnsi(const char16_t* text, size_t units);

// The same two conversions for whole strings.
std::u16string ToWide(std::string_view text);
std::string ToAnsi(std::u16string_view text);

// File names are bytes, whatever the system gave; they must come back byte for byte, so they
// do not take the Windows-1252 reading of text. UTF-8 sequences become their characters and each
// other byte (0x80..0xFF) the lone surrogate U+DC00 + byte. Shown as text, such a name shows
// U+FFFD where those bytes stand.
std::u16string FileNameToWide(std::string_view bytes);
// The bytes a wide file name stands for. False for a text that no name read by FileNameToWide
// gives back (a NUL, any other lone surrogate, or surrogates for bytes that would read back as
// UTF-8): such a text names no file, and must not name another one.
bool WideToFileName(std::u16string_view text, std::string* bytes);

}  // namespace w32
