#include "app/shell/BackboneMessages.h"
#include "app/shell/CHMRBackdrop.h"
#include "app/shell/IPanelMaker.h"
#include "app/shell/panes/CKS2Pane.h"
#include "app/shell/panes/CKS2PopupManager.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CWindowBase.h"

namespace {

constexpr int32_t kKeyCtrlQ = 17;
constexpr int32_t kKeyF4 = kKeyF1 + 3;

void QuitApplication()
{
    if (CAppBase* app = GetApplication())
        app->Quit();
}

}  // namespace

tResult CHMRBackdrop::OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply)
{
    bool handled = false;
    const tResult answer = AnswerSavePrompt(message, b, c, &handled);
    if (handled)
        return answer;
    if (message == CHMRSound::kMsgPlaySound)
        return m_sounds.OnMessage(message, a, b, c, apply);
    if (message == kMsgProjectChanged)
        (void)UpdateWindowTitle();
    bool passOn = true;
    const tResult paneAnswer = AnswerPaneMessage(message, b, apply, &passOn);
    if (!passOn)
        return paneAnswer;
    PassOn(message, a, b, c, apply);
    return kResOk;
}

tResult CHMRBackdrop::AnswerSavePrompt(uint32_t message, tMsgArg b, tMsgArg c, bool* handled)
{
    *handled = true;
    switch (message) {
    case kMsgAskToSave:
        return AskToSave(b, c);
    case kMsgSaveThenAct:
        return SaveThenFollowUp(uint32_t(b));
    case kMsgDiscardThenAct:
        if (b == kFollowQuit) {
            uint32_t notModified = 0;
            TK_TRY(SendToBackbone(kMsgModifiedWord, ToMsgArg(this), ToMsgArg(&notModified), 0));
        }
        return FollowUp(uint32_t(b), true);
    case kMsgSaveCancelled:
        DropPendingAction();
        return kResOk;
    default:
        *handled = false;
        return kResOk;
    }
}

tResult CHMRBackdrop::AskToSave(tMsgArg action, tMsgArg c)
{
    uint32_t modified = 0;
    TK_TRY(QueryModified(&modified));
    CKS2Pane* prompt = FindPane(kPaneSavePrompt);
    const tResult shown = prompt ? prompt->Show(1, 1, action, c, nullptr) : kResResourceNotFound;
    // Without the question nothing may wait for its answer.
    if (shown != kResOk)
        DropPendingAction();
    return shown;
}

tResult CHMRBackdrop::SaveThenFollowUp(uint32_t action)
{
    const tResult saved = SaveProject(false);
    if (saved != kResOk) {
        DropPendingAction();
        return saved;
    }
    uint32_t modified = 0;
    TK_TRY(QueryModified(&modified));
    if (modified)
        return AskToSave(action, 0);
    return FollowUp(action, false);
}

void CHMRBackdrop::DropPendingAction()
{
    m_pendingFile.Clear();
    m_pendingCommand = 0;
}

tResult CHMRBackdrop::QueryModified(uint32_t* modified)
{
    return QueryBackbone(kMsgModifiedWord, ToMsgArg(this), ToMsgArg(modified), 0);
}

tResult CHMRBackdrop::FollowUp(uint32_t action, bool discard)
{
    switch (action) {
    case kFollowQuit:
        QuitApplication();
        return kResOk;
    case kFollowOpen:
        return OpenProject(nullptr, discard);
    case kFollowNewPainting:
        return NewPainting(discard ? 1 : 0);
    case kFollowNewFromImage:
        return NewPaintingFromImage(discard);
    default:
        return kResOk;
    }
}

void CHMRBackdrop::PassOn(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply)
{
    for (uint32_t rootId : kPassOnOrder) {
        if (rootId == kPanePopups && m_popupManager)
            (void)m_popupManager->OnMessage(message, a, b, c, apply);
        else if (CKS2Pane* pane = FindPane(rootId))
            (void)pane->OnMessage(message, a, b, c, apply);
    }
    (void)m_cursorManager.OnMessage(message, a, b, c, apply);
}

tResult CHMRBackdrop::OnKeyDown(CWidget** takenBy, uint32_t key)
{
    *takenBy = this;
    CAppBase* app = GetApplication();
    const int32_t code = int32_t(key);
    if (app && code == kKeyCtrlQ && app->IsControlDown() && !app->IsAltDown()) {
        app->Quit();
        return kResOk;
    }
    if (app && code == kKeyF4 && app->IsAltDown()) {
        app->Quit();
        return kResOk;
    }
    return OnShortcutKey(takenBy, code);
}
