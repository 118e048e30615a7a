#pragma once

#include <new>

#include "toolkit/imaging/CImageBase.h"
#include "toolkit/imaging/CRunLengthT.h"

// An image that can hold its pixels run-length packed (TRle, read through navigators of type
// TNav) while it is only drawn from. A packed image is valid but has no pixel block; packing is
// kept only when it saves a fifth of the raw size, and DIB images are never packed.
template <typename TRle, typename TNav>
class CPackableImageT : public CImageBase {
public:
    using tRunLength = TRle;
    using tNav = TNav;
    using tElement = typename TRle::tElement;

    ~CPackableImageT() override
    {
        DropCopy();
        CImageBase::FreePixels();
    }

    // Re-creating or releasing the pixels also drops the packed copy, so that an old picture
    // can never be unpacked into a new size.
    void FreePixels() override
    {
        DropCopy();
        CImageBase::FreePixels();
    }

    tResult Compress() override;
    uint32_t IsCompressed() const override { return m_rle && m_rle->IsPackedForm(); }
    tResult Decompress() override;

    // The packed copy while the image is packed, else null.
    TRle* GetRunLengthCopy() { return m_rle; }

protected:
    using CImageBase::CImageBase;

private:
    void DropCopy()
    {
        delete m_rle;
        m_rle = nullptr;
    }

    TRle* m_rle = nullptr;
};

template <typename TRle, typename TNav>
tResult CPackableImageT<TRle, TNav>::Compress()
{
    if (m_dib || m_rle || !m_pixels)
        return kResOk;
    m_rle = new (std::nothrow) TRle;
    if (!m_rle)
        return kResNoMemory;
    bool packed = false;
    {
        TNav view(this);
        const int64_t estimate = TRle::EstimateSize(&view);
        if (estimate < RunLengthThreshold(int64_t(m_width) * m_height)) {
            const tResult built = m_rle->BuildFromView(&view, estimate);
            if (built != kResOk) {
                DropCopy();
                return built;
            }
            packed = true;
        }
    }
    if (!packed) {
        DropCopy();
        return kResOk;
    }
    CImageBase::FreePixels();
    m_valid = 1;
    return kResOk;
}

template <typename TRle, typename TNav>
tResult CPackableImageT<TRle, TNav>::Decompress()
{
    using T = typename TRle::tElement;
    if (m_dib || !m_rle)
        return kResOk;
    ToolkitFree(m_pixels);
    m_pixels = nullptr;
    TK_TRY(AllocatePixels(m_width * m_bytesPerPixel));
    for (int32_t y = 0; y < m_height; ++y) {
        T* row = reinterpret_cast<T*>(m_pixels + size_t(y) * size_t(m_rowBytes));
        tRunCursor<T> cursor = m_rle->CursorAt(0, y);
        for (int32_t x = 0; x < m_width; ++x)
            row[x] = m_rle->ReadFrom(cursor);
    }
    DropCopy();
    return kResOk;
}
