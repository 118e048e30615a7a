#include "app/shell/panes/CKS2MenuBar.h"
#include "app/shell/ShellResources.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "app/shell/controls/CKS2Button.h"
#include "app/shell/panes/IPaneHost.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CButtonPress.h"
#include "toolkit/core/CTimeStep.h"
#include "toolkit/core/CTextList.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/PixelCopy.h"
#include "toolkit/imaging/PixelTile.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/text/CTxEdWidget.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CCoWidget.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/WidgetFactory.h"

namespace {

// A copy of `from` (a part of `source`) into `to` of `target`; 24 when a view cannot be made.
tResult CopyPart(CImage* target, const tCRect& to, CImage* source, const tCRect& from)
{
    CImNav dest(target, to);
    CImNav part(source, from);
    if (!dest.IsLocked() || !part.IsLocked())
        return kResCreateFailed;
    return CopyNavPixels(&dest, &part);
}

tResult TilePart(CImage* target, const tCRect& to, CImage* source, const tCRect& from)
{
    // A tiled stretch of no width (a bar no wider than its ends) draws nothing.
    if (to.Width() <= 0 || to.Height() <= 0)
        return kResOk;
    CImNav dest(target, to);
    CImNav part(source, from);
    if (!dest.IsLocked() || !part.IsLocked())
        return kResCreateFailed;
    return TileBlit(&dest, &part, kTileTopLeft);
}

}  // namespace

CKS2MenuBar::CKS2MenuBar()
{
    m_rootId = int32_t(kWgtMenuBar);
    m_handleId = int32_t(kWgtMenuBarHandle);
    m_rootKind = kRootImage;
    m_side0Pos = {0.0f, -6.0f};
    m_side1Pos = {0.0f, -29.0f};
}

CKS2MenuBar::~CKS2MenuBar()
{
    delete m_titleList;
    DropButtons();
}

tResult CKS2MenuBar::Build()
{
    const tResult built = BuildParts();
    // A failed build takes the root's tree away: the buttons let go of its widgets first.
    if (built != kResOk)
        DropButtons();
    return built;
}

void CKS2MenuBar::DropButtons()
{
    for (CKS2Button* button : m_titleButtons)
        delete button;
    for (CKS2Button* button : m_otherButtons)
        delete button;
    m_titleButtons.RemoveAll();
    m_otherButtons.RemoveAll();
    m_zoomText = nullptr;
    m_zoomEntry = nullptr;
}

tResult CKS2MenuBar::BuildParts()
{
    if (!m_leftEnd)
        m_leftEnd = GetPooledImage(kImgMenuBarLeft, nullptr, nullptr);
    if (!m_rightEnd)
        m_rightEnd = GetPooledImage(kImgMenuBarRight, nullptr, nullptr);
    if (!m_centre)
        m_centre = GetPooledImage(kImgMenuBarCentre, nullptr, nullptr);
    if (!m_leftEnd || !m_rightEnd || !m_centre)
        return kResCreateFailed;
    TK_TRY(BuildTitles());
    TK_TRY(SizeToTitles());
    const int32_t width = m_root->GetWidth();
    TK_TRY(AddSeparator(10));
    TK_TRY(AddSeparator(width - 12));
    TK_TRY(BuildRightControls());
    (void)ShowZoom(0, kZoomUnknown);
    TK_TRY(BuildBackground());
    m_handle->SetLButtonDownProc(HandlePressProc, ToMsgArg(this));
    if (CWidget* parent = m_root->GetParent())
        TK_TRY(m_root->SetXPosition(parent->GetWidth() / 2 - width / 2, 0));
    return kResOk;
}

