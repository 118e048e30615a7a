#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Win32Types.h"
#include "toolkit/core/FourCC.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCPoint.h"
#include "toolkit/core/tCRect.h"
#include "toolkit/core/tCResourceObject.h"

class CResourceDirectory;
class tCStream;

// A rectangle of pixels, top row first, in a heap block or in a "DIB section": a heap block
// whose rows are padded to 4 bytes, so that it can be presented as it is. Pixel access goes
// through navigators (CImNav.h), which lock the image at a rectangle. Images of every depth
// are 'imag' resources: a resource holds a u32 byte count and a whole image file.
class CImageBase : public tCResourceObject {
public:
    static constexpr uint32_t kType = MakeFourCC("imag");
    // Images larger than this many pixels are refused before anything is allocated.
    static constexpr int64_t kMaxPixels = int64_t(1) << 30;

    // How a kind of image loads its 'imag' resources: its decoder, and the texts the error box
    // shows when the byte count, or the bytes and their decoding, fail.
    using tDecodeFn = tResult (*)(tCStream* stream, CImageBase* image);
    struct tResourceDecoding {
        tDecodeFn decode;
        const char* sizeFailed;
        const char* loadFailed;
    };

    explicit CImageBase(uint32_t dib);
    ~CImageBase() override;
    CImageBase(const CImageBase&) = delete;
    CImageBase& operator=(const CImageBase&) = delete;

    virtual void FreePixels();
    virtual tResult SetSizeFromPoint(tCPoint size);
    virtual tResult SetSize(int32_t width, int32_t height);
    // Loads the 'imag' resource of that name or id and decodes it into this image; a null
    // stream means the application's resource file. Kinds of image that have no resource
    // form answer 10.
    virtual tResult GetFromRes(const tCString& name, tCStream* stream, CResourceDirectory* directory);
    virtual tResult GetFromRes(uint32_t id, tCStream* stream, CResourceDirectory* directory);
    // `point`, when given, must lie inside the image: navigators clip before they lock.
    virtual tResult LockPixelsAt(uint8_t** pixels, const tCPoint* point);
    virtual tResult LockPixels(uint8_t** pixels);
    virtual tResult UnlockPixelsAt(const tCPoint* point);
    virtual tResult UnlockPixels();
    virtual void Clear();
    virtual tResult Compress();
    virtual uint32_t IsCompressed() const;
    virtual tResult Decompress();
    virtual tResult Create(int32_t width, int32_t height);
    virtual tResult CreateDibSection(int32_t width, int32_t height);

    // A memory device context over the pixels, for BitBlt: made by the first call and ended by
    // the release that pairs with it, or when the pixels go. Null for an image without plain
    // 32-bit pixels (empty, packed or of another depth).
    w32::HDC GetMemDC();
    void ReleaseMemDC();

    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    int32_t GetBitsPerPixel() const { return m_bitsPerPixel; }
    int32_t GetBytesPerPixel() const { return m_bytesPerPixel; }
    int32_t GetRowBytes() const { return m_rowBytes; }
    int32_t GetRowPixels() const { return m_rowPixels; }
    bool IsValid() const { return m_valid != 0; }
    bool IsDib() const { return m_dib != 0; }
    tCRect GetBounds() const { return {0, 0, m_width, m_height}; }
    tCPoint GetOrigin() const { return m_origin; }
    void SetOrigin(tCPoint origin) { m_origin = origin; }

protected:
    // For classes whose pixels are wider or narrower than 32 bits; a multiple of 8.
    CImageBase(uint32_t dib, int32_t bitsPerPixel);

    // Releases the old pixels and allocates cleared ones: heap rows, or rows padded to 4 bytes.
    tResult Allocate(int32_t width, int32_t height, uint32_t dib);
    // Allocates height rows of `rowBytes` for the current size, through the toolkit hooks.
    tResult AllocatePixels(int32_t rowBytes);
    // Checks a requested size; on success gives the unpadded and padded row sizes in bytes.
    tResult CheckSize(int32_t width, int32_t height, int32_t* rowBytes, int32_t* paddedRowBytes) const;
    size_t GetPixelBytes() const { return size_t(m_height) * size_t(m_rowBytes); }

    // Finds the resource by name (when `name` is given) or id, reads its byte count and that
    // many bytes of an image file, and decodes them into this image.
    tResult LoadResource(const tCString* name, uint32_t id, tCStream* stream, CResourceDirectory* directory,
                         const tResourceDecoding& decoding);

    int32_t m_width = 0;
    int32_t m_height = 0;
    int32_t m_bitsPerPixel = 32;
    uint32_t m_valid = 0;
    uint32_t m_dib = 0;
    tCPoint m_origin;
    uint8_t* m_pixels = nullptr;
    int32_t m_rowBytes = 0;
    int32_t m_rowPixels = 0;
    int32_t m_bytesPerPixel = 4;

private:
    void EndMemDC();

    w32::HDC m_memDc = nullptr;
    int32_t m_memDcUses = 0;
};

// Runs `work` on an image whose pixels must be plain: a packed image is unpacked first and,
// when `work` succeeds, packed again. A failure of `work` leaves it unpacked.
template <typename Work>
tResult WithPixelsUnpacked(CImageBase* image, Work&& work)
{
    const bool packed = image->IsCompressed() != 0;
    if (packed)
        TK_TRY(image->Decompress());
    TK_TRY(work());
    return packed ? image->Compress() : kResOk;
}
