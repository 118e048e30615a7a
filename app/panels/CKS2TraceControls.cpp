#include "app/panels/CKS2TraceControls.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "app/panels/PromptButtons.h"
#include "app/panels/TracingPreview.h"
#include "app/shell/BackboneMessages.h"
#include "app/shell/CKS2CursorManager.h"
#include "app/shell/ShellResources.h"
#include "app/shell/controls/CKS2Button.h"
#include "app/shell/controls/CKS2FreeButton.h"
#include "app/shell/controls/CKS2RadialControl.h"
#include "app/shell/panes/CKS2PopupManager.h"
#include "app/shell/panes/IPaneHost.h"
#include "app/shell/ReportText.h"
#include "paint/engine/CProjectInfo.h"
#include "paint/engine/CanvasMessages.h"
#include "paint/engine/TracingPlacement.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CButtonPress.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/FileDialogs.h"
#include "toolkit/core/FileTypes.h"
#include "toolkit/core/tCFPath.h"
#include "toolkit/core/tCFPoint.h"
#include "toolkit/core/tCFTypeList.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/PixelScale.h"
#include "toolkit/imaging/PixelTile.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CUpdateFreezeGuard.h"
#include "toolkit/widgets/CWidgetEffectGradient.h"

namespace {

// To the backdrop, through a pointer to a u32: 0 hides the other panes, 1 shows them again.
constexpr uint32_t kMsgPanesShown = 0xFF00102Cu;
constexpr uint32_t kPaintingView = 5;
constexpr uint32_t kLastMode = 4;
// Room the frame keeps beside the content, and between the preview and its buttons.
constexpr int32_t kFrameRoom = 30;
constexpr int32_t kButtonGap = 10;
// The dial overlaps its neighbour by this much; the drag buttons' column keeps a gap; the
// content keeps margins.
constexpr int32_t kDialOverlap = 7;
constexpr int32_t kColumnGap = 4;
constexpr int32_t kContentMargins = 40;

IWidgetRoot* MainWidgetRoot()
{
    CBackdrop* backdrop = GetMainBackdrop();
    return backdrop ? backdrop->AsWidgetRoot() : nullptr;
}

bool IsScaledMode(uint32_t mode) { return mode == kTracingZoomed || mode == kTracingTiled; }

// A point of the screen in the backdrop's coordinates, turned into painting cells by the
// controller.
tResult ScreenOnCanvas(tCCmdTarget* sender, tCPoint cursor, tCFPoint* point)
{
    CWidget* backdrop = GetMainBackdropWidget();
    if (!backdrop)
        return kResBadParam;
    backdrop->ScreenToLocalPoint(&cursor);
    *point = {float(cursor.x), float(cursor.y)};
    return tCCmdTarget::QueryBackbone(kMsgViewToCanvas, ToMsgArg(sender), ToMsgArg(point), 0);
}

}  // namespace

CKS2TraceControls::CKS2TraceControls()
{
    m_rootId = int32_t(kRoot);
    m_isModal = 1;
}

CKS2TraceControls::~CKS2TraceControls()
{
    for (int32_t i = 0; i < m_controls.GetCount(); ++i)
        delete m_controls[i];
}

CKS2Control* CKS2TraceControls::FindControl(uint32_t id) const
{
    for (int32_t i = 0; i < m_controls.GetCount(); ++i)
        if (uint32_t(m_controls[i]->GetControlId()) == id)
            return m_controls[i];
    return nullptr;
}

tResult CKS2TraceControls::AddControl(CKS2Control* control, uint32_t id, tMsgArg initArg)
{
    CWidget* widget = m_root->FindWidgetById(id);
    if (!control)
        return kResCreateFailed;
    if (!widget || control->Attach(widget, this, initArg, int32_t(id)) != kResOk ||
        m_controls.Add(control) != kResOk) {
        delete control;
        return kResResourceNotFound;
    }
    return kResOk;
}

