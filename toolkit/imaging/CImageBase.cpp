#include "toolkit/imaging/CImageBase.h"

#include <cassert>
#include <climits>
#include <cstring>

#include "platform/Paint.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/Memory.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/core/tCStream.h"

CImageBase::CImageBase(uint32_t dib) : CImageBase(dib, 32) {}

CImageBase::CImageBase(uint32_t dib, int32_t bitsPerPixel)
    : tCResourceObject(kType), m_bitsPerPixel(bitsPerPixel), m_dib(dib), m_bytesPerPixel(bitsPerPixel / 8)
{
    assert(bitsPerPixel > 0 && bitsPerPixel % 8 == 0);
}

CImageBase::~CImageBase()
{
    CImageBase::FreePixels();
}

void CImageBase::FreePixels()
{
    EndMemDC();
    ToolkitFree(m_pixels);
    m_pixels = nullptr;
    m_valid = 0;
}

w32::HDC CImageBase::GetMemDC()
{
    if (!m_memDc) {
        if (!m_valid || !m_pixels || m_bytesPerPixel != 4 || IsCompressed())
            return nullptr;
        m_memDc = w32::CreateMemoryDC(reinterpret_cast<uint32_t*>(m_pixels), m_width, m_height, m_rowBytes / 4);
        if (!m_memDc)
            return nullptr;
    }
    ++m_memDcUses;
    return m_memDc;
}

void CImageBase::ReleaseMemDC()
{
    if (m_memDcUses > 0 && --m_memDcUses == 0)
        EndMemDC();
}

void CImageBase::EndMemDC()
{
    if (m_memDc)
        w32::DeleteDC(m_memDc);
    m_memDc = nullptr;
    m_memDcUses = 0;
}

tResult CImageBase::SetSizeFromPoint(tCPoint size)
{
    return SetSize(size.x, size.y);
}

tResult CImageBase::SetSize(int32_t width, int32_t height)
{
    // A packed image has no pixels to reuse: it is re-created, which also drops its old picture.
    if (width == m_width && height == m_height && m_pixels) {
        Clear();
        return kResOk;
    }
    return Create(width, height);
}

tResult CImageBase::GetFromRes(const tCString&, tCStream*, CResourceDirectory*)
{
    return kResNotImplemented;
}

tResult CImageBase::GetFromRes(uint32_t, tCStream*, CResourceDirectory*)
{
    return kResNotImplemented;
}

tResult CImageBase::LockPixelsAt(uint8_t** pixels, const tCPoint* point)
{
    *pixels = nullptr;
    if (!m_valid)
        return kResFailure;
    m_rowPixels = m_rowBytes / m_bytesPerPixel;
    if (!m_pixels)
        return kResOk;
    if (!point) {
        *pixels = m_pixels;
        return kResOk;
    }
    assert(point->x >= 0 && point->x <= m_width && point->y >= 0 && point->y <= m_height);
    *pixels = m_pixels + size_t(point->y) * size_t(m_rowBytes) + size_t(point->x) * size_t(m_bytesPerPixel);
    return kResOk;
}

tResult CImageBase::LockPixels(uint8_t** pixels)
{
    return LockPixelsAt(pixels, nullptr);
}

tResult CImageBase::UnlockPixelsAt(const tCPoint*)
{
    return kResOk;
}

tResult CImageBase::UnlockPixels()
{
    return UnlockPixelsAt(nullptr);
}

void CImageBase::Clear()
{
    if (m_pixels)
        std::memset(m_pixels, 0, GetPixelBytes());
}

tResult CImageBase::Compress()
{
    return kResOk;
}

uint32_t CImageBase::IsCompressed() const
{
    return 0;
}

tResult CImageBase::Decompress()
{
    return kResOk;
}

tResult CImageBase::CheckSize(int32_t width, int32_t height, int32_t* rowBytes, int32_t* paddedRowBytes) const
{
    if (width < 0 || height < 0)
        return kResBadParam;
    const int64_t row = int64_t(width) * m_bytesPerPixel;
    if (int64_t(width) * height > kMaxPixels || row > INT32_MAX - 3)
        return kResNoMemory;
    *rowBytes = int32_t(row);
    *paddedRowBytes = int32_t((row + 3) & ~int64_t(3));
    return kResOk;
}

tResult CImageBase::AllocatePixels(int32_t rowBytes)
{
    m_rowBytes = rowBytes;
    m_rowPixels = rowBytes / m_bytesPerPixel;
    m_pixels = static_cast<uint8_t*>(ToolkitAlloc(GetPixelBytes()));
    return m_pixels ? kResOk : kResNoMemory;
}

tResult CImageBase::Create(int32_t width, int32_t height)
{
    if (m_dib)
        return CreateDibSection(width, height);
    return Allocate(width, height, 0);
}

tResult CImageBase::CreateDibSection(int32_t width, int32_t height)
{
    return Allocate(width, height, 1);
}

tResult CImageBase::Allocate(int32_t width, int32_t height, uint32_t dib)
{
    int32_t rowBytes = 0, paddedRowBytes = 0;
    const tResult checked = CheckSize(width, height, &rowBytes, &paddedRowBytes);
    if (checked == kResBadParam)
        return checked;
    FreePixels();
    TK_TRY(checked);
    m_width = width;
    m_height = height;
    m_dib = dib;
    if (AllocatePixels(dib ? paddedRowBytes : rowBytes) != kResOk) {
        FreePixels();
        return kResNoMemory;
    }
    m_valid = 1;
    Clear();
    return kResOk;
}

tResult CImageBase::LoadResource(const tCString* name, uint32_t id, tCStream* stream, CResourceDirectory* directory,
                                 const tResourceDecoding& decoding)
{
    tCStream* used = nullptr;
    TK_TRY(name ? LocateByName(*name, stream, directory, &used) : LocateById(id, stream, directory, &used));
    int32_t count = 0;
    tResult result = used->ReadI32(&count);
    // The count must stay within the resource's chunk: the file was checked that far.
    if (result == kResOk && (count < 0 || used->GetPosition() + count > GetDataEnd()))
        result = kResFileInvalid;
    if (result != kResOk) {
        ReportResult(kResResourceRead, decoding.sizeFailed);
        return result;
    }
    tCMemFile file;
    result = file.GrowBy(count);
    if (result == kResOk && count > 0)
        result = used->ReadBytes(file.GetData(), count);
    if (result == kResOk)
        result = decoding.decode(&file, this);
    if (result != kResOk)
        ReportResult(kResResourceRead, decoding.loadFailed);
    return result;
}
