#pragma once

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCString.h"

class tCMemFile;

// The text rules of update manifests and of the list of installed files, which has the same form.

// What lines and fields are trimmed of: tab, blank, LF and CR.
inline constexpr char16_t kManifestBlanks[] = u"\t \n\r";

// Appends the body's lines to `lines`, each trimmed of tab, blank, CR and LF, empty ones left out.
// A body that starts with the UTF-16 little-endian mark (FF FE) is UTF-16, any other UTF-8 (with
// the Windows-1252 fallback); the mark, and a UTF-8 mark (EF BB BF), is not part of the first
// line. A NUL ends a line as a line feed does. 5 when the list cannot grow.
tResult ReadManifestLines(tCMemFile& body, tCStringArray& lines);

// True for the lines of a readable manifest: the first one is the release's title line ("*") and no
// line holds a control character but tab and CR, which text does not.
bool IsReadableManifest(const tCStringArray& lines);

// "http://" + host + "/" + the name, its UTF-8 bytes other than letters, digits and "-._~"
// percent-encoded so that the address names exactly that file.
tCString MakeDownloadAddress(const tCString& host, const tCString& name);

// True for an address that may be handed to the desktop's web browser: "http://" or "https://"
// (the scheme in any case) and more, without blanks or control characters.
bool IsWebAddress(const tCString& text);