tResult CKS2TraceControls::Build()
{
    m_root->SetKeyDownProc(KeyDownProc, ToMsgArg(this));
    m_root->SetMessageProc(RootMessageProc, ToMsgArg(this));
    CWidget* preview = m_root->FindWidgetById(kWgtTracingPreview);
    if (!preview)
        return kResResourceNotFound;
    preview->SetLButtonDownProc(PreviewPressProc, ToMsgArg(this));

    int32_t buttonWidth = 0;
    for (const uint32_t id : {kWgtTracingPlacement, kWgtTracingLoad}) {
        if (m_root->FindWidgetById(id) && AddControl(new (std::nothrow) CKS2FreeButton, id, 0) == kResOk)
            buttonWidth = std::max(buttonWidth, m_controls[m_controls.GetCount() - 1]->GetWidget()->GetWidth());
    }
    for (const uint32_t id : {kWgtTracingPlacement, kWgtTracingLoad}) {
        CKS2Control* button = FindControl(id);
        if (!button)
            continue;
        if (button->GetWidget()->GetWidth() != buttonWidth)
            (void)button->GetWidget()->SetWidth(buttonWidth, 0);
        (void)button->BuildLook(0);
    }
    m_contentWidth = buttonWidth;

    if (CWidget* dial = m_root->FindWidgetById(kWgtTracingOpacity)) {
        const uint32_t label = kStrTracingOpacity;
        if (AddControl(new (std::nothrow) CKS2RadialControl, kWgtTracingOpacity, ToMsgArg(&label)) != kResOk)
            return kResCreateFailed;
        static_cast<CKS2RadialControl*>(FindControl(kWgtTracingOpacity))->SetLiveReport(0);
        m_contentWidth += dial->GetWidth() - kDialOverlap;
    }
    if (CWidget* column = m_root->FindWidgetById(kWgtTracingDragColumn))
        m_contentWidth += column->GetWidth() + kColumnGap;
    for (const uint32_t id : {kWgtTracingDragMove, kWgtTracingDragScale})
        if (m_root->FindWidgetById(id))
            (void)AddControl(new (std::nothrow) CKS2Button, id, 0);
    m_contentWidth += kContentMargins;

    CWidget* close = m_root->FindWidgetById(kWgtTracingClose);
    if (!close)
        return kResResourceNotFound;
    return HookPromptButton(close, CloseHoverHeartbeatProc, PromptButtonPress, ToMsgArg(this));
}

tResult CKS2TraceControls::HandleMessage(uint32_t message, tMsgArg sender, tMsgArg arg, tMsgArg, uint32_t)
{
    switch (message) {
    case kMsgLoadTracingImage:
    case kMsgTracingImage:
    case kMsgRemoveTracingImage:
    case kMsgTracingMode:
    case kMsgTracingScale:
    case kMsgTracingOffset:
        return RefreshPreview(1);
    case kMsgProjectChanged:
        return FollowOpenedPainting();
    case kMsgControlClicked:
        (void)OnControlClicked(FromMsgArg<CKS2Control>(sender));
        return kResOk;
    case kMsgControlValueChanged:
        if (const float* value = FromMsgArg<const float>(arg)) {
            float opacity = *value;
            (void)SendToBackbone(kMsgTracingOpacity, ToMsgArg(this), ToMsgArg(&opacity), 0);
        }
        return kResOk;
    case kMsgPopupChoice:
        return sender ? OnMenuChoice(FromMsgArg<tCCmdTarget>(sender), int32_t(uint32_t(arg))) : kResOk;
    case kMsgCursorQuery:
        if (int32_t* cursor = FromMsgArg<int32_t>(arg))
            if (const int32_t id = CursorOver(FromMsgArg<CWidget>(sender)))
                *cursor = id;
        return kResOk;
    default:
        return kResOk;
    }
}

int32_t CKS2TraceControls::CursorOver(CWidget* widget)
{
    CWidget* backdrop = GetMainBackdropWidget();
    CAppBase* app = GetApplication();
    if (!m_root || !m_root->IsVisible() || widget != m_root || !backdrop || !app)
        return 0;
    CWidget* view = backdrop->FindWidgetById(kPaintingView);
    tCPoint cursor = app->GetCursorPosition();
    backdrop->ScreenToLocalPoint(&cursor);
    if (!view || !view->GetRect().Contains(cursor) || m_root->GetRect().Contains(cursor))
        return 0;
    if (!IsScaledMode(QueryMode()))
        return 0;
    if (m_dragMode == kDragMove)
        return kCursorMove;
    return m_dragMode == kDragScale ? kCursorScale : 0;
}

