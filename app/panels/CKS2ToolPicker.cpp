#include "app/panels/CKS2ToolPicker.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

#include "app/panels/CCurrentToolProperties.h"
#include "app/panels/CStringPrompt.h"
#include "app/panels/ToolPaneMessages.h"
#include "app/shell/BackboneMessages.h"
#include "app/shell/CKS2CursorManager.h"
#include "app/shell/ShellResources.h"
#include "app/shell/controls/CKS2Button.h"
#include "app/shell/panes/IPaneHost.h"
#include "paint/engine/CProxyCanvas.h"
#include "paint/engine/ICanvasHost.h"
#include "paint/engine/IShellServices.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CButtonPress.h"
#include "toolkit/core/CTimeTrack.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CUpdateFreezeGuard.h"
#include "toolkit/widgets/IWidgetRoot.h"

namespace {

// The tool of each button place; 0 for a place without a tool.
constexpr int32_t kToolOfPlace[CKS2ToolPicker::kToolButtonCount] = {
    kToolOilBrush, kToolPencil, kToolPaletteKnife, 0, kToolChalk, 0, 0, 0, kToolSampler, kToolPen, kToolCrayon, kToolEraser,
};

// The x of a point of the screen in `widget`'s own coordinates.
int32_t LocalX(CWidget* widget, tCPoint point)
{
    widget->ScreenToLocalPoint(&point);
    return point.x;
}

bool PrimaryHeld()
{
    CAppBase* app = GetApplication();
    return app && app->IsPrimaryButtonHeld();
}

// One round of a held button: the heartbeat, then a rest until the button's release or the next
// tick.
void HeartbeatAndRest()
{
    if (CAppBase* app = GetApplication()) {
        (void)app->RunHeartbeat();
        app->WaitForInputOrTick(false);
    }
}

// Holds `widget` on the backdrop's modal stack while it lives.
class CModalHold {
public:
    explicit CModalHold(CWidget* widget) : m_backdrop(GetMainBackdrop())
    {
        if (m_backdrop)
            m_backdrop->PushModal(widget);
    }
    ~CModalHold()
    {
        if (m_backdrop)
            m_backdrop->PopModal();
    }
    CModalHold(const CModalHold&) = delete;
    CModalHold& operator=(const CModalHold&) = delete;

private:
    CBackdrop* m_backdrop;
};

}  // namespace

CKS2ToolPicker::CKS2ToolPicker()
{
    m_rootId = int32_t(kRoot);
    m_handleId = int32_t(kHandle);
    m_side0Pos = {-3.0f, -3.0f};
    m_side1Pos = {-133.0f, -133.0f};
}

CKS2ToolPicker::~CKS2ToolPicker()
{
    for (CKS2Button* button : m_buttons)
        delete button;
    for (CKS2Button* button : m_previewButtons)
        delete button;
    delete m_previewCanvas;
}

int32_t CKS2ToolPicker::ToolIdForButton(int32_t index)
{
    if (index < 0 || index >= kToolButtonCount || kToolOfPlace[index] == 0)
        return -1;
    return kToolOfPlace[index];
}

int32_t CKS2ToolPicker::ButtonForToolId(int32_t toolId)
{
    for (int32_t index = 0; index < kToolButtonCount; ++index)
        if (kToolOfPlace[index] != 0 && kToolOfPlace[index] == toolId)
            return index;
    return -1;
}

tResult CKS2ToolPicker::AttachButton(uint32_t id, tCArray<CKS2Button*>* list, bool keepFailure)
{
    CWidget* widget = m_root->FindWidgetById(id);
    if (!widget)
        return kResResourceNotFound;
    auto* button = new (std::nothrow) CKS2Button;
    if (!button)
        return kResCreateFailed;
    if (const tResult attached = button->Attach(widget, this, 0, -1); attached != kResOk) {
        delete button;
        return keepFailure ? attached : kResOk;
    }
    if (list->Add(button) != kResOk) {
        delete button;
        return kResCreateFailed;
    }
    return kResOk;
}

tResult CKS2ToolPicker::Build()
{
    for (int32_t index = 0; index < kToolButtonCount; ++index)
        TK_TRY(AttachButton(kFirstToolButton + uint32_t(index), &m_buttons, false));
    m_previewWidget = m_root->FindWidgetById(kPreview);
    TK_TRY(AttachButton(kPreview, &m_previewButtons, true));
    m_sizeLabel = dynamic_cast<CTxWidget*>(m_root->FindWidgetById(kSizeLabel));
    if (!m_sizeLabel)
        return kResResourceNotFound;
    TK_TRY(MakePreviewCanvas());
    TK_TRY(AttachButton(kSizeUp, &m_buttons, false));
    return AttachButton(kSizeDown, &m_buttons, false);
}

