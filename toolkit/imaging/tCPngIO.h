#pragma once

#include "toolkit/imaging/CImageBase.h"
#include "toolkit/imaging/tCImageFormat.h"

// PNG files over libpng. Any PNG reads into 32-bit pixels (alpha from the file's alpha channel
// or transparency chunk, composited over the file's background colour when it names one) or
// into 8-bit grey; images are written as 8-bit RGBA or grey with a title, author and
// description. Library errors, damaged files and failed stream reads or writes answer 16.
class tCPngIO : public tCImageFormat {
public:
    tResult ReadImage8(tCStream* stream, CImage8* image) override;
    tResult ReadImage(tCStream* stream, CImage* image) override;
    tResult WriteImage8(tCStream* stream, CImage8* image) override;
    tResult WriteImage(tCStream* stream, CImage* image) override;
    tResult ReadImageSize(tCStream* stream, int32_t* width, int32_t* height) override;

    // The image's pixel size chooses the kind: 4 bytes colour, 1 byte grey.
    virtual tResult Decode(tCStream* stream, CImageBase* image);
    virtual tResult Encode(tCStream* stream, CImageBase* image);
};