tResult CKS2TraceControls::ReadPainting()
{
    tCPoint thumbnail;
    TK_TRY(QueryBackbone(kMsgLayerImageSize, ToMsgArg(this), ToMsgArg(&thumbnail), 0));
    TK_TRY(LayOut(thumbnail));
    float opacity = 0.0f;
    if (QueryBackbone(kMsgTracingOpacity, ToMsgArg(this), ToMsgArg(&opacity), 0) == kResOk)
        if (CKS2Control* dial = FindControl(kWgtTracingOpacity))
            (void)dial->OnMessage(kMsgControlValue, ToMsgArg(this), ToMsgArg(&opacity), 0, kMsgApply);
    return kResOk;
}

tResult CKS2TraceControls::FollowOpenedPainting()
{
    if (!m_root->IsVisible())
        return kResOk;
    CUpdateFreezeGuard freeze(MainWidgetRoot());
    TK_TRY(ReadPainting());
    return RefreshPreview(1);
}

tResult CKS2TraceControls::OnShow(uint32_t, uint32_t, tMsgArg, tMsgArg)
{
    CUpdateFreezeGuard freeze(MainWidgetRoot());
    TK_TRY(ReadPainting());
    ResetLooks();
    uint32_t hide = 0;
    TK_TRY(SendToBackdrop(kMsgPanesShown, ToMsgArg(this), ToMsgArg(&hide), 0));
    (void)m_root->SetVisible(1, 0);
    const tResult drawn = RefreshPreview(0);
    (void)m_root->SetVisible(0, 0);
    if (drawn != kResOk) {
        // The pane stays hidden: the panes it hid come back.
        uint32_t show = 1;
        (void)SendToBackdrop(kMsgPanesShown, ToMsgArg(this), ToMsgArg(&show), 0);
    }
    return drawn;
}

tResult CKS2TraceControls::LayOut(tCPoint thumbnail)
{
    CWidget* preview = m_root->FindWidgetById(kWgtTracingPreview);
    if (!preview)
        return kResResourceNotFound;
    TK_TRY(preview->SetSizePt(thumbnail, 0));
    for (const uint32_t id : {kWgtTracingPlacement, kWgtTracingLoad})
        if (CWidget* button = m_root->FindWidgetById(id))
            TK_TRY(button->SetXPosition(preview->GetRect().right + kButtonGap, 0));
    auto* frame = dynamic_cast<CImWidget*>(m_root->FindWidgetById(kWgtTracingFrame));
    if (!frame)
        return kResResourceNotFound;
    if (frame->GetWidth() == m_contentWidth + thumbnail.x)
        return kResOk;
    TK_TRY(m_root->SetWidth(m_contentWidth + thumbnail.x + kFrameRoom, 0));
    CImage* panel = GetPooledImage(kImgPanelFrame, nullptr, nullptr);
    if (!panel)
        return kResResourceNotFound;
    TK_TRY(frame->DecompressImage());
    TK_TRY(NineSliceBlit(frame->GetImage(), panel, 1));
    TK_TRY(frame->RefreshEffects(0));
    if (auto* glow = dynamic_cast<CWidgetEffectGradient*>(frame->GetFrontEffect(kCloseGlow))) {
        (void)glow->SetBlendMode(1, 0);
        (void)glow->ClearExcludedRects(0);
        const CWidget* close = m_root->FindWidgetById(kWgtTracingClose);
        const int32_t top = close ? close->GetRect().top : 0;
        (void)glow->ExcludeRect({0, 0, m_root->GetWidth(), top}, 0);
    }
    return kResOk;
}

tResult CKS2TraceControls::OnHide(uint32_t, uint32_t, tMsgArg, tMsgArg)
{
    CUpdateFreezeGuard freeze(MainWidgetRoot());
    uint32_t show = 1;
    return SendToBackdrop(kMsgPanesShown, ToMsgArg(this), ToMsgArg(&show), 0);
}

