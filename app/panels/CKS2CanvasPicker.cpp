#include "app/panels/CKS2CanvasPicker.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "app/shell/BackdropMessages.h"
#include "app/shell/IPanelMaker.h"
#include "app/shell/ShellResources.h"
#include "app/shell/controls/CKS2Button.h"
#include "app/shell/panes/CKS2PopupManager.h"
#include "app/shell/panes/IPaneHost.h"
#include "app/shell/ReportText.h"
#include "paint/engine/CLayer.h"
#include "paint/engine/CProjectInfo.h"
#include "paint/engine/CanvasMessages.h"
#include "paint/engine/ProjectFile.h"
#include "paint/tools/ToolMessages.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CButtonPress.h"
#include "toolkit/imaging/PixelTile.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CUpdateFreezeGuard.h"

namespace {

// The buttons in the order of the build; their list positions name the tool buttons.
constexpr uint32_t kButtonIds[] = {kWgtNavigationMove,   kWgtNavigationZoom,    kWgtNavigationSpare,
                                   kWgtNavigationRotate, kWgtNavigationTracing, kWgtNavigationMenu};

bool HasTracingImage(tCCmdTarget* sender)
{
    CImage* image = nullptr;
    const tResult asked = tCCmdTarget::QueryBackbone(kMsgGetTracingImage, ToMsgArg(sender), ToMsgArg(&image), 0);
    return asked == kResOk && image;
}

void PresentPickerRoot(CWidget* root)
{
    if (root)
        (void)root->PresentDirtyRects();
}

}  // namespace

int32_t PaneRootWidth(uint32_t rootId)
{
    CKS2Pane* pane = FindHostPane(rootId);
    CWidget* root = pane ? pane->GetRoot() : nullptr;
    return root ? root->GetWidth() : 0;
}

CKS2CanvasPicker::CKS2CanvasPicker()
{
    m_rootId = int32_t(kRoot);
    m_handleId = int32_t(kWgtNavigationHandle);
    m_side0Pos = {0.0f, -3.0f};
    m_side1Pos = {0.0f, -87.0f};
}

CKS2CanvasPicker::~CKS2CanvasPicker()
{
    for (int32_t i = 0; i < m_buttons.GetCount(); ++i)
        delete m_buttons[i];
}

int32_t CKS2CanvasPicker::ThumbnailWidthFor(int32_t width, int32_t height)
{
    if (height <= 0)
        return kThumbnailMinWidth;
    const double scaled = std::round(double(width) / (double(height) / double(kThumbnailHeight)));
    if (scaled <= kThumbnailMinWidth)
        return kThumbnailMinWidth;
    if (scaled > kThumbnailMaxWidth)
        return kThumbnailMaxWidth;
    return int32_t(scaled);
}

tResult CKS2CanvasPicker::Build()
{
    CWidget* frame = m_root->FindWidgetById(kWgtNavigationFrame);
    if (!frame)
        return kResResourceNotFound;
    frame->SetOpaqueThreshold(kFrameOpaqueThreshold);
    m_handle->SetLButtonDownProc(HandleDragProc, ToMsgArg(this));
    for (const uint32_t id : kButtonIds) {
        CWidget* widget = m_root->FindWidgetById(id);
        if (!widget)
            continue;
        auto* button = new (std::nothrow) CKS2Button;
        if (!button)
            return kResCreateFailed;
        if (id == kWgtNavigationTracing)
            button->SetHighlightLevel(kTracingHighlight);
        if (button->Attach(widget, this, 0, int32_t(id)) != kResOk || m_buttons.Add(button) != kResOk) {
            delete button;
            continue;
        }
    }
    m_thumbnail = m_root->FindWidgetById(kWgtNavigationThumbnail);
    m_thumbnailView.SetWidget(m_thumbnail);
    return m_thumbnail ? kResOk : kResResourceNotFound;
}

