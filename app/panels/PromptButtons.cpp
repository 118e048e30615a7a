#include "app/panels/PromptButtons.h"

#include <cmath>
#include <new>

#include "app/shell/CHMRSound.h"
#include "app/shell/ShellResources.h"
#include "app/shell/panes/CKS2Pane.h"
#include "app/shell/panes/IPaneHost.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CTimeStep.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CWidgetLayout.h"
#include "toolkit/widgets/CWidget.h"
#include "toolkit/widgets/CWidgetEffectGradient.h"

namespace {

CTimeStep* GlowStep(CWidget* button)
{
    return button ? dynamic_cast<CTimeStep*>(button->GetUserObject(0)) : nullptr;
}

CWidgetEffectBase* GlowEffect(CWidget* root, int32_t effect)
{
    return root ? dynamic_cast<CWidgetEffectBase*>(root->GetFrontEffect(effect)) : nullptr;
}

}  // namespace

tResult HookPromptButton(CWidget* button, tHeartbeatProc heartbeat, tPointProc press, tMsgArg pane)
{
    auto* step = new (std::nothrow) CTimeStep(0.0f, 0.0f, 1.0f, 1.0f, true);
    if (!step)
        return kResCreateFailed;
    button->SetUserObject(0, step);
    button->SetHeartbeatProc(heartbeat, pane);
    button->SetLButtonDownProc(press, pane);
    return kResOk;
}

tResult HookPromptButtons(CWidget* root, std::initializer_list<uint32_t> ids, tHeartbeatProc heartbeat,
                          tPointProc press, tMsgArg pane)
{
    for (const uint32_t id : ids) {
        CWidget* button = root->FindWidgetById(id);
        if (!button)
            return kResResourceNotFound;
        TK_TRY(HookPromptButton(button, heartbeat, press, pane));
    }
    return kResOk;
}

void ResetPromptGlow(CWidget* button, CWidget* root, int32_t effect)
{
    if (CTimeStep* step = GlowStep(button)) {
        step->SetValue(0.0f);
        step->SetTarget(0.0f);
    }
    if (CWidgetEffectBase* glow = GlowEffect(root, effect))
        glow->ChangeOpacity(0, 0);
}

void StepPromptGlow(CWidget* button, CWidget* root, int32_t effect, float lit)
{
    CTimeStep* step = GlowStep(button);
    if (!step)
        return;
    CBackdrop* backdrop = GetMainBackdrop();
    const bool over = backdrop && backdrop->GetRolloverWidget() == button;
    if (over && step->GetTarget() != lit) {
        step->SetTarget(lit);
        step->SetStepTime(kGlowRiseStepTime);
    } else if (!over && step->GetTarget() != 0.0f) {
        step->SetTarget(0.0f);
        step->SetStepTime(kGlowFallStepTime);
    }
    const auto opacity = uint32_t(std::lround(step->GetValue()));
    CWidgetEffectBase* glow = GlowEffect(root, effect);
    if (glow && glow->GetOpacity() != opacity)
        glow->ChangeOpacity(opacity, 1);
}

void ClipPromptGlow(CWidget* root, int32_t effect, const tCRect& keep, uint32_t present)
{
    CWidgetEffectBase* glow = GlowEffect(root, effect);
    if (!glow)
        return;
    if (auto* gradient = dynamic_cast<CWidgetEffectGradient*>(glow))
        gradient->SetBlendMode(1, 0);
    // Clips of an earlier, differently sized layout would cut into this one.
    glow->ClearExcludedRects(0);
    const int32_t width = root->GetWidth();
    const int32_t height = root->GetHeight();
    const tCRect outside[] = {
        {0, 0, width, keep.top},
        {0, keep.bottom, width, height},
        {0, keep.top, keep.left, keep.bottom},
        {keep.right, keep.top, width, keep.bottom},
    };
    for (const tCRect& rect : outside)
        glow->ExcludeRect(rect, present);
}

bool CapturePromptPress(CWidget* button)
{
    return FollowPressOn(button) == button;
}

void PlayPromptSound(tMsgArg pane, uint32_t index)
{
    tCCmdTarget::SendToBackdrop(CHMRSound::kMsgPlaySound, pane, index, 0);
}

tResult PromptButtonPress(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint*)
{
    *takenBy = widget;
    if (!CapturePromptPress(widget))
        return kResOk;
    PlayPromptSound(context, kSndButtonReleased);
    return FromMsgArg<CKS2Pane>(context)->Hide(1, 1, widget->GetId(), 0);
}

void PlacePromptRoot(CWidget* root, const CWidgetLayout& layoutPlace, int32_t x, int32_t y)
{
    CWidgetLayout* layout = root->GetLayout();
    if (x == -1 || y == -1) {
        *layout = layoutPlace;
        return;
    }
    layout->x = float(x);
    layout->y = float(y);
    layout->xRelative = layout->yRelative = 0;
    layout->xFromRight = layout->yFromBottom = 0;
    layout->xIsRightEdge = layout->yIsBottomEdge = 0;
    layout->xCentred = layout->yCentred = 0;
}
