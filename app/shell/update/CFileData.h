#pragma once

#include <cstdint>

#include "toolkit/core/tCBaseObject.h"
#include "toolkit/core/tCString.h"

// One file of a release as a manifest line lists it: "folder|IIvvv%name", where II are two
// characters of id and vvv the version. The folder is relative to the update folder, with ":"
// between its levels.
class CFileData : public tCBaseObject {
public:
    // Fills folder, name, id and version from a file line; the flags and the temp name are
    // left as they are. False when the id or the version is worth 2^32 or more, which does not
    // fit (the field then holds it cut to 32 bits).
    bool SetFromManifestLine(const tCString& line);

    // folder:name, or the name alone when the folder is empty.
    tCString GetTargetPath() const;

    // False for a name that could leave its folder or name something other than one file
    // (empty, ".", "..", or holding "/", "\", ":" or a control character, C1 included), and for
    // a folder with a leading separator, an empty, "." or ".." level, a "\" or a control
    // character; also for a name or folder level longer than 255 bytes in UTF-8, which no file
    // system takes. Only entries that pass are ever written.
    bool IsSafe() const;

    tCString folder;
    tCString name;
    int32_t version = 0;
    int32_t fileId = 0;
    // 1 when the file is not installed with this version.
    int32_t needsDownload = 0;
    // 1 once its body has been received.
    int32_t received = 0;
    // The name, inside the update folder, of the file that holds the received body.
    tCString tempPath;
};
