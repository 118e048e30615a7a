#pragma once

#include <cstdint>

#include "toolkit/core/FileTypes.h"
#include "toolkit/core/ResultCodes.h"

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

// Decoders refuse an image wider or taller than kMaxImageSide, or of more than
// kMaxImagePixels pixels (1 GiB of 32-bit pixels), before anything is allocated for it: a few
// header bytes must not be able to ask for all the memory there is.
inline constexpr int64_t kMaxImageSide = 65535;
inline constexpr int64_t kMaxImagePixels = int64_t(1) << 28;
bool FitsImageLimits(int64_t width, int64_t height);

// The format of the image file at the stream's position, by its first bytes (PNG, JPEG, BMP,
// PSD, in that order); the position is left where it was.
uint32_t SniffImageFormat(tCStream* stream);

// A new codec for the format, or null when the format has none here.
tCImageFormat* CreateImageCodec(uint32_t id);

// Decode from the stream's position, sizing the image: 6 for an unknown format, 24 when the
// format has no codec, else the codec's answer.
tResult DecodeImageStream(tCStream* stream, CImage* image);
tResult DecodeImage8Stream(tCStream* stream, CImage8* image);
// The same from a file: 6 for a path without text; a failure to open passes through.
tResult LoadImageFile(const tCFPath& path, CImage* image);
tResult LoadImage8File(const tCFPath& path, CImage8* image);
// Encode at the stream's position in the format `id`: 24 for an id without a codec.
tResult EncodeImageStream(tCStream* stream, CImage* image, uint32_t id);
tResult EncodeImage8Stream(tCStream* stream, CImage8* image, uint32_t id);