tResult CKS2MenuBar::BuildTitles()
{
    m_titleList = CTextList::NewFromResourceId(kTxlMenuTitles, nullptr, nullptr);
    if (!m_titleList)
        return kResResourceNotFound;
    int32_t widest = 0;
    for (int32_t i = 0; i < m_titleList->GetCount(); ++i) {
        CCoWidget* title = CCoWidget::NewFromResourceId(kWgtMenuTitle, nullptr, nullptr);
        if (!title)
            return kResCreateFailed;
        if (m_root->AddChild(title, 0) != kResOk) {
            delete title;
            return kResCreateFailed;
        }
        const int32_t id = m_titleList->GetEntryId(i);
        title->SetUserData(0, uint32_t(id));
        if (auto* text = dynamic_cast<CTxWidget*>(title->FindWidgetById(kWgtMenuTitleText))) {
            TK_TRY(text->SetText(m_titleList->GetEntryText(i), 1, 0));
            widest = std::max(widest, text->GetWidth());
        }
        auto* button = new (std::nothrow) CKS2Button;
        if (!button)
            return kResCreateFailed;
        if (const tResult attached = button->Attach(title, this, 0, id); attached != kResOk) {
            delete button;
            return attached;
        }
        if (m_titleButtons.Add(button) != kResOk) {
            delete button;
            return kResCreateFailed;
        }
        button->SetHighlightLevel(kStepHighlight);
    }
    const int32_t titleWidth = std::max(widest + kTitlePadding, kTitleMinWidth);
    int32_t x = kEdge;
    for (CKS2Button* button : m_titleButtons) {
        CWidget* title = button->GetWidget();
        TK_TRY(title->SetWidth(titleWidth, 0));
        TK_TRY(title->SetXPosition(x, 0));
        x += titleWidth + kTitleGap;
        TK_TRY(AddSeparator(title->GetRect().right));
    }
    return kResOk;
}

tResult CKS2MenuBar::SizeToTitles()
{
    int32_t half = kEdge;
    if (!m_titleButtons.IsEmpty())
        half += m_titleButtons.GetCount() * (m_titleButtons[0]->GetWidget()->GetWidth() + kTitleGap);
    return m_root->SetWidth(m_centre->GetWidth() + 2 * half, 0);
}

tResult CKS2MenuBar::AddSeparator(int32_t x)
{
    CWidget* separator = CreateWidgetFromRes(kWgtMenuBarSeparator, nullptr, nullptr);
    if (!separator)
        return kResCreateFailed;
    if (m_root->AddChild(separator, 0) != kResOk) {
        delete separator;
        return kResCreateFailed;
    }
    TK_TRY(separator->SendToBack(0));
    return separator->SetXPosition(x, 0);
}

tResult CKS2MenuBar::AddOtherButton(CWidget* widget, CKS2Button** made)
{
    auto* button = new (std::nothrow) CKS2Button;
    if (!button)
        return kResCreateFailed;
    if (button->Attach(widget, this, 0, -1) != kResOk || m_otherButtons.Add(button) != kResOk) {
        delete button;
        return kResCreateFailed;
    }
    if (made)
        *made = button;
    return kResOk;
}

tResult CKS2MenuBar::BuildRightControls()
{
    const int32_t width = m_root->GetWidth();
    const int32_t centreWidth = m_centre->GetWidth();
    TK_TRY(AddSeparator((width - centreWidth) / 2 + centreWidth));
    TK_TRY(BuildWindowButtons());
    TK_TRY(BuildZoomGroup());
    TK_TRY(BuildUndoGroup());
    return UpdateUndoRedoButtons(0);
}

tResult CKS2MenuBar::BuildWindowButtons()
{
    const int32_t width = m_root->GetWidth();
    int32_t offset = kEdge;
    for (uint32_t id : {kWgtHolderClose, kWgtHolderMaximise, kWgtHolderMinimise}) {
        CWidget* holder = m_root->FindWidgetById(id);
        CWidget* face = holder ? holder->GetChild(0) : nullptr;
        if (!face)
            return kResCreateFailed;
        TK_TRY(holder->SetXPosition(width - offset - holder->GetWidth(), 0));
        offset += holder->GetWidth() + kTitleGap;
        TK_TRY(AddOtherButton(face, nullptr));
        TK_TRY(AddSeparator(holder->GetRect().left - 2));
    }
    return kResOk;
}

