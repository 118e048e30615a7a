#pragma once

#include <cstdint>

#include "app/panels/PanelResources.h"
#include "app/shell/panes/CKS2Pane.h"
#include "toolkit/core/tCString.h"
#include "toolkit/widgets/CWidgetLayout.h"

class CKS2TextEdit;
class CTxEdWidget;

// The small modal pane that asks for one line of text: a title, an edit field, and cancel and OK
// buttons. Shown with a setup record as param1 and the object that wants the answer as owner;
// Enter or OK sends the owner 0xFF001030 (a = the prompt, b = a tCString* living for that call
// only). Esc and cancel send nothing.
class CStringPrompt : public CKS2Pane {
public:
    static constexpr uint32_t kRoot = kWgtTextPrompt;
    static constexpr uint32_t kTitle = kWgtTextPromptTitle;
    static constexpr uint32_t kField = kWgtTextPromptField;
    static constexpr uint32_t kOkButton = kWgtTextPromptOk;
    static constexpr uint32_t kCancelButton = kWgtTextPromptCancel;
    static constexpr int32_t kOkGlow = 1;
    static constexpr int32_t kCancelGlow = 2;
    static constexpr float kGlowLit = 80.0f;
    static constexpr int32_t kShortWidth = 240;
    static constexpr int32_t kMaxWidth = 400;
    static constexpr int32_t kHeight = 96;
    // Room beside the title and the field, and below a broken title.
    static constexpr int32_t kMargin = 20;
    static constexpr int32_t kBelowTitle = 76;

    // What a caller asks: the title (titleText when not empty, else string-table text titleId
    // unless it is -1), the place (-1 keeps the layout's), the text to start with and whether
    // only whole numbers are taken. Null texts are empty.
    class CStringPromptSetup : public tCBaseObject {
    public:
        CStringPromptSetup(int32_t titleId, int32_t x, int32_t y, const char16_t* initialText, uint32_t numericOnly,
                           const char16_t* titleText);

        int32_t titleId;
        int32_t x;
        int32_t y;
        tCString initialText;
        uint32_t numericOnly;
        tCString titleText;
    };

    CStringPrompt();
    ~CStringPrompt() override;
    CStringPrompt(const CStringPrompt&) = delete;
    CStringPrompt& operator=(const CStringPrompt&) = delete;

    tResult Build() override;
    tResult OnShow(uint32_t reserved, uint32_t redraw, tMsgArg setup, tMsgArg param2) override;
    tResult OnShown() override;
    tResult OnDismissed(tMsgArg result, tMsgArg flag) override;

    static tResult OnRootKey(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key);
    static tResult OnEditKey(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key);
    static tResult OnButtonHeartbeat(tMsgArg context, CWidget* widget);

    CKS2TextEdit* GetEditControl() const { return m_edit; }
    CTxEdWidget* GetEditWidget() const;

private:
    // The title text a setup asks for.
    static tCString TitleOf(const CStringPromptSetup& setup);
    tResult LayOut(const CStringPromptSetup& setup);
    void ResetGlows();
    void ClipGlows();

    CKS2TextEdit* m_edit = nullptr;
    CWidgetLayout m_layoutPlace;
};
