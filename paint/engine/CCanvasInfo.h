#pragma once

#include <cstdint>

#include "toolkit/core/tCBaseObject.h"
#include "toolkit/core/tCString.h"

class CImage8;

// The paper settings of a new painting: what the new-painting dialog and the paper panels fill
// in, what a preset stores, and what a layer takes its paper from and reports into.
class CCanvasInfo : public tCBaseObject {
public:
    tCString name;
    // A resource image name, a file path or a file name in the paper folder; empty means that
    // paperImage is the texture.
    tCString paperName;
    uint32_t paperColour = 0xFFFFFFFAu;
    int32_t paperOpacity = 255;
    float grainScale = 0.5f;
    float paperSpare = 0.0f;
    float grainDepth = 0.5f;
    float paperShine = 0.3f;
    float paperExtra = 0.0f;
    // An 8-bit grey paper texture; not owned by the info.
    CImage8* paperImage = nullptr;
    uint32_t flag = 1;
};
