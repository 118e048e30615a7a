#include "app/panels/CNewFile.h"

#include <new>

#include "app/panels/PanelFrame.h"
#include "app/panels/PanelResources.h"
#include "app/shell/BackboneMessages.h"
#include "app/shell/CHMRBackdrop.h"
#include "app/shell/CHMRSound.h"
#include "app/shell/controls/CKS2FreeButton.h"
#include "app/shell/controls/CKS2TextEdit.h"
#include "app/shell/panes/BlurredSnapshot.h"
#include "app/shell/panes/CKS2PopupManager.h"
#include "app/shell/panes/IPaneHost.h"
#include "app/shell/panes/PaneFocus.h"
#include "paint/engine/CCanvasInfo.h"
#include "paint/engine/CProjectInfo.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/text/CTxEdWidget.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CUpdateFreezeGuard.h"

namespace {

CHMRBackdrop* ProgramBackdrop()
{
    return dynamic_cast<CHMRBackdrop*>(GetMainBackdropWidget());
}

void PlaySound(tMsgArg pane, uint32_t index)
{
    tCCmdTarget::SendToBackdrop(CHMRSound::kMsgPlaySound, pane, index, 0);
}

}  // namespace

CNewFile::CNewFile()
{
    m_rootId = int32_t(kRoot);
    m_rootKind = kRootImage;
    m_isModal = 1;
}

CNewFile::~CNewFile()
{
    delete m_tracingPath;
    for (CKS2Control* control : m_controls)
        delete control;
    delete m_widthEdit;
    delete m_heightEdit;
    delete m_info;
}

int32_t CNewFile::ClampSide(int32_t side)
{
    return side < kSmallestSide ? kSmallestSide : side > kLargestSide ? kLargestSide : side;
}

CKS2Control* CNewFile::FindControl(uint32_t id) const
{
    for (CKS2Control* control : m_controls)
        if (control->GetControlId() == int32_t(id))
            return control;
    if (CKS2Control* control = m_paper.FindControl(id))
        return control;
    return m_presets.GetPageButton(id);
}

bool CNewFile::OwnsControl(tMsgArg a) const
{
    const auto* control = FromMsgArg<CKS2Control>(a);
    if (!control)
        return false;
    for (const CKS2Control* own : m_controls)
        if (own == control)
            return true;
    return m_paper.Owns(control) || m_presets.Owns(control);
}

tResult CNewFile::Build()
{
    m_root->SetKeyDownProc(OnRootKeyDown, ToMsgArg(this));
    m_root->SetMessageProc(OnRootMessage, ToMsgArg(this));
    m_info = new (std::nothrow) CCanvasInfo;
    if (!m_info)
        return kResCreateFailed;
    m_info->paperName = kStartTexture;
    m_paper.SetInfo(m_info);
    CImage* frame = GetPooledImage(kImgPanelFrame, nullptr, nullptr);
    if (!frame)
        return kResCreateFailed;
    TK_TRY(m_bar.Attach(m_root, frame, this));
    CWidget* presetPanel = m_root->FindWidgetById(CPresetGrid::kPanel);
    if (!presetPanel)
        return kResResourceNotFound;
    TK_TRY(presetPanel->SetHeight(kPresetPanelHeight, 0));
    TK_TRY(FramePanel(presetPanel, frame));
    m_sizePanel = m_root->FindWidgetById(kSizePanel);
    m_tracingPanel = m_root->FindWidgetById(kTracingPanel);
    if (!m_sizePanel || !m_tracingPanel)
        return kResResourceNotFound;
    TK_TRY(FramePanel(m_sizePanel, frame));
    TK_TRY(FramePanel(m_tracingPanel, frame));
    TK_TRY(m_paper.Build(m_root, frame, this));
    TK_TRY(BuildSizeControls());
    TK_TRY(BuildTraceControls());
    return m_presets.Build(m_root, this);
}

tResult CNewFile::AttachFreeButton(CWidget* widget)
{
    if (!widget)
        return kResOk;
    auto* button = new (std::nothrow) CKS2FreeButton;
    if (button && button->Attach(widget, this, 0, int32_t(widget->GetId())) == kResOk && m_controls.Add(button) == kResOk)
        return kResOk;
    delete button;
    return kResOk;
}

