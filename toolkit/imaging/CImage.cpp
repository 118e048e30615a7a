#include "toolkit/imaging/CImage.h"

#include "toolkit/imaging/ImageCodecs.h"

namespace {

tResult DecodeImage(tCStream* stream, CImageBase* image)
{
    return DecodeImageStream(stream, static_cast<CImage*>(image));
}

const CImageBase::tResourceDecoding kImageDecoding = {DecodeImage, "Image load size failed.",
                                                      "Image failed to load from resources."};

}  // namespace

CImage::CImage(uint32_t dib) : CPackableImageT(dib, 32) {}

CImage::CImage(int32_t width, int32_t height, uint32_t dib) : CPackableImageT(dib, 32)
{
    CImageBase::Create(width, height);
}

tResult CImage::GetFromRes(const tCString& name, tCStream* stream, CResourceDirectory* directory)
{
    return LoadResource(&name, 0, stream, directory, kImageDecoding);
}

tResult CImage::GetFromRes(uint32_t id, tCStream* stream, CResourceDirectory* directory)
{
    return LoadResource(nullptr, id, stream, directory, kImageDecoding);
}
