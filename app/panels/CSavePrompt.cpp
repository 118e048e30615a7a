#include "app/panels/CSavePrompt.h"

#include <cstdint>

#include "app/panels/PromptButtons.h"
#include "app/shell/ShellResources.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/imaging/PixelTile.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/widgets/CImWidget.h"

namespace {

struct tAnswer {
    uint32_t button;
    int32_t glow;
    uint32_t message;
};

constexpr tAnswer kAnswers[] = {
    {CSavePrompt::kSaveButton, 1, kMsgSaveFirst},
    {CSavePrompt::kDoNotSaveButton, 2, kMsgDoNotSave},
    {CSavePrompt::kCancelButton, 3, kMsgCancelSave},
};

const tAnswer* AnswerOf(uint32_t button)
{
    for (const tAnswer& answer : kAnswers)
        if (answer.button == button)
            return &answer;
    return nullptr;
}

}  // namespace

CSavePrompt::CSavePrompt()
{
    m_rootId = int32_t(kRoot);
    m_rootKind = kRootImage;
    m_isModal = 1;
}

tResult CSavePrompt::Build()
{
    m_root->SetKeyDownProc(OnRootKey, ToMsgArg(this));
    auto* root = dynamic_cast<CImWidget*>(m_root);
    CImage* frame = GetPooledImage(kImgPanelFrame, nullptr, nullptr);
    if (!root || !frame)
        return kResCreateFailed;
    TK_TRY(root->DecompressImage());
    const tResult drawn = NineSliceBlit(root->GetImage(), frame, 1);
    root->CompressImage();
    TK_TRY(drawn);
    TK_TRY(root->RefreshEffects(0));
    const int32_t width = m_root->GetWidth();
    const int32_t height = m_root->GetHeight();
    for (const tAnswer& answer : kAnswers) {
        CWidget* button = m_root->FindWidgetById(answer.button);
        if (!button)
            return kResResourceNotFound;
        TK_TRY(HookPromptButton(button, OnButtonHeartbeat, OnButtonPress, ToMsgArg(this)));
        // Each glow lights its button's cell of the bottom row, the buttons standing side by
        // side: save at the left, cancel at the right, do-not-save between.
        const int32_t w = button->GetWidth();
        const int32_t top = height - button->GetHeight();
        const int32_t left = answer.button == kSaveButton ? 0 : answer.button == kDoNotSaveButton ? w : width - w;
        const int32_t right = answer.button == kSaveButton ? w : width - (answer.button == kDoNotSaveButton ? w : 0);
        ClipPromptGlow(m_root, answer.glow, {left, top, right, height}, 1);
    }
    return kResOk;
}

tResult CSavePrompt::OnShow(uint32_t, uint32_t, tMsgArg context, tMsgArg)
{
    m_context = int32_t(context);
    for (const tAnswer& answer : kAnswers)
        ResetPromptGlow(m_root->FindWidgetById(answer.button), m_root, answer.glow);
    PlayPromptSound(ToMsgArg(this), kSndPromptShown);
    return kResOk;
}

tResult CSavePrompt::OnDismissed(tMsgArg result, tMsgArg flag)
{
    // A hide that is not one of the three answers (a hide from elsewhere, a flagged result)
    // cancels: its result is no message the backdrop knows.
    const tAnswer* answer = flag == 0 && result <= UINT32_MAX ? AnswerOf(uint32_t(result)) : nullptr;
    const uint32_t message = answer ? answer->message : kMsgCancelSave;
    PlayPromptSound(ToMsgArg(this), kSndSavePromptAnswered);
    const auto context = tMsgArg(intptr_t(m_context));
    const tMsgArg extension = m_context < 0 ? ~tMsgArg(0) : 0;
    const tResult answered = SendToBackdrop(message, ToMsgArg(this), context, extension);
    return answered == kResOk || answered == kDismissHandled ? kDismissHandled : answered;
}

tResult CSavePrompt::OnRootKey(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key)
{
    *takenBy = widget;
    auto* prompt = FromMsgArg<CSavePrompt>(context);
    switch (key) {
    case kKeyEnter:
    case 'Y':
    case 'y': return prompt->Hide(0, 1, kSaveButton, 0);
    case 'N':
    case 'n': return prompt->Hide(0, 1, kDoNotSaveButton, 0);
    case kKeyEscape: return prompt->Hide(1, 1, kCancelButton, 0);
    default: return kResOk;
    }
}

tResult CSavePrompt::OnButtonPress(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint*)
{
    *takenBy = widget;
    if (!CapturePromptPress(widget))
        return kResOk;
    PlayPromptSound(context, kSndButtonReleased);
    const uint32_t id = widget->GetId();
    return FromMsgArg<CSavePrompt>(context)->Hide(id == kCancelButton ? 1 : 0, 1, id, 0);
}

tResult CSavePrompt::OnButtonHeartbeat(tMsgArg context, CWidget* widget)
{
    if (const tAnswer* answer = AnswerOf(widget->GetId()))
        StepPromptGlow(widget, FromMsgArg<CSavePrompt>(context)->m_root, answer->glow, kGlowLit);
    return kResOk;
}
