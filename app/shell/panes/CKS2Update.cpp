#include "app/shell/panes/CKS2Update.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "app/shell/CHMRSound.h"
#include "app/shell/ShellResources.h"
#include "app/shell/panes/IPaneHost.h"
#include "app/shell/panes/PaneFocus.h"
#include "app/shell/update/IUpdateManager.h"
#include "platform/VirtualKeys.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CTimeStep.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/FileOperations.h"
#include "toolkit/imaging/PixelTile.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CWidgetEffectGradient.h"

namespace {

constexpr uint32_t kGlowNewer = 0xFFD3E842;
constexpr uint32_t kGlowFailed = 0xFFE85942;
constexpr uint32_t kGlowOpacity = 120;
constexpr uint32_t kLinkColour = 0xFF394100;
constexpr int32_t kFirstLowestBottom = 92;
constexpr int32_t kNoteSpacing = 10;
constexpr int32_t kPaneExtraWidth = 102;
constexpr int32_t kPaneExtraHeight = 132;
constexpr int32_t kAreaLeft = 10;
constexpr int32_t kAreaTop = 70;
constexpr int32_t kAreaExtraWidth = 82;
constexpr int32_t kAreaExtraHeight = 90;
constexpr int32_t kCentreOffsetX = 31;
constexpr int32_t kCentreOffsetY = -25;
// The glow lights the headline's band of the text area; the close bar's light its last rows.
constexpr int32_t kGlowBandTop = 26;
constexpr int32_t kGlowBandBottom = 58;
constexpr int32_t kCloseBarHeight = 32;
constexpr float kHoverOpacity = 80.0f;
constexpr float kHoverInStepTime = 2.6f;
constexpr float kHoverOutStepTime = 3.6f;

CWidgetEffectBase* FrontEffect(CWidget* widget, int32_t index)
{
    return widget ? dynamic_cast<CWidgetEffectBase*>(widget->GetFrontEffect(index)) : nullptr;
}

CTxWidget* TextWidget(CWidget* root, uint32_t id)
{
    return dynamic_cast<CTxWidget*>(root->FindWidgetById(id));
}

tCString UpperCased(const tCString& text)
{
    std::u16string units(text.View());
    for (char16_t& unit : units)
        if (unit >= u'a' && unit <= u'z')
            unit = char16_t(unit - u'a' + u'A');
    return tCString(std::u16string_view(units));
}

bool ContainsText(const tCString& text, const tCString& part)
{
    return !part.IsEmpty() && text.View().find(part.View()) != std::u16string_view::npos;
}

bool StartsWithNoCase(const tCString& text, std::u16string_view prefix)
{
    return text.GetLength() >= int32_t(prefix.size()) &&
           UpperCased(text.Left(int32_t(prefix.size()))).View() == UpperCased(tCString(prefix)).View();
}

// Word-wrapped text of `width` pixels, as high as the text needs.
tResult WrapText(CTxWidget* widget, const tCString& text, int32_t width)
{
    TK_TRY(widget->SetWrap(1, 0, 0));
    TK_TRY(widget->SetText(text, 0, 0));
    const int32_t height = widget->GetTextRenderer()->GetTextHeight(text.GetTextOrEmpty(), width);
    return widget->SetSize(width, std::max(height, 1), 0);
}

// Colours the glow's two stops and fades it to `opacity`.
void SetGlow(CWidget* area, CWidgetEffectBase* glow, uint32_t colour, uint32_t opacity)
{
    if (!glow)
        return;
    if (auto* gradient = dynamic_cast<CWidgetEffectGradient*>(glow)) {
        gradient->GetGradient()->AddPoint(colour, 0.0f);
        gradient->GetGradient()->AddPoint(colour, 1.0f);
        area->RefreshEffect(gradient, 0);
    }
    glow->ChangeOpacity(opacity, 0);
}

}  // namespace

