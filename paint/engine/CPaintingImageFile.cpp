#include "paint/engine/CPaintingImageFile.h"

#include "toolkit/core/tCFPath.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/ImageCodecs.h"

tResult CPaintingImageFile::Open(const tCFPath& path)
{
    if (m_file.Open(path, tCFile::kAccessRead) != kResOk || ReadImageStreamSize(&m_file, &m_width, &m_height) != kResOk)
        return kResFileIO;
    return kResOk;
}

tResult CPaintingImageFile::Decode(PaintingAllocation painting, CImage* image)
{
    painting.imagePixels = int64_t(m_width) * m_height;
    TK_TRY(CheckPaintingMemory(painting));
    if (DecodeImageStream(&m_file, image) != kResOk || !image->IsValid())
        return kResFileIO;
    return kResOk;
}
