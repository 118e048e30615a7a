#pragma once

#include <cstdint>

#include "toolkit/core/FileTypes.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/imaging/CImageBase.h"

class tCStream;
class tCFPath;
class tCImageFormat;
class CImage;
class CImage8;

// Image files by format id, the same numbers as the file-type catalogue's; 0 is unknown.
enum : uint32_t {
    kImageFormatUnknown = 0,
    kImageFormatBmp = kFileTypeBmp,
    kImageFormatJpeg = kFileTypeJpeg,
    kImageFormatPng = kFileTypePng,
    kImageFormatPsd = kFileTypePsd,
};

// Decoders take images of up to kMaxImageSide pixels a side, the largest the program makes and
// writes itself, and refuse larger ones with kResImageTooLarge before anything is allocated for
// them; DecodeImageStream and DecodeImage8Stream then show kImageTooLargeText in the error box.
// Below that, a few header bytes still must not be able to ask for gigabytes: a decoder sizes
// the image only once the file has shown that it can hold it, all of its uncompressed data or
// as much compressed data as the format's best compression needs. Run-length BMP and
// arithmetic-coded JPEG can stand for any image in a few bytes and are taken as they come.
inline constexpr int64_t kMaxImageSide = 32000;
static_assert(kMaxImageSide * kMaxImageSide <= CImageBase::kMaxPixels);
inline constexpr tResult kResImageTooLarge = kResOutOfRange;
inline constexpr char kImageTooLargeText[] = "The image is larger than 32000 x 32000 pixels.";
bool IsImageTooLarge(int64_t width, int64_t height);

// The format of the image file at the stream's position, by its first bytes (PNG, JPEG, BMP,
// PSD, in that order); the position is left where it was.
uint32_t SniffImageFormat(tCStream* stream);

// A new codec for the format, or null when the format has none here.
tCImageFormat* CreateImageCodec(uint32_t id);

// Decode from the stream's position, sizing the image: 6 for an unknown format, 24 when the
// format has no codec, else the codec's answer (kResImageTooLarge shown in the error box).
// Without `tells` no reason for a refusal is shown: the caller tells it in a box of its own.
tResult DecodeImageStream(tCStream* stream, CImage* image, bool tells = true);
tResult DecodeImage8Stream(tCStream* stream, CImage8* image, bool tells = true);
// The same from a file: 6 for a path without text; a failure to open passes through.
tResult LoadImageFile(const tCFPath& path, CImage* image);
tResult LoadImage8File(const tCFPath& path, CImage8* image);
// The size of the image at the stream's position, read from its header alone before anything of
// the image's size is decoded or allocated; the position is left where it was. The answers of
// DecodeImageStream for a header it would refuse, or for a file too short to hold the image the
// header gives, shown in no box: the caller, which reads the size to decide whether to decode at
// all, tells the refusal in a box of its own. An image that passes may still fail to decode.
// `decoderBytes`, when given, gets what the decoder will hold beside the image on the way: a
// progressive or multi-scan JPEG's coefficients for the whole image, 0 for most files.
tResult ReadImageStreamSize(tCStream* stream, int32_t* width, int32_t* height, int64_t* decoderBytes = nullptr);
// Encode at the stream's position in the format `id`: 24 for an id without a codec.
tResult EncodeImageStream(tCStream* stream, CImage* image, uint32_t id);
tResult EncodeImage8Stream(tCStream* stream, CImage8* image, uint32_t id);
