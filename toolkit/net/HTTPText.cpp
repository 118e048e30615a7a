#include "toolkit/net/HTTPText.h"

#include "toolkit/core/PathText.h"

namespace {

constexpr char16_t kHeadBlanks[] = u"\t \n\r";

// Cuts `text` at the first `delimiter` into the parts before and after it.
bool CutAt(std::u16string_view text, char16_t delimiter, std::u16string_view* before, std::u16string_view* after)
{
    const size_t at = text.find(delimiter);
    if (at == std::u16string_view::npos)
        return false;
    *before = text.substr(0, at);
    *after = text.substr(at + 1);
    return true;
}

}  // namespace

tResult SplitHeadLines(std::string_view head, tCString& firstLine, tCStringArray& names, tCStringArray& values)
{
    bool first = true;
    while (!head.empty()) {
        const size_t end = head.find('\n');
        std::string_view line = head.substr(0, end);
        head = end == std::string_view::npos ? std::string_view() : head.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (first) {
            firstLine = tCString::FromAnsi(line);
            first = false;
            continue;
        }
        if (line.empty())
            break;
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        TK_TRY(names.Add(UpperCasedAscii(tCString::FromAnsi(line.substr(0, colon)).Trimmed(kHeadBlanks))));
        TK_TRY(values.Add(tCString::FromAnsi(line.substr(colon + 1)).Trimmed(kHeadBlanks)));
    }
    return names.GetCount() == values.GetCount() ? kResOk : kResFailure;
}

tResult FormatHeaderLines(const tCStringArray& names, const tCStringArray& values, std::string& text)
{
    if (names.GetCount() != values.GetCount())
        return kResFailure;
    for (int32_t i = 0; i < names.GetCount(); ++i) {
        text += names[i].ToAnsi();
        if (!values[i].IsEmpty())
            text += ' ' + values[i].ToAnsi();
        text += "\r\n";
    }
    text += "\r\n";
    return kResOk;
}

bool ParseDecimalU64(std::u16string_view text, uint64_t* value)
{
    if (text.empty())
        return false;
    uint64_t result = 0;
    for (const char16_t unit : text) {
        if (unit < u'0' || unit > u'9')
            return false;
        const uint64_t digit = uint64_t(unit - u'0');
        if (result > (UINT64_MAX - digit) / 10)
            return false;
        result = result * 10 + digit;
    }
    *value = result;
    return true;
}

bool ParseContentRange(const tCString& value, tContentRange* range)
{
    std::u16string_view unit, rest, span, total, first, last;
    if (!CutAt(value.View(), u' ', &unit, &rest) || UpperCasedAscii(tCString(unit)) != u"BYTES")
        return false;
    if (!CutAt(rest, u'/', &span, &total) || !CutAt(span, u'-', &first, &last))
        return false;
    tContentRange parsed;
    if (!ParseDecimalU64(first, &parsed.first) || !ParseDecimalU64(last, &parsed.last) ||
        !ParseDecimalU64(total, &parsed.total))
        return false;
    if (parsed.first > parsed.last || parsed.last >= parsed.total)
        return false;
    *range = parsed;
    return true;
}

bool ParseRangeRequest(const tCString& value, uint64_t* first, uint64_t* last, bool* hasLast)
{
    std::u16string_view unit, rest, from, to;
    if (!CutAt(value.View(), u'=', &unit, &rest) || UpperCasedAscii(tCString(unit)) != u"BYTES")
        return false;
    if (!CutAt(rest, u'-', &from, &to) || !ParseDecimalU64(from, first))
        return false;
    *hasLast = !to.empty();
    if (!*hasLast)
        return true;
    return ParseDecimalU64(to, last) && *last >= *first;
}

bool IsSafeHeaderText(const tCString& text)
{
    for (const char16_t unit : text.View())
        if (unit < 0x20 || unit == 0x7F)
            return false;
    return true;
}

bool IsSafeRequestWord(const tCString& text)
{
    return !text.IsEmpty() && IsSafeHeaderText(text) && text.View().find(u' ') == std::u16string_view::npos;
}

tResult SplitHostPort(const tCString& text, tCString& host, uint16_t* port, bool allowZero)
{
    std::u16string_view name = text.View(), portText;
    uint64_t number = 80;
    if (CutAt(text.View(), u':', &name, &portText)) {
        if (!ParseDecimalU64(portText, &number) || number > 65535 || (number == 0 && !allowZero))
            return kResBadParam;
    }
    if (name.empty())
        return kResBadParam;
    host = tCString(name);
    *port = uint16_t(number);
    return kResOk;
}

std::string PercentDecode(std::string_view text)
{
    std::string decoded;
    decoded.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigitValue(text[i + 1]) >= 0 && HexDigitValue(text[i + 2]) >= 0) {
            decoded += char(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

tCString DecimalText(uint64_t value)
{
    return tCString::FromAnsi(std::to_string(value));
}
