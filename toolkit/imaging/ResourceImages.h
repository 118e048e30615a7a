#pragma once

#include <cstdint>

#include "toolkit/core/tCString.h"

class CImage;
class CImage8;
class CResourceDirectory;
class tCStream;

// New images loaded from 'imag' resources; the caller owns them. Null on any failure, with
// nothing left allocated. A null stream means the application's resource file.
CImage* LoadResImage(uint32_t id, tCStream* stream, CResourceDirectory* directory);
CImage* LoadResImageByName(const tCString& name, tCStream* stream, CResourceDirectory* directory);
// The 8-bit image starts as 10 x 10 until the decoder sizes it.
CImage8* LoadResImage8(uint32_t id, tCStream* stream, CResourceDirectory* directory);
CImage8* LoadResImage8ByName(const tCString& name, tCStream* stream, CResourceDirectory* directory);
