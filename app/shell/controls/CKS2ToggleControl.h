#pragma once

#include "app/shell/controls/CKS2Control.h"

class CKS2FreeButton;
class CTxWidget;

// An on-off switch: a title and a free button whose label shows one of the two texts of a text
// list. A click flips it and reports the new value, 0.0 or 1.0, which lives only in the label's
// text-list index.
class CKS2ToggleControl : public CKS2Control {
public:
    static constexpr uint32_t kPartTitle = 4161;
    static constexpr uint32_t kPartSwitch = 4162;
    static constexpr uint32_t kStateTexts = 4163;
    static constexpr int32_t kTitleMargin = 10;
    static constexpr int32_t kMinWidth = 54;

    CKS2ToggleControl() : CKS2Control(kToggleControl) {}
    ~CKS2ToggleControl() override;

    // initArg: a pointer to the u32 string-table id of the title, or 0. 22 without the title or
    // the switch part, 24 when the inner button or the texts cannot be made.
    tResult Init(tMsgArg initArg) override;
    tResult Relayout(uint32_t redraw) override;
    tResult SetEnabled(uint32_t enable, uint32_t apply, uint32_t redraw) override;
    uint32_t IsEnabled() override;
    tResult HandleMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override;

    CKS2FreeButton* GetInnerButton() const { return m_inner; }

private:
    CTxWidget* StateLabel() const;

    CKS2FreeButton* m_inner = nullptr;
};
