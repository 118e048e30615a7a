#include "toolkit/imaging/CImNav.h"

#include <algorithm>
#include <cstring>

CImNavBase::CImNavBase(CImageBase* image)
{
    Lock(image, nullptr);
}

CImNavBase::CImNavBase(CImageBase* image, const tCRect& rect)
{
    Lock(image, &rect);
}

CImNavBase::~CImNavBase()
{
    Detach();
}

void CImNavBase::Lock(CImageBase* image, const tCRect* rect)
{
    if (!image || !image->IsValid())
        return;
    tCRect clip = image->GetBounds();
    if (rect) {
        const tCPoint origin = image->GetOrigin();
        // 64-bit sums: a rectangle near the i32 limits plus the origin must not wrap.
        const auto shifted = [](int32_t v, int32_t o) { return int64_t(v) + o; };
        clip.left = int32_t(std::max<int64_t>(shifted(rect->left, origin.x), 0));
        clip.top = int32_t(std::max<int64_t>(shifted(rect->top, origin.y), 0));
        clip.right = int32_t(std::min<int64_t>(shifted(rect->right, origin.x), image->GetWidth()));
        clip.bottom = int32_t(std::min<int64_t>(shifted(rect->bottom, origin.y), image->GetHeight()));
        // An empty clip is a view of nothing at the image's corner, never an address outside it.
        if (clip.left >= clip.right || clip.top >= clip.bottom)
            clip = tCRect{};
    }
    uint8_t* base = nullptr;
    const tCPoint lockPoint = clip.GetTopLeft();
    if (image->LockPixelsAt(&base, rect ? &lockPoint : nullptr) != kResOk || !base)
        return;
    m_image = image;
    m_hasLockPoint = rect != nullptr;
    m_clip = clip;
    m_rowBase = base;
    m_width = clip.Width();
    m_height = clip.Height();
    m_stride = image->GetRowPixels();
    m_rowBytes = image->GetRowBytes();
    m_bytesPerPixel = image->GetBytesPerPixel();
    m_locked = 1;
}

void CImNavBase::Detach()
{
    if (m_locked) {
        const tCPoint lockPoint = m_clip.GetTopLeft();
        m_image->UnlockPixelsAt(m_hasLockPoint ? &lockPoint : nullptr);
    }
    m_image = nullptr;
    m_rowBase = nullptr;
    m_hasLockPoint = false;
    m_locked = 0;
    m_width = 0;
    m_height = 0;
}

void CImNav::SetAlpha(uint32_t alpha)
{
    if (!HoldsArgb())
        return;
    const CPixel a = alpha << 24;
    for (int32_t y = 0; y < GetHeight(); ++y) {
        CPixel* p = Pixels(y);
        for (int32_t x = 0; x < GetWidth(); ++x)
            p[x] = (p[x] & 0x00FFFFFF) | a;
    }
}

void CImNav::Fill(CPixel colour)
{
    if (!HoldsArgb())
        return;
    for (int32_t y = 0; y < GetHeight(); ++y)
        std::fill_n(Pixels(y), GetWidth(), colour);
}

uint32_t CImNav::HasTransparency() const
{
    if (!HoldsArgb())
        return 0;
    for (int32_t y = 0; y < GetHeight(); ++y) {
        const CPixel* p = Pixels(y);
        for (int32_t x = 0; x < GetWidth(); ++x)
            if (p[x] < 0xFF000000)
                return 1;
    }
    return 0;
}

void CImNav8::Fill(uint8_t value)
{
    if (!IsLocked() || GetBytesPerPixel() != 1)
        return;
    for (int32_t y = 0; y < GetHeight(); ++y)
        std::memset(Bytes(y), value, size_t(GetWidth()));
}
