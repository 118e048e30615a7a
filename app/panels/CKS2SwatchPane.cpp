#include "app/panels/CKS2SwatchPane.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

#include "app/panels/PresentWhenActive.h"
#include "app/shell/BackboneMessages.h"
#include "app/shell/BackdropMessages.h"
#include "app/shell/CHMRBackbone.h"
#include "app/shell/controls/CKS2Button.h"
#include "app/shell/panes/CKS2PopupManager.h"
#include "app/shell/panes/IPaneHost.h"
#include "paint/engine/CColourList.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CButtonPress.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/WidgetFactory.h"

namespace {

void ReportSwatchFailure()
{
    CAppBase* app = GetApplication();
    if (!app)
        return;
    tCString text;
    (void)app->ReportError(kResCreateFailed, app->GetString(text, kStrErrSwatch, 0));
}

// The colour picker's root height, 0 while there is none.
int32_t PickerHeight()
{
    CWidget* backdrop = GetMainBackdropWidget();
    CWidget* picker = backdrop ? backdrop->FindWidgetById(kWgtColourPicker) : nullptr;
    return picker ? picker->GetHeight() : 0;
}

// Copies `source` into `dest` at (0, y), clipped to `dest`.
void CopyRowsAt(const CImNav& dest, const CImNav& source, int32_t y)
{
    const int32_t width = std::min(dest.GetWidth(), source.GetWidth());
    for (int32_t row = 0; row < source.GetHeight(); ++row)
        if (y + row >= 0 && y + row < dest.GetHeight())
            std::copy_n(source.Pixels(row), width, dest.Pixels(y + row));
}

// The face with the colour over its inside, keeping the face's alpha; an empty colour shows
// the face alone.
CImage* MakeFace(CImage* face, uint32_t colour)
{
    auto* copy = new (std::nothrow) CImage(face->GetWidth(), face->GetHeight());
    if (!copy || !copy->IsValid()) {
        delete copy;
        return nullptr;
    }
    CImNav source(face);
    CImNav dest(copy);
    if (!source.HoldsArgb() || !dest.HoldsArgb()) {
        delete copy;
        return nullptr;
    }
    CopyRowsAt(dest, source, 0);
    if ((colour >> 24) == 0)
        return copy;
    const int32_t inset = CKS2SwatchPane::kColourInset;
    for (int32_t y = inset; y < dest.GetHeight() - inset; ++y) {
        CPixel* row = dest.Pixels(y);
        for (int32_t x = inset; x < dest.GetWidth() - inset; ++x)
            row[x] = (row[x] & 0xFF000000u) | (colour & 0x00FFFFFFu);
    }
    return copy;
}

}  // namespace

CKS2SwatchPane::CKS2SwatchPane()
{
    m_rootId = int32_t(kRoot);
    m_handleId = int32_t(kHandle);
    m_rootKind = kRootImage;
    m_side0Pos = {-6.0f, 0.0f};
    m_side1Pos = {-29.0f, 0.0f};
}

CKS2SwatchPane::~CKS2SwatchPane()
{
    for (int32_t i = 0; i < m_swatches.GetCount(); ++i)
        delete m_swatches[i];
    m_swatches.RemoveAll();
    delete m_topButton;
    delete m_faceImage;
}

tResult CKS2SwatchPane::Build()
{
    m_capImage = GetPooledImage(kImgSwatchesCap, nullptr, nullptr);
    m_baseImage = GetPooledImage(kImgSwatchesBase, nullptr, nullptr);
    if (!m_faceImage) {
        auto* face = new (std::nothrow) CImage;
        if (face && face->GetFromRes(kImgSwatchFace, nullptr, nullptr) == kResOk && face->IsValid())
            m_faceImage = face;
        else
            delete face;
    }
    if (!m_capImage || !m_baseImage || !m_faceImage)
        return kResCreateFailed;
    if (m_handle)
        m_handle->SetLButtonDownProc(OnHandlePressed, ToMsgArg(this));
    m_topButton = new (std::nothrow) CKS2Button;
    if (!m_topButton)
        return kResCreateFailed;
    if (const tResult attached = m_topButton->Attach(m_root->FindWidgetById(kTopButton), this, 0, -1);
        attached != kResOk) {
        delete m_topButton;
        m_topButton = nullptr;
        return attached;
    }
    for (int32_t i = 0; i < kMinimumPlaces; ++i)
        TK_TRY(AddSwatch(kEmptyColour, 0));
    TK_TRY(LayoutSwatches());
    TK_TRY(RenderBackground());
    if (CWidget* parent = m_root->GetParent())
        TK_TRY(m_root->SetYPosition(parent->GetHeight() / 2 - m_root->GetHeight() / 2, 0));
    return kResOk;
}

