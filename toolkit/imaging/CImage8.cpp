#include "toolkit/imaging/CImage8.h"

#include "toolkit/imaging/ImageCodecs.h"

namespace {

tResult DecodeImage8(tCStream* stream, CImageBase* image)
{
    return DecodeImage8Stream(stream, static_cast<CImage8*>(image));
}

const CImageBase::tResourceDecoding kImage8Decoding = {DecodeImage8, "Image8 load size failed.",
                                                       "Image8 failed to load from resources."};

}  // namespace

CImage8::CImage8() : CPackableImageT(0, 8) {}

CImage8::CImage8(int32_t width, int32_t height) : CPackableImageT(0, 8)
{
    CImageBase::Create(width, height);
}

tResult CImage8::GetFromRes(const tCString& name, tCStream* stream, CResourceDirectory* directory)
{
    return LoadResource(&name, 0, stream, directory, kImage8Decoding);
}

tResult CImage8::GetFromRes(uint32_t id, tCStream* stream, CResourceDirectory* directory)
{
    return LoadResource(nullptr, id, stream, directory, kImage8Decoding);
}
