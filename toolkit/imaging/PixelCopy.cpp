#include "toolkit/imaging/PixelCopy.h"

#include <algorithm>
#include <cstring>

#include "toolkit/imaging/PackedSource.h"
#include "toolkit/imaging/PixelMath.h"

namespace {

bool IsLockedView(const CImNavBase* view)
{
    return view && view->IsLocked();
}

// True when there are pixels to copy; otherwise `answer` holds the operation's result.
bool CheckPair(const CImNavBase* dest, const CImNavBase* source, int32_t destBytes, int32_t sourceBytes,
               tResult* answer)
{
    *answer = kResBadParam;
    if (!IsLockedView(dest) || !IsLockedView(source))
        return false;
    if (dest->IsEmpty()) {
        *answer = kResOk;
        return false;
    }
    if (dest->GetWidth() != source->GetWidth() || dest->GetHeight() != source->GetHeight())
        return false;
    return dest->GetBytesPerPixel() == destBytes && source->GetBytesPerPixel() == sourceBytes;
}

template <typename T>
void ExpandRows(CImNavBase* dest, CRunLengthT<T>* packed)
{
    const int32_t rows = std::min(dest->GetHeight(), packed->GetHeight());
    const int32_t columns = std::min(dest->GetWidth(), packed->GetWidth());
    for (int32_t y = 0; y < rows; ++y) {
        T* out = reinterpret_cast<T*>(dest->Row(y));
        tRunCursor<T> cursor = packed->CursorAt(0, y);
        for (int32_t x = 0; x < columns; ++x)
            out[x] = packed->ReadFrom(cursor);
    }
}

}  // namespace

tResult CopyNavRows(CImNavBase* dest, const CImNavBase* source)
{
    const int32_t bytes = source ? source->GetBytesPerPixel() : 0;
    tResult answer;
    if (!CheckPair(dest, source, bytes, bytes, &answer))
        return answer;
    const size_t rowBytes = size_t(source->GetWidth()) * size_t(bytes);
    for (int32_t y = 0; y < dest->GetHeight(); ++y)
        std::memcpy(dest->Row(y), source->Row(y), rowBytes);
    return kResOk;
}

tResult CopyNavPixels(CImNavBase* dest, const CImNavBase* source)
{
    if (!IsLockedView(dest) || !IsLockedView(source))
        return kResBadParam;
    if (dest->GetImage() != source->GetImage() || dest->GetClip().top < source->GetClip().top)
        return CopyNavRows(dest, source);
    const int32_t bytes = source->GetBytesPerPixel();
    tResult answer;
    if (!CheckPair(dest, source, bytes, bytes, &answer))
        return answer;
    const size_t rowBytes = size_t(source->GetWidth()) * size_t(bytes);
    if (dest->GetClip().top == source->GetClip().top) {
        for (int32_t y = 0; y < dest->GetHeight(); ++y)
            std::memmove(dest->Row(y), source->Row(y), rowBytes);
    } else {
        // The destination lies lower: copying from the bottom up reads each row before it is
        // overwritten.
        for (int32_t y = dest->GetHeight() - 1; y >= 0; --y)
            std::memmove(dest->Row(y), source->Row(y), rowBytes);
    }
    return kResOk;
}

tResult ConvertGrey8ToArgb(CImNav* dest, const CImNav8* source)
{
    tResult answer;
    if (!CheckPair(dest, source, 4, 1, &answer))
        return answer;
    for (int32_t y = 0; y < dest->GetHeight(); ++y) {
        CPixel* d = dest->Pixels(y);
        const uint8_t* s = source->Bytes(y);
        for (int32_t x = 0; x < dest->GetWidth(); ++x)
            d[x] = GreyToArgb(s[x]);
    }
    return kResOk;
}

tResult ConvertArgbToGrey8(CImNav8* dest, const CImNav* source)
{
    tResult answer;
    if (!CheckPair(dest, source, 1, 4, &answer))
        return answer;
    for (int32_t y = 0; y < dest->GetHeight(); ++y) {
        uint8_t* d = dest->Bytes(y);
        const CPixel* s = source->Pixels(y);
        for (int32_t x = 0; x < dest->GetWidth(); ++x)
            d[x] = ArgbToGrey(s[x]);
    }
    return kResOk;
}

tResult ExpandRleToNav(CImNavBase* dest, CImageBase* source)
{
    if (!IsLockedView(dest) || !source || !source->IsValid())
        return kResBadParam;
    if (dest->IsEmpty())
        return kResOk;
    if (dest->GetBytesPerPixel() == 1) {
        CRLE8* packed = PackedCopy8Of(source);
        if (!packed)
            return kResBadParam;
        ExpandRows(dest, packed);
    } else if (dest->GetBytesPerPixel() == 4) {
        CRLE* packed = PackedCopyOf(source);
        if (!packed)
            return kResBadParam;
        ExpandRows(dest, packed);
    }
    return kResOk;
}

tResult CopyImageToImage(CImageBase* dest, CImageBase* source)
{
    if (!dest || !source)
        return kResBadParam;
    return WithPixelsUnpacked(dest, [&]() -> tResult {
        const tCRect overlap = dest->GetBounds().Intersect(source->GetBounds());
        CImNavBase to(dest, overlap);
        if (!to.IsLocked())
            return kResNoMemory;
        if (source->IsCompressed())
            return ExpandRleToNav(&to, source);
        CImNavBase from(source, overlap);
        if (!from.IsLocked())
            return kResNoMemory;
        return CopyNavPixels(&to, &from);
    });
}