tResult CKS2SwatchPane::HandleMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg, uint32_t)
{
    switch (message) {
    case kMsgOpenProject:
    case kMsgColourListChanged:
        (void)RebuildSwatches(0);
        return kResOk;
    case kMsgRemoveColourListEntry:
        if (RebuildSwatches(1) != kResOk)
            ReportSwatchFailure();
        return kResOk;
    case kMsgBackdropResized:
        if (const auto* previous = FromMsgArg<int32_t>(b))
            KeepRelativeHeight({previous[0], previous[1]});
        // Places beyond the window's room go, and a list cut short takes the room it now has.
        if (!m_swatches.IsEmpty()) {
            const int32_t most = MostPlaces();
            if (m_swatches.GetCount() > most || (m_cut && m_swatches.GetCount() < most))
                (void)RebuildSwatches(0);
        }
        return kResOk;
    case kMsgPopupChoice: return a ? kHookHandled : kResOk;
    default: return kResOk;
    }
}

tResult CKS2SwatchPane::RebuildSwatches(uint32_t present)
{
    TK_TRY(ClearSwatches(0, 0));
    uint32_t count = 0;
    TK_TRY(QueryBackbone(kMsgColourListCount, ToMsgArg(this), ToMsgArg(&count), 0));
    // One empty place beyond the list, at least five; a list of five with an empty entry
    // already shows its empty place.
    const int64_t wanted = std::max<int64_t>(int64_t(count) + 1, kMinimumPlaces);
    int64_t places = wanted;
    bool emptyAmongFive = false;
    for (int64_t i = 0; i < places; ++i) {
        if (i == kMinimumPlaces && count == uint32_t(kMinimumPlaces) && emptyAmongFive)
            break;
        ColourListEntry entry{uint32_t(i), kEmptyColour};
        if (const tResult asked = QueryBackbone(kMsgColourListEntry, ToMsgArg(this), ToMsgArg(&entry), 0);
            asked != kResOk) {
            (void)ClearSwatches(0, 0);
            return asked;
        }
        emptyAmongFive = emptyAmongFive || entry.colour == kEmptyColour;
        if (AddSwatch(entry.colour, 0) != kResOk) {
            ReportSwatchFailure();
            break;
        }
        if (i == 0)
            places = std::min<int64_t>(places, MostPlaces());
    }
    m_cut = places < wanted;
    TK_TRY(LayoutSwatches());
    TK_TRY(RenderBackground());
    if (present)
        TK_TRY(PresentWhenActive(m_root));
    return kResOk;
}

void CKS2SwatchPane::AddDefaultSwatches()
{
    for (int32_t i = 0; i < kMinimumPlaces; ++i) {
        if (AddSwatch(kEmptyColour, 0) != kResOk) {
            ReportSwatchFailure();
            return;
        }
    }
}

tResult CKS2SwatchPane::ClearSwatches(uint32_t present, uint32_t addDefaults)
{
    for (int32_t i = 0; i < m_swatches.GetCount(); ++i) {
        CKS2Button* button = m_swatches[i];
        CWidget* widget = button->GetWidget();
        delete button;
        if (!widget)
            continue;
        if (CWidget* parent = widget->GetParent())
            (void)parent->DeleteChild(widget, 0);
        else
            delete widget;
    }
    m_swatches.RemoveAll();
    m_cut = false;
    if (addDefaults) {
        AddDefaultSwatches();
        TK_TRY(LayoutSwatches());
        TK_TRY(RenderBackground());
    }
    if (present)
        TK_TRY(PresentWhenActive(m_root));
    return kResOk;
}

