#include "app/panels/CKS2GrainPicker.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "app/panels/PromptButtons.h"
#include "app/shell/ShellResources.h"
#include "app/shell/controls/CKS2Button.h"
#include "app/shell/panes/IPaneHost.h"
#include "toolkit/core/CTimeStep.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/imaging/PixelTile.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CWidgetEffectGradient.h"
#include "toolkit/widgets/CWidgetLayout.h"

namespace {

CTimeStep* CloseAnimator(CWidget* closeArea)
{
    return closeArea ? dynamic_cast<CTimeStep*>(closeArea->GetUserObject(0)) : nullptr;
}

CWidgetEffectBase* CloseLight(CWidget* root)
{
    return root ? dynamic_cast<CWidgetEffectBase*>(root->GetFrontEffect(CKS2GrainPicker::kCloseLight)) : nullptr;
}

// Puts the root at `point` of its parent, moved back inside the parent where it would stick out.
void PlaceRoot(CWidget* root, tCPoint point)
{
    if (const CWidget* parent = root->GetParent()) {
        point.x = std::max(0, std::min(point.x, parent->GetWidth() - root->GetWidth()));
        point.y = std::max(0, std::min(point.y, parent->GetHeight() - root->GetHeight()));
    }
    PlacePromptRoot(root, *root->GetLayout(), point.x, point.y);
    root->LayoutFromParent(0);
}

}  // namespace

CKS2GrainPicker::CKS2GrainPicker()
{
    m_rootId = int32_t(kRoot);
    m_rootKind = kRootImage;
    m_isModal = 1;
}

CKS2GrainPicker::~CKS2GrainPicker()
{
    for (CKS2Control* control : m_controls)
        delete control;
}

tResult CKS2GrainPicker::Build()
{
    m_root->SetKeyDownProc(OnRootKeyDown, ToMsgArg(this));
    TK_TRY(BuildCloseArea());
    TK_TRY(DrawFrame());
    for (uint32_t i = 0; i < kWgtGrainCellCount; ++i)
        if (CWidget* cell = m_root->FindWidgetById(kWgtGrainCellFirst + i))
            TK_TRY(BuildCell(cell, i));
    return kResOk;
}

tResult CKS2GrainPicker::BuildCloseArea()
{
    CWidget* closeArea = m_root->FindWidgetById(kWgtGrainPickerClose);
    if (!closeArea)
        return kResResourceNotFound;
    auto* animator = new (std::nothrow) CTimeStep(0.0f, 0.0f, 1.0f, 1.0f, true);
    if (!animator)
        return kResCreateFailed;
    closeArea->SetUserObject(0, animator);
    closeArea->SetHeartbeatProc(CloseHoverProc, ToMsgArg(this));
    closeArea->SetLButtonDownProc(OnCloseAreaPressed, ToMsgArg(this));
    if (CWidgetEffectBase* light = CloseLight(m_root)) {
        if (auto* gradient = dynamic_cast<CWidgetEffectGradient*>(light))
            gradient->SetBlendMode(1, 0);
        m_root->RefreshEffect(light, 0);
        // The light covers the root; only the close area's band keeps it.
        light->ExcludeRect({0, 0, m_root->GetWidth(), closeArea->GetRect().top}, 0);
    }
    return kResOk;
}

tResult CKS2GrainPicker::DrawFrame()
{
    auto* root = dynamic_cast<CImWidget*>(m_root);
    CImage* frame = GetPooledImage(kImgPanelFrame, nullptr, nullptr);
    if (!root || !frame)
        return kResCreateFailed;
    TK_TRY(root->DecompressImage());
    const tResult drawn = NineSliceBlit(root->GetImage(), frame, 1);
    root->CompressImage();
    TK_TRY(drawn);
    return root->RefreshEffects(0);
}