tResult CKS2MenuBar::BuildZoomGroup()
{
    CWidget* group = m_root->FindWidgetById(kWgtZoomGroup);
    if (!group)
        return kResCreateFailed;
    const int32_t centreWidth = m_centre->GetWidth();
    TK_TRY(group->SetXPosition((m_root->GetWidth() - centreWidth) / 2 + centreWidth, 0));
    for (uint32_t id : {kWgtZoomOut, kWgtZoomIn}) {
        CWidget* step = group->FindWidgetById(id);
        if (!step)
            return kResCreateFailed;
        CKS2Button* button = nullptr;
        TK_TRY(AddOtherButton(step, &button));
        button->SetHighlightLevel(kStepHighlight);
    }
    TK_TRY(AddSeparator(group->GetRect().right));
    CWidget* display = group->FindWidgetById(kWgtZoomDisplay);
    if (!display)
        return kResCreateFailed;
    TK_TRY(AddOtherButton(display, nullptr));
    m_zoomText = dynamic_cast<CTxWidget*>(display->GetChild(0));
    m_zoomEntry = dynamic_cast<CTxEdWidget*>(group->FindWidgetById(kWgtZoomEntry));
    if (!m_zoomEntry)
        return kResCreateFailed;
    return PrepareZoomEntry();
}

tResult CKS2MenuBar::BuildUndoGroup()
{
    CWidget* group = m_root->FindWidgetById(kWgtUndoGroup);
    CWidget* zoomGroup = m_root->FindWidgetById(kWgtZoomGroup);
    CWidget* minimise = m_root->FindWidgetById(kWgtHolderMinimise);
    if (!group || !zoomGroup || !minimise)
        return kResCreateFailed;
    const int32_t start = zoomGroup->GetRect().right + 2;
    const int32_t end = minimise->GetRect().left;
    TK_TRY(group->SetXPosition(start + (end - start) / 2 - group->GetWidth() / 2, 0));
    for (uint32_t id : {kWgtUndoHolder, kWgtRedoHolder}) {
        CWidget* holder = group->FindWidgetById(id);
        CWidget* face = holder ? holder->GetChild(0) : nullptr;
        if (!face)
            return kResCreateFailed;
        TK_TRY(AddOtherButton(face, nullptr));
    }
    const tCRect& rect = group->GetRect();
    TK_TRY(AddSeparator(rect.left - 2));
    TK_TRY(AddSeparator(rect.right));
    return AddSeparator(rect.left + 20);
}

tResult CKS2MenuBar::BuildBackground()
{
    auto* root = static_cast<CImWidget*>(m_root);
    CImage* image = root->GetImage();
    if (!image)
        return kResCreateFailed;
    image->Clear();
    const int32_t width = m_root->GetWidth();
    const int32_t middle = width / 2;
    const int32_t centreHalf = m_centre->GetWidth() / 2;
    CImage* left = m_leftEnd;
    CImage* right = m_rightEnd;
    const int32_t leftHalf = left->GetWidth() / 2;
    const int32_t rightHalf = right->GetWidth() / 2;
    TK_TRY(CopyPart(image, {middle - centreHalf, 0, middle + centreHalf, m_centre->GetHeight()}, m_centre,
                    {0, 0, m_centre->GetWidth(), m_centre->GetHeight()}));
    TK_TRY(CopyPart(image, {0, 0, leftHalf, left->GetHeight()}, left, {0, 0, leftHalf, left->GetHeight()}));
    TK_TRY(TilePart(image, {leftHalf, 0, middle - centreHalf, left->GetHeight()}, left,
                    {leftHalf, 0, left->GetWidth(), left->GetHeight()}));
    TK_TRY(CopyPart(image, {width - rightHalf, 0, width, right->GetHeight()}, right,
                    {rightHalf, 0, right->GetWidth(), right->GetHeight()}));
    TK_TRY(TilePart(image, {middle + centreHalf, 0, width - rightHalf, right->GetHeight()}, right,
                    {0, 0, rightHalf, right->GetHeight()}));
    TK_TRY(root->RefreshEffects(0));
    return image->Compress();
}

