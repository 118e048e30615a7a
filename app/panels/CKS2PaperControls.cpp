#include "app/panels/CKS2PaperControls.h"

#include <algorithm>
#include <new>

#include "app/panels/PanelFrame.h"
#include "app/panels/PanelResources.h"
#include "app/shell/BackboneMessages.h"
#include "app/shell/ShellResources.h"
#include "app/shell/controls/CKS2Control.h"
#include "app/shell/panes/BlurredSnapshot.h"
#include "app/shell/panes/CKS2PopupManager.h"
#include "app/shell/panes/IPaneHost.h"
#include "app/shell/panes/PaneFocus.h"
#include "paint/engine/CCanvasInfo.h"
#include "paint/engine/CanvasMessages.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CImWidget.h"

namespace {

constexpr uint32_t kHighlightedControls[] = {
    CPaperPanel::kColourButton,    CPaperPanel::kTextureButton, CPaperPanel::kGrainDepthDial,
    CPaperPanel::kGrainScaleDial,  CPaperPanel::kOpacityDial,   CPaperPanel::kExtraDial,
    CPresetGrid::kPreviousButton,  CPresetGrid::kNextButton,    CPresetGrid::kSaveButton,
};

}  // namespace

CKS2PaperControls::CKS2PaperControls()
{
    m_rootId = int32_t(kRoot);
    m_rootKind = kRootImage;
    m_isModal = 1;
}

CKS2PaperControls::~CKS2PaperControls()
{
    delete m_info;
}

CKS2Control* CKS2PaperControls::FindControl(uint32_t id) const
{
    if (CKS2Control* control = m_paper.FindControl(id))
        return control;
    return m_presets.GetPageButton(id);
}

int32_t CKS2PaperControls::PresetRows(int32_t rootHeight, int32_t settingsHeight, int32_t barHeight)
{
    return std::max(1, (rootHeight - settingsHeight - barHeight - kWindowReserve) / CPresetGrid::kRowPitch);
}

tResult CKS2PaperControls::Build()
{
    m_root->SetKeyDownProc(OnRootKeyDown, ToMsgArg(this));
    m_info = new (std::nothrow) CCanvasInfo;
    if (!m_info)
        return kResCreateFailed;
    m_paper.SetInfo(m_info);
    m_paper.SetGrainFallback(this);
    CImage* frame = GetPooledImage(kImgPanelFrame, nullptr, nullptr);
    if (!frame)
        return kResCreateFailed;
    TK_TRY(m_bar.Attach(m_root, frame, this));
    // The bar is the new-painting pane's too: here its right half applies rather than creates.
    SetLabelFromTable(m_root->FindWidgetById(kWgtConfirmBarApply), kWgtConfirmBarApply);
    TK_TRY(m_paper.Build(m_root, frame, this));
    return m_presets.Build(m_root, this);
}

tResult CKS2PaperControls::OnShow(uint32_t, uint32_t redraw, tMsgArg param1, tMsgArg)
{
    // The index arrives as two words, low first; the low word holds every index a painting has.
    m_layerIndex = int32_t(uint32_t(param1));
    if (!m_info) {
        m_info = new (std::nothrow) CCanvasInfo;
        if (!m_info)
            return kResCreateFailed;
        m_paper.SetInfo(m_info);
    }
    if (QueryBackbone(kMsgToLayer, ToMsgArg(m_info), LayerArg(), LayerHighWord()) != kResOk)
        return kResBadParam;
    TK_TRY(m_paper.MakePreview(m_presets.GetPreview()));
    TK_TRY(m_presets.MakeThumbnailCanvas());
    CImage* frame = GetPooledImage(kImgPanelFrame, nullptr, nullptr);
    CWidget* parent = m_root->GetParent();
    if (!frame || !parent)
        return kResCreateFailed;
    TK_TRY(m_root->SetSize(parent->GetWidth(), parent->GetHeight(), 0));
    TakeSnapshot();
    TK_TRY(StackPanels(frame));
    TK_TRY(m_presets.Load());
    TK_TRY(m_presets.Fit(PresetRows(m_root->GetHeight(), m_paper.GetPanel()->GetHeight(),
                                    m_bar.GetWidget()->GetHeight())));
    TK_TRY(m_presets.ShowPage(0));
    ResetHighlights();
    TK_TRY(m_paper.Sync(0));
    m_root->BringToFront(0);
    m_root->SetVisible(1, 0);
    TakePaneFocus(m_root);
    if (CBackdrop* backdrop = GetMainBackdrop())
        backdrop->PushModal(m_root);
    if (redraw)
        m_root->PresentDirtyRects();
    return kHookHandled;
}

void CKS2PaperControls::ResetHighlights()
{
    m_bar.Reset();
    // A highlight left from the last showing would greet the user lit.
    for (const uint32_t id : kHighlightedControls)
        if (CKS2Control* control = FindControl(id)) {
            control->ClearHighlight();
            control->ResetHighlight();
        }
}

void CKS2PaperControls::TakeSnapshot()
{
    CBackdrop* backdrop = GetMainBackdrop();
    auto* root = dynamic_cast<CImWidget*>(m_root);
    if (!backdrop || !root || root->DecompressImage() != kResOk)
        return;
    // Without a picture of the screen the root keeps its own colour.
    (void)TakeBlurredSnapshot(backdrop->GetBackBufferImage(), root->GetImage());
}

