#include "toolkit/imaging/CImage16.h"

CImage16::CImage16(int32_t width, int32_t height, uint32_t dib) : CImageBase(dib, 16)
{
    CImageBase::Create(width, height);
}