CKS2Update::CKS2Update()
{
    m_rootId = int32_t(kWgtUpdatePane);
    m_rootKind = kRootImage;
}

CKS2Update::~CKS2Update() = default;

tResult CKS2Update::Build()
{
    m_root->SetKeyDownProc(KeyDownProc, ToMsgArg(this));
    m_root->SetHeartbeatProc(RootHeartbeatProc, ToMsgArg(this));
    CWidget* close = m_root->FindWidgetById(kWgtUpdateClose);
    if (!close)
        return kResResourceNotFound;
    auto* animator = new (std::nothrow) CTimeStep(0.0f, 0.0f, 1.0f, 1.0f, true);
    if (!animator)
        return kResCreateFailed;
    close->SetUserObject(0, animator);
    close->SetHeartbeatProc(CloseButtonHeartbeatProc, ToMsgArg(this));
    close->SetLButtonDownProc(ButtonDownProc, ToMsgArg(this));
    if (CWidget* link = m_root->FindWidgetById(kWgtUpdateLink))
        link->SetLButtonDownProc(ButtonDownProc, ToMsgArg(this));
    return kResOk;
}

tResult CKS2Update::HandleMessage(uint32_t message, tMsgArg, tMsgArg b, tMsgArg c, uint32_t)
{
    const bool visible = m_root && m_root->IsVisible();
    if (message == kMsgUpdateReport) {
        const tCStringArray* list = FromMsgArg<const tCStringArray>(b);
        if (!list)
            return kResOk;
        if (!visible) {
            Show(1, 1, b, c, nullptr);
            return kResOk;
        }
        m_pendingList.SetCount(0);
        for (const tCString& text : *list)
            if (m_pendingList.Add(text) != kResOk)
                break;
        m_pending = kReportPending;
        m_pendingSince.Restart();
    } else if (message == kMsgUpdateFailed && visible) {
        m_pending = kFailurePending;
        m_pendingSince.Restart();
    }
    return kResOk;
}

tResult CKS2Update::OnShow(uint32_t, uint32_t, tMsgArg param1, tMsgArg param2)
{
    ResetCloseButton();
    m_pending = kNothingPending;
    m_shownWithList = (param1 || param2) ? 1 : 0;
    return BuildText(FromMsgArg<const tCStringArray>(param1), 0, 0);
}

tResult CKS2Update::OnShown()
{
    TakePaneFocus(m_root);
    if (!m_shownWithList)
        SendToBackbone(kMsgUpdateCheck, ToMsgArg(this), 0, 0);
    return kResOk;
}

tResult CKS2Update::OnHide(uint32_t, uint32_t, tMsgArg, tMsgArg)
{
    m_pending = kNothingPending;
    ReturnPaneFocus(m_root);
    SendToBackbone(kMsgUpdateStop, ToMsgArg(this), 0, 0);
    return kResOk;
}

void CKS2Update::RunPendingLayout()
{
    if (m_pending == kNothingPending || m_pendingSince.GetElapsedMilliseconds() < kReportDelay)
        return;
    const uint32_t pending = m_pending;
    m_pending = kNothingPending;
    const tCStringArray list = std::move(m_pendingList);
    if (pending == kReportPending)
        BuildText(&list, 1, 0);
    else
        BuildText(nullptr, 1, 1);
}

void CKS2Update::DropNotes()
{
    for (CWidget* note : m_notes) {
        if (CWidget* parent = note->GetParent())
            parent->DeleteChild(note, 0);
        else
            delete note;
    }
    m_notes.clear();
}