tResult CKS2PaperControls::StackPanels(CImage* frame)
{
    CWidget* presetPanel = m_presets.GetPanel();
    CWidget* paperPanel = m_paper.GetPanel();
    CWidget* bar = m_bar.GetWidget();
    const int32_t rows = PresetRows(m_root->GetHeight(), paperPanel->GetHeight(), bar->GetHeight());
    TK_TRY(presetPanel->SetHeight(rows * CPresetGrid::kRowPitch + kPresetPanelExtra, 0));
    TK_TRY(FramePanel(presetPanel, frame));
    const int32_t total = bar->GetHeight() + paperPanel->GetHeight() + presetPanel->GetHeight() + 3 * kGap;
    int32_t top = m_root->GetHeight() / 2 - total / 2;
    for (CWidget* panel : {presetPanel, paperPanel, bar}) {
        TK_TRY(panel->SetYPosition(top, 0));
        top += panel->GetHeight() + kGap;
    }
    return kResOk;
}

tResult CKS2PaperControls::OnHide(uint32_t, uint32_t redraw, tMsgArg, tMsgArg)
{
    m_presets.Clear();
    if (CBackdrop* backdrop = GetMainBackdrop())
        backdrop->PopModal();
    ReturnPaneFocus(m_root);
    m_root->SetVisible(0, 0);
    m_paper.DropPreview();
    (void)m_root->SetSize(1, 1, 0);
    if (redraw)
        if (CBackdrop* backdrop = GetMainBackdrop())
            backdrop->PresentDirtyRects();
    return kHookHandled;
}

bool CKS2PaperControls::OwnsControl(tMsgArg a) const
{
    const auto* control = FromMsgArg<CKS2Control>(a);
    return control && (m_paper.Owns(control) || m_presets.Owns(control));
}

tResult CKS2PaperControls::HandleMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg, uint32_t)
{
    // A control message from a control of another pane is none of this pane's business.
    const bool own = OwnsControl(a);
    switch (message) {
    case kMsgControlPressed: {
        const auto* control = FromMsgArg<CKS2Control>(a);
        if (!m_info || !control || control != m_paper.FindControl(CPaperPanel::kColourButton))
            return kResOk;
        // The floating colour takes the press over from the button.
        TK_TRY(ShowHostFloatingColour(control->GetWidget(), m_info->paperColour, this));
        return kDismissHandled;
    }
    case kMsgControlClicked:
        return own ? OnClicked(FromMsgArg<CKS2Control>(a)) : kResOk;
    case kMsgControlRightClicked:
        return m_info && own ? m_presets.OnRightClicked(FromMsgArg<CKS2Control>(a), this) : kResOk;
    case kMsgControlValueChanged:
        if (own)
            (void)m_paper.HandleMessage(message, a, b);
        return kResOk;
    case kMsgPopupChoice:
        return m_presets.OnPopupItem(a, uint32_t(b));
    default:
        (void)m_paper.HandleMessage(message, a, b);
        return kResOk;
    }
}

tResult CKS2PaperControls::OnClicked(CKS2Control* control)
{
    if (!control || !m_info)
        return kResOk;
    if (control == m_paper.FindControl(CPaperPanel::kTextureButton))
        return m_paper.OpenGrainPicker(this);
    bool applied = false;
    if (m_presets.OnClicked(control, m_info, &applied) && applied) {
        TK_TRY(m_paper.Sync(0));
        return m_root->PresentDirtyRects();
    }
    return kResOk;
}

const CImage8* CKS2PaperControls::GetFallbackGrain()
{
    CImage8* grain = nullptr;
    if (QueryBackbone(kMsgLayerGrain, ToMsgArg(&grain), LayerArg(), LayerHighWord()) != kResOk)
        return nullptr;
    return grain;
}

bool CKS2PaperControls::LayerHasSettings()
{
    CCanvasInfo current;
    return QueryBackbone(kMsgToLayer, ToMsgArg(&current), LayerArg(), LayerHighWord()) == kResOk &&
           m_info->GivesPaperOf(current);
}

tResult CKS2PaperControls::ApplySettings(uint32_t present)
{
    if (!m_info)
        return kResOk;
    CBackdrop* backdrop = GetMainBackdrop();
    if (!LayerHasSettings()) {
        const uint32_t frozen = backdrop ? backdrop->GetPresentFrozen() : 0;
        if (backdrop)
            backdrop->SetPresentFrozen(1);
        const tResult applied = SendToBackbone(kMsgToLayer, ToMsgArg(m_info), LayerArg(), LayerHighWord());
        if (backdrop)
            backdrop->SetPresentFrozen(frozen);
        if (applied != kResOk)
            return applied;
        (void)SendToBackbone(kMsgPaintingModified, ToMsgArg(this), 0, 0);
    }
    if (m_owner)
        (void)m_owner->OnMessage(kMsgPaperApplied, ToMsgArg(this), LayerArg(), LayerHighWord(), 1);
    if (present && backdrop)
        return backdrop->PresentDirtyRects();
    return kResOk;
}

tResult CKS2PaperControls::OnConfirmBar(bool apply)
{
    const tResult applied = apply ? ApplySettings(0) : kResOk;
    const tResult hidden = Hide(1, 1, 0, 0);
    // The pane closes either way; a refusal of the layer is told over the painting.
    if (applied != kResOk)
        ReportResult(applied, nullptr);
    return hidden;
}

tResult CKS2PaperControls::OnRootKeyDown(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key)
{
    if (key != kKeyEnter && key != kKeyEscape)
        return kResOk;
    *takenBy = widget;
    return FromMsgArg<CKS2PaperControls>(context)->OnConfirmBar(key == kKeyEnter);
}
