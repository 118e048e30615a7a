#include "app/panels/CKS2ToolControls.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "app/panels/CCurrentToolProperties.h"
#include "app/panels/ToolPaneMessages.h"
#include "app/shell/BackboneMessages.h"
#include "app/shell/BackdropMessages.h"
#include "app/shell/controls/CKS2FreeButton.h"
#include "app/shell/controls/CKS2RadialControl.h"
#include "app/shell/controls/CKS2ToggleControl.h"
#include "app/shell/panes/IPaneHost.h"
#include "paint/tools/CToolProperty.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CButtonPress.h"
#include "toolkit/core/CTimeStep.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/PixelCopy.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/WidgetFactory.h"

namespace {

struct tKindRule {
    uint32_t kind;
    uint32_t templateId;
    float right;
};
constexpr tKindRule kKindRules[] = {
    {CKS2ToolControls::kKindValue, CKS2ToolControls::kDialTemplate, CKS2ToolControls::kControlRight},
    {CKS2ToolControls::kKindSwitch, CKS2ToolControls::kSwitchTemplate, CKS2ToolControls::kControlRight},
    {CKS2ToolControls::kKindAction, CKS2ToolControls::kButtonTemplate, CKS2ToolControls::kActionRight},
};

const tKindRule* RuleFor(uint32_t kind)
{
    for (const tKindRule& rule : kKindRules)
        if (rule.kind == kind)
            return &rule;
    return nullptr;
}

CWidget* MakeTemplateWidget(uint32_t kind, uint32_t templateId)
{
    if (kind != CKS2ToolControls::kKindAction)
        return CreateWidgetFromRes(templateId, nullptr, nullptr);
    CImWidget* button = CImWidget::CreateFromResourceId(templateId, nullptr, nullptr);
    // The button widens itself to its label.
    if (button)
        button->GetLayout()->width = 10.0f;
    return button;
}

CKS2Control* MakeControl(uint32_t kind)
{
    switch (kind) {
    case CKS2ToolControls::kKindValue:
        return new (std::nothrow) CKS2RadialControl;
    case CKS2ToolControls::kKindSwitch:
        return new (std::nothrow) CKS2ToggleControl;
    default:
        return new (std::nothrow) CKS2FreeButton;
    }
}

bool IsAction(const CWidget* widget)
{
    return widget->GetUserData(0) == CKS2ToolControls::kKindAction;
}

// Fills every pixel of `rect` (inside the image) from `pick(x, y)`, row by row.
template <typename Pick>
tResult FillFrom(CImage* image, const tCRect& rect, Pick pick)
{
    CImNav nav(image);
    if (!(nav.IsLocked() && nav.GetBytesPerPixel() == 4))
        return kResCreateFailed;
    const tCRect area = rect.Intersect({0, 0, nav.GetWidth(), nav.GetHeight()});
    for (int32_t y = area.top; y < area.bottom; ++y) {
        CPixel* row = nav.Pixels(y);
        for (int32_t x = area.left; x < area.right; ++x)
            row[x] = pick(row, x, y);
    }
    return kResOk;
}

// Copies `source` whole into `dest` with its top-left corner at (left, top).
tResult CopyImageAt(CImage* dest, CImage* source, int32_t left, int32_t top)
{
    CImNav from(source);
    if (!(from.IsLocked() && from.GetBytesPerPixel() == 4))
        return kResCreateFailed;
    return FillFrom(dest, {left, top, left + from.GetWidth(), top + from.GetHeight()},
                    [&](const CPixel*, int32_t x, int32_t y) { return from.Pixels(y - top)[x - left]; });
}

}  // namespace

int32_t ToolPickerHeight()
{
    CWidget* backdrop = GetMainBackdropWidget();
    CWidget* picker = backdrop ? backdrop->FindWidgetById(kWgtToolPicker) : nullptr;
    return picker ? picker->GetHeight() : 0;
}

CKS2ToolControls::CKS2ToolControls()
{
    m_rootId = int32_t(kRoot);
    m_handleId = int32_t(kHandle);
    m_rootKind = kRootImage;
    m_side0Pos = {-6.0f, 0.0f};
    m_side1Pos = {-29.0f, 0.0f};
}

