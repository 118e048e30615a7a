#include "toolkit/widgets/EffectImageBlend.h"

#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/widgets/EffectBlendModes.h"

tResult BlendImageIntoTarget(CImage* target, const tCRect& rect, CImage* source, int32_t mode, uint32_t opacity)
{
    CImNav view(target, rect.Intersect(source->GetBounds()));
    if (!view.IsLocked())
        return kResNoMemory;
    if (view.IsEmpty())
        return kResOk;
    const tCRect local = view.GetClip().Offset({-target->GetOrigin().x, -target->GetOrigin().y});
    CImNav from(source, local);
    if (!from.IsLocked())
        return kResNoMemory;
    for (int32_t row = 0; row < view.GetHeight(); ++row)
        BlendEffectRow(mode, view.Pixels(row), from.Pixels(row), view.GetWidth(), opacity);
    return kResOk;
}