tResult CKS2Update::BuildText(const tCStringArray* list, uint32_t fromMessage, uint32_t failed)
{
    CWidget* area = m_root->FindWidgetById(kWgtUpdateTextArea);
    if (!area)
        return kResCreateFailed;
    CTxWidget* headline = TextWidget(m_root, kWgtUpdateHeadline);
    CTxWidget* note = TextWidget(m_root, kWgtUpdateNote);
    if (!headline || !note)
        return kResCreateFailed;
    int32_t wrap = kWrapWidth;
    int32_t lowest = kFirstLowestBottom;
    DropNotes();
    m_keyword = false;
    if (CWidget* link = m_root->FindWidgetById(kWgtUpdateLink))
        link->SetVisible(1, 0);
    CTxWidget* footer = TextWidget(m_root, kWgtUpdateFooter);
    // Any report ends the checking, a title without notes included.
    if (list && list->GetCount() > 0) {
        TK_TRY(LayOutReport(*list, area, &wrap, &lowest));
        if (footer)
            TK_TRY(footer->SetText(ApplicationText(kStrUpdateFooterReport), 1, 0));
    } else {
        TK_TRY(headline->SetText(ApplicationText(failed ? kStrUpdateFailed : kStrUpdateChecking), 1, 0));
        SetGlow(area, FrontEffect(area, 1), kGlowFailed, failed ? kGlowOpacity : 0);
        TK_TRY(LayOutBody(failed ? kStrUpdateFailedBody : kStrUpdateCheckingBody, kWrapWidth, &lowest));
        if (footer)
            TK_TRY(footer->SetText(ApplicationText(kStrUpdateFooterClose), 1, 0));
    }
    TK_TRY(FitPane(area, wrap, lowest));
    CWidget* mark = m_root->FindWidgetById(kWgtUpdateKeywordMark);
    CWidget* markText = m_root->FindWidgetById(kWgtUpdateKeywordText);
    if (mark && markText) {
        mark->SetVisible(m_keyword ? 1 : 0, 0);
        markText->SetVisible(m_keyword ? 1 : 0, 0);
    } else if (mark || markText) {
        (mark ? mark : markText)->SetVisible(0, 0);
    }
    const int32_t width = area->GetWidth();
    const int32_t height = area->GetHeight();
    if (CWidgetEffectBase* glow = FrontEffect(area, 1)) {
        glow->ClearExcludedRects(0);
        glow->ExcludeRect({0, 0, width, kGlowBandTop}, 0);
        glow->ExcludeRect({0, kGlowBandBottom, width, height}, 0);
    }
    if (CWidgetEffectBase* light = FrontEffect(area, 2)) {
        light->ClearExcludedRects(0);
        light->ExcludeRect({0, 0, width, height - kCloseBarHeight}, 0);
    }
    TK_TRY(area->RefreshAllEffects());
    TK_TRY(area->InvalidateWithEffects(0));
    return fromMessage ? m_root->PresentDirtyRects() : kResOk;
}

tResult CKS2Update::LayOutReport(const tCStringArray& list, CWidget* area, int32_t* wrap, int32_t* lowest)
{
    CTxWidget* headline = TextWidget(m_root, kWgtUpdateHeadline);
    const tCString& title = list[0];
    uint32_t newer = 0;
    QueryBackbone(kMsgUpdateIsNewer, ToMsgArg(&title), ToMsgArg(&newer), 0);
    if (newer) {
        tCString text = ApplicationText(kStrUpdateNewer, 0).Concat(ApplicationText(kStrProduct));
        // "Kostrel 2" and the release "2.1" make "Kostrel 2.1", not "Kostrel 2 2.1".
        if (!text.IsEmpty() && !title.IsEmpty() && text.GetAt(text.GetLength() - 1) == title.GetAt(0))
            text = text.Left(std::max(0, text.GetLength() - 2));
        text = text.Concat(tCString(u" ")).Concat(title).Concat(ApplicationText(kStrUpdateNewer, 1));
        TK_TRY(headline->SetText(text, 1, 0));
        SetGlow(area, FrontEffect(area, 1), kGlowNewer, kGlowOpacity);
    } else {
        TK_TRY(headline->SetText(ApplicationText(kStrUpdateCurrent), 1, 0));
        SetGlow(area, FrontEffect(area, 1), kGlowNewer, 0);
    }
    if (headline->GetWidth() >= kWrapWidth)
        *wrap = headline->GetWidth();
    m_linkAddress = list.GetCount() > 1 ? list[1] : tCString();
    if (m_linkAddress.IsEmpty())
        m_linkAddress = ApplicationText(kStrUpdateDownloadAddress);
    if (list.GetCount() > 2)
        return LayOutNotes(list, area, *wrap, lowest);
    // Without notes the body holds no text: none of the checking or failure layout stays.
    CTxWidget* note = TextWidget(m_root, kWgtUpdateNote);
    TK_TRY(WrapText(note, tCString(), *wrap));
    TK_TRY(note->SetVisible(1, 0));
    if (CWidget* link = m_root->FindWidgetById(kWgtUpdateLink))
        *lowest = link->GetRect().bottom;
    return kResOk;
}