CKS2ToolControls::~CKS2ToolControls()
{
    for (CKS2Control* control : m_controls)
        delete control;
}

tResult CKS2ToolControls::Build()
{
    if (!m_capImage)
        m_capImage = GetPooledImage(kCapImage, nullptr, nullptr);
    if (!m_baseImage)
        m_baseImage = GetPooledImage(kBaseImage, nullptr, nullptr);
    if (!m_capImage || !m_baseImage)
        return kResCreateFailed;
    m_handle->SetLButtonDownProc(OnHandlePressed, ToMsgArg(this));
    const int32_t parentHeight = m_root->GetParent() ? m_root->GetParent()->GetHeight() : 0;
    return m_root->SetYPosition(parentHeight / 2 - m_root->GetHeight() / 2, 0);
}

tResult CKS2ToolControls::HandleMessage(uint32_t message, tMsgArg sender, tMsgArg b, tMsgArg, uint32_t)
{
    switch (message) {
    case kMsgControlValueChanged: {
        const float* value = FromMsgArg<const float>(b);
        const CKS2Control* control = FindControl(sender);
        if (!value || !control)
            return kResOk;
        ToolPropertyValue record{uint32_t(control->GetControlId()), *value};
        TK_TRY(SendToBackbone(kMsgToolPropertyValue, ToMsgArg(this), ToMsgArg(&record), 0));
        return SendToBackbone(kMsgToolPropertyChanged, 0, 0, 0);
    }
    case kMsgControlClicked: {
        const CKS2Control* control = FindControl(sender);
        // The reset rebuilds this pane, deleting the control: nothing of it is read after.
        if (control && uint32_t(control->GetControlId()) == kPropertyReset)
            (void)SendToBackbone(kMsgToolReset, ToMsgArg(this), 0, 0);
        return SendToBackbone(kMsgToolPropertyChanged, 0, 0, 0);
    }
    case kMsgBackdropResized:
        if (const int32_t* previous = FromMsgArg<const int32_t>(b))
            (void)KeepRelativeHeight(previous[0], previous[1]);
        return kResOk;
    case kMsgPickTool:
    case kMsgToolReset:
        return RebuildControls();
    case kMsgToolPropertyValue:
        if (sender != ToMsgArg(this))
            if (const auto* value = FromMsgArg<const ToolPropertyValue>(b))
                return ShowPropertyValue(*value);
        return kResOk;
    default:
        return kResOk;
    }
}

const CKS2Control* CKS2ToolControls::FindControl(tMsgArg sender) const
{
    for (const CKS2Control* control : m_controls)
        if (ToMsgArg(control) == sender)
            return control;
    return nullptr;
}

void CKS2ToolControls::ReportFailure(tResult code)
{
    CAppBase* app = GetApplication();
    if (!app)
        return;
    tCString text;
    (void)app->ReportError(code, app->GetString(text, kStrErrToolSettings, 0));
}

tResult CKS2ToolControls::ClearControls()
{
    tResult first = kResOk;
    for (CKS2Control* control : m_controls) {
        CWidget* widget = control->GetWidget();
        CWidget* parent = widget ? widget->GetParent() : nullptr;
        delete control;
        if (!parent)
            continue;
        const tResult removed = parent->DeleteChild(widget, 0);
        if (first == kResOk)
            first = removed;
    }
    m_controls.SetCount(0);
    return first;
}

