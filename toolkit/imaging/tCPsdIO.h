#pragma once

#include <cstdint>

#include "toolkit/core/CMemBlockT.h"
#include "toolkit/imaging/CImageBase.h"
#include "toolkit/imaging/tCImageFormat.h"

class CStreamInput;
class CImNavBase;

// Layered-image files of signature "8BPS", version 1. The reader takes the merged image of a
// grey or RGB file of 8 or 16 bits a channel, raw or PackBits, with its alpha when the layer
// section says the merged image carries one. The writer makes an 8-bit grey or RGB file with
// resolution, light angle and JPEG thumbnail resources and, when the image has transparency,
// one full-size layer that carries it. Neither shows a message.
class tCPsdIO : public tCImageFormat {
public:
    // The largest width and height the format holds.
    static constexpr int32_t kMaxSide = 30000;

    tResult ReadImage8(tCStream* stream, CImage8* image) override;
    tResult ReadImage(tCStream* stream, CImage* image) override;
    tResult WriteImage8(tCStream* stream, CImage8* image) override;
    tResult WriteImage(tCStream* stream, CImage* image) override;
    tResult ReadImageSize(tCStream* stream, int32_t* width, int32_t* height) override;

    // The image's pixel size chooses the kind: 4 bytes colour, 1 byte grey. Reading answers 12
    // for an image past the decoders' limit (ImageCodecs.h), 17 for a damaged file or one past
    // kMaxSide, 10 for a colour mode, depth or size it does not take, 16 for data cut short or
    // a PackBits row that overflows. The image is sized once the file holds its data.
    virtual tResult Decode(tCStream* stream, CImageBase* image);
    // An image without pixels writes nothing; one wider or taller than kMaxSide answers 12.
    virtual tResult Encode(tCStream* stream, CImageBase* image);

private:
    struct tHeader {
        uint16_t channels = 0;
        int32_t height = 0;
        int32_t width = 0;
        uint16_t depth = 0;
        uint16_t mode = 0;
    };

    // The merged image's channels as the file stores them, read before its data.
    struct tMergedLayout {
        int32_t channels = 0;
        bool alpha = false;
        uint16_t compression = 0;
        // Two bytes a channel row, when the rows are packed.
        CMemBlock rowCounts;
    };

    tResult ReadHeader(CStreamInput& in, tHeader* header);
    tResult ReadLayerInfo(CStreamInput& in, bool* mergedAlpha);
    // Reads up to the merged image's data for pixels of `pixelBytes`, refusing a file that
    // cannot hold the data of the channels to be read before anything of the image's size is
    // made.
    tResult ReadToMerged(CStreamInput& in, int32_t pixelBytes, tHeader* header, tMergedLayout* merged);
    tResult ReadMerged(CStreamInput& in, const tHeader& header, const tMergedLayout& merged, CImageBase* image);
    tResult WriteFile(tCStream& out, CImageBase* image);
};