tResult CKS2CanvasPicker::HandleMessage(uint32_t message, tMsgArg sender, tMsgArg arg, tMsgArg, uint32_t apply)
{
    switch (message) {
    case kMsgNewProject:
        if (const tResult resized = ResizeForCanvas(FromMsgArg<const CProjectInfo>(arg)); resized != kResOk)
            ReportWithText(kResCreateFailed, kStrErrNavigation);
        else
            (void)RefreshThumbnail(0);
        return kHookHandled;
    case kMsgStrokeEnded: {
        const int32_t current = QueryCurrentLayer();
        const auto layer = int32_t(uint32_t(arg));
        if (m_thumbnail && (layer == current || layer == -1)) {
            LayerViewUpdate update{&m_thumbnailView, layer, 0, {}};
            (void)SendToBackbone(kMsgUpdateLayerImage, ToMsgArg(this), ToMsgArg(&update), 0);
        }
        PresentPickerRoot(m_root);
        return kResOk;
    }
    case kMsgCurrentLayerChanged:
        return apply ? RefreshThumbnail(0) : kResOk;
    case kMsgLayersChanged:
        // A layer's paper, its place or the layers themselves changed: none of it is a stroke, so
        // the thumbnail is drawn again whole.
        return RefreshThumbnail(1);
    case kMsgPickTool:
        return HighlightToolButton(uint32_t(arg), 1);
    case kMsgLoadTracingImage:
    case kMsgTracingImage:
        return SetTracingLabel(1, 0);
    case kMsgRemoveTracingImage:
        return SetTracingLabel(0, 0);
    case kMsgBackdropResized:
        if (const int32_t* old = FromMsgArg<const int32_t>(arg))
            return FollowBackdropResize(old[0], 0);
        return kResOk;
    case kMsgControlClicked:
        return OnControlClicked(FromMsgArg<CKS2Control>(sender));
    case kMsgPopupChoice:
        return OnMenuChoice(FromMsgArg<tCCmdTarget>(sender), int32_t(uint32_t(arg)));
    default:
        break;
    }
    if (apply || !arg)
        return kResOk;
    if (message == kMsgNavigationFrameRect) {
        if (CWidget* frame = m_root ? m_root->FindWidgetById(kWgtNavigationFrame) : nullptr)
            *FromMsgArg<tCRect>(arg) = frame->GetRect();
    } else if (message == kMsgNavigationSize) {
        *FromMsgArg<tCPoint>(arg) = m_root ? tCPoint{m_root->GetWidth(), m_root->GetHeight()} : tCPoint{0, 0};
    } else if (message == kMsgNavigationThumbnailSize) {
        *FromMsgArg<tCPoint>(arg) = m_thumbnailSize;
    }
    return kResOk;
}

tResult CKS2CanvasPicker::ResizeForCanvas(const CProjectInfo* project)
{
    if (!project)
        return kResBadParam;
    if (tCPoint{project->width, project->height} == m_lastCanvasSize)
        return kResOk;
    tCPoint size{ThumbnailWidthFor(project->width, project->height), kThumbnailHeight};
    TK_TRY(SendToBackbone(kMsgLayerImageSize, ToMsgArg(this), ToMsgArg(&size), 0));
    m_thumbnailSize = size;
    CWidget* frame = m_root->FindWidgetById(kWgtNavigationFrame);
    if (!frame)
        return kResResourceNotFound;
    TK_TRY(frame->SetSize(size.x + kFrameExtraWidth, kFrameHeight, 0));
    TK_TRY(m_root->SetSize(frame->GetWidth() + kRootExtraWidth, frame->GetHeight() + kRootExtraHeight, 0));
    if (CWidget* parent = m_root->GetParent())
        TK_TRY(m_root->SetXPosition(parent->GetWidth() / 2 - m_root->GetWidth() / 2, 0));
    if (m_thumbnail) {
        TK_TRY(m_thumbnail->SetYPosition(kThumbnailTop, 0));
        TK_TRY(m_thumbnail->SetSize(size.x, kThumbnailHeight, 0));
    }
    TK_TRY(DrawFrame(frame, kImgNavigationFrame));
    if (CWidget* handle = frame->FindWidgetById(kWgtNavigationHandle); handle && handle != frame)
        TK_TRY(DrawFrame(handle, kImgNavigationHandle));
    if (CWidget* bar = m_root->FindWidgetById(kWgtNavigationBar)) {
        TK_TRY(bar->SetWidth(frame->GetWidth() - kBarShortfall, 0));
        TK_TRY(DrawFrame(bar, kImgNavigationBar));
    }
    m_lastCanvasSize = {project->width, project->height};
    tCPoint rootSize{m_root->GetWidth(), m_root->GetHeight()};
    return SendToBackbone(kMsgNavigationSize, ToMsgArg(this), ToMsgArg(&rootSize), 0);
}