void CKS2TraceControls::ResetLooks()
{
    ResetPromptGlow(m_root->FindWidgetById(kWgtTracingClose), m_root->FindWidgetById(kWgtTracingFrame), kCloseGlow);
    for (int32_t i = 0; i < m_controls.GetCount(); ++i)
        (void)m_controls[i]->ResetHighlight();
}

tResult CKS2TraceControls::CloseHoverHeartbeatProc(tMsgArg context, CWidget* widget)
{
    auto* pane = FromMsgArg<CKS2TraceControls>(context);
    if (pane->m_root->IsVisible())
        UpdatePaneCursor(pane->m_root);
    StepPromptGlow(widget, widget->GetParent(), kCloseGlow, kCloseGlowLit);
    return kResOk;
}

tResult CKS2TraceControls::KeyDownProc(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key)
{
    *takenBy = widget;
    if (key == kKeyEnter || key == kKeyEscape)
        return FromMsgArg<CKS2TraceControls>(context)->Hide(1, 1, 0, 0);
    return kResOk;
}

uint32_t CKS2TraceControls::QueryMode()
{
    uint32_t mode = 0;
    (void)QueryBackbone(kMsgTracingMode, ToMsgArg(this), ToMsgArg(&mode), 0);
    return mode;
}

tResult CKS2TraceControls::OnControlClicked(CKS2Control* control)
{
    if (!control)
        return kResOk;
    switch (uint32_t(control->GetControlId())) {
    case kWgtTracingPlacement:
        return ShowPlacementMenu(control);
    case kWgtTracingLoad:
        return LoadHostTracingImage();
    case kWgtTracingDragMove:
        m_dragMode = kDragMove;
        UpdateDragButtons(-1);
        return kResOk;
    case kWgtTracingDragScale:
        m_dragMode = kDragScale;
        UpdateDragButtons(-1);
        return kResOk;
    default:
        return kResOk;
    }
}

tResult CKS2TraceControls::ShowPlacementMenu(CKS2Control* button)
{
    const uint32_t mode = QueryMode();
    const uint32_t checkedId = kStrMenuPlacementFirst + mode;
    const uint32_t resetId = kStrMenuPlacementReset;
    const tPopupIdList checked{&checkedId, mode <= kLastMode ? 1 : 0};
    const tPopupIdList disabled{&resetId, mode <= kTracingFill ? 1 : 0};
    CWidget* widget = button->GetWidget();
    tCPoint anchor{widget->GetRect().right, widget->GetRect().bottom};
    if (CWidget* parent = widget->GetParent())
        parent->LocalToRootPoint(&anchor);
    CKS2PopupManager* popups = GetHostPopupManager();
    if (!popups)
        return kResOk;
    return popups->ShowPopup(this, kMenuTracingPlacement, int32_t(kWgtTracingPlacement), anchor, 2, &disabled,
                             &checked);
}

tResult CKS2TraceControls::OnMenuChoice(tCCmdTarget* popup, int32_t itemId)
{
    auto* menu = dynamic_cast<CKS2PopupMenu*>(popup);
    if (!menu || itemId == -1 || uint32_t(menu->GetResourceId()) != kMenuTracingPlacement)
        return kResOk;
    const auto id = uint32_t(itemId);
    if (id >= kStrMenuPlacementFirst && id < kStrMenuPlacementFirst + kStrMenuPlacementCount) {
        uint32_t mode = id - kStrMenuPlacementFirst;
        return SendToBackbone(kMsgTracingMode, ToMsgArg(this), ToMsgArg(&mode), 0);
    }
    if (id == kStrMenuPlacementReset) {
        {
            CUpdateFreezeGuard freeze(MainWidgetRoot());
            float scale = kResetScale;
            (void)SendToBackbone(kMsgTracingScale, ToMsgArg(this), ToMsgArg(&scale), 0);
        }
        tCPoint offset{0, 0};
        (void)SendToBackbone(kMsgTracingOffset, ToMsgArg(this), ToMsgArg(&offset), 0);
    }
    return kResOk;
}