tResult CKS2SwatchPane::AddSwatch(uint32_t colour, uint32_t relayout)
{
    if (!m_faceImage || !m_root)
        return kResBadParam;
    CImWidget* widget = LoadNewWidgetById<CImWidget>(kPlace, nullptr, nullptr);
    if (!widget)
        return kResResourceNotFound;
    widget->SetUserData(kSlotKind, 0);
    auto* button = new (std::nothrow) CKS2Button;
    if (!button) {
        delete widget;
        return kResCreateFailed;
    }
    if (const tResult attached = button->Attach(widget, this, 0, -1); attached != kResOk) {
        delete button;
        delete widget;
        return attached;
    }
    if (m_swatches.Add(button) != kResOk) {
        delete button;
        delete widget;
        return kResCreateFailed;
    }
    if (m_root->AddChild(widget, 0) != kResOk)
        return kResCreateFailed;
    CImage* face = MakeFace(m_faceImage, colour);
    if (!face)
        return kResCreateFailed;
    if (const tResult set = widget->SetImage(face, 0, 0); set != kResOk) {
        delete face;
        return set;
    }
    TK_TRY(widget->RefreshEffects(0));
    widget->SetUserData(kSlotColour, colour);
    if (!relayout)
        return kResOk;
    TK_TRY(LayoutSwatches());
    return RenderBackground();
}

int32_t CKS2SwatchPane::AvailableHeight() const
{
    CWidget* parent = m_root ? m_root->GetParent() : nullptr;
    return (parent ? parent->GetHeight() : 0) - PickerHeight();
}

int32_t CKS2SwatchPane::Rows(int32_t placeHeight) const
{
    return std::max((AvailableHeight() - 14) / (placeHeight + kGap), kMinimumRows);
}

int32_t CKS2SwatchPane::MostPlaces() const
{
    const CWidget* first = m_swatches[0]->GetWidget();
    const CWidget* parent = m_root->GetParent();
    const int32_t room = (parent ? parent->GetWidth() : 0) - int32_t(m_side0Pos.x) - kGridLeft - kGridRight;
    const int64_t columns = std::max((room - first->GetWidth()) / (first->GetWidth() + kGap) + 1, 1);
    return int32_t(std::clamp<int64_t>(columns * Rows(first->GetHeight()) - 1, kMinimumPlaces, INT32_MAX));
}

tResult CKS2SwatchPane::LayoutSwatches()
{
    if (!m_root)
        return kResBadParam;
    if (m_swatches.IsEmpty()) {
        TK_TRY(m_root->SetSize(82, 92, 0));
    } else {
        CWidget* first = m_swatches[0]->GetWidget();
        const int32_t rows = Rows(first->GetHeight());
        int32_t x = kGridLeft;
        // The first place of the first column stays free.
        int32_t y = kGridTop + first->GetHeight() + kGap;
        int32_t inColumn = 1;
        int32_t right = x;
        int32_t bottom = y;
        for (int32_t i = 0; i < m_swatches.GetCount(); ++i) {
            CWidget* place = m_swatches[i]->GetWidget();
            if (inColumn >= rows) {
                x += place->GetWidth() + kGap;
                y = kGridTop;
                inColumn = 0;
            }
            TK_TRY(place->SetPosition(x, y, 0));
            y += place->GetHeight() + kGap;
            ++inColumn;
            right = std::max(right, x);
            bottom = std::max(bottom, y);
            place->SetUserData(kSlotIndex, uint32_t(i));
        }
        TK_TRY(m_root->SetSize(right + first->GetWidth() + kGridRight, bottom, 0));
    }
    m_side1Pos = {-float(m_root->GetWidth() - 12), 0.0f};
    const int32_t top = m_root->GetRect().top;
    const int32_t reachable = ReachableTop(top);
    return reachable == top ? kResOk : m_root->SetYPosition(reachable, 0);
}

