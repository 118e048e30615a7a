#pragma once

#include <cstdint>

#include "app/panels/PanelResources.h"
#include "app/shell/panes/CKS2Pane.h"

// The answers of the save prompt, sent to the backdrop with a = the prompt, b = the context the
// prompt was shown with and c = its sign extension.
inline constexpr uint32_t kMsgSaveFirst = 0xFF00001D;
inline constexpr uint32_t kMsgDoNotSave = 0xFF00001E;
inline constexpr uint32_t kMsgCancelSave = 0xFF00001F;

// The modal pane that asks whether to save the painting before an action would discard it:
// save, do not save, or cancel. The backdrop shows it with the pending action's context as
// param1 and carries the action out (or drops it) when the answer comes back.
class CSavePrompt : public CKS2Pane {
public:
    static constexpr uint32_t kRoot = kWgtSavePrompt;
    static constexpr uint32_t kSaveButton = kWgtSavePromptSave;
    static constexpr uint32_t kDoNotSaveButton = kWgtSavePromptDoNotSave;
    static constexpr uint32_t kCancelButton = kWgtSavePromptCancel;
    static constexpr float kGlowLit = 50.0f;
    // The contexts the backdrop shows the prompt with.
    enum : int32_t { kContextQuit = 0, kContextOpen = 1, kContextNewPainting = 2, kContextImport = 3 };

    CSavePrompt();

    tResult Build() override;
    tResult OnShow(uint32_t reserved, uint32_t redraw, tMsgArg context, tMsgArg param2) override;
    tResult OnDismissed(tMsgArg result, tMsgArg flag) override;

    static tResult OnRootKey(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key);
    static tResult OnButtonPress(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);
    static tResult OnButtonHeartbeat(tMsgArg context, CWidget* widget);

    int32_t GetContext() const { return m_context; }

private:
    int32_t m_context = -1;
};
