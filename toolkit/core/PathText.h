#pragma once

#include <climits>
#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCString.h"

// Paths are POSIX texts: folders separated by "/", a name and an extension with its dot. Names
// relative to an application folder are written with ":" as their separator.
inline constexpr char16_t kPathSeparator = u'/';
inline constexpr char16_t kRelativeSeparator = u':';
// The longest path text the system takes (its buffer holds the terminator too).
inline constexpr int32_t kMaxPathLength = PATH_MAX - 1;

// Splits a path into its folder (up to and including the last "/"), its name and its
// extension (from the last "." after the folder, dot included). Each out string that is given
// receives its part. 6 for an empty text, which leaves the outs untouched.
tResult SplitPathText(const tCString& path, tCString* folder, tCString* name, tCString* extension);

// Folder, "/" unless the folder ends in one, name, "." unless the extension begins with one,
// extension. Empty parts are left out; a text longer than kMaxPathLength composes to "".
tCString MakePathText(const tCString& folder, const tCString& name, const tCString& extension);

// A relative name with its ":" separators turned into "/".
tCString RelativeToPathText(const tCString& relative);

bool EndsWithSeparator(const tCString& text);

// ASCII letters upper- or lower-cased; every other unit as it is.
tCString UpperCasedAscii(const tCString& text);
tCString LowerCasedAscii(const tCString& text);