tResult CKS2MenuBar::OnSetSide(uint32_t side, uint32_t animate)
{
    if (animate || !m_root)
        return kResOk;
    const float y = side ? m_side1Pos.y : m_side0Pos.y;
    if (auto* animator = dynamic_cast<CTimeStep*>(m_root->GetUserObject(1))) {
        animator->SetTarget(y);
        animator->SetValue(y);
    }
    m_root->GetLayout()->y = y;
    TK_TRY(m_root->LayoutFromParent(0));
    return kHookHandled;
}

int32_t CKS2MenuBar::FindTitleAt(tCPoint point) const
{
    for (CKS2Button* button : m_titleButtons) {
        CWidget* title = button->GetWidget();
        if (!title)
            continue;
        tCRect rect = title->GetRect();
        if (CWidget* parent = title->GetParent())
            parent->LocalToRootRect(&rect);
        if (point.x >= rect.left && point.x <= rect.right && point.y >= rect.top && point.y <= rect.bottom)
            return button->GetControlId();
    }
    return -1;
}

tResult CKS2MenuBar::KeepRelativePosition(int32_t previousWidth, int32_t, uint32_t present)
{
    CWidget* parent = m_root ? m_root->GetParent() : nullptr;
    if (!parent || previousWidth <= 0)
        return kResOk;
    const tCRect& rect = m_root->GetRect();
    const int32_t centre = (rect.left + rect.right) >> 1;
    const int32_t width = m_root->GetWidth();
    const int32_t parentWidth = parent->GetWidth();
    int32_t x = int32_t(std::lround(double(centre) / double(previousWidth) * double(parentWidth))) - width / 2;
    x = std::max(std::min(x, parentWidth - width), 0);
    return m_root->SetXPosition(x, present);
}

tResult CKS2MenuBar::HandlePressProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint*)
{
    *takenBy = widget;
    (void)FromMsgArg<CKS2MenuBar>(context)->OnHandlePress(widget);
    return kResOk;
}

tResult CKS2MenuBar::OnHandlePress(CWidget* handle)
{
    MoveToSideInset();
    CAppBase* app = GetApplication();
    auto* backdrop = dynamic_cast<CBackdrop*>(GetMainBackdropWidget());
    if (!app)
        return kResOk;
    if (backdrop)
        backdrop->PushModal(handle);
    // The pointer of each round, and after them where the button came up: the drag ends there
    // and the click counts there, not where the pointer went after.
    CButtonPress press;
    const int32_t start = press.Start().x;
    int32_t last = start;
    bool dragging = false;
    tCPoint pointer;
    while (press.NextRound(&pointer)) {
        const int32_t x = pointer.x;
        if (!dragging) {
            if (x < start - kDragThreshold || x > start + kDragThreshold) {
                dragging = true;
                last = x;
            }
            continue;
        }
        if (x == last || !m_root)
            continue;
        const int32_t delta = x - last;
        CWidget* parent = m_root->GetParent();
        int32_t left = m_root->GetRect().left + delta;
        if (delta < 0)
            left = std::max(left, 0);
        else if (parent)
            left = std::min(left, parent->GetWidth() - m_root->GetWidth());
        (void)m_root->SetXPosition(left, 1);
        last = x;
    }
    if (backdrop)
        backdrop->PopModal();
    if (dragging)
        return MoveToSide();
    tCPoint point = pointer;
    if (CWidget* parent = handle->GetParent())
        parent->ScreenToLocalPoint(&point);
    const tCRect& rect = handle->GetRect();
    if (point.x >= rect.left - kDragThreshold && point.x <= rect.right + kDragThreshold &&
        point.y >= rect.top - kDragThreshold && point.y <= rect.bottom + kDragThreshold)
        return SetSide(m_side ? 0 : 1, 1);
    return MoveToSide();
}