tResult CKS2Update::LayOutNotes(const tCStringArray& list, CWidget* area, int32_t wrap, int32_t* lowest)
{
    CWidget* note = m_root->FindWidgetById(kWgtUpdateNote);
    TK_TRY(note->SetVisible(0, 0));
    const int32_t left = note->GetRect().left;
    int32_t top = note->GetRect().top;
    const tCString keyword = UpperCased(ApplicationText(kStrUpdateKeyword));
    for (int32_t i = 2; i < list.GetCount(); ++i) {
        CTxWidget* widget = CTxWidget::NewFromResourceId(kWgtUpdateNote, nullptr, nullptr);
        if (!widget)
            continue;
        if (area->AddChild(widget, 0) != kResOk) {
            delete widget;
            continue;
        }
        m_notes.push_back(widget);
        tCString text = list[i];
        const int32_t brace = text.FindFirstOf(tCString(u"{"));
        if (brace > 0) {
            const tCString target = text.Mid(brace + 1, std::max(0, text.GetLength() - brace - 2));
            text = text.Left(brace);
            widget->SetName(target);
            widget->SetLButtonDownProc(NoteLinkDownProc, ToMsgArg(this));
            widget->SetActive(1);
            TK_TRY(widget->SetColour(kLinkColour, 0));
        }
        TK_TRY(WrapText(widget, text, wrap));
        TK_TRY(widget->SetPosition(left, top, 0));
        TK_TRY(widget->SetVisible(1, 0));
        const int32_t bottom = widget->GetRect().bottom;
        top = bottom + kNoteSpacing;
        *lowest = std::max(*lowest, bottom);
        if (ContainsText(UpperCased(list[i]), keyword))
            m_keyword = true;
    }
    return kResOk;
}

tResult CKS2Update::LayOutBody(uint32_t textId, int32_t width, int32_t* lowest)
{
    CTxWidget* note = TextWidget(m_root, kWgtUpdateNote);
    TK_TRY(WrapText(note, ApplicationText(textId), width));
    TK_TRY(note->SetVisible(1, 0));
    *lowest = note->GetRect().bottom;
    return kResOk;
}

tResult CKS2Update::FitPane(CWidget* area, int32_t wrap, int32_t lowest)
{
    const int32_t width = wrap + kPaneExtraWidth;
    const int32_t height = lowest + kPaneExtraHeight;
    if (m_root->GetWidth() == width && m_root->GetHeight() == height)
        return kResOk;
    TK_TRY(m_root->SetSize(width, height, 0));
    if (CWidget* backdrop = GetMainBackdropWidget())
        TK_TRY(m_root->SetPosition(backdrop->GetWidth() / 2 - width / 2 + kCentreOffsetX,
                                   backdrop->GetHeight() / 2 - height / 2 + kCentreOffsetY, 0));
    TK_TRY(area->SetSize(width - kAreaExtraWidth, height - kAreaExtraHeight, 0));
    TK_TRY(area->SetPosition(kAreaLeft, kAreaTop, 0));
    auto* root = static_cast<CImWidget*>(m_root);
    CImage* frame = GetPooledImage(kImgPanelFrame, nullptr, nullptr);
    if (!frame || !root->GetImage())
        return kResCreateFailed;
    TK_TRY(NineSliceBlit(root->GetImage(), frame, 1));
    return root->RefreshEffects(0);
}

