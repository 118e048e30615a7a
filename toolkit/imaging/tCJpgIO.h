#pragma once

#include "toolkit/imaging/CImageBase.h"
#include "toolkit/imaging/tCImageFormat.h"

// JPEG files over libjpeg: reads colour, grey and CMYK files into 32-bit or 8-bit pixels and
// writes RGB (from a CImage, alpha dropped) or grey (from a CImage8) files at the library's
// default quality. Every library error, a damaged file or a failed stream read or write
// answers 1.
class tCJpgIO : public tCImageFormat {
public:
    tResult ReadImage8(tCStream* stream, CImage8* image) override;
    tResult ReadImage(tCStream* stream, CImage* image) override;
    tResult WriteImage8(tCStream* stream, CImage8* image) override;
    tResult WriteImage(tCStream* stream, CImage* image) override;
    tResult ReadImageSize(tCStream* stream, int32_t* width, int32_t* height) override;

    // The image's pixel size chooses the kind: 4 bytes colour, 1 byte grey.
    virtual tResult Decode(tCStream* stream, CImageBase* image);

private:
    tResult Encode(tCStream* stream, CImageBase* image);
};
