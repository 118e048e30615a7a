#include "app/shell/panes/BlurredSnapshot.h"

#include "toolkit/imaging/Blur.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/PixelScale.h"

namespace {
constexpr float kSnapshotBlurRadius = 40.0f;
}

tResult TakeBlurredSnapshot(CImage* backBuffer, CImage* target)
{
    if (!backBuffer || !target)
        return kResBadParam;
    CImNav source(backBuffer);
    if (!source.IsLocked() || source.IsEmpty())
        return kResBadParam;
    const int32_t width = source.GetWidth() / 2;
    const int32_t height = source.GetHeight() / 3;
    if (width <= 0 || height <= 0)
        return kResBadParam;
    CImage reduced(width, height);
    if (!reduced.IsValid())
        return kResNoMemory;
    {
        CImNav into(&reduced);
        TK_TRY(ScaleBlit(&into, &source, 1));
    }
    if (!BlurImageRect(reduced, kSnapshotBlurRadius, nullptr))
        return kResCreateFailed;
    CImNav from(&reduced);
    CImNav whole(target);
    return ScaleBlit(&whole, &from, 0);
}
