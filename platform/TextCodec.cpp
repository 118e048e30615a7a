#include "platform/TextCodec.h"

#include <cstdint>

namespace {

// Windows-1252 for 0x80..0x9F; the five unassigned bytes map to the same C1 code point.
const char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t Cp1252ToWide(uint8_t byte)
{
    return (byte >= 0x80 && byte < 0xA0) ? kCp1252High[byte - 0x80] : char16_t(byte);
}

// Decodes one well-formed UTF-8 sequence at `p`; answers its length, or 0 when the bytes do not
// form one (truncated, overlong, a surrogate or beyond U+10FFFF).
size_t DecodeUtf8(const uint8_t* p, size_t avail, uint32_t* codePoint)
{
    const uint8_t lead = p[0];
    size_t length;
    uint32_t value;
    uint32_t minimum;
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (avail < length)
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (p[i] & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *codePoint = value;
    return length;
}

void AppendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// The first surrogate of a byte that does not form UTF-8 in a file name; the byte is added.
constexpr char16_t kEscapedByte = 0xDC00;

// Reads UTF-8 into UTF-16 units, each byte that is not part of a sequence through `single`.
// With `out` null only counts.
size_t DecodeNarrow(const char* text, size_t bytes, char16_t* out, char16_t (*single)(uint8_t))
{
    const auto* p = reinterpret_cast<const uint8_t*>(text);
    size_t units = 0;
    size_t i = 0;
    while (i < bytes) {
        uint32_t cp;
        const size_t used = DecodeUtf8(p + i, bytes - i, &cp);
        if (used == 0) {
            if (out)
                out[units] = single(p[i]);
            ++units;
            ++i;
            continue;
        }
        i += used;
        if (cp >= 0x10000) {
            if (out) {
                out[units] = char16_t(0xD800 + ((cp - 0x10000) >> 10));
                out[units + 1] = char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
            }
            units += 2;
        } else {
            if (out)
                out[units] = char16_t(cp);
            ++units;
        }
    }
    return units;
}

char16_t EscapedByte(uint8_t byte)
{
    return char16_t(kEscapedByte + byte);
}

}  // namespace

namespace w32 {

size_t AnsiToWide(const char* text, size_t bytes, char16_t* out)
{
    return DecodeNarrow(text, bytes, out, Cp1252ToWide);
}

std::string WideToAnsi(const char16_t* text, size_t units)
{
    std::string out;
    out.reserve(units);
    for (size_t i = 0; i < units; ++i) {
        uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::u16string ToWide(std::string_view text)
{
    std::u16string out(AnsiToWide(text.data(), text.size(), nullptr), u'\0');
    AnsiToWide(text.data(), text.size(), out.data());
    return out;
}

std::string ToAnsi(std::u16string_view text)
{
    return WideToAnsi(text.data(), text.size());
}

std::u16string FileNameToWide(std::string_view bytes)
{
    std::u16string out(DecodeNarrow(bytes.data(), bytes.size(), nullptr, EscapedByte), u'\0');
    DecodeNarrow(bytes.data(), bytes.size(), out.data(), EscapedByte);
    return out;
}

bool WideToFileName(std::u16string_view text, std::string* bytes)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = text[i];
        if (cp == 0)
            return false;
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= kEscapedByte + 0x80 && cp <= kEscapedByte + 0xFF) {
            out += char(cp - kEscapedByte);
            continue;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            return false;
        }
        AppendUtf8(out, cp);
    }
    // Escaped bytes that join into a UTF-8 sequence would read back as another text: that text
    // is the name of those bytes, and this one names nothing.
    if (FileNameToWide(out) != text)
        return false;
    *bytes = std::move(out);
    return true;
}

}  // namespace w32