tResult CKS2CanvasPicker::DrawFrame(CWidget* widget, uint32_t imageId)
{
    auto* target = dynamic_cast<CImWidget*>(widget);
    CImage* image = GetPooledImage(imageId, nullptr, nullptr);
    if (!target || !image)
        return kResCreateFailed;
    TK_TRY(target->DecompressImage());
    TK_TRY(NineSliceScaleBlit(target->GetImage(), image, 1, 1));
    TK_TRY(target->RefreshEffects(0));
    return target->Invalidate(0);
}

tResult CKS2CanvasPicker::RefreshThumbnail(uint32_t present)
{
    if (!m_thumbnail)
        return kResOk;
    LayerViewUpdate update{&m_thumbnailView, -1, 1, {}};
    (void)SendToBackbone(kMsgUpdateLayerImage, ToMsgArg(this), ToMsgArg(&update), 0);
    if (present)
        PresentPickerRoot(m_root);
    return kResOk;
}

void CKS2CanvasPicker::HorizontalBounds(int32_t overlap, int32_t* minX, int32_t* maxX) const
{
    CWidget* backdrop = GetMainBackdropWidget();
    const int32_t backdropWidth = backdrop ? backdrop->GetWidth() : 0;
    *minX = PaneRootWidth(kPaneToolPicker) - overlap;
    *maxX = backdropWidth + overlap - PaneRootWidth(kPaneColourPicker) - m_root->GetWidth();
}

int32_t CKS2CanvasPicker::ReachableLeft(int32_t left) const
{
    if (!m_root)
        return left;
    int32_t minX = 0;
    int32_t maxX = 0;
    HorizontalBounds(kDragOverlap, &minX, &maxX);
    return std::max(std::min(left, maxX), minX);
}

tResult CKS2CanvasPicker::HandleDragProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint*)
{
    auto* pane = FromMsgArg<CKS2CanvasPicker>(context);
    *takenBy = widget;
    int32_t minX = 0;
    int32_t maxX = 0;
    pane->HorizontalBounds(kDragOverlap, &minX, &maxX);
    pane->MoveToSideInset();
    CBackdrop* backdrop = GetMainBackdrop();
    if (backdrop)
        backdrop->PushModal(widget);
    // The pointer of each round, and after them where the button came up: the drag ends there
    // and the click counts there, not where the pointer went after.
    CButtonPress press;
    int32_t reference = press.Start().x;
    bool dragging = false;
    CWidget* root = pane->m_root;
    tCPoint pointer;
    while (press.NextRound(&pointer)) {
        const int32_t x = pointer.x;
        if (!dragging) {
            if (x < reference - kHandleSlack || x > reference + kHandleSlack) {
                dragging = true;
                reference = x;
            }
            continue;
        }
        if (x == reference)
            continue;
        const int32_t dx = x - reference;
        const int32_t left = root->GetRect().left + dx;
        (void)root->SetXPosition(dx < 0 ? std::max(left, minX) : std::min(left, maxX), 1);
        reference = x;
    }
    if (backdrop)
        backdrop->PopModal();
    if (!dragging) {
        tCPoint point = pointer;
        if (CWidget* parent = widget->GetParent())
            parent->ScreenToLocalPoint(&point);
        const tCRect& rect = widget->GetRect();
        if (point.x >= rect.left - kHandleSlack && point.x <= rect.right + kHandleSlack &&
            point.y >= rect.top - kHandleSlack && point.y <= rect.bottom + kHandleSlack)
            return pane->SetSide(pane->GetSide() ? 0 : 1, 1);
    }
    return pane->MoveToSide();
}