tResult CKS2ToolPicker::MakePreviewCanvas()
{
    delete m_previewCanvas;
    m_previewCanvas = new (std::nothrow) CProxyCanvas;
    if (!m_previewCanvas)
        return kResCreateFailed;
    // The preview paints with the controller's tools and renderer, under the shell's services.
    tCCmdTarget* controller = GetBackboneTarget();
    m_previewCanvas->SetHost(dynamic_cast<ICanvasHost*>(controller));
    auto* services = dynamic_cast<IShellServices*>(GetBackdropTarget());
    m_previewCanvas->SetShellServices(services ? services : dynamic_cast<IShellServices*>(controller));
    TK_TRY(m_previewCanvas->Initialise());
    return m_previewCanvas->AttachView(m_previewWidget);
}

bool CKS2ToolPicker::IsSizeButton(const CKS2Button* button) const
{
    if (!button)
        return false;
    for (CKS2Button* own : m_buttons)
        if (own == button)
            return own->GetControlId() == int32_t(kSizeUp) || own->GetControlId() == int32_t(kSizeDown);
    return false;
}

bool CKS2ToolPicker::IsToolButton(const CKS2Button* button) const
{
    for (CKS2Button* own : m_buttons)
        if (own == button)
            return own->GetControlId() >= int32_t(kFirstToolButton) &&
                   own->GetControlId() < int32_t(kFirstToolButton) + kToolButtonCount;
    return false;
}

tResult CKS2ToolPicker::HandleMessage(uint32_t message, tMsgArg sender, tMsgArg b, tMsgArg c, uint32_t apply)
{
    const auto* control = FromMsgArg<const CKS2Button>(sender);
    switch (message) {
    case kMsgPressureResponse:
    case kMsgCommonProperty:
    case kMsgToolPropertyChanged:
        return apply ? RedrawPreview(1) : kResOk;
    case kMsgToolSize:
        if (!apply)
            return kResOk;
        (void)RedrawPreview(1);
        if (const float* size = FromMsgArg<const float>(b))
            return ShowSize(*size, 1);
        return kResOk;
    case kMsgPickTool:
        return OnToolPicked(message, sender, b, c, apply);
    case kMsgControlPressed:
        return OnButtonPressed(control);
    case kMsgControlClicked:
        return IsToolButton(control) ? OnToolButtonClicked(control) : kResOk;
    case kMsgCursorQuery:
        if (m_previewWidget && sender == ToMsgArg(m_previewWidget))
            if (uint32_t* cursor = FromMsgArg<uint32_t>(b))
                *cursor = kCursorSizeDrag;
        return kResOk;
    case kMsgTextEntered:
        if (const tCString* text = FromMsgArg<const tCString>(b))
            return TakeTypedSize(*text);
        return kResOk;
    default:
        return kResOk;
    }
}

tResult CKS2ToolPicker::OnToolPicked(uint32_t message, tMsgArg sender, tMsgArg b, tMsgArg c, uint32_t apply)
{
    if (m_previewCanvas)
        (void)m_previewCanvas->OnMessage(message, sender, b, c, apply);
    (void)RedrawPreview(0);
    (void)UpdateSizeControls();
    (void)ShowSize(-1.0f, 0);
    return ShowCurrentTool(int32_t(b), 1);
}

tResult CKS2ToolPicker::OnToolButtonClicked(const CKS2Button* sender)
{
    const int32_t toolId = ToolIdForButton(sender->GetControlId() - int32_t(kFirstToolButton));
    if (toolId == -1)
        return kResOk;
    return SendToBackbone(kMsgPickTool, ToMsgArg(this), tMsgArg(intptr_t(toolId)), 0);
}

tResult CKS2ToolPicker::ShowCurrentTool(int32_t toolId, uint32_t present)
{
    const int32_t chosen = ButtonForToolId(toolId);
    for (int32_t i = 0; i < m_buttons.GetCount(); ++i) {
        if (i == chosen)
            (void)m_buttons[i]->SetHighlight(1, present ? 0 : 1, 0);
        else
            (void)m_buttons[i]->ClearHighlight();
    }
    if (present && m_root)
        return m_root->PresentDirtyRects();
    return kResOk;
}

tResult CKS2ToolPicker::RedrawPreview(uint32_t present)
{
    if (!m_previewCanvas || !m_previewWidget)
        return kResResourceNotFound;
    CWidget* top = m_previewWidget->GetRoot();
    {
        CUpdateFreezeGuard freeze(top ? top->AsWidgetRoot() : nullptr);
        TK_TRY(m_previewCanvas->DrawSampleStroke());
    }
    if (present)
        return m_previewWidget->PresentDirtyRects();
    return kResOk;
}

tResult CKS2ToolPicker::QuerySize(float* size)
{
    return QueryBackbone(kMsgToolSize, ToMsgArg(this), ToMsgArg(size), 0);
}

tResult CKS2ToolPicker::SendSize(float size)
{
    return SendToBackbone(kMsgToolSize, ToMsgArg(this), ToMsgArg(&size), 0);
}

