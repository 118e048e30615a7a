#pragma once

#include <cstdint>

#include "toolkit/core/tCString.h"

// The file-type catalogue: ids 0 to 25, each with a display name, an extension (several joined
// by ",") and a four-character type code. The group rows (2, 8, 13, 17, 20) and their closing
// rows have no extension and never enter a list.
enum : uint32_t {
    kFileTypeNone = 0,
    kFileTypeAllFiles = 1,
    kFileTypeImageGroup = 2,
    kFileTypeBmp = 3,
    kFileTypeJpeg = 4,
    kFileTypePng = 5,
    kFileTypePsd = 6,
    kFileTypeTextGroup = 8,
    kFileTypeText = 9,
    kFileTypeHeader = 10,
    kFileTypePdf = 11,
    kFileTypeTesselGroup = 13,
    kFileTypeResourceFile = 14,
    kFileTypeResourceScript = 15,
    kFileTypeAudioGroup = 17,
    kFileTypeWav = 18,
    kFileTypeGroupTypes = 20,
    kFileTypeAllImages = 21,
    kFileTypeUnknown = 23,
    kFileTypeLastIndex = 24,  // ends every id list
    kFileTypeCount = 26,
};

// "" (and code 0) for an id outside the catalogue.
tCString FileTypeName(uint32_t id);
tCString FileTypeExtension(uint32_t id);
uint32_t FileTypeCode(uint32_t id);

// The first of ids 0 to 22 whose extension equals `extension` without regard to ASCII case
// (a missing leading dot is supplied): its id, or 0; its code, or "????".
uint32_t FileTypeIdForExtension(const tCString& extension);
uint32_t FileTypeCodeForExtension(const tCString& extension);