CWidget* CKS2ToolControls::CreatePropertyControl(uint32_t kind, uint32_t textId)
{
    const tKindRule* rule = RuleFor(kind);
    if (!rule)
        return nullptr;
    CWidget* widget = MakeTemplateWidget(kind, rule->templateId);
    if (!widget)
        return nullptr;
    CWidgetLayout* layout = widget->GetLayout();
    layout->x = rule->right;
    layout->xFromRight = 1;
    layout->xIsRightEdge = 1;
    layout->xCentred = 0;
    layout->xRelative = 0;
    widget->SetUserData(0, kind);
    widget->SetId(textId);
    CKS2Control* control = MakeControl(kind);
    uint32_t labelId = textId;
    const bool made = control && control->Attach(widget, this, ToMsgArg(&labelId), int32_t(textId)) == kResOk &&
                      m_root->AddChild(widget, 0) == kResOk;
    if (!made || m_controls.Add(control) != kResOk) {
        delete control;
        if (widget->GetParent())
            (void)widget->GetParent()->DeleteChild(widget, 0);
        else
            delete widget;
        return nullptr;
    }
    if (kind != kKindAction) {
        ToolPropertyValue value{textId, 0.0f};
        if (QueryBackbone(kMsgToolPropertyValue, ToMsgArg(this), ToMsgArg(&value), 0) == kResOk)
            (void)control->OnMessage(kMsgControlValue, ToMsgArg(this), ToMsgArg(&value.value), 0, kMsgApply);
    }
    return widget;
}

tResult CKS2ToolControls::RebuildControls()
{
    if (const tResult cleared = ClearControls(); cleared != kResOk)
        ReportFailure(cleared);
    CCurrentToolProperties properties;
    if (const tResult asked = properties.Query(this); asked != kResOk)
        ReportFailure(asked);
    if (properties.GetList().IsEmpty())
        return m_root->SetVisible(0, 0);
    TK_TRY(m_root->SetVisible(1, 0));
    int32_t y = kTop;
    int32_t width = 0;
    for (const CToolProperty* property : properties.GetList()) {
        CWidget* widget = CreatePropertyControl(property->GetKind(), property->GetTextId());
        if (!widget)
            continue;
        const bool action = IsAction(widget);
        if (action)
            y += kGap;
        (void)widget->SetYPosition(y, 0);
        y += widget->GetHeight() + kGap;
        width = std::max(width, widget->GetWidth() + (action ? kActionInset : 0));
    }
    for (CKS2Control* control : m_controls) {
        CWidget* widget = control->GetWidget();
        const int32_t wanted = IsAction(widget) ? width - kActionInset : width;
        if (widget->GetWidth() >= width)
            continue;
        (void)widget->SetWidth(wanted, 0);
        (void)control->Relayout(0);
    }
    TK_TRY(FitPaneToControls());
    return RenderBackground();
}

tResult CKS2ToolControls::FitPaneToControls()
{
    int32_t width = kMinWidth;
    int32_t height = kMinHeight;
    for (int32_t i = m_controls.GetCount() - 1; i >= 0; --i) {
        const CWidget* last = m_controls[i]->GetWidget();
        if (!last)
            continue;
        height = std::max(last->GetRect().bottom + kBottomMargin, kMinHeight);
        width = std::max(last->GetWidth() + kSideMargin + (IsAction(last) ? kActionInset : 0), kMinWidth);
        break;
    }
    TK_TRY(m_root->SetSize(width, height, 0));
    m_side1Pos = {-float(width - kTuckedShow), 0.0f};
    if (m_side == 1) {
        if (auto* animator = dynamic_cast<CTimeStep*>(m_root->GetUserObject(0))) {
            animator->SetTarget(m_side1Pos.x);
            animator->SetValue(m_side1Pos.x);
        }
        TK_TRY(m_root->SetXPosition(int32_t(m_side1Pos.x), 0));
    }
    const int32_t top = m_root->GetRect().top;
    const int32_t reachable = ReachableTop(top);
    return reachable == top ? kResOk : m_root->SetYPosition(reachable, 0);
}

int32_t CKS2ToolControls::ReachableTop(int32_t top) const
{
    const CWidget* parent = m_root ? m_root->GetParent() : nullptr;
    if (!parent)
        return top;
    const int32_t lowest = parent->GetHeight() - ToolPickerHeight() - m_root->GetHeight();
    return std::max(std::min(top, lowest), 0);
}