void CKS2TraceControls::UpdateDragButtons(int32_t mode)
{
    CKS2Control* move = FindControl(kWgtTracingDragMove);
    CKS2Control* scale = FindControl(kWgtTracingDragScale);
    if (!move || !scale)
        return;
    const uint32_t placement = mode == -1 ? QueryMode() : uint32_t(mode);
    if (!IsScaledMode(placement)) {
        for (CKS2Control* button : {move, scale}) {
            (void)button->SetHighlight(0, 1, 0);
            (void)button->SetEnabled(0, 0, 1);
        }
        return;
    }
    (void)move->SetEnabled(1, 0, 1);
    (void)scale->SetEnabled(1, 0, 1);
    if (m_dragMode == kDragNone)
        m_dragMode = kDragMove;
    CKS2Control* on = m_dragMode == kDragMove ? move : scale;
    CKS2Control* off = on == move ? scale : move;
    (void)on->SetHighlight(1, 1, 0);
    (void)off->ClearHighlight();
}

tResult CKS2TraceControls::RootMessageProc(tMsgArg context, CWidget* widget, uint32_t message, tMsgArg, tMsgArg b)
{
    if (message != CBackdrop::kMsgLeftPressOutside)
        return kResOk;
    // A press inside the pane that no control took is not one on the painting.
    if (const tCPoint* point = FromMsgArg<const tCPoint>(b); point && widget->GetRect().Contains(*point))
        return kResOk;
    auto* pane = FromMsgArg<CKS2TraceControls>(context);
    if (!IsScaledMode(pane->QueryMode()))
        return kResOk;
    if (pane->m_dragMode == kDragMove)
        (void)pane->DragOffset();
    else if (pane->m_dragMode == kDragScale)
        (void)pane->DragScale();
    return kResOk;
}

tResult CKS2TraceControls::DragOffset()
{
    tCPoint start;
    TK_TRY(QueryBackbone(kMsgTracingOffset, ToMsgArg(this), ToMsgArg(&start), 0));
    // The last round reads where the button came up, not where the pointer went after.
    CButtonPress press;
    tCFPoint from;
    TK_TRY(ScreenOnCanvas(this, press.Start(), &from));
    tCFPoint previous = from;
    CBackdrop* backdrop = GetMainBackdrop();
    if (backdrop)
        (void)backdrop->PushModal(m_root);
    tResult answer = kResOk;
    tCPoint pointer;
    while (answer == kResOk && press.NextRound(&pointer)) {
        tCFPoint at;
        if (ScreenOnCanvas(this, pointer, &at) != kResOk || at == previous)
            continue;
        tCPoint offset{start.x + int32_t(std::lround(at.x)) - int32_t(std::lround(from.x)),
                       start.y + int32_t(std::lround(at.y)) - int32_t(std::lround(from.y))};
        answer = SendToBackbone(kMsgTracingOffset, ToMsgArg(this), ToMsgArg(&offset), 0);
        previous = at;
    }
    if (backdrop)
        backdrop->PopModal();
    return answer;
}

tResult CKS2TraceControls::DragScale()
{
    float start = 0.0f;
    TK_TRY(QueryBackbone(kMsgTracingScale, ToMsgArg(this), ToMsgArg(&start), 0));
    CAppBase* app = GetApplication();
    if (!app)
        return kResOk;
    CButtonPress press;
    const tCPoint from = press.Start();
    tCPoint previous = from;
    CBackdrop* backdrop = GetMainBackdrop();
    if (backdrop)
        (void)backdrop->PushModal(m_root);
    tResult answer = kResOk;
    tCPoint at;
    while (answer == kResOk && press.NextRound(&at)) {
        if (at == previous)
            continue;
        previous = at;
        float scale = start + float(at.x - from.x) * kScalePerPixel;
        scale = std::clamp(scale, kSmallestScale, 1.0f);
        answer = SendToBackbone(kMsgTracingScale, ToMsgArg(this), ToMsgArg(&scale), 0);
    }
    if (backdrop)
        backdrop->PopModal();
    return answer;
}

tResult CKS2TraceControls::PreviewPressProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint*)
{
    *takenBy = widget;
    auto* pane = FromMsgArg<CKS2TraceControls>(context);
    CImage* image = nullptr;
    if (QueryBackbone(kMsgGetTracingImage, ToMsgArg(pane), ToMsgArg(&image), 0) != kResOk || image)
        return kResOk;
    if (CapturePromptPress(widget))
        return pane->LoadTracingImage();
    return kResOk;
}

