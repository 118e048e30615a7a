#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/core/HexDigits.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCString.h"

// The readable source of the resource files: one statement a line, tokens separated by blanks.
// A line whose first non-blank character is '#' is a comment. Strings are quoted UTF-8 with the
// escapes \" \\ and \uXXXX (one UTF-16 unit); "[" and "]" enclose lists; everything else is a
// word (numbers, keywords, key=value, #AARRGGBB@position).
struct tToken {
    enum Kind { kWord, kString, kOpen, kClose };
    Kind kind = kWord;
    std::string word;         // a word as written
    std::u16string text;      // a string's units
};

// Splits a line into tokens; 20 with a message for an unterminated string or a bad escape.
tResult TokenizeLine(const std::string& line, std::vector<tToken>* tokens, std::string* error);

// A string token as the source writes it, quoted and escaped so that TokenizeLine reads back
// the same units.
std::string QuoteText(const std::u16string& text);


// Decimal or 0x-prefixed hexadecimal numbers that fit 32 bits.
bool ParseU32(const std::string& word, uint32_t* value);
// A colour "#AARRGGBB".
bool ParseColour(const std::string& word, uint32_t* colour);
std::string FormatColour(uint32_t colour);
// A whole word as a finite float. A value too small for a normal float is no fault: it reads as
// the nearest float, as a printed denormal must.
bool ParseFloat(const std::string& word, float* value);
// The shortest form that reads back as the same float.
std::string FormatFloat(float value);

// Splits the source into lines (LF or CR LF).
std::vector<std::string> SplitLines(const std::string& source);

// Reads one statement's tokens in order; every Take answers false with a message on a mismatch.
class tStatement {
public:
    tStatement(const std::vector<tToken>& tokens, std::string* error, int line = 0)
        : m_tokens(tokens), m_error(error), m_line(line)
    {
    }

    // The statement's line in the source, from 1.
    int GetLine() const { return m_line; }
    bool AtEnd() const { return m_next >= m_tokens.size(); }
    bool NextIs(tToken::Kind kind) const { return !AtEnd() && m_tokens[m_next].kind == kind; }

    bool TakeWord(std::string* word)
    {
        if (!NextIs(tToken::kWord))
            return Fail("a word or number expected");
        *word = m_tokens[m_next++].word;
        return true;
    }
    bool TakeU32(uint32_t* value);
    bool TakeString(std::u16string* text)
    {
        if (!NextIs(tToken::kString))
            return Fail("a quoted string expected");
        *text = m_tokens[m_next++].text;
        return true;
    }
    // A string that can be stored as one text line.
    bool TakeLine(tCString* text);
    bool Take(tToken::Kind kind, const char* what)
    {
        if (!NextIs(kind))
            return Fail(what);
        ++m_next;
        return true;
    }
    // An optional "key=<u32>" word; the value stays as it is when the word is absent.
    bool TakeOption(const std::string& key, uint32_t* value);
    bool Finish() { return AtEnd() || Fail("unexpected text at the end of the line"); }
    bool Fail(const std::string& message)
    {
        *m_error = message;
        return false;
    }

private:
    const std::vector<tToken>& m_tokens;
    std::string* m_error;
    int m_line;
    size_t m_next = 0;
};

// Hands every line that holds tokens to `compile` in order; the first failure answers 20 with
// "line <n>: <message>" in `error`.
tResult CompileLines(const std::string& source,
                     const std::function<bool(const std::string& line, tStatement& statement)>& compile,
                     std::string* error);
