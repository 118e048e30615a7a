#pragma once

#include "toolkit/imaging/CImageBase.h"
#include "toolkit/imaging/tCImageFormat.h"

class CStreamInput;

// BMP files: reads core (12-byte) and info (40 bytes and more) headers at 1, 4, 8 and 24 bits,
// with RLE4 and RLE8; writes 8-bit grey and 24-bit files. Every header field is checked against
// the data that is there; a bad file is reported in the error box and answers 1, an image past
// the decoders' limit (ImageCodecs.h) answers 12. Run-length data may leave rows unwritten, so a
// few bytes of it can stand for the largest image: only uncompressed data must all be there.
class tCBmpIO : public tCImageFormat {
public:
    tResult ReadImage8(tCStream* stream, CImage8* image) override;
    tResult ReadImage(tCStream* stream, CImage* image) override;
    // An 8-bit file with a grey palette.
    tResult WriteImage8(tCStream* stream, CImage8* image) override;
    // A 24-bit file; the alpha bytes are dropped.
    tResult WriteImage(tCStream* stream, CImage* image) override;
    // Reads up to the pixels, refusing what Decode refuses before it sizes the image.
    tResult ReadImageSize(tCStream* stream, int32_t* width, int32_t* height) override;

    // Decodes into a 32-bit image (palette colours) or an 8-bit one (their grey, the mean of
    // red, green and blue), chosen by the image's pixel size.
    virtual tResult Decode(tCStream* stream, CImageBase* image);

private:
    struct tHeader;

    // Answers 1, telling the message in the error box unless the caller tells the refusal.
    tResult Fail(const char* message) const;
    tResult ReadHeaders(CStreamInput& in, tHeader* header);
    tResult ReadPalette(CStreamInput& in, tHeader* header);
    // Headers and palette, leaving the stream at the pixels: a file whose uncompressed rows are
    // not all there is refused here.
    tResult ReadToPixels(CStreamInput& in, tHeader* header);
    tResult ReadRows(CStreamInput& in, const tHeader& header, CImageBase* image);
    tResult ReadRunLengthRows(CStreamInput& in, const tHeader& header, CImageBase* image);
};
