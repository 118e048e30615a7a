#include "toolkit/imaging/CRLE.h"

#include "toolkit/imaging/CImage.h"

namespace {

struct tArgbRows {
    const CImNav* view;
    const CPixel* Row(int32_t y) const { return view->Pixels(y); }
};

bool IsLockedArgb(const CImNav* view)
{
    return view && view->IsLocked() && view->GetBytesPerPixel() == 4;
}

}  // namespace

int64_t CRLE::EstimateSize(const CImNav* view)
{
    if (!IsLockedArgb(view))
        return 0;
    return Estimate(tArgbRows{view}, view->GetWidth(), view->GetHeight());
}

int64_t CRLE::EstimateImageSize(CImage* image)
{
    CImNav view(image);
    if (!view.IsLocked())
        return image ? int64_t(image->GetWidth()) * image->GetHeight() : 0;
    return EstimateSize(&view);
}

tResult CRLE::EncodeRows(const CImNav* view)
{
    if (!IsLockedArgb(view))
        return kResBadParam;
    return Encode(tArgbRows{view}, view->GetWidth(), view->GetHeight());
}

tResult CRLE::BuildFromNav(const CImNav* view)
{
    return BuildFromView(view, EstimateSize(view));
}

tResult CRLE::BuildFromView(const CImNav* view, int64_t estimate)
{
    if (!IsLockedArgb(view))
        return kResBadParam;
    return Build(tArgbRows{view}, view->GetWidth(), view->GetHeight(), estimate);
}

tResult CRLE::BuildFromImage(CImage* image)
{
    CImNav view(image);
    if (!view.IsLocked())
        return kResNoMemory;
    return BuildFromNav(&view);
}