tResult CKS2CanvasPicker::FollowBackdropResize(int32_t oldWidth, uint32_t present)
{
    CWidget* backdrop = GetMainBackdropWidget();
    if (!m_root || !backdrop || oldWidth <= 0)
        return kResOk;
    int32_t minX = 0;
    int32_t maxX = 0;
    HorizontalBounds(0, &minX, &maxX);
    const tCRect& rect = m_root->GetRect();
    const int32_t centre = (rect.left + rect.right) >> 1;
    const double share = double(centre) / double(oldWidth);
    int32_t x = int32_t(std::lround(double(backdrop->GetWidth()) * share)) - m_root->GetWidth() / 2;
    x = std::min(x, maxX);
    x = std::max(x, minX);
    return m_root->SetXPosition(x, present);
}

tResult CKS2CanvasPicker::HighlightToolButton(uint32_t toolId, uint32_t present)
{
    int32_t position = -1;
    if (toolId == kToolMove)
        position = 0;
    else if (toolId == kToolZoom)
        position = 1;
    else if (toolId == kToolRotate)
        position = 3;
    for (int32_t i = 0; i < m_buttons.GetCount(); ++i) {
        if (i == position)
            (void)m_buttons[i]->SetHighlight(1, present ? 0 : 1, 0);
        else
            (void)m_buttons[i]->ClearHighlight();
    }
    if (present)
        PresentPickerRoot(m_root);
    return kResOk;
}

tResult CKS2CanvasPicker::SetTracingLabel(uint32_t hasImage, uint32_t present)
{
    CWidget* button = m_root ? m_root->FindWidgetById(kWgtNavigationTracing) : nullptr;
    auto* label = button ? dynamic_cast<CTxWidget*>(button->FindWidgetById(kWgtNavigationTracingLabel)) : nullptr;
    if (!label)
        return kResOk;
    tCString text;
    if (CAppBase* app = GetApplication())
        (void)app->GetString(text, kStrNavigationTracing, hasImage ? 1 : 0);
    (void)label->SetText(text, 1, 0);
    if (present)
        PresentPickerRoot(m_root);
    return kResOk;
}

tResult CKS2CanvasPicker::OnControlClicked(CKS2Control* control)
{
    if (!control)
        return kResOk;
    switch (uint32_t(control->GetControlId())) {
    case kWgtNavigationMove:
        return SendToBackbone(kMsgPickTool, ToMsgArg(this), kToolMove, 0);
    case kWgtNavigationZoom:
        return SendToBackbone(kMsgPickTool, ToMsgArg(this), kToolZoom, 0);
    case kWgtNavigationRotate:
        return SendToBackbone(kMsgPickTool, ToMsgArg(this), kToolRotate, 0);
    case kWgtNavigationTracing:
        if (HasTracingImage(this))
            return ShowTracingControls();
        (void)LoadHostTracingImage();
        return kResOk;
    case kWgtNavigationMenu:
        return ShowMenu(control);
    default:
        return kResOk;
    }
}

tResult CKS2CanvasPicker::ShowTracingControls()
{
    CKS2Pane* tracing = FindHostPane(kPaneTracing);
    const tResult shown = tracing ? tracing->Show(1, 1, 0, 0, nullptr) : kResResourceNotFound;
    if (shown != kResOk)
        ReportWithText(shown, kStrErrTracingControls);
    return kResOk;
}

tResult CKS2CanvasPicker::ShowPaperControls()
{
    // A layer index of -1 (with its sign word) opens them for the current layer.
    CKS2Pane* paper = FindHostPane(kPanePaper);
    const tResult shown = paper ? paper->Show(1, 1, tMsgArg(-1), tMsgArg(-1), nullptr) : kResResourceNotFound;
    if (shown != kResOk)
        ReportWithText(shown, kStrErrPaperControls);
    return kResOk;
}

int32_t CKS2CanvasPicker::QueryCurrentLayer()
{
    uint32_t current = 0;
    (void)QueryBackbone(kMsgCurrentLayer, ToMsgArg(this), ToMsgArg(&current), 0);
    return int32_t(current);
}

