#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCString.h"

// The texts of HTTP heads: splitting them into lines and headers, writing them, and reading the
// numbers and ranges in them. Heads are parsed as the bytes that came, never as converted text.

// Splits a head into its first line and its headers. Lines end at LF (a CR before it is
// dropped); each later line is cut at its first ':' into a name (trimmed, ASCII upper-cased)
// and a value (trimmed of tab, blank, CR and LF); lines without ':' are skipped and an empty
// line ends the head. Bytes become text as UTF-8 with the Windows-1252 fallback. 5 when the
// lists cannot grow.
tResult SplitHeadLines(std::string_view head, tCString& firstLine, tCStringArray& names, tCStringArray& values);

// Appends each entry as the name, a blank and the value when the value is not empty, and CR LF;
// then one more CR LF. 1 when the lists differ in length.
tResult FormatHeaderLines(const tCStringArray& names, const tCStringArray& values, std::string& text);

// Whole unsigned 64-bit decimal numbers: digits only, at least one, no sign, no blank, no
// overflow.
bool ParseDecimalU64(std::u16string_view text, uint64_t* value);

// "bytes first-last/total" with first <= last < total.
struct tContentRange {
    uint64_t first = 0;
    uint64_t last = 0;
    uint64_t total = 0;
};
bool ParseContentRange(const tCString& value, tContentRange* range);

// A range request "bytes=first-" or "bytes=first-last" (the unit in any case); `hasLast` tells
// which.
bool ParseRangeRequest(const tCString& value, uint64_t* first, uint64_t* last, bool* hasLast);

// False when the text holds a control character (below 0x20, or 0x7F), which could end a head
// line early or smuggle another one in.
bool IsSafeHeaderText(const tCString& text);
// As IsSafeHeaderText, and neither empty nor holding a blank: the texts of the request line and
// the host.
bool IsSafeRequestWord(const tCString& text);

// "host" or "host:port"; without a port, 80. A port outside 1..65535 (or 0..65535 when
// `allowZero`) or a text after ':' that is not a whole number gives 6, as does an empty host.
tResult SplitHostPort(const tCString& text, tCString& host, uint16_t* port, bool allowZero);

// Each '%' followed by two hexadecimal digits becomes the byte they spell; any other '%' stays.
std::string PercentDecode(std::string_view text);

// 0 to 15 for a hexadecimal digit in either case, -1 for any other character.
int HexDigitValue(char c);

// "0" to "18446744073709551615".
tCString DecimalText(uint64_t value);
