#pragma once

#include <cstdint>

#include "paint/engine/PaintingMemory.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCFile.h"

class CImage;
class tCFPath;

// An image file that a new painting is made from or traced over. Its size is read from its
// header, and it is decoded only once the painting has been found to fit in memory with the
// image beside it: a few bytes of header can ask for gigabytes of pixels.
class CPaintingImageFile {
public:
    // Opens the file and reads the image's size: 16 when it cannot be read as an image.
    tResult Open(const tCFPath& path);
    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    // Decodes the image once `painting`, with the image's pixels beside it, fits in the memory
    // the system has: 5 when it does not, 16 when the image cannot be decoded.
    tResult Decode(PaintingAllocation painting, CImage* image);

private:
    tCFile m_file;
    int32_t m_width = 0;
    int32_t m_height = 0;
};
