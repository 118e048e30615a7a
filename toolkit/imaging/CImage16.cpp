#include "toolkit/imaging/CImage16.h"

#include "toolkit/core/ErrorBox.h"

namespace {

tResult NotSupported()
{
    ReportResult(kResNotImplemented, "CImage16::GetFromRes");
    return kResNotImplemented;
}

}  // namespace

CImage16::CImage16(int32_t width, int32_t height, uint32_t dib) : CImageBase(dib, 16)
{
    CImageBase::Create(width, height);
}

tResult CImage16::GetFromRes(const tCString&, tCStream*, CResourceDirectory*)
{
    return NotSupported();
}

tResult CImage16::GetFromRes(uint32_t, tCStream*, CResourceDirectory*)
{
    return NotSupported();
}