void CKS2Update::ResetCloseButton()
{
    CWidget* close = m_root->FindWidgetById(kWgtUpdateClose);
    if (auto* animator = close ? dynamic_cast<CTimeStep*>(close->GetUserObject(0)) : nullptr) {
        animator->SetValue(0.0f);
        animator->SetTarget(0.0f);
    }
    if (CWidgetEffectBase* light = FrontEffect(m_root->FindWidgetById(kWgtUpdateTextArea), 2))
        light->ChangeOpacity(0, 0);
}

tResult CKS2Update::RootHeartbeatProc(tMsgArg context, CWidget*)
{
    FromMsgArg<CKS2Update>(context)->RunPendingLayout();
    return kResOk;
}

tResult CKS2Update::CloseButtonHeartbeatProc(tMsgArg, CWidget* widget)
{
    auto* animator = dynamic_cast<CTimeStep*>(widget->GetUserObject(0));
    CWidgetEffectBase* light = FrontEffect(widget->GetParent(), 2);
    if (!animator || !light)
        return kResOk;
    CBackdrop* backdrop = GetMainBackdrop();
    if (backdrop && backdrop->GetRolloverWidget() == widget) {
        if (animator->GetTarget() != kHoverOpacity) {
            animator->SetTarget(kHoverOpacity);
            animator->SetStepTime(kHoverInStepTime);
        }
    } else if (animator->GetTarget() != 0.0f) {
        animator->SetTarget(0.0f);
        animator->SetStepTime(kHoverOutStepTime);
    }
    const auto opacity = uint32_t(std::lround(animator->GetValue()));
    if (opacity != light->GetOpacity())
        light->ChangeOpacity(opacity, 1);
    return kResOk;
}

bool CKS2Update::TrackPress(CWidget* widget)
{
    // A button's label lies over it: the release counts over the label too.
    for (CWidget* over = FollowPressOn(widget); over; over = over->GetParent())
        if (over == widget)
            return true;
    return false;
}

tResult CKS2Update::ButtonDownProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint*)
{
    auto* pane = FromMsgArg<CKS2Update>(context);
    *takenBy = widget;
    if (!TrackPress(widget))
        return kResOk;
    if (widget->GetId() == kWgtUpdateClose) {
        SendToBackdrop(CHMRSound::kMsgPlaySound, 0, 0, 0);
        return pane->Hide(1, 1, 0, 0);
    }
    OpenAddress(pane->m_linkAddress);
    return kResOk;
}

tResult CKS2Update::NoteLinkDownProc(tMsgArg, CWidget* widget, CWidget** takenBy, tCPoint*)
{
    *takenBy = widget;
    if (TrackPress(widget))
        OpenAddress(widget->GetName());
    return kResOk;
}

tResult CKS2Update::KeyDownProc(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key)
{
    if (key != kKeyEnter && key != kKeyEscape)
        return kResOk;
    *takenBy = widget;
    return FromMsgArg<CKS2Update>(context)->Hide(1, 1, 0, 0);
}

tResult CKS2Update::OpenAddress(const tCString& address)
{
    // Notes come from the network: nothing but a web address reaches the desktop's opener.
    if (!StartsWithNoCase(address, u"http://") && !StartsWithNoCase(address, u"https://"))
        return kResBadParam;
    for (const char16_t unit : address.View())
        if (unit <= u' ' || unit == 0x7F)
            return kResBadParam;
    return ShellOpenText(address);
}
