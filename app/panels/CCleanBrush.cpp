#include "app/panels/CCleanBrush.h"

#include <cmath>
#include <new>

#include "app/shell/BackboneMessages.h"
#include "app/shell/CHMRSound.h"
#include "app/shell/panes/IPaneHost.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CTimeStep.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/PixelBlend.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CImWidget.h"

CCleanBrush::CCleanBrush()
{
    m_rootId = int32_t(kRoot);
    m_rootKind = kRootImage;
}

CTimeStep* CCleanBrush::GetAnimator() const
{
    return m_root ? dynamic_cast<CTimeStep*>(m_root->GetUserObject(kAnimatorSlot)) : nullptr;
}

tResult CCleanBrush::Build()
{
    uint32_t flag = 0;
    TK_TRY(QueryBackbone(kMsgCleanBrush, ToMsgArg(this), ToMsgArg(&flag), 0));
    m_wanted = flag == 0 ? 1 : 0;
    float start = kStartHidden;
    if (m_wanted) {
        m_root->GetLayout()->y = float(kStartShown);
        start = kShownDistance;
    }
    auto* animator = new (std::nothrow) CTimeStep(start, start, kStepTime, 1.0f, true);
    if (!animator)
        return kResCreateFailed;
    delete m_root->GetUserObject(kAnimatorSlot);
    m_root->SetUserObject(kAnimatorSlot, animator);
    m_root->SetHeartbeatProc(HeartbeatProc, ToMsgArg(this));
    m_root->SetLButtonDownProc(PressProc, ToMsgArg(this));
    m_brush = dynamic_cast<CImWidget*>(m_root->FindWidgetById(kBrush));
    if (!m_brush)
        return kResResourceNotFound;
    m_picture = GetPooledImage(kPicture, nullptr, nullptr);
    m_mask = GetPooledImage(kMask, nullptr, nullptr);
    if (!m_picture || !m_mask)
        return kResCreateFailed;
    return DrawBrush(kStartColour, 0);
}

void CCleanBrush::AskTool()
{
    (void)QueryBackbone(kMsgUsesCleanBrush, ToMsgArg(this), ToMsgArg(&m_toolHasOption), 0);
    (void)QueryBackbone(kMsgCleanBrush, ToMsgArg(this), ToMsgArg(&m_wanted), 0);
    m_wanted = m_wanted == 0 ? 1 : 0;
}

tResult CCleanBrush::HandleMessage(uint32_t message, tMsgArg, tMsgArg b, tMsgArg, uint32_t)
{
    switch (message) {
    case kMsgCleanBrush:
        if (const uint32_t* flag = FromMsgArg<const uint32_t>(b))
            m_wanted = *flag == 0 ? 1 : 0;
        break;
    case kMsgToolPropertyValue:
        if (const auto* value = FromMsgArg<const ToolPropertyValue>(b); value && value->textId == kPropertyCleanBrush)
            m_wanted = value->value != 1.0f ? 1 : 0;
        break;
    case kMsgPickTool:
    case kMsgToolReset:
        AskTool();
        break;
    default:
        break;
    }
    return kResOk;
}

tResult CCleanBrush::OnSetSide(uint32_t side, uint32_t)
{
    m_cleanSide = side;
    m_side = side;
    return kHookHandled;
}

tResult CCleanBrush::HeartbeatProc(tMsgArg context, CWidget*)
{
    return FromMsgArg<CCleanBrush>(context)->OnHeartbeat();
}

tResult CCleanBrush::OnHeartbeat()
{
    CBackdrop* backdrop = GetMainBackdrop();
    CTimeStep* animator = GetAnimator();
    if (!backdrop || !backdrop->GetRolloverWidget() || !animator)
        return kResOk;
    const float target = m_cleanSide == 0 && m_toolHasOption && m_wanted ? kShownDistance : kHiddenDistance;
    if (animator->GetTarget() != target)
        animator->SetTarget(target);
    const auto distance = int32_t(std::lround(animator->GetValue()));
    CWidget* parent = m_root->GetParent();
    if (!parent || parent->GetHeight() - m_root->GetRect().bottom == distance)
        return kResOk;
    return m_root->SetYPosition(distance, 1);
}

tResult CCleanBrush::PressProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint*)
{
    *takenBy = widget;
    return FromMsgArg<CCleanBrush>(context)->OnPress();
}

tResult CCleanBrush::OnPress()
{
    if (FollowPressOn(m_root) != m_root)
        return kResOk;
    TK_TRY(SendToBackbone(kMsgReloadColour, ToMsgArg(this), 0, 0));
    (void)SendToBackdrop(CHMRSound::kMsgPlaySound, ToMsgArg(this), tMsgArg(kPressSound), 0);
    uint32_t colour = 0;
    TK_TRY(QueryBackbone(kMsgPaintColour, ToMsgArg(this), ToMsgArg(&colour), 0));
    return DrawBrush(colour, 1);
}

tResult CCleanBrush::DrawBrush(uint32_t colour, uint32_t redraw)
{
    if (!m_brush || !m_mask || !m_picture)
        return kResResourceNotFound;
    CPixel shown = colour;
    if (m_shownColour != 0) {
        shown = m_shownColour;
        BlendColourOver(&shown, kColourShare, colour);
    }
    shown |= 0xFF000000u;
    {
        CImNav mask(m_mask);
        if (!(mask.IsLocked() && mask.GetBytesPerPixel() == 4))
            return kResBadParam;
        for (int32_t y = 0; y < mask.GetHeight(); ++y) {
            CPixel* row = mask.Pixels(y);
            for (int32_t x = 0; x < mask.GetWidth(); ++x)
                row[x] = (row[x] & 0xFF000000u) | (shown & 0x00FFFFFFu);
        }
    }
    TK_TRY(m_brush->DecompressImage());
    const tResult blended = BlendImagesMultiply(m_brush->GetImage(), m_mask, m_picture);
    (void)m_brush->CompressImage();
    TK_TRY(blended);
    TK_TRY(m_brush->Invalidate(redraw));
    m_shownColour = shown;
    return kResOk;
}
