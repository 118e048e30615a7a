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

// The image with that id from the application's image pool; the first call loads it and adds
// it to the pool, which owns it from then on (callers never delete it). Null without an
// application, on any failure, and when the pool holds another kind of object under that id.
CImage* GetPooledImage(uint32_t id, tCStream* stream, CResourceDirectory* directory);
CImage8* GetPooledImage8(uint32_t id, tCStream* stream, CResourceDirectory* directory);