tResult CKS2ToolPicker::ShowSize(float size, uint32_t redraw)
{
    if (size == -1.0f)
        TK_TRY(QuerySize(&size));
    const int32_t percent = std::max(int32_t(std::lround(size * 100.0f)), 1);
    char text[16];
    std::snprintf(text, sizeof text, "%d%%", percent);
    if (!m_sizeLabel)
        return kResResourceNotFound;
    return m_sizeLabel->SetText(tCString::FromAnsi(text), 1, redraw);
}

tResult CKS2ToolPicker::UpdateSizeControls()
{
    CCurrentToolProperties properties;
    (void)properties.Query(this);
    const uint32_t sized = properties.GetList().IsEmpty() ? 0 : 1;
    if (m_sizeLabel)
        (void)m_sizeLabel->SetVisible(sized, 0);
    for (CKS2Button* button : m_buttons)
        if (IsSizeButton(button))
            (void)button->SetEnabled(sized, 0, 1);
    return kResOk;
}

tResult CKS2ToolPicker::OnButtonPressed(const CKS2Button* sender)
{
    if (!sender)
        return kResOk;
    if (GetPreviewButton() == sender) {
        (void)TrackPreviewPress();
        return kResHandled;
    }
    if (!IsSizeButton(sender))
        return kResOk;
    const float step = sender->GetControlId() == int32_t(kSizeUp) ? kButtonStep : -kButtonStep;
    (void)StepSizeWhileHeld(step, sender->GetWidget());
    return kResHandled;
}

tResult CKS2ToolPicker::TrackPreviewPress()
{
    float start = 0.0f;
    TK_TRY(QuerySize(&start));
    // The last round reads where the button came up, not where the pointer went after.
    CButtonPress press;
    const int32_t x0 = LocalX(m_previewWidget, press.Start());
    bool dragging = false;
    int32_t anchor = 0;
    int32_t last = x0;
    {
        CModalHold hold(m_previewWidget);
        tCPoint pointer;
        while (press.NextRound(&pointer)) {
            const int32_t x = LocalX(m_previewWidget, pointer);
            if (!dragging) {
                if (x < x0 - kDragSlack || x > x0 + kDragSlack) {
                    dragging = true;
                    anchor = x;
                    last = x;
                }
                continue;
            }
            if (x == last)
                continue;
            last = x;
            const int32_t steps = (x - anchor) / kDragPixelsPerStep;
            if (SendSize(std::clamp(start + float(steps) * kDragStep, 0.0f, 1.0f)) != kResOk)
                break;
        }
    }
    if (dragging)
        return kResOk;
    return OpenSizePrompt(start);
}

tResult CKS2ToolPicker::OpenSizePrompt(float size)
{
    CStringPrompt* prompt = GetHostTextPrompt();
    if (!prompt)
        return kResResourceNotFound;
    const tCRect& rect = m_previewWidget->GetRect();
    tCPoint centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    if (CWidget* parent = m_previewWidget->GetParent())
        parent->LocalToRootPoint(&centre);
    char text[16];
    std::snprintf(text, sizeof text, "%d", int32_t(std::lround(size * 100.0f)));
    const tCString initial = tCString::FromAnsi(text);
    const CStringPrompt::CStringPromptSetup setup(int32_t(kStrSizePromptTitle), centre.x, centre.y,
                                                  initial.GetTextOrEmpty(), 1, u"");
    return prompt->Show(1, 1, ToMsgArg(&setup), 0, this);
}

tResult CKS2ToolPicker::StepSizeWhileHeld(float step, CWidget* widget)
{
    float size = 0.0f;
    TK_TRY(QuerySize(&size));
    CTimeTrack track(0.0f, 1.0f, kFirstDelay, 0.0f, CTimeTrack::kOnce, false);
    float interval = kSecondInterval;
    bool first = true;
    CModalHold hold(widget);
    while (PrimaryHeld()) {
        HeartbeatAndRest();
        if (!first && track.GetValue() != 1.0f)
            continue;
        size = std::clamp(size + step, 0.0f, 1.0f);
        if (SendSize(size) != kResOk) {
            first = false;
            continue;
        }
        if (!first) {
            if (interval >= kDelayDrop)
                interval -= kDelayDrop;
            track.SetDuration(interval);
        }
        first = false;
        track.Restart();
    }
    // A click whose release came before the loop saw the button held still takes its one step.
    if (first)
        (void)SendSize(std::clamp(size + step, 0.0f, 1.0f));
    return kResOk;
}

tResult CKS2ToolPicker::TakeTypedSize(const tCString& text)
{
    if (!text.IsInteger())
        return kResOk;
    const int32_t percent = std::clamp(text.ToSaturatedInteger(), 0, kMaxTypedPercent);
    return SendSize(float(percent) / 100.0f);
}
