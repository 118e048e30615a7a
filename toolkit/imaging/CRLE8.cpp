#include "toolkit/imaging/CRLE8.h"

#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"

namespace {

struct tByteRows {
    const CImNav8* view;
    const uint8_t* Row(int32_t y) const { return view->Bytes(y); }
};

// One byte of each pixel: alpha (bits 24 to 31) or green (bits 8 to 15).
struct tChannelRow {
    const CPixel* pixels;
    int shift;
    uint8_t operator[](int64_t x) const { return uint8_t(pixels[x] >> shift); }
};

struct tChannelRows {
    const CImNav* view;
    int shift;
    tChannelRow Row(int32_t y) const { return {view->Pixels(y), shift}; }
};

tChannelRows ChannelRows(const CImNav* view, uint32_t alpha)
{
    return {view, alpha ? 24 : 8};
}

bool IsLockedOfSize(const CImNavBase* view, int32_t bytesPerPixel)
{
    return view && view->IsLocked() && view->GetBytesPerPixel() == bytesPerPixel;
}

}  // namespace

int64_t CRLE8::EstimateSize(const CImNav8* view)
{
    if (!IsLockedOfSize(view, 1))
        return 0;
    return Estimate(tByteRows{view}, view->GetWidth(), view->GetHeight());
}

int64_t CRLE8::EstimateSize32(const CImNav* view, uint32_t alpha)
{
    if (!IsLockedOfSize(view, 4))
        return 0;
    return Estimate(ChannelRows(view, alpha), view->GetWidth(), view->GetHeight());
}

int64_t CRLE8::EstimateImageSize(CImage8* image)
{
    CImNav8 view(image);
    if (!view.IsLocked())
        return image ? int64_t(image->GetWidth()) * image->GetHeight() : 0;
    return EstimateSize(&view);
}

tResult CRLE8::EncodeRows8(const CImNav8* view)
{
    if (!IsLockedOfSize(view, 1))
        return kResBadParam;
    return Encode(tByteRows{view}, view->GetWidth(), view->GetHeight());
}

tResult CRLE8::EncodeRows32(const CImNav* view, uint32_t alpha)
{
    if (!IsLockedOfSize(view, 4))
        return kResBadParam;
    return Encode(ChannelRows(view, alpha), view->GetWidth(), view->GetHeight());
}

tResult CRLE8::BuildFromNav8(const CImNav8* view)
{
    return BuildFromView(view, EstimateSize(view));
}

tResult CRLE8::BuildFromView(const CImNav8* view, int64_t estimate)
{
    if (!IsLockedOfSize(view, 1))
        return kResBadParam;
    return Build(tByteRows{view}, view->GetWidth(), view->GetHeight(), estimate);
}

tResult CRLE8::BuildFromNav32(const CImNav* view, uint32_t alpha)
{
    if (!IsLockedOfSize(view, 4))
        return kResBadParam;
    return Build(ChannelRows(view, alpha), view->GetWidth(), view->GetHeight(), EstimateSize32(view, alpha));
}

tResult CRLE8::BuildFromImage8(CImage8* image)
{
    CImNav8 view(image);
    if (!view.IsLocked())
        return kResNoMemory;
    return BuildFromNav8(&view);
}

tResult CRLE8::BuildFromImage32(CImage* image, uint32_t alpha)
{
    CImNav view(image);
    if (!view.IsLocked())
        return kResNoMemory;
    return BuildFromNav32(&view, alpha);
}
