#include "app/shell/controls/CKS2FreeButton.h"

#include <memory>
#include <new>

#include "app/shell/panes/IPaneHost.h"
#include "toolkit/core/CTimeStep.h"
#include "toolkit/imaging/PixelTile.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/imaging/tCImageList.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CImWidget.h"

tResult CKS2FreeButton::Init(tMsgArg)
{
    m_widget->SetLButtonDownProc(PressProc, ToMsgArg(this));
    m_normalLevel = 0.0f;
    // Without an animator the button simply has no highlight.
    if (auto* animator = new (std::nothrow) CTimeStep(0.0f, 0.0f, m_stepTime, kStepSize, true)) {
        delete m_widget->GetUserObject(0);
        m_widget->SetUserObject(0, animator);
        m_widget->SetHeartbeatProc(HoverHeartbeatProc, ToMsgArg(this));
    }
    CTxWidget* label = GetLabel();
    if (!label)
        return kResResourceNotFound;
    SetLabelFromTable(label, m_widget->GetId());
    FitLabel(label);
    return BuildLook(0);
}

CImWidget* CKS2FreeButton::Face() const
{
    return dynamic_cast<CImWidget*>(m_widget);
}

CTxWidget* CKS2FreeButton::GetLabel() const
{
    return m_widget ? dynamic_cast<CTxWidget*>(m_widget->FindWidgetById(kPartLabel)) : nullptr;
}

CTimeStep* CKS2FreeButton::LevelAnimator() const
{
    return m_widget ? dynamic_cast<CTimeStep*>(m_widget->GetUserObject(0)) : nullptr;
}

bool CKS2FreeButton::FitLabel(CTxWidget* label)
{
    const int32_t wanted = label->GetWidth() + kLabelMargin;
    if (wanted <= m_widget->GetWidth())
        return false;
    m_widget->SetWidth(wanted, 0);
    return true;
}

tResult CKS2FreeButton::BuildLook(uint32_t redraw)
{
    CImWidget* face = Face();
    if (!face)
        return kResResourceNotFound;
    CImage* normal = GetPooledImage(kNormalFrame, nullptr, nullptr);
    CImage* highlighted = GetPooledImage(kHighlightFrame, nullptr, nullptr);
    if (!normal || !highlighted)
        return kResResourceNotFound;
    std::unique_ptr<tCImageList> list(new (std::nothrow) tCImageList(1));
    if (!list)
        return kResCreateFailed;
    for (CImage* frame : {normal, highlighted}) {
        std::unique_ptr<CImage> image(new (std::nothrow) CImage(face->GetWidth(), face->GetHeight()));
        if (!image || !image->IsValid())
            return kResCreateFailed;
        TK_TRY(NineSliceScaleBlit(image.get(), frame, 1, 1));
        if (list->AddImage(image.get()) != kResOk)
            return kResCreateFailed;
        image.release();
    }
    TK_TRY(face->SetImageList(list.get()));
    list.release();
    TK_TRY(face->CrossFadeListImages(0, 1, 0.0f, 1, 0));
    return redraw ? face->PresentDirtyRects() : kResOk;
}

tResult CKS2FreeButton::ShowLevel(float level, uint32_t present)
{
    CImWidget* face = Face();
    return face ? face->CrossFadeListImages(0, 1, level, 0, present) : kResOk;
}

tResult CKS2FreeButton::HoverHeartbeatProc(tMsgArg context, CWidget*)
{
    return FromMsgArg<CKS2FreeButton>(context)->OnHoverTick();
}

tResult CKS2FreeButton::OnHoverTick()
{
    CTimeStep* animator = LevelAnimator();
    if (!animator)
        return kResOk;
    if (m_highlightState != kHighlightFollows) {
        const float level = animator->GetValue();
        if (m_widget->GetUserData(kDrawnLevelSlot) != uint32_t(level * kDrawnLevelScale))
            return ShowLevel(level, 0);
        return kResOk;
    }
    auto* backdrop = dynamic_cast<CBackdrop*>(GetMainBackdropWidget());
    if (backdrop && backdrop->GetRolloverWidget() == m_widget) {
        if (animator->GetTarget() != m_highlightLevel) {
            animator->SetTarget(m_highlightLevel);
            Report(kMsgControlEntered, 0);
            // The pane may have changed the widget's animator.
            animator = LevelAnimator();
            if (!animator)
                return kResOk;
        }
    } else if (animator->GetTarget() != m_normalLevel) {
        animator->SetTarget(m_normalLevel);
    }
    const float level = animator->GetValue();
    const uint32_t drawn = uint32_t(level * kDrawnLevelScale);
    if (m_widget->GetUserData(kDrawnLevelSlot) != drawn)
        TK_TRY(ShowLevel(level, 1));
    m_widget->SetUserData(kDrawnLevelSlot, drawn);
    return kResOk;
}

tResult CKS2FreeButton::SetHighlight(uint32_t on, uint32_t apply, uint32_t)
{
    CTimeStep* animator = LevelAnimator();
    if (!animator)
        return kResOk;
    m_highlightState = on ? kHighlightOn : kHighlightOff;
    const float level = on ? m_highlightLevel : m_normalLevel;
    animator->SetValue(level);
    animator->SetTarget(level);
    return apply ? ShowLevel(level, 0) : kResOk;
}

tResult CKS2FreeButton::ClearHighlight()
{
    if (LevelAnimator())
        m_highlightState = kHighlightFollows;
    return kResOk;
}

tResult CKS2FreeButton::ResetHighlight()
{
    CTimeStep* animator = LevelAnimator();
    if (!animator)
        return kResOk;
    m_highlightState = kHighlightFollows;
    animator->SetValue(m_normalLevel);
    animator->SetTarget(m_normalLevel);
    return ShowLevel(0.0f, 0);
}

uint32_t CKS2FreeButton::IsEnabled()
{
    return m_widget ? m_widget->IsActive() : 0;
}

tResult CKS2FreeButton::SetEnabled(uint32_t enable, uint32_t apply, uint32_t redraw)
{
    if (!m_widget || (enable != 0) == (IsEnabled() != 0))
        return kResOk;
    m_widget->SetActive(enable);
    if (enable) {
        m_widget->SetOpacity(kEnabledOpacity, 0);
        ClearHighlight();
    } else {
        m_widget->SetOpacity(kDisabledOpacity, 0);
        SetHighlight(0, apply, 0);
    }
    return redraw ? m_widget->Invalidate(1) : kResOk;
}

tResult CKS2FreeButton::SetLabel(const tCString& text, uint32_t redraw)
{
    if (!m_widget)
        return kResBadParam;
    CTxWidget* label = GetLabel();
    if (!label)
        return kResResourceNotFound;
    TK_TRY(label->SetText(text, 1, 0));
    if (FitLabel(label))
        TK_TRY(BuildLook(0));
    return redraw ? m_widget->Invalidate(1) : kResOk;
}
