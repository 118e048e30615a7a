#include "toolkit/imaging/ImageCodecs.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/ScopedGuards.h"
#include "toolkit/core/tCFPath.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/tCBmpIO.h"
#include "toolkit/imaging/tCJpgIO.h"
#include "toolkit/imaging/tCPngIO.h"
#include "toolkit/imaging/tCPsdIO.h"

namespace {

const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Runs `call` on a new codec for the format and deletes the codec afterwards.
template <typename Call>
tResult WithCodec(uint32_t id, Call&& call)
{
    tCImageFormat* codec = CreateImageCodec(id);
    if (!codec)
        return kResCreateFailed;
    ScopedObjectGuard<tCImageFormat> guard(&codec);
    return call(codec);
}

// Runs `read` with the codec of the stream's format; `tells` shows why it refused the file in the
// error box.
template <typename Read>
tResult WithStreamCodec(tCStream* stream, bool tells, Read read)
{
    const uint32_t id = SniffImageFormat(stream);
    if (id == kImageFormatUnknown)
        return kResBadParam;
    const tResult result = WithCodec(id, [&](tCImageFormat* codec) {
        codec->SetTellsRefusals(tells);
        return read(codec);
    });
    // Callers pass a failed decode on as a code of their own: the reason for this refusal is
    // told here, where it is known.
    if (tells && result == kResImageTooLarge)
        ReportResult(kResImageTooLarge, kImageTooLargeText);
    return result;
}

template <typename Image, typename Read>
tResult DecodeWith(tCStream* stream, Image* image, Read read, bool tells = true)
{
    if (!stream || !image)
        return kResBadParam;
    return WithStreamCodec(stream, tells, [&](tCImageFormat* codec) { return (codec->*read)(stream, image); });
}

template <typename Image, typename Write>
tResult Encode(tCStream* stream, Image* image, uint32_t id, Write write)
{
    if (id < kImageFormatBmp || id > kImageFormatPsd)
        return kResCreateFailed;
    if (!stream || !image)
        return kResBadParam;
    return WithCodec(id, [&](tCImageFormat* codec) { return (codec->*write)(stream, image); });
}

}  // namespace

uint32_t SniffImageFormat(tCStream* stream)
{
    if (!stream)
        return kImageFormatUnknown;
    const int64_t start = stream->GetPosition();
    const int64_t available = start < 0 ? 0 : stream->GetLength() - start;
    uint8_t head[10] = {};
    const int64_t count = std::clamp<int64_t>(available, 0, sizeof head);
    const bool read = count > 0 && stream->ReadBytes(head, count) == kResOk;
    stream->SetPosition(start);
    if (!read)
        return kImageFormatUnknown;
    if (count >= 8 && std::memcmp(head, kPngSignature, 8) == 0)
        return kImageFormatPng;
    if (count >= 2 && head[0] == 0xFF && head[1] == 0xD8)
        return kImageFormatJpeg;
    if (count >= 2 && head[0] == 'B' && head[1] == 'M')
        return kImageFormatBmp;
    if (count >= 4 && std::memcmp(head, "8BPS", 4) == 0)
        return kImageFormatPsd;
    return kImageFormatUnknown;
}

bool IsImageTooLarge(int64_t width, int64_t height)
{
    return width > kMaxImageSide || height > kMaxImageSide;
}

tCImageFormat* CreateImageCodec(uint32_t id)
{
    switch (id) {
    case kImageFormatBmp:
        return new (std::nothrow) tCBmpIO;
    case kImageFormatJpeg:
        return new (std::nothrow) tCJpgIO;
    case kImageFormatPng:
        return new (std::nothrow) tCPngIO;
    case kImageFormatPsd:
        return new (std::nothrow) tCPsdIO;
    default:
        return nullptr;
    }
}

tResult DecodeImageStream(tCStream* stream, CImage* image, bool tells)
{
    return DecodeWith(stream, image, &tCImageFormat::ReadImage, tells);
}

tResult DecodeImage8Stream(tCStream* stream, CImage8* image, bool tells)
{
    return DecodeWith(stream, image, &tCImageFormat::ReadImage8, tells);
}

tResult ReadImageStreamSize(tCStream* stream, int32_t* width, int32_t* height, int64_t* decoderBytes)
{
    if (!stream || !width || !height)
        return kResBadParam;
    const int64_t start = stream->GetPosition();
    const tResult result = WithStreamCodec(stream, false, [&](tCImageFormat* codec) -> tResult {
        TK_TRY(codec->ReadImageSize(stream, width, height));
        if (decoderBytes)
            *decoderBytes = codec->GetDecoderBytes();
        return kResOk;
    });
    stream->SetPosition(start);
    return result;
}

tResult EncodeImageStream(tCStream* stream, CImage* image, uint32_t id)
{
    return Encode(stream, image, id, &tCImageFormat::WriteImage);
}

tResult EncodeImage8Stream(tCStream* stream, CImage8* image, uint32_t id)
{
    return Encode(stream, image, id, &tCImageFormat::WriteImage8);
}

tResult LoadImageFile(const tCFPath& path, CImage* image)
{
    if (!path.HasText())
        return kResBadParam;
    tCFile file;
    TK_TRY(file.Open(path, tCFile::kAccessRead));
    return DecodeImageStream(&file, image);
}

tResult LoadImage8File(const tCFPath& path, CImage8* image)
{
    if (!path.HasText())
        return kResBadParam;
    tCFile file;
    TK_TRY(file.Open(path, tCFile::kAccessRead));
    return DecodeImage8Stream(&file, image);
}
