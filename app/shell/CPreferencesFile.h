#pragma once

#include "app/shell/IPreferences.h"
#include "toolkit/core/ResultCodes.h"

class tCFPath;
class tCString;
class tCStream;

// The preferences file "Kostrel.prs" in <application data>/Veltrana Works/<product>: a sequence
// of chunks {u32 tag, u64 length, payload}, little-endian, with no header. The writer replaces
// the file whole or not at all; the reader applies what it can read and skips what it does not
// know, and a damaged file ends the reading early without a hang or a read past a chunk.
class CPreferencesFile : public IPreferences {
public:
    tResult ReadPreferences(CHMRBackdrop& backdrop) override;
    tResult WritePreferences(CHMRBackdrop& backdrop) override;

    // The file's path; 24 without an application-data folder, 22 when the product text is
    // missing or cannot name a folder.
    static tResult GetFilePath(tCFPath* path);
    // As above, with the text of the file's folder (ending in a separator).
    static tResult GetFilePath(tCFPath* path, tCString* folder);
    // The chunks of the backdrop's and the controller's settings; the first failure stops.
    static tResult WriteChunks(CHMRBackdrop& backdrop, tCStream* stream);
    // Applies the chunks from the stream's position to its end; 0 also when the loop ended early
    // on damaged data.
    static tResult ReadChunks(CHMRBackdrop& backdrop, tCStream& stream);
};
