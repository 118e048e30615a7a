#pragma once

#include <string>

#include "toolkit/core/ResultCodes.h"

class tCStream;

// The source of Resources/system.tsf, one text a line:
//   <id> [second=<n>] "<name>" "<text>"
// A text may hold '|'-separated alternatives.
tResult CompileStringTableSource(const std::string& source, tCStream& out, std::string* error);

// Prints a string table as source; fails on anything the compiler would not write again byte
// for byte.
tResult DumpStringTable(tCStream& in, std::string* source, std::string* error);
