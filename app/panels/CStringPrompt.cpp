#include "app/panels/CStringPrompt.h"

#include <algorithm>
#include <new>

#include "app/panels/PromptButtons.h"
#include "app/shell/ShellResources.h"
#include "app/shell/controls/CKS2TextEdit.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/imaging/PixelTile.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/text/CTxEdWidget.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CImWidget.h"

namespace {

void SetSize(CWidget* widget, int32_t width, int32_t height)
{
    widget->GetLayout()->width = float(width);
    widget->GetLayout()->height = float(height);
}

}  // namespace

CStringPrompt::CStringPromptSetup::CStringPromptSetup(int32_t titleId, int32_t x, int32_t y,
                                                      const char16_t* initialText, uint32_t numericOnly,
                                                      const char16_t* titleText)
    : titleId(titleId), x(x), y(y), initialText(initialText), numericOnly(numericOnly), titleText(titleText)
{
}

CStringPrompt::CStringPrompt()
{
    m_rootId = int32_t(kRoot);
    m_rootKind = kRootImage;
    m_isModal = 1;
}

CStringPrompt::~CStringPrompt()
{
    delete m_edit;
}

CTxEdWidget* CStringPrompt::GetEditWidget() const
{
    return m_edit ? m_edit->GetEditWidget() : nullptr;
}

tResult CStringPrompt::Build()
{
    m_layoutPlace = *m_root->GetLayout();
    m_root->SetKeyDownProc(OnRootKey, ToMsgArg(this));
    TK_TRY(HookPromptButtons(m_root, {kOkButton, kCancelButton}, OnButtonHeartbeat, PromptButtonPress, ToMsgArg(this)));
    CWidget* field = m_root->FindWidgetById(kField);
    if (!field)
        return kResResourceNotFound;
    m_edit = new (std::nothrow) CKS2TextEdit;
    if (!m_edit)
        return kResCreateFailed;
    if (const tResult attached = m_edit->Attach(field, this, 0, -1); attached != kResOk) {
        delete m_edit;
        m_edit = nullptr;
        return attached;
    }
    if (CTxEdWidget* edit = GetEditWidget())
        edit->SetKeyDownProc(OnEditKey, ToMsgArg(this));
    return kResOk;
}

tCString CStringPrompt::TitleOf(const CStringPromptSetup& setup)
{
    if (!setup.titleText.IsEmpty())
        return setup.titleText;
    CAppBase* app = GetApplication();
    if (setup.titleId == -1 || !app)
        return {};
    tCString text;
    app->GetString(text, uint32_t(setup.titleId), 0);
    // The string table answers a missing id with a text beginning with "%".
    if (!text.IsEmpty() && text.GetAt(0) == u'%')
        return {};
    return text;
}

tResult CStringPrompt::OnShow(uint32_t, uint32_t, tMsgArg setup, tMsgArg)
{
    if (!m_root->FindWidgetById(kTitle))
        return kResResourceNotFound;
    if (!setup)
        return kResBadParam;
    return LayOut(*FromMsgArg<const CStringPromptSetup>(setup));
}

