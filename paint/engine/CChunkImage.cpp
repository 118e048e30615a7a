#include "paint/engine/CChunkImage.h"

#include <new>

#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/ImageCodecs.h"

tResult CChunkImage::SetPayload(tCStream& stream, int64_t length)
{
    return m_payload.Open(stream, stream.GetPosition(), length);
}

tResult CChunkImage::Measure()
{
    TK_TRY(MeasureImage(&m_payload, &m_measure));
    m_measured = true;
    return kResOk;
}

template <typename Image, typename DecodeStream>
tResult CChunkImage::DecodeInto(Image* image, int32_t pixelBytes, DecodeStream decode)
{
    if (!m_measured)
        return kResFileIO;
    TK_TRY(CheckImageMemory(m_measure, pixelBytes));
    TK_TRY(m_payload.Rewind());
    const tResult decoded = decode(&m_payload, image);
    if (decoded == kResNoMemory)
        return decoded;
    return decoded == kResOk && image->IsValid() ? kResOk : kResFileIO;
}

tResult CChunkImage::Decode(CImage* image)
{
    return DecodeInto(image, 4, [](tCStream* stream, CImage* into) { return DecodeImageStream(stream, into, false); });
}

tResult CChunkImage::Decode(CImage8* image)
{
    return DecodeInto(image, 1, [](tCStream* stream, CImage8* into) { return DecodeImage8Stream(stream, into, false); });
}

template <typename Image>
tResult CChunkImage::DecodeIntoNew(std::unique_ptr<Image>* image)
{
    std::unique_ptr<Image> decoded(new (std::nothrow) Image);
    if (!decoded)
        return kResNoMemory;
    const tResult result = Decode(decoded.get());
    if (result == kResNoMemory)
        return result;
    if (result == kResOk)
        *image = std::move(decoded);
    return kResOk;
}

tResult CChunkImage::DecodeNew(std::unique_ptr<CImage>* image) { return DecodeIntoNew(image); }

tResult CChunkImage::DecodeNew(std::unique_ptr<CImage8>* image) { return DecodeIntoNew(image); }