CKS2CanvasPicker::tMenuIds CKS2CanvasPicker::MenuIds()
{
    tMenuIds ids;
    if (!HasTracingImage(this))
        ids.disabled = {kStrMenuTracingRemove, kStrMenuTracingShow, kStrMenuTracingColours, kStrMenuTracingControls,
                        kStrMenuTracingPaint};
    uint32_t layers = 0;
    (void)QueryBackbone(kMsgLayerCount, ToMsgArg(this), ToMsgArg(&layers), 0);
    if (layers < 2) {
        ids.disabled.push_back(kStrMenuLayerFlatten);
        ids.disabled.push_back(kStrMenuLayerDelete);
    }
    if (QueryCurrentLayer() == 0)
        ids.disabled.push_back(kStrMenuLayerMergeDown);
    uint32_t picking = 0;
    (void)QueryBackbone(kMsgTraceColourPick, ToMsgArg(this), ToMsgArg(&picking), 0);
    if (picking)
        ids.checked.push_back(kStrMenuTracingColours);
    uint32_t shown = 0;
    (void)QueryBackbone(kMsgTracingVisible, ToMsgArg(this), ToMsgArg(&shown), 0);
    if (shown)
        ids.checked.push_back(kStrMenuTracingShow);
    return ids;
}

tResult CKS2CanvasPicker::ShowMenu(CKS2Control* button)
{
    const tMenuIds ids = MenuIds();
    CWidget* widget = button->GetWidget();
    const tCRect& rect = widget->GetRect();
    tCPoint anchor{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    if (CWidget* parent = widget->GetParent())
        parent->LocalToRootPoint(&anchor);
    CKS2PopupManager* popups = GetHostPopupManager();
    if (!popups)
        return kResOk;
    const tPopupIdList disabled{ids.disabled.data(), int32_t(ids.disabled.size())};
    const tPopupIdList checked{ids.checked.data(), int32_t(ids.checked.size())};
    (void)popups->ShowPopup(this, kMenuNavigation, 0, anchor, 2, &disabled, &checked);
    return kResOk;
}

tResult CKS2CanvasPicker::ToggleTracePicking()
{
    uint32_t picking = 0;
    TK_TRY(QueryBackbone(kMsgTraceColourPick, ToMsgArg(this), ToMsgArg(&picking), 0));
    uint32_t next = picking ? 0 : 1;
    return SendToBackbone(kMsgTraceColourPick, ToMsgArg(this), ToMsgArg(&next), 0);
}

tResult CKS2CanvasPicker::OnMenuChoice(tCCmdTarget* popup, int32_t itemId)
{
    auto* menu = dynamic_cast<CKS2PopupMenu*>(popup);
    if (!menu)
        return kResOk;
    const int32_t layer = QueryCurrentLayer();
    if (uint32_t(menu->GetResourceId()) != kMenuNavigation)
        return kResOk;
    switch (uint32_t(itemId)) {
    case kStrMenuTracingLoad:
        (void)LoadHostTracingImage();
        return kResOk;
    case kStrMenuTracingRemove:
        return SendToBackbone(kMsgRemoveTracingImage, ToMsgArg(this), 0, 0);
    case kStrMenuTracingShow:
        return SendToBackbone(kMsgTracingVisible, ToMsgArg(this), 2, 0);
    case kStrMenuTracingColours:
        return ToggleTracePicking();
    case kStrMenuLayerPaper:
        return ReportNoPainting(ToMsgArg(this)) ? kResOk : ShowPaperControls();
    case kStrMenuLayerClear: {
        if (ReportNoPainting(ToMsgArg(this)))
            return kResOk;
        CBackdrop* backdrop = GetMainBackdrop();
        CUpdateFreezeGuard freeze(backdrop ? backdrop->AsWidgetRoot() : nullptr);
        (void)SendToBackbone(kMsgClearLayer, ToMsgArg(this), tMsgArg(intptr_t(layer)), 0);
        return RefreshThumbnail(1);
    }
    case kStrMenuTracingControls:
        return ShowTracingControls();
    case kStrMenuTracingPaint:
        (void)SendToBackbone(kMsgPaintTracingImage, ToMsgArg(this), 0, 0);
        (void)SendToBackbone(kMsgLayersChanged, ToMsgArg(this), 0, 0);
        return kResOk;
    default:
        return kResOk;
    }
}
