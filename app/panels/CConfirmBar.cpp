#include "app/panels/CConfirmBar.h"

#include <cmath>
#include <new>

#include "app/panels/PanelFrame.h"
#include "app/shell/panes/IPaneHost.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CTimeStep.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CWidget.h"
#include "toolkit/widgets/CWidgetEffectGradient.h"

namespace {

CWidgetEffectBase* Light(CWidget* bar, int32_t effect)
{
    return bar ? dynamic_cast<CWidgetEffectBase*>(bar->GetFrontEffect(effect)) : nullptr;
}

tCPoint PointerInBar(CWidget* widget)
{
    CAppBase* app = GetApplication();
    tCPoint point = app ? app->GetCursorPosition() : tCPoint{};
    widget->ScreenToLocalPoint(&point);
    return point;
}

void SetBarTargetOnce(CTimeStep* step, float target)
{
    if (step->GetTarget() != target)
        step->SetTarget(target);
}

// Takes the light to the step's rounded value; true when it changed.
bool ShowLight(CWidgetEffectBase* light, CTimeStep* step)
{
    const auto opacity = uint32_t(std::lround(step->GetValue()));
    if (light->GetOpacity() == opacity)
        return false;
    light->ChangeOpacity(opacity, 0);
    return true;
}

}  // namespace

tResult CConfirmBar::Attach(CWidget* root, CImage* frame, IConfirmBarOwner* owner)
{
    m_owner = owner;
    m_bar = root ? root->FindWidgetById(kWidgetId) : nullptr;
    if (!m_bar)
        return kResResourceNotFound;
    TK_TRY(FramePanel(m_bar, frame));
    CWidgetEffectBase* right = Light(m_bar, kRightLight);
    CWidgetEffectBase* left = Light(m_bar, kLeftLight);
    if (!right || !left)
        return kResResourceNotFound;
    const int32_t width = m_bar->GetWidth();
    const int32_t height = m_bar->GetHeight();
    for (CWidgetEffectBase* light : {right, left})
        if (auto* gradient = dynamic_cast<CWidgetEffectGradient*>(light))
            gradient->SetBlendMode(1, 0);
    right->ExcludeRect({0, 0, width / 2, height}, 0);
    left->ExcludeRect({width / 2, 0, width, height}, 0);
    m_bar->SetHeartbeatProc(OnHeartbeat, ToMsgArg(this));
    m_bar->SetLButtonDownProc(OnPressed, ToMsgArg(this));
    for (int32_t slot = 0; slot < 2; ++slot) {
        auto* step = new (std::nothrow) CTimeStep(0.0f, 0.0f, kStepTime, 1.0f, false);
        if (!step)
            return kResCreateFailed;
        if (!m_bar->SetUserObject(slot, step)) {
            delete step;
            return kResCreateFailed;
        }
    }
    return kResOk;
}

CTimeStep* CConfirmBar::Step(int32_t slot) const
{
    return m_bar ? dynamic_cast<CTimeStep*>(m_bar->GetUserObject(slot)) : nullptr;
}

void CConfirmBar::Reset()
{
    for (int32_t slot = 0; slot < 2; ++slot)
        if (CTimeStep* step = Step(slot)) {
            step->SetValue(0.0f);
            step->SetTarget(0.0f);
        }
    for (int32_t effect : {kRightLight, kLeftLight})
        if (CWidgetEffectBase* light = Light(m_bar, effect))
            light->ChangeOpacity(0, 0);
}

bool CConfirmBar::IsApplyHalf(tCPoint local) const
{
    return m_bar && local.x > m_bar->GetWidth() / 2;
}

uint32_t CConfirmBar::GetLight(int32_t effect) const
{
    CWidgetEffectBase* light = Light(m_bar, effect);
    return light ? light->GetOpacity() : 0;
}

tResult CConfirmBar::Hover()
{
    CTimeStep* right = Step(0);
    CTimeStep* left = Step(1);
    CWidgetEffectBase* rightLight = Light(m_bar, kRightLight);
    CWidgetEffectBase* leftLight = Light(m_bar, kLeftLight);
    if (!right || !left || !rightLight || !leftLight)
        return kResOk;
    CBackdrop* backdrop = GetMainBackdrop();
    if (backdrop && backdrop->GetRolloverWidget() == m_bar) {
        const bool apply = IsApplyHalf(PointerInBar(m_bar));
        SetBarTargetOnce(right, apply ? kLit : 0.0f);
        SetBarTargetOnce(left, apply ? 0.0f : kLit);
    } else {
        SetBarTargetOnce(right, 0.0f);
        SetBarTargetOnce(left, 0.0f);
    }
    const bool rightChanged = ShowLight(rightLight, right);
    const bool leftChanged = ShowLight(leftLight, left);
    if (rightChanged || leftChanged)
        m_bar->PresentDirtyRects();
    return kResOk;
}

tResult CConfirmBar::TakePress()
{
    tCPoint release;
    if (FollowPressOn(m_bar, 0, &release) != m_bar || !m_owner)
        return kResOk;
    m_bar->ScreenToLocalPoint(&release);
    return m_owner->OnConfirmBar(IsApplyHalf(release));
}

tResult CConfirmBar::OnHeartbeat(tMsgArg context, CWidget*)
{
    return FromMsgArg<CConfirmBar>(context)->Hover();
}

tResult CConfirmBar::OnPressed(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint*)
{
    *takenBy = widget;
    return FromMsgArg<CConfirmBar>(context)->TakePress();
}
