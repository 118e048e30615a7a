#include "app/shell/controls/CKS2Button.h"

#include <cmath>
#include <new>

#include "app/shell/panes/IPaneHost.h"
#include "toolkit/core/CTimeStep.h"
#include "toolkit/widgets/CBackdrop.h"

tResult CKS2Button::Init(tMsgArg)
{
    if (m_widget->GetEventMask() & eLButtonEvent)
        m_widget->SetLButtonDownProc(PressProc, ToMsgArg(this));
    if (m_widget->GetEventMask() & eRButtonEvent)
        m_widget->SetRButtonDownProc(RightPressProc, ToMsgArg(this));
    if (m_widget->GetOpacity() < 255) {
        m_normalLevel = float(m_widget->GetOpacity());
        // Without an animator the button simply has no highlight.
        if (auto* animator = new (std::nothrow) CTimeStep(m_normalLevel, m_normalLevel, m_stepTime, 1.0f, true)) {
            delete m_widget->GetUserObject(0);
            m_widget->SetUserObject(0, animator);
            m_widget->SetHeartbeatProc(HoverHeartbeatProc, ToMsgArg(this));
        }
    }
    return kResOk;
}

CTimeStep* CKS2Button::LevelAnimator() const
{
    return m_widget ? dynamic_cast<CTimeStep*>(m_widget->GetUserObject(0)) : nullptr;
}

tResult CKS2Button::HoverHeartbeatProc(tMsgArg context, CWidget*)
{
    return FromMsgArg<CKS2Button>(context)->OnHoverTick();
}

tResult CKS2Button::OnHoverTick()
{
    CTimeStep* animator = LevelAnimator();
    if (!animator)
        return kResOk;
    if (m_highlightState == kHighlightFollows) {
        auto* backdrop = dynamic_cast<CBackdrop*>(GetMainBackdropWidget());
        const bool over = backdrop && backdrop->GetRolloverWidget() == m_widget;
        if (m_followRollover == 1 && over) {
            if (animator->GetTarget() != m_highlightLevel) {
                animator->SetTarget(m_highlightLevel);
                Report(kMsgControlEntered, 0);
            }
        } else if (!over && animator->GetTarget() != m_normalLevel) {
            animator->SetTarget(m_normalLevel);
            Report(kMsgControlLeft, 0);
        }
    }
    // The report may have changed the widget's animator.
    animator = LevelAnimator();
    if (!animator)
        return kResOk;
    const uint32_t level = uint32_t(std::lround(animator->GetValue()));
    if (level != m_widget->GetOpacity())
        return m_widget->SetOpacity(level, 1);
    return kResOk;
}

tResult CKS2Button::SetHighlight(uint32_t on, uint32_t apply, uint32_t redraw)
{
    CTimeStep* animator = LevelAnimator();
    if (!animator)
        return kResOk;
    m_highlightState = on ? kHighlightOn : kHighlightOff;
    const float level = on ? m_highlightLevel : m_normalLevel;
    animator->SetValue(level);
    animator->SetTarget(level);
    if (apply)
        return m_widget->SetOpacity(uint32_t(std::lround(level)), redraw);
    return kResOk;
}

tResult CKS2Button::ClearHighlight()
{
    if (LevelAnimator())
        m_highlightState = kHighlightFollows;
    return kResOk;
}

tResult CKS2Button::ResetHighlight()
{
    CTimeStep* animator = LevelAnimator();
    if (!animator)
        return kResOk;
    m_highlightState = kHighlightFollows;
    animator->SetValue(m_normalLevel);
    animator->SetTarget(m_normalLevel);
    return m_widget->SetOpacity(uint32_t(std::lround(m_normalLevel)), 0);
}

uint32_t CKS2Button::IsEnabled()
{
    return m_widget ? m_widget->IsActive() : 0;
}

tResult CKS2Button::SetEnabled(uint32_t enable, uint32_t apply, uint32_t redraw)
{
    if (!m_widget || (enable != 0) == (IsEnabled() != 0))
        return kResOk;
    m_widget->SetActive(enable);
    if (enable)
        ClearHighlight();
    else
        SetHighlight(0, apply, 0);
    if (redraw)
        return m_widget->Invalidate(1);
    return kResOk;
}