tResult CKS2TraceControls::LoadTracingImage()
{
    tCFTypeList types;
    ListImageTypes(types);
    tCFPath path;
    const tResult asked = AskOpenPath(path, &types);
    if (asked == kResHandled)
        return kResOk;
    if (asked != kResOk) {
        ReportWithText(asked, kStrErrTracingChoose);
        return kResOk;
    }
    NoteWorkFile(path);
    {
        CUpdateFreezeGuard freeze(MainWidgetRoot());
        const tResult loaded = SendToBackbone(kMsgLoadTracingImage, ToMsgArg(this), ToMsgArg(&path), 0);
        if (loaded != kResOk) {
            ReportWithText(loaded, kStrErrTracingLoad);
            return kResOk;
        }
        (void)SendToBackbone(kMsgTracingVisible, ToMsgArg(this), 1, 0);
    }
    return m_root->PresentDirtyRects();
}

tResult CKS2TraceControls::RefreshPreview(uint32_t present)
{
    if (!m_root || !m_root->IsVisible())
        return kResOk;
    CImage* image = nullptr;
    if (QueryBackbone(kMsgGetTracingImage, ToMsgArg(this), ToMsgArg(&image), 0) != kResOk)
        return kResOk;
    CProjectInfo* project = nullptr;
    uint32_t mode = 0;
    float scale = 0.0f;
    tCPoint offset;
    TK_TRY(QueryBackbone(kMsgProjectRecord, ToMsgArg(this), ToMsgArg(&project), 0));
    TK_TRY(QueryBackbone(kMsgTracingMode, ToMsgArg(this), ToMsgArg(&mode), 0));
    TK_TRY(QueryBackbone(kMsgTracingScale, ToMsgArg(this), ToMsgArg(&scale), 0));
    TK_TRY(QueryBackbone(kMsgTracingOffset, ToMsgArg(this), ToMsgArg(&offset), 0));
    CWidget* preview = m_root->FindWidgetById(kWgtTracingPreview);
    if (!preview)
        return kResOk;
    auto* shown = dynamic_cast<CImWidget*>(preview->FindWidgetById(kWgtTracingPreviewImage));
    if (!image || !image->IsValid()) {
        if (shown)
            (void)shown->SetVisible(0, 0);
        UpdateDragButtons(int32_t(mode));
    } else {
        if (!shown)
            return kResOk;
        (void)shown->SetVisible(1, 0);
        const tCPoint size{preview->GetWidth(), preview->GetHeight()};
        const tCPoint imageSize{image->GetWidth(), image->GetHeight()};
        const int32_t canvasWidth = project ? project->width : 0;
        if (mode <= kTracingFill) {
            const tCRect rect = FittedTracingRect(mode, size, imageSize);
            (void)shown->SetVisible(rect.IsEmpty() ? 0 : 1, 0);
            if (!rect.IsEmpty()) {
                TK_TRY(shown->SetPosition(rect.left, rect.top, 0));
                TK_TRY(shown->SetSize(rect.Width(), rect.Height(), 0));
                TK_TRY(shown->DecompressImage());
                TK_TRY(ScaleImageToImage(shown->GetImage(), image, 1));
            }
        } else {
            TK_TRY(shown->SetPosition(0, 0, 0));
            TK_TRY(shown->SetSizePt(size, 0));
            TK_TRY(shown->DecompressImage());
            TK_TRY(shown->RenderImage());
            tScaledTracing placement;
            if (ScaledTracingPlacement(size, imageSize, canvasWidth, scale, offset, &placement)) {
                if (mode == kTracingZoomed)
                    TK_TRY(DrawCentredTracing(shown->GetImage(), image, placement));
                else if (mode == kTracingTiled)
                    TK_TRY(DrawTiledTracing(shown->GetImage(), image, placement));
            }
        }
        UpdateDragButtons(int32_t(mode));
        (void)shown->Invalidate(0);
    }
    if (present)
        (void)m_root->PresentDirtyRects();
    return kResOk;
}