tResult CStringPrompt::LayOut(const CStringPromptSetup& setup)
{
    auto* title = dynamic_cast<CTxWidget*>(m_root->FindWidgetById(kTitle));
    if (!title)
        return kResResourceNotFound;
    ResetGlows();
    const tCString text = TitleOf(setup);
    (void)title->SetText(text, 1, 0);
    PlacePromptRoot(m_root, m_layoutPlace, setup.x, setup.y);

    CWidget* parent = m_root->GetParent();
    const int32_t limit = std::min(parent ? parent->GetWidth() - kMargin : kMaxWidth, kMaxWidth);
    CTextRenderer* renderer = title->GetTextRenderer();
    const int32_t textWidth = renderer->GetTextWidth(text.GetText());
    if (textWidth + kMargin <= kShortWidth) {
        SetSize(m_root, kShortWidth, kHeight);
        SetSize(title, kShortWidth - kMargin, renderer->GetTextHeight(text.GetText(), textWidth));
    } else if (textWidth + kMargin <= limit) {
        SetSize(m_root, textWidth + kMargin, kHeight);
        SetSize(title, textWidth + kMargin, renderer->GetTextHeight(text.GetText(), textWidth));
    } else {
        const int32_t titleHeight = renderer->GetTextHeight(text.GetText(), limit - kMargin);
        SetSize(m_root, limit, title->GetRect().top + titleHeight + kBelowTitle);
        SetSize(title, limit - kMargin, titleHeight);
    }
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
    TK_TRY(title->RefreshEffects(0));

    CTxEdWidget* edit = GetEditWidget();
    if (!edit)
        return kResCreateFailed;
    m_edit->SetNumericInput(setup.numericOnly ? 1 : 0, 1);
    CWidget* field = m_edit->GetWidget();
    field->GetLayout()->width = float(m_root->GetWidth() - kMargin);
    TK_TRY(field->LayoutFromParent(0));
    TK_TRY(m_edit->BuildLook(0));
    // A start text the field's mode refuses would leave the last request's text standing.
    if (edit->SetText(setup.initialText, 1, 0) == kResHandled) {
        m_edit->SetNumericInput(0, 0);
        (void)edit->SetText(tCString(), 1, 0);
        m_edit->SetNumericInput(1, 1);
    }
    PlayPromptSound(ToMsgArg(this), kSndPromptShown);
    return kResOk;
}

void CStringPrompt::ResetGlows()
{
    ResetPromptGlow(m_root->FindWidgetById(kOkButton), m_root, kOkGlow);
    ResetPromptGlow(m_root->FindWidgetById(kCancelButton), m_root, kCancelGlow);
}

void CStringPrompt::ClipGlows()
{
    const int32_t width = m_root->GetWidth();
    const int32_t height = m_root->GetHeight();
    // The buttons are children of the root, so their rects are in the root's coordinates.
    if (CWidget* ok = m_root->FindWidgetById(kOkButton)) {
        const tCRect& rect = ok->GetRect();
        ClipPromptGlow(m_root, kOkGlow, {rect.left, rect.top, width, height}, 0);
    }
    if (CWidget* cancel = m_root->FindWidgetById(kCancelButton)) {
        const tCRect& rect = cancel->GetRect();
        ClipPromptGlow(m_root, kCancelGlow, {0, rect.top, rect.right, height}, 0);
    }
}

tResult CStringPrompt::OnShown()
{
    if (CTxEdWidget* edit = GetEditWidget())
        edit->SetFocus(1);
    return kResOk;
}

tResult CStringPrompt::OnDismissed(tMsgArg result, tMsgArg)
{
    CTxEdWidget* edit = GetEditWidget();
    if (!edit)
        return kResOk;
    tCString text = edit->GetText();
    if (result == kOkButton && m_owner)
        m_owner->OnMessage(kMsgTextEntered, ToMsgArg(this), ToMsgArg(&text), 0, kMsgApply);
    return kResOk;
}

tResult CStringPrompt::OnRootKey(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key)
{
    *takenBy = widget;
    auto* prompt = FromMsgArg<CStringPrompt>(context);
    if (key == kKeyEnter)
        return prompt->Hide(1, 1, kOkButton, 0);
    if (key == kKeyEscape)
        return prompt->Hide(1, 1, 0, 0);
    return kResOk;
}

tResult CStringPrompt::OnEditKey(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key)
{
    if (key == kKeyEnter || key == kKeyEscape)
        return OnRootKey(context, widget, takenBy, key);
    *takenBy = nullptr;
    return widget->OnKeyDown(takenBy, key);
}

tResult CStringPrompt::OnButtonHeartbeat(tMsgArg context, CWidget* widget)
{
    CWidget* root = FromMsgArg<CStringPrompt>(context)->m_root;
    StepPromptGlow(widget, root, widget->GetId() == kOkButton ? kOkGlow : kCancelGlow, kGlowLit);
    return kResOk;
}