tResult CKS2ToolControls::RenderBackground()
{
    auto* root = dynamic_cast<CImWidget*>(m_root);
    if (!root || !m_capImage || !m_baseImage)
        return kResResourceNotFound;
    TK_TRY(root->DecompressImage());
    CImage* image = root->GetImage();
    if (!image)
        return kResCreateFailed;
    const int32_t width = image->GetWidth();
    const int32_t height = image->GetHeight();
    const int32_t capWidth = m_capImage->GetWidth();
    const int32_t capHeight = m_capImage->GetHeight();
    const int32_t baseWidth = m_baseImage->GetWidth();
    const int32_t baseHeight = m_baseImage->GetHeight();
    const auto clear = [](const CPixel*, int32_t, int32_t) { return CPixel{0}; };
    tResult drawn = FillFrom(image, {0, 0, width, height}, clear);
    if (drawn == kResOk)
        drawn = CopyImageAt(image, m_capImage, width - capWidth, 0);
    if (drawn == kResOk)
        drawn = CopyImageAt(image, m_baseImage, width - baseWidth, height - baseHeight);
    if (drawn == kResOk && height > capHeight + baseHeight) {
        CImNav base(m_baseImage);
        if (!(base.IsLocked() && base.GetBytesPerPixel() == 4))
            drawn = kResCreateFailed;
        else
            drawn = FillFrom(image, {width - baseWidth, capHeight, width, height - baseHeight},
                             [&](const CPixel*, int32_t x, int32_t) { return base.Pixels(0)[x - (width - baseWidth)]; });
    }
    const int32_t edge = width - capWidth;
    if (drawn == kResOk && edge > 0)
        drawn = FillFrom(image, {0, 0, edge, height}, [edge](const CPixel* row, int32_t, int32_t) { return row[edge]; });
    TK_TRY(drawn);
    TK_TRY(root->RefreshEffects(0));
    return root->CompressImage();
}

tResult CKS2ToolControls::KeepRelativeHeight(int32_t previousWidth, int32_t previousHeight)
{
    (void)previousWidth;
    CWidget* parent = m_root->GetParent();
    // Before the first sizing there is no height to keep a fraction of.
    if (!parent || previousHeight <= 0)
        return kResOk;
    const tCRect& rect = m_root->GetRect();
    const double fraction = (rect.top + rect.bottom) / 2.0 / previousHeight;
    const auto centre = int32_t(std::lround(fraction * parent->GetHeight()));
    return m_root->SetYPosition(ReachableTop(centre - m_root->GetHeight() / 2), 0);
}

tResult CKS2ToolControls::ShowPropertyValue(const ToolPropertyValue& value)
{
    for (CKS2Control* control : m_controls) {
        if (uint32_t(control->GetControlId()) != value.textId)
            continue;
        float shown = value.value;
        (void)control->OnMessage(kMsgControlValue, ToMsgArg(this), ToMsgArg(&shown), 0, kMsgApply);
    }
    return kResOk;
}

tResult CKS2ToolControls::OnHandlePressed(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint*)
{
    *takenBy = widget;
    return FromMsgArg<CKS2ToolControls>(context)->TrackHandle(widget);
}

tResult CKS2ToolControls::TrackHandle(CWidget* handle)
{
    (void)MoveToSideInset();
    CBackdrop* backdrop = GetMainBackdrop();
    if (backdrop)
        backdrop->PushModal(handle);
    // The pointer of each round, and after them where the button came up: the drag ends there
    // and the click counts there, not where the pointer went after.
    CButtonPress press;
    const int32_t y0 = press.Start().y;
    int32_t last = y0;
    bool dragging = false;
    tCPoint pointer;
    while (press.NextRound(&pointer)) {
        const int32_t y = pointer.y;
        if (!dragging && (y < y0 - kDragSlack || y > y0 + kDragSlack))
            dragging = true;
        if (!dragging || y == last)
            continue;
        const int32_t dy = y - last;
        last = y;
        (void)m_root->SetYPosition(ReachableTop(m_root->GetRect().top + dy), 1);
    }
    if (backdrop)
        backdrop->PopModal();
    tCPoint point = pointer;
    if (CWidget* parent = handle->GetParent())
        parent->ScreenToLocalPoint(&point);
    const tCRect& rect = handle->GetRect();
    const bool over = point.x >= rect.left - kDragSlack && point.x <= rect.right + kDragSlack &&
                      point.y >= rect.top - kDragSlack && point.y <= rect.bottom + kDragSlack;
    if (!dragging && over)
        return SetSide(m_side ? 0 : 1, 1);
    return MoveToSide();
}
