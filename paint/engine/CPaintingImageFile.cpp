#include "paint/engine/CPaintingImageFile.h"

#include "toolkit/core/tCFPath.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/ImageCodecs.h"

tResult CPaintingImageFile::Open(const tCFPath& path)
{
    if (m_file.Open(path, tCFile::kAccessRead) != kResOk || MeasureImage(&m_file, &m_measure) != kResOk)
        return kResFileIO;
    return kResOk;
}

tResult CPaintingImageFile::CheckMemory() const { return CheckImageMemory(m_measure, 4); }

tResult CPaintingImageFile::Decode(CImage* image, int32_t besideBytes)
{
    TK_TRY(CheckImageMemory(m_measure, 4 + besideBytes));
    return DecodeFile(image);
}

tResult CPaintingImageFile::Decode(CImage8* image)
{
    TK_TRY(CheckImageMemory(m_measure, 1));
    if (DecodeImage8Stream(&m_file, image, false) != kResOk || !image->IsValid())
        return kResFileIO;
    return kResOk;
}

tResult CPaintingImageFile::Decode(PaintingAllocation painting, CImage* image)
{
    painting.imageBytes = m_measure.DecodeBytes(4);
    TK_TRY(CheckPaintingMemory(painting));
    return DecodeFile(image);
}

tResult CPaintingImageFile::DecodeFile(CImage* image)
{
    if (DecodeImageStream(&m_file, image, false) != kResOk || !image->IsValid())
        return kResFileIO;
    return kResOk;
}