tResult CKS2GrainPicker::BuildCell(CWidget* cell, uint32_t index)
{
    CWidget* buttonWidget = cell->FindWidgetById(kWgtGrainCellButton);
    if (!buttonWidget)
        return kResResourceNotFound;
    CImage* grain = GetPooledImage(kImgGrainFirst + index, nullptr, nullptr);
    // A grain without its image has no texture name to report: its cell is not offered.
    if (!grain || grain->GetName().IsEmpty())
        return cell->SetVisible(0, 0);
    if (auto* image = dynamic_cast<CImWidget*>(cell->FindWidgetById(kWgtGrainCellImage))) {
        TK_TRY(image->DecompressImage());
        const tResult tiled = TileImage(image->GetImage(), grain, kTileTopLeft);
        image->CompressImage();
        TK_TRY(tiled);
        cell->SetName(grain->GetName());
    }
    SetLabelFromTable(cell->FindWidgetById(kWgtGrainCellLabel), kWgtGrainCellFirst + index);
    auto* button = new (std::nothrow) CKS2Button;
    if (!button)
        return kResCreateFailed;
    const tResult attached = button->Attach(buttonWidget, this, 0, int32_t(kWgtGrainCellFirst + index));
    if (attached == kResOk)
        buttonWidget->SetName(grain->GetName());
    const tResult added = attached == kResOk ? m_controls.Add(button) : attached;
    if (added != kResOk)
        delete button;
    return added;
}

tResult CKS2GrainPicker::HandleMessage(uint32_t message, tMsgArg a, tMsgArg, tMsgArg, uint32_t)
{
    if (message != kMsgControlClicked)
        return kResOk;
    for (CKS2Control* control : m_controls)
        if (ToMsgArg(control) == a)
            return OnGrainClicked(control);
    return kResOk;
}

tResult CKS2GrainPicker::OnGrainClicked(CKS2Control* control)
{
    const int32_t id = control->GetControlId();
    if (id < int32_t(kWgtGrainCellFirst) || id >= int32_t(kWgtGrainCellFirst + kWgtGrainCellCount))
        return kResOk;
    const tCString name = control->GetWidget()->GetName();
    if (name.IsEmpty())
        return kResOk;
    return Hide(1, 1, ToMsgArg(&name), 0);
}

tResult CKS2GrainPicker::OnShow(uint32_t, uint32_t, tMsgArg param1, tMsgArg param2)
{
    PlayPromptSound(ToMsgArg(this), kSndPromptShown);
    ResetHighlights();
    if (param1 || param2)
        if (const auto* point = FromMsgArg<const tCPoint>(param1))
            PlaceRoot(m_root, *point);
    return kResOk;
}

tResult CKS2GrainPicker::OnDismissed(tMsgArg result, tMsgArg flag)
{
    if (result && m_owner)
        m_owner->OnMessage(kMsgGrainChosen, ToMsgArg(this), result, flag, 1);
    return kResOk;
}

void CKS2GrainPicker::ResetHighlights()
{
    if (CTimeStep* animator = CloseAnimator(m_root->FindWidgetById(kWgtGrainPickerClose))) {
        animator->SetValue(0.0f);
        animator->SetTarget(0.0f);
    }
    if (CWidgetEffectBase* light = CloseLight(m_root))
        light->ChangeOpacity(0, 0);
    for (CKS2Control* control : m_controls)
        control->ResetHighlight();
}

tResult CKS2GrainPicker::OnRootKeyDown(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key)
{
    if (key != kKeyEnter && key != kKeyEscape)
        return kResOk;
    *takenBy = widget;
    return FromMsgArg<CKS2GrainPicker>(context)->Hide(1, 1, 0, 0);
}

tResult CKS2GrainPicker::CloseHoverProc(tMsgArg, CWidget* widget)
{
    CTimeStep* animator = CloseAnimator(widget);
    CWidgetEffectBase* light = CloseLight(widget->GetParent());
    if (!animator || !light)
        return kResOk;
    auto* backdrop = dynamic_cast<CBackdrop*>(GetMainBackdropWidget());
    if (backdrop && backdrop->GetRolloverWidget() == widget) {
        if (animator->GetTarget() != kCloseLit) {
            animator->SetTarget(kCloseLit);
            animator->SetStepTime(kCloseRiseStepTime);
        }
    } else if (animator->GetTarget() != 0.0f) {
        animator->SetTarget(0.0f);
        animator->SetStepTime(kCloseFallStepTime);
    }
    const auto opacity = uint32_t(std::lround(animator->GetValue()));
    if (opacity != light->GetOpacity())
        light->ChangeOpacity(opacity, 1);
    return kResOk;
}

tResult CKS2GrainPicker::OnCloseAreaPressed(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint*)
{
    *takenBy = widget;
    if (!CapturePromptPress(widget))
        return kResOk;
    PlayPromptSound(context, kSndButtonReleased);
    return FromMsgArg<CKS2GrainPicker>(context)->Hide(1, 1, 0, 0);
}
