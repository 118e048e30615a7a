#include "toolkit/imaging/CImage.h"

CImage::CImage(uint32_t dib) : CPackableImageT(dib, 32) {}

CImage::CImage(int32_t width, int32_t height, uint32_t dib) : CPackableImageT(dib, 32)
{
    CImageBase::Create(width, height);
}
