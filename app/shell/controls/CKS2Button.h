#pragma once

#include "app/shell/controls/CKS2Control.h"

class CTimeStep;

// The push button: any widget of a layout becomes clickable and reports press and click; a
// widget whose layout opacity is below 255 lights up while the pointer is over it, fading its
// opacity towards the highlight level.
class CKS2Button : public CKS2Control {
public:
    static constexpr float kDefaultHighlight = 240.0f;

    CKS2Button() : CKS2Control(kButton) {}

    tResult Init(tMsgArg initArg) override;
    tResult ResetHighlight() override;
    tResult SetHighlight(uint32_t on, uint32_t apply, uint32_t redraw) override;
    tResult ClearHighlight() override;
    tResult SetEnabled(uint32_t enable, uint32_t apply, uint32_t redraw) override;
    uint32_t IsEnabled() override;

    static tResult HoverHeartbeatProc(tMsgArg context, CWidget* widget);

    void SetHighlightLevel(float level) { m_highlightLevel = level; }
    void SetStepTime(float milliseconds) { m_stepTime = milliseconds; }
    void SetFollowRollover(uint32_t follow) { m_followRollover = follow; }
    float GetNormalLevel() const { return m_normalLevel; }
    float GetHighlightLevel() const { return m_highlightLevel; }

private:
    CTimeStep* LevelAnimator() const;
    tResult OnHoverTick();

    float m_normalLevel = 255.0f;
    float m_highlightLevel = kDefaultHighlight;
    float m_stepTime = 1.0f;
    uint32_t m_followRollover = 1;
};
