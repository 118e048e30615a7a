#pragma once

#include <string>

#include "toolkit/core/tCString.h"

// A string's text, for comparing with a literal.
inline std::u16string Text(const tCString& s) { return std::u16string(s.View()); }
