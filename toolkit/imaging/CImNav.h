#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>

#include "toolkit/core/tCBaseObject.h"
#include "toolkit/core/tCRect.h"
#include "toolkit/imaging/CImageBase.h"
#include "toolkit/imaging/CPixel.h"

// A short-lived view on a rectangle of an image: the address of its top-left pixel and the row
// stride, locked on construction and unlocked on destruction. The rectangle is in the image's
// drawing coordinates (the image's origin is added) and clipped to the image; the clip is the
// only bounds protection of the pixel loops. A view on an image that is empty or packed stays
// unlocked. It must not outlive a change of the image's storage.
class CImNavBase : public tCBaseObject {
public:
    explicit CImNavBase(CImageBase* image);
    CImNavBase(CImageBase* image, const tCRect& rect);
    ~CImNavBase() override;
    CImNavBase(const CImNavBase&) = delete;
    CImNavBase& operator=(const CImNavBase&) = delete;

    void Detach();

    bool IsLocked() const { return m_locked != 0; }
    bool IsEmpty() const { return m_width <= 0 || m_height <= 0; }
    CImageBase* GetImage() const { return m_image; }
    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    const tCRect& GetClip() const { return m_clip; }
    int32_t GetStride() const { return m_stride; }
    int32_t GetRowBytes() const { return m_rowBytes; }
    int32_t GetBytesPerPixel() const { return m_bytesPerPixel; }

    uint8_t* Row(int32_t y) const
    {
        assert(m_locked && y >= 0 && y < m_height);
        return m_rowBase + ptrdiff_t(y) * m_rowBytes;
    }

private:
    void Lock(CImageBase* image, const tCRect* rect);

    CImageBase* m_image = nullptr;
    uint32_t m_locked = 0;
    int32_t m_width = 0;
    int32_t m_height = 0;
    tCRect m_clip;
    bool m_hasLockPoint = false;
    uint8_t* m_rowBase = nullptr;
    int32_t m_stride = 0;
    int32_t m_rowBytes = 0;
    int32_t m_bytesPerPixel = 0;
};

// A view on 32-bit ARGB pixels.
class CImNav : public CImNavBase {
public:
    using CImNavBase::CImNavBase;

    CPixel* Pixels(int32_t y) const { return reinterpret_cast<CPixel*>(Row(y)); }

    void SetAlpha(uint32_t alpha);
    void Fill(CPixel colour);
    // 1 when some pixel has an alpha below 0xFF.
    uint32_t HasTransparency() const;
    // True when the view is locked on 4-byte pixels.
    bool HoldsArgb() const { return IsLocked() && GetBytesPerPixel() == 4; }
};

// A view on 8-bit values.
class CImNav8 : public CImNavBase {
public:
    using CImNavBase::CImNavBase;

    uint8_t* Bytes(int32_t y) const { return Row(y); }

    void Fill(uint8_t value);
};

// A view on 16-bit 5-6-5 pixels.
class CImNav16 : public CImNavBase {
public:
    using CImNavBase::CImNavBase;

    uint16_t* Pixels(int32_t y) const { return reinterpret_cast<uint16_t*>(Row(y)); }
};
