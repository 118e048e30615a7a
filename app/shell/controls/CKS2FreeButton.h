#pragma once

#include "app/shell/controls/CKS2Control.h"
#include "toolkit/core/tCString.h"

class CImWidget;
class CTimeStep;
class CTxWidget;

// A labelled button whose face is drawn in code: the normal and the highlighted frame images,
// stretched in nine slices to the widget's size, cross-fade by a level that follows the pointer.
// The widget grows to fit its label, never shrinks for it.
class CKS2FreeButton : public CKS2Control {
public:
    static constexpr uint32_t kNormalFrame = 4121;
    static constexpr uint32_t kHighlightFrame = 4122;
    static constexpr uint32_t kPartLabel = 4123;
    // Room around the label: the widget is at least this much wider than its label.
    static constexpr int32_t kLabelMargin = 20;
    static constexpr float kStepSize = 0.1f;
    static constexpr uint32_t kEnabledOpacity = 255;
    static constexpr uint32_t kDisabledOpacity = 128;
    // User value 7 holds the last level drawn, times this scale.
    static constexpr int32_t kDrawnLevelSlot = 7;
    static constexpr float kDrawnLevelScale = 65000.0f;

    CKS2FreeButton() : CKS2Control(kFreeButton) {}

    // 22 without the label part or the frame images, 24 without memory.
    tResult Init(tMsgArg initArg) override;
    // Builds the two frames at the widget's size and shows the normal one.
    tResult BuildLook(uint32_t redraw) override;
    tResult ResetHighlight() override;
    tResult Relayout(uint32_t redraw) override { return BuildLook(redraw); }
    tResult SetHighlight(uint32_t on, uint32_t apply, uint32_t redraw) override;
    tResult ClearHighlight() override;
    tResult SetEnabled(uint32_t enable, uint32_t apply, uint32_t redraw) override;
    uint32_t IsEnabled() override;

    // 6 without a widget, 22 without the label part.
    tResult SetLabel(const tCString& text, uint32_t redraw);
    CTxWidget* GetLabel() const;

    static tResult HoverHeartbeatProc(tMsgArg context, CWidget* widget);

    float GetStepTime() const { return m_stepTime; }

private:
    CImWidget* Face() const;
    CTimeStep* LevelAnimator() const;
    tResult OnHoverTick();
    tResult ShowLevel(float level, uint32_t present);
    // Widens the widget to the label plus its margin; answers whether it changed.
    bool FitLabel(CTxWidget* label);

    float m_normalLevel = 0.0f;
    float m_highlightLevel = 1.0f;
    float m_stepTime = 25.0f;
};