tResult CNewFile::OnShow(uint32_t, uint32_t redraw, tMsgArg, tMsgArg)
{
    CHMRBackdrop* backdrop = ProgramBackdrop();
    uint32_t modified = 0;
    (void)QueryBackbone(kMsgModifiedWord, ToMsgArg(this), ToMsgArg(&modified), 0);
    if (backdrop)
        backdrop->SetSavedModified(modified);
    if (!m_info) {
        m_info = new (std::nothrow) CCanvasInfo;
        if (!m_info)
            return kResCreateFailed;
        m_paper.SetInfo(m_info);
    }
    if (QueryBackbone(kMsgToLayer, ToMsgArg(m_info), ~tMsgArg(0), ~tMsgArg(0)) != kResOk)
        return kResBadParam;
    m_info->paperName = kStartTexture;
    m_info->paperOpacity = 255;
    RemoveTracingImage();
    CProjectInfo* project = nullptr;
    if (QueryBackbone(kMsgProjectRecord, ToMsgArg(this), ToMsgArg(&project), 0) == kResOk && project)
        ShowSize(project->width, project->height);
    TK_TRY(m_paper.MakePreview(m_presets.GetPreview()));
    TK_TRY(m_presets.MakeThumbnailCanvas());
    m_bar.Reset();
    if (!GetPooledImage(kImgPanelFrame, nullptr, nullptr))
        return kResCreateFailed;
    if (CWidget* parent = m_root->GetParent())
        TK_TRY(m_root->SetSize(parent->GetWidth(), parent->GetHeight(), 0));
    TakeSnapshot();
    StackPanels();
    TK_TRY(ShowTracingImage(0));
    TK_TRY(m_paper.Sync(0));
    TK_TRY(m_presets.Load());
    TK_TRY(m_presets.Fit(2));
    TK_TRY(m_presets.ShowPage(0));
    m_root->BringToFront(0);
    m_root->SetVisible(1, 0);
    TakePaneFocus(m_root);
    if (CBackdrop* main = GetMainBackdrop())
        main->PushModal(m_root);
    if (CTxEdWidget* edit = m_widthEdit->GetEditWidget())
        edit->SetFocus(1);
    if (redraw)
        m_root->PresentDirtyRects();
    return kHookHandled;
}

void CNewFile::TakeSnapshot()
{
    CBackdrop* backdrop = GetMainBackdrop();
    auto* root = dynamic_cast<CImWidget*>(m_root);
    if (!backdrop || !root || root->DecompressImage() != kResOk)
        return;
    // Without a picture of the screen the root keeps its own colour.
    (void)TakeBlurredSnapshot(backdrop->GetBackBufferImage(), root->GetImage());
}

void CNewFile::StackPanels()
{
    CWidget* presetPanel = m_presets.GetPanel();
    CWidget* paperPanel = m_paper.GetPanel();
    CWidget* bar = m_bar.GetWidget();
    const bool presetsShown = m_root->GetHeight() >= kPresetsFromHeight;
    presetPanel->SetVisible(presetsShown ? 1 : 0, 0);
    int32_t total = m_sizePanel->GetHeight() + m_tracingPanel->GetHeight() + bar->GetHeight() + paperPanel->GetHeight() +
                    3 * kGap;
    if (presetsShown)
        total += presetPanel->GetHeight() + kGap;
    int32_t top = m_root->GetHeight() / 2 - total / 2;
    for (CWidget* panel : {m_sizePanel, m_tracingPanel, presetsShown ? presetPanel : nullptr, paperPanel, bar}) {
        if (!panel)
            continue;
        panel->SetYPosition(top, 0);
        top += panel->GetHeight() + kGap;
    }
}

tResult CNewFile::OnHide(uint32_t, uint32_t redraw, tMsgArg, tMsgArg)
{
    m_presets.Clear();
    if (CBackdrop* backdrop = GetMainBackdrop())
        backdrop->PopModal();
    ReturnPaneFocus(m_root);
    m_root->SetVisible(0, 0);
    m_paper.DropPreview();
    (void)m_root->SetSize(1, 1, 0);
    if (redraw)
        m_root->PresentDirtyRects();
    return kHookHandled;
}

