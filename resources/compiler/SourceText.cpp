#include "resources/compiler/SourceText.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "toolkit/core/ResourceFormat.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Reads a quoted string starting after its opening quote; `at` ends after the closing one.
tResult ReadString(const std::string& line, size_t* at, std::u16string* text, std::string* error)
{
    std::string pending;
    auto flush = [&] {
        *text += tCString::FromAnsi(std::string_view(pending)).View();
        pending.clear();
    };
    size_t i = *at;
    while (i < line.size() && line[i] != '"') {
        if (line[i] != '\\') {
            pending += line[i++];
            continue;
        }
        flush();
        const char escape = i + 1 < line.size() ? line[i + 1] : '\0';
        if (escape == '"' || escape == '\\') {
            *text += char16_t(escape);
            i += 2;
        } else if (escape == 'u' && i + 6 <= line.size()) {
            uint32_t unit = 0;
            for (size_t k = i + 2; k < i + 6; ++k) {
                const int digit = HexDigitValue(line[k]);
                if (digit < 0) {
                    *error = "bad \\u escape";
                    return kResTextParse;
                }
                unit = unit * 16 + uint32_t(digit);
            }
            *text += char16_t(unit);
            i += 6;
        } else {
            *error = "bad escape in a string";
            return kResTextParse;
        }
    }
    if (i >= line.size()) {
        *error = "unterminated string";
        return kResTextParse;
    }
    flush();
    *at = i + 1;
    return kResOk;
}

}  // namespace

tResult TokenizeLine(const std::string& line, std::vector<tToken>* tokens, std::string* error)
{
    tokens->clear();
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    if (i < line.size() && line[i] == '#')
        return kResOk;
    while (i < line.size()) {
        const char c = line[i];
        tToken token;
        if (IsBlank(c)) {
            ++i;
            continue;
        } else if (c == '[' || c == ']') {
            token.kind = c == '[' ? tToken::kOpen : tToken::kClose;
            ++i;
        } else if (c == '"') {
            token.kind = tToken::kString;
            ++i;
            TK_TRY(ReadString(line, &i, &token.text, error));
        } else {
            while (i < line.size() && !IsBlank(line[i]) && line[i] != '"' && line[i] != '[' && line[i] != ']')
                token.word += line[i++];
        }
        tokens->push_back(std::move(token));
    }
    return kResOk;
}

std::string QuoteText(const std::u16string& text)
{
    std::string out = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        const bool pair = unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                          text[i + 1] < 0xE000;
        if (pair) {
            out += tCString(std::u16string_view(text.data() + i, 2)).ToAnsi();
            ++i;
        } else if (unit == u'"' || unit == u'\\') {
            out += '\\';
            out += char(unit);
        } else if (unit < 0x20 || unit == 0x7F || (unit >= 0xD800 && unit < 0xE000)) {
            static const char kHex[] = "0123456789ABCDEF";
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += kHex[(unit >> shift) & 0xF];
        } else {
            out += tCString(std::u16string_view(&unit, 1)).ToAnsi();
        }
    }
    return out + "\"";
}

bool ParseU32(const std::string& word, uint32_t* value)
{
    if (word.empty() || word[0] == '-' || word[0] == '+')
        return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long parsed = std::strtoull(word.c_str(), &end, word.rfind("0x", 0) == 0 ? 16 : 10);
    if (errno != 0 || *end != '\0' || parsed > UINT32_MAX)
        return false;
    *value = uint32_t(parsed);
    return true;
}

bool ParseColour(const std::string& word, uint32_t* colour)
{
    if (word.size() != 9 || word[0] != '#')
        return false;
    uint32_t argb = 0;
    for (size_t i = 1; i < 9; ++i) {
        const int digit = HexDigitValue(word[i]);
        if (digit < 0)
            return false;
        argb = argb << 4 | uint32_t(digit);
    }
    *colour = argb;
    return true;
}

std::string FormatColour(uint32_t colour)
{
    char text[16];
    std::snprintf(text, sizeof text, "#%08X", colour);
    return text;
}

bool ParseFloat(const std::string& word, float* value)
{
    if (word.empty() || word[0] == ' ')
        return false;
    char* end = nullptr;
    const float parsed = std::strtof(word.c_str(), &end);
    if (*end != '\0' || !std::isfinite(parsed))
        return false;
    *value = parsed;
    return true;
}

std::string FormatFloat(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", double(value));
    return text;
}

std::vector<std::string> SplitLines(const std::string& source)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= source.size()) {
        size_t end = source.find('\n', start);
        if (end == std::string::npos)
            end = source.size();
        std::string line = source.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

bool tStatement::TakeU32(uint32_t* value)
{
    std::string word;
    return TakeWord(&word) && (ParseU32(word, value) || Fail("a 32-bit number expected"));
}

bool tStatement::TakeLine(tCString* text)
{
    std::u16string units;
    if (!TakeString(&units))
        return false;
    *text = tCString(std::u16string_view(units));
    return IsStorableLine(*text) || Fail("a text may hold no CR, LF, NUL or byte-order mark");
}

bool tStatement::TakeOption(const std::string& key, uint32_t* value)
{
    if (!NextIs(tToken::kWord) || m_tokens[m_next].word.rfind(key + "=", 0) != 0)
        return true;
    const std::string word = m_tokens[m_next++].word;
    return ParseU32(word.substr(key.size() + 1), value) || Fail("a 32-bit number expected after '='");
}

tResult CompileLines(const std::string& source,
                     const std::function<bool(const std::string& line, tStatement& statement)>& compile,
                     std::string* error)
{
    const std::vector<std::string> lines = SplitLines(source);
    for (size_t i = 0; i < lines.size(); ++i) {
        std::vector<tToken> tokens;
        std::string message;
        bool compiled = TokenizeLine(lines[i], &tokens, &message) == kResOk;
        if (compiled && !tokens.empty()) {
            tStatement statement(tokens, &message, int(i + 1));
            compiled = compile(lines[i], statement);
        }
        if (!compiled) {
            *error = "line " + std::to_string(i + 1) + ": " + message;
            return kResTextParse;
        }
    }
    return kResOk;
}
