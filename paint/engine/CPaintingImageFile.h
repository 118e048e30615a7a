#pragma once

#include <cstdint>

#include "paint/engine/CellMemory.h"
#include "paint/engine/PaintingMemory.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCFile.h"

class CImage;
class CImage8;
class tCFPath;

// An image file that a painting is made from, traced over or given as its paper. Its size is
// read from its header, and it is decoded only once it has been found to fit in memory, with
// what its decoder holds on the way: a few bytes of header can ask for gigabytes of pixels.
// Every refusal is a code without a box, for the caller to tell in its own.
class CPaintingImageFile {
public:
    // Opens the file and reads the image's size: 16 when it cannot be read as an image or is
    // larger than the decoders take.
    tResult Open(const tCFPath& path);
    int32_t GetWidth() const { return m_measure.width; }
    int32_t GetHeight() const { return m_measure.height; }
    // 5 when the image's pixels would not fit in the memory the system has beside the painting
    // shown.
    tResult CheckMemory() const;
    // Decodes the image once it fits beside the painting shown, with `besideBytes` more a pixel
    // that the caller makes of it: 5 when it does not, 16 when the image cannot be decoded.
    tResult Decode(CImage* image, int32_t besideBytes = 0);
    // The same into 8-bit grey pixels.
    tResult Decode(CImage8* image);
    // Decodes the image once `painting`, with the image's pixels beside it, fits in the memory
    // the system has: 5 when it does not, 16 when the image cannot be decoded.
    tResult Decode(PaintingAllocation painting, CImage* image);

private:
    tResult DecodeFile(CImage* image);

    tCFile m_file;
    ImageMeasure m_measure;
};
