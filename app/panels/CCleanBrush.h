#pragma once

#include <cstdint>

#include "app/panels/PanelResources.h"
#include "app/shell/panes/CKS2Pane.h"

class CImage;
class CImWidget;
class CTimeStep;

// The small pane at the bottom edge that shows a brush loaded with the current colour; a press
// cleans the current tool's brush once (the tool reloads the current colour). It slides into
// view only while the current tool has the clean-brush option and its clean-brush switch (a
// reload after every stroke) is off, and slides out below the edge otherwise. It never changes
// side.
class CCleanBrush : public CKS2Pane {
public:
    static constexpr uint32_t kRoot = kWgtCleanBrush;
    static constexpr uint32_t kBrush = kWgtCleanBrushPicture;
    static constexpr uint32_t kPicture = kImgCleanBrushPicture;
    static constexpr uint32_t kMask = kImgCleanBrushMask;
    // The root's user object that slides it: its distance above the backdrop's bottom edge.
    static constexpr int32_t kAnimatorSlot = 7;
    static constexpr float kShownDistance = 5.0f;
    static constexpr float kHiddenDistance = -100.0f;
    static constexpr float kStartHidden = -90.0f;
    static constexpr int32_t kStartShown = 10;
    static constexpr float kStepTime = 1.0f;
    static constexpr uint32_t kStartColour = 0xFF87FFFE;
    // Each press moves the shown colour this share (of 256) of the way to the current colour.
    static constexpr uint32_t kColourShare = 80;
    static constexpr uint64_t kPressSound = 4;

    CCleanBrush();

    // The controller's failure, 22 without the brush widget, 24 without an image or animator.
    tResult Build() override;
    tResult HandleMessage(uint32_t message, tMsgArg sender, tMsgArg b, tMsgArg c, uint32_t apply) override;
    // Remembers the side and stays where it is.
    tResult OnSetSide(uint32_t side, uint32_t animate) override;

    // Shows `colour` on the brush, moved from the colour shown before; 22 without the brush or
    // its images, 6 when the mask cannot be viewed.
    tResult DrawBrush(uint32_t colour, uint32_t redraw);

    static tResult HeartbeatProc(tMsgArg context, CWidget* widget);
    static tResult PressProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);

    uint32_t IsWanted() const { return m_wanted; }
    uint32_t ToolHasOption() const { return m_toolHasOption; }
    uint32_t GetShownColour() const { return m_shownColour; }
    CTimeStep* GetAnimator() const;

private:
    tResult OnHeartbeat();
    tResult OnPress();
    void AskTool();

    uint32_t m_wanted = 0;
    uint32_t m_toolHasOption = 0;
    uint32_t m_cleanSide = 0;
    CImWidget* m_brush = nullptr;
    CImage* m_mask = nullptr;
    CImage* m_picture = nullptr;
    uint32_t m_shownColour = 0;
};
