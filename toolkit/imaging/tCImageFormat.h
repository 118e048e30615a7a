#pragma once

#include <cstdint>

#include "toolkit/core/CMemBlockT.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCBaseObject.h"
#include "toolkit/imaging/CPixel.h"

class tCStream;
class CImage;
class CImage8;

// An image codec: decodes a stream into a 32-bit or an 8-bit image and encodes one. A codec is
// made for one call and deleted after it (ImageCodecs.h).
class tCImageFormat : public tCBaseObject {
public:
    virtual tResult ReadImage8(tCStream* stream, CImage8* image) = 0;
    virtual tResult ReadImage(tCStream* stream, CImage* image) = 0;
    virtual tResult WriteImage8(tCStream* stream, CImage8* image) = 0;
    virtual tResult WriteImage(tCStream* stream, CImage* image) = 0;
    // The image's size from the file's header alone: no pixel is decoded and nothing of the
    // image's size is allocated. A header the decoder refuses, or a file that the decoder finds
    // too short to hold the image its header gives before it sizes the image, gets the decoder's
    // answer (kResImageTooLarge for a side past its limit); the stream is left anywhere.
    virtual tResult ReadImageSize(tCStream* stream, int32_t* width, int32_t* height) = 0;
    // What the decoder holds beside the image while it decodes the file whose size ReadImageSize
    // read: 0 where it decodes straight into the image's rows.
    int64_t GetDecoderBytes() const { return m_decoderBytes; }
    // Whether a reader shows why it refused a file in the error box, as the BMP reader does;
    // off where the caller tells the refusal in a box of its own.
    void SetTellsRefusals(bool tells) { m_tellsRefusals = tells; }

protected:
    // The palette of the file being read.
    CMemBlockT<CPixel> m_palette;
    bool m_tellsRefusals = true;
    int64_t m_decoderBytes = 0;
};
