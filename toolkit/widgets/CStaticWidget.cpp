#include "toolkit/widgets/CStaticWidget.h"

#include <algorithm>

#include "toolkit/imaging/CImNav.h"
#include "toolkit/widgets/CBackdrop.h"

tResult CStaticWidget::Draw(const tCRect* clip, CImage* target, uint32_t opacity)
{
    if (m_captured)
        return CImWidget::Draw(clip, target, opacity);
    if (!m_capturing || !GetImage())
        return kResOk;
    TK_TRY(DecompressImage());
    // Only the part the picture holds is copied, whatever the picture's size.
    const tCRect local = clip->Intersect(GetImage()->GetBounds());
    if (local.IsEmpty())
        return kResOk;
    CImNav from(target, local);
    if (!from.IsLocked())
        return kResNoMemory;
    const tCRect taken = from.GetClip().Offset({-target->GetOrigin().x, -target->GetOrigin().y});
    CImNav to(GetImage(), taken);
    if (!to.IsLocked())
        return kResNoMemory;
    for (int32_t y = 0; y < from.GetHeight(); ++y)
        std::copy(from.Pixels(y), from.Pixels(y) + from.GetWidth(), to.Pixels(y));
    return kResOk;
}

tResult CStaticWidget::CaptureBackground()
{
    auto* backdrop = dynamic_cast<CBackdrop*>(GetRoot());
    if (!backdrop || !backdrop->GetBackBufferImage())
        return kResOk;
    tCRect rect{0, 0, GetWidth(), GetHeight()};
    LocalToRootRect(&rect);
    m_capturing = 1;
    tResult result = backdrop->PreRender(&rect, backdrop->GetBackBufferImage(), 255);
    if (result == kResOk)
        result = backdrop->RenderRect(&rect);
    m_capturing = 0;
    if (result != kResOk)
        return result;
    SetOpaqueBlit(1);
    m_captured = 1;
    return kResOk;
}