int32_t CKS2SwatchPane::ReachableTop(int32_t top) const
{
    if (!m_root || !m_root->GetParent())
        return top;
    return std::max(std::min(top, AvailableHeight() - m_root->GetHeight()), 0);
}

tResult CKS2SwatchPane::RenderBackground()
{
    auto* root = dynamic_cast<CImWidget*>(m_root);
    if (!root || !m_capImage || !m_baseImage)
        return kResResourceNotFound;
    TK_TRY(root->DecompressImage());
    CImage* image = root->GetImage();
    if (!image || !image->IsValid())
        return kResCreateFailed;
    {
        CImNav dest(image);
        CImNav cap(m_capImage);
        CImNav base(m_baseImage);
        if (!dest.HoldsArgb() || !cap.HoldsArgb() || !base.HoldsArgb())
            return kResCreateFailed;
        const int32_t w = dest.GetWidth();
        const int32_t h = dest.GetHeight();
        CopyRowsAt(dest, cap, 0);
        CopyRowsAt(dest, base, h - base.GetHeight());
        const int32_t capH = cap.GetHeight();
        const int32_t capW = cap.GetWidth();
        if (h > capH + base.GetHeight() && capH > 0)
            for (int32_t y = capH; y < h - base.GetHeight(); ++y)
                std::copy_n(dest.Pixels(capH - 1), w, dest.Pixels(y));
        if (capW < w && capW > 0)
            for (int32_t y = 0; y < h; ++y) {
                CPixel* row = dest.Pixels(y);
                std::fill(row + capW, row + w, row[capW - 1]);
            }
    }
    TK_TRY(root->RefreshEffects(0));
    return root->CompressImage();
}

void CKS2SwatchPane::KeepRelativeHeight(tCPoint previous)
{
    CWidget* parent = m_root ? m_root->GetParent() : nullptr;
    // A backdrop that had no height gives no share to keep.
    if (!parent || previous.y == 0)
        return;
    const tCRect& rect = m_root->GetRect();
    const float share = float(rect.top + rect.Height() / 2) / float(previous.y);
    const auto centre = int32_t(std::lround(share * float(parent->GetHeight())));
    (void)m_root->SetYPosition(ReachableTop(centre - m_root->GetHeight() / 2), 0);
}

tResult CKS2SwatchPane::OnHandlePressed(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint*)
{
    *takenBy = widget;
    auto* pane = FromMsgArg<CKS2SwatchPane>(context);
    CAppBase* app = GetApplication();
    auto* backdrop = dynamic_cast<CBackdrop*>(GetMainBackdropWidget());
    CWidget* root = pane->m_root;
    CWidget* parent = root ? root->GetParent() : nullptr;
    if (!app || !backdrop || !parent)
        return kResOk;
    pane->MoveToSideInset();
    backdrop->PushModal(widget);
    // The pointer of each round, and after them where the button came up: the drag ends there
    // and the click counts there, not where the pointer went after.
    CButtonPress press;
    int32_t last = press.Start().y;
    const int32_t start = last;
    bool dragged = false;
    tCPoint pointer;
    while (press.NextRound(&pointer)) {
        const int32_t y = pointer.y;
        if (!dragged && std::abs(y - start) > kHandleSlack)
            dragged = true;
        if (!dragged || y == last)
            continue;
        const int32_t dy = y - last;
        last = y;
        (void)root->SetYPosition(pane->ReachableTop(root->GetRect().top + dy), 1);
    }
    backdrop->PopModal();
    if (!dragged) {
        if (CWidget* handleParent = widget->GetParent())
            handleParent->ScreenToLocalPoint(&pointer);
        tCRect slack = widget->GetRect();
        slack.left -= kHandleSlack;
        slack.top -= kHandleSlack;
        slack.right += kHandleSlack;
        slack.bottom += kHandleSlack;
        if (slack.Contains(pointer))
            return pane->SetSide(pane->GetSide() ? 0 : 1, 1);
    }
    return pane->MoveToSide();
}
