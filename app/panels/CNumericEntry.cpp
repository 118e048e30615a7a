#include "app/panels/CNumericEntry.h"

#include <algorithm>
#include <new>

#include "app/panels/PromptButtons.h"
#include "app/shell/ShellResources.h"
#include "app/shell/controls/CKS2RadialControl.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/imaging/PixelTile.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/widgets/CImWidget.h"

namespace {

// The rect of a widget of the root's tree in the root's coordinates.
tCRect RectInRoot(CWidget* widget, CWidget* root)
{
    tCRect rect = widget->GetRect();
    for (CWidget* parent = widget->GetParent(); parent && parent != root; parent = parent->GetParent()) {
        const tCRect& outer = parent->GetRect();
        rect = {rect.left + outer.left, rect.top + outer.top, rect.right + outer.left, rect.bottom + outer.top};
    }
    return rect;
}

tCString LabelOf(int32_t labelId)
{
    CAppBase* app = GetApplication();
    if (labelId == -1 || !app)
        return {};
    tCString text;
    app->GetString(text, uint32_t(labelId), 0);
    // The string table answers a missing id with a text beginning with "%".
    if (!text.IsEmpty() && text.GetAt(0) == u'%')
        return {};
    return text;
}

}  // namespace

CNumericEntry::CNumericEntry()
{
    m_rootId = int32_t(kRoot);
    m_rootKind = kRootImage;
    m_isModal = 1;
}

CNumericEntry::~CNumericEntry()
{
    delete m_dial;
}

tResult CNumericEntry::Build()
{
    m_layoutPlace = *m_root->GetLayout();
    m_root->SetKeyDownProc(OnRootKey, ToMsgArg(this));
    TK_TRY(HookPromptButtons(m_root, {kOkButton, kCancelButton}, OnButtonHeartbeat, PromptButtonPress, ToMsgArg(this)));
    CWidget* dialWidget = m_root->FindWidgetById(kDial);
    if (!dialWidget)
        return kResResourceNotFound;
    m_dial = new (std::nothrow) CKS2RadialControl;
    if (!m_dial)
        return kResCreateFailed;
    const uint32_t label = kDialLabel;
    if (const tResult attached = m_dial->Attach(dialWidget, this, ToMsgArg(&label), -1); attached != kResOk) {
        delete m_dial;
        m_dial = nullptr;
        return attached;
    }
    m_dial->SetLiveReport(0);
    return kResOk;
}

tResult CNumericEntry::OnShow(uint32_t, uint32_t, tMsgArg setup, tMsgArg)
{
    if (!setup)
        return kResBadParam;
    return LayOut(*FromMsgArg<const tNumericEntrySetup>(setup));
}

tResult CNumericEntry::LayOut(const tNumericEntrySetup& setup)
{
    ResetPromptGlow(m_root->FindWidgetById(kOkButton), m_root, kOkGlow);
    ResetPromptGlow(m_root->FindWidgetById(kCancelButton), m_root, kCancelGlow);
    if (m_dial)
        m_dial->SetLabel(LabelOf(setup.labelId), 0);
    PlacePromptRoot(m_root, m_layoutPlace, setup.x, setup.y);
    const int32_t dialWidth = m_dial ? m_dial->GetWidget()->GetWidth() : 0;
    m_root->GetLayout()->width = float(std::max(dialWidth, kMinWidth));
    TK_TRY(m_root->LayoutFromParent(0));

    auto* root = dynamic_cast<CImWidget*>(m_root);
    CImage* frame = GetPooledImage(kImgPanelFrame, nullptr, nullptr);
    if (!root || !frame)
        return kResCreateFailed;
    TK_TRY(root->DecompressImage());
    const tResult drawn = NineSliceBlit(root->GetImage(), frame, 1);
    root->CompressImage();
    TK_TRY(drawn);
    TK_TRY(root->RefreshEffects(0));
    ClipGlows();
    if (m_dial) {
        float value = float(setup.value) / 100.0f;
        m_dial->OnMessage(kMsgControlValue, ToMsgArg(this), ToMsgArg(&value), 0, kMsgApply);
    }
    PlayPromptSound(ToMsgArg(this), kSndPromptShown);
    return kResOk;
}

void CNumericEntry::ClipGlows()
{
    const int32_t width = m_root->GetWidth();
    const int32_t height = m_root->GetHeight();
    if (CWidget* ok = m_root->FindWidgetById(kOkButton)) {
        const tCRect rect = RectInRoot(ok, m_root);
        ClipPromptGlow(m_root, kOkGlow, {rect.left, rect.top, width, height}, 0);
    }
    if (CWidget* cancel = m_root->FindWidgetById(kCancelButton)) {
        const tCRect rect = RectInRoot(cancel, m_root);
        ClipPromptGlow(m_root, kCancelGlow, {0, rect.top, rect.right, height}, 0);
    }
}

tResult CNumericEntry::OnDismissed(tMsgArg result, tMsgArg)
{
    if (result != kOkButton || !m_dial)
        return kResOk;
    float value = 0.0f;
    m_dial->OnMessage(kMsgControlValue, ToMsgArg(this), ToMsgArg(&value), 0, kMsgReport);
    if (m_owner)
        m_owner->OnMessage(kMsgNumberEntered, ToMsgArg(this), ToMsgArg(&value), 0, kMsgApply);
    return kResOk;
}

tResult CNumericEntry::OnRootKey(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key)
{
    *takenBy = widget;
    auto* entry = FromMsgArg<CNumericEntry>(context);
    if (key == kKeyEnter)
        return entry->Hide(1, 1, kOkButton, 0);
    if (key == kKeyEscape)
        return entry->Hide(1, 1, 0, 0);
    return kResOk;
}

tResult CNumericEntry::OnButtonHeartbeat(tMsgArg context, CWidget* widget)
{
    CWidget* root = FromMsgArg<CNumericEntry>(context)->m_root;
    StepPromptGlow(widget, root, widget->GetId() == kOkButton ? kOkGlow : kCancelGlow, kGlowLit);
    return kResOk;
}