tResult CNewFile::HandleMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg, uint32_t)
{
    // The backdrop passes on messages meant for others: only this pane's controls are read.
    const bool own = OwnsControl(a);
    switch (message) {
    case kMsgControlPressed:
        return own ? OnColourPressed(FromMsgArg<CKS2Control>(a)) : kResOk;
    case kMsgControlClicked:
        return own ? OnClicked(FromMsgArg<CKS2Control>(a)) : kResOk;
    case kMsgControlRightClicked:
        return m_info && own ? m_presets.OnRightClicked(FromMsgArg<CKS2Control>(a), this) : kResOk;
    case kMsgPopupChoice:
        return m_presets.OnPopupItem(a, uint32_t(b));
    case kMsgControlValueChanged:
        if (own)
            (void)m_paper.HandleMessage(message, a, b);
        return kResOk;
    default:
        (void)m_paper.HandleMessage(message, a, b);
        return kResOk;
    }
}

tResult CNewFile::OnClicked(CKS2Control* control)
{
    if (!control || !m_info)
        return kResOk;
    switch (uint32_t(control->GetControlId())) {
    case kWindowSizeButton:
        ShowSize(m_root->GetWidth(), m_root->GetHeight());
        return kResOk;
    case kImageSizeButton:
        if (m_tracingWidth >= 0 || m_tracingHeight >= 0)
            ShowSize(m_tracingWidth, m_tracingHeight);
        return kResOk;
    case kTracingButton:
        if (!m_tracingPath)
            return ChooseTracingImage();
        RemoveTracingImage();
        return ShowTracingImage(1);
    case CPaperPanel::kTextureButton:
        return m_paper.OpenGrainPicker(this);
    default:
        break;
    }
    bool applied = false;
    if (m_presets.OnClicked(control, m_info, &applied) && applied) {
        TK_TRY(m_paper.Sync(0));
        m_root->PresentDirtyRects();
    }
    return kResOk;
}

tResult CNewFile::OnColourPressed(const CKS2Control* control)
{
    if (!m_info || control != m_paper.FindControl(CPaperPanel::kColourButton))
        return kResOk;
    // The floating colour takes the press over from the button and answers with the colour.
    TK_TRY(ShowHostFloatingColour(control->GetWidget(), m_info->paperColour, this));
    return kColourOpened;
}

tResult CNewFile::OnConfirmBar(bool apply)
{
    return apply ? CreatePainting() : Cancel();
}

tResult CNewFile::CreatePainting()
{
    if (!m_info)
        return kResOk;
    CTxEdWidget* widthPart = m_widthEdit->GetEditWidget();
    CTxEdWidget* heightPart = m_heightEdit->GetEditWidget();
    if (!widthPart || !heightPart)
        return kResBadParam;
    const tCString widthText = widthPart->GetText();
    const tCString heightText = heightPart->GetText();
    if (!widthText.IsInteger() || !heightText.IsInteger())
        return kResBadParam;
    const tCString tracing = m_tracingPath ? m_tracingPath->GetPathText() : tCString(u"");
    CBackdrop* backdrop = GetMainBackdrop();
    {
        CUpdateFreezeGuard freeze(backdrop);
        CProjectInfo project(ClampSide(widthText.ToSaturatedInteger()), ClampSide(heightText.ToSaturatedInteger()),
                             ApplicationText(kStrNewPaintingName), tracing, m_info);
        const tResult made = SendToBackbone(kMsgNewProject, ToMsgArg(this), ToMsgArg(&project), 0);
        if (made != kResOk) {
            if (CAppBase* app = GetApplication())
                (void)app->ReportError(made, ApplicationText(kStrErrNewPainting));
            return kResOk;
        }
        TK_TRY(Hide(0, 1, 0, 0));
    }
    if (CHMRBackdrop* main = ProgramBackdrop())
        main->SetPendingCommand(0);
    PlaySound(ToMsgArg(this), kSndSavePromptAnswered);
    if (backdrop)
        backdrop->PresentDirtyRects();
    return kResOk;
}

tResult CNewFile::Cancel()
{
    CHMRBackdrop* backdrop = ProgramBackdrop();
    uint32_t modified = backdrop ? backdrop->GetSavedModified() : 0;
    TK_TRY(SendToBackbone(kMsgModifiedWord, ToMsgArg(this), ToMsgArg(&modified), 0));
    if (backdrop)
        backdrop->SetPendingCommand(0);
    PlaySound(ToMsgArg(this), kSndSavePromptAnswered);
    return Hide(0, 1, 0, 0);
}

tResult CNewFile::OnRootKeyDown(tMsgArg context, CWidget*, CWidget**, uint32_t key)
{
    auto* pane = FromMsgArg<CNewFile>(context);
    if (key == kKeyEnter)
        (void)pane->CreatePainting();
    else if (key == kKeyEscape)
        (void)pane->Cancel();
    return kResOk;
}
