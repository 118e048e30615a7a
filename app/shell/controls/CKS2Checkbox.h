#pragma once

#include "app/shell/ShellResources.h"
#include "app/shell/controls/CKS2Control.h"

class CImWidget;

// A two-state box: its check mark (part 4101, image-list entry 1 checked, 0 clear) and its
// label (part 4105). A click reports the state it asks for; the pane decides and sets it.
class CKS2Checkbox : public CKS2Control {
public:
    static constexpr uint32_t kPartMark = kWgtCheckMark;
    static constexpr uint32_t kPartLabel = kWgtCheckLabel;

    CKS2Checkbox() : CKS2Control(kCheckbox) {}

    // 22 when the layout has no check mark.
    tResult Init(tMsgArg initArg) override;
    // 22 without a widget or check mark; 0 without redrawing when the state is already shown.
    tResult SetChecked(uint32_t checked, uint32_t redraw);
    // The state shown: 1 checked, 0 clear.
    uint32_t IsChecked() const;

    static tResult PressProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);

private:
    CImWidget* Mark() const;
};
