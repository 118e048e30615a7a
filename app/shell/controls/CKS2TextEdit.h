#pragma once

#include "app/shell/ShellResources.h"
#include "app/shell/controls/CKS2Control.h"

class CTxEdWidget;

// A framed one-line text field: the edit part 4131 does the editing; the control draws the
// frame image 4132 over the widget's own image and places the text. It sends no messages;
// panes talk to the edit part.
class CKS2TextEdit : public CKS2Control {
public:
    static constexpr uint32_t kPartEdit = kWgtFieldEdit;
    static constexpr uint32_t kFrameImage = kImgFieldFrame;
    // The text variant whose font sits lower in the field.
    static constexpr uint32_t kLowTextVariant = 0xB2D05E38;

    CKS2TextEdit() : CKS2Control(kTextEdit) {}

    tResult Init(tMsgArg initArg) override;
    // 22 when the frame image is missing; a widget without an image gets no frame.
    tResult BuildLook(uint32_t redraw) override;
    // (1, 1) integers only, (1, 0) numbers with decimals, (0, x) any text.
    void SetNumericInput(uint32_t numericOnly, uint32_t integersOnly);
    CTxEdWidget* GetEditWidget() const;
};
