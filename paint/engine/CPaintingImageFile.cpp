#include "paint/engine/CPaintingImageFile.h"

#include "paint/engine/CellMemory.h"
#include "toolkit/core/tCFPath.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/ImageCodecs.h"

tResult CPaintingImageFile::Open(const tCFPath& path)
{
    if (m_file.Open(path, tCFile::kAccessRead) != kResOk || ReadImageStreamSize(&m_file, &m_width, &m_height) != kResOk)
        return kResFileIO;
    return kResOk;
}

tResult CPaintingImageFile::CheckMemory() const { return CheckImageMemory(1, m_width, m_height); }

tResult CPaintingImageFile::Decode(CImage* image)
{
    TK_TRY(CheckMemory());
    return DecodeFile(image);
}

tResult CPaintingImageFile::Decode(PaintingAllocation painting, CImage* image)
{
    painting.imagePixels = int64_t(m_width) * m_height;
    TK_TRY(CheckPaintingMemory(painting));
    return DecodeFile(image);
}

tResult CPaintingImageFile::DecodeFile(CImage* image)
{
    if (DecodeImageStream(&m_file, image, false) != kResOk || !image->IsValid())
        return kResFileIO;
    return kResOk;
}
