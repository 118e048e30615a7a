#include "toolkit/imaging/CImage8.h"

CImage8::CImage8() : CPackableImageT(0, 8) {}

CImage8::CImage8(int32_t width, int32_t height) : CPackableImageT(0, 8)
{
    CImageBase::Create(width, height);
}
