#pragma once

#include <cstdint>

#include "app/panels/PanelResources.h"
#include "app/shell/panes/CKS2Pane.h"
#include "paint/tools/ToolMessages.h"
#include "toolkit/core/tCArray.h"

class CImage;
class CKS2Control;
class CWidget;

// The pane of the current tool's settings: one control per property of the tool (a dial for a
// value, a switch for an on-off property, a push button for an action), stacked top to bottom
// and rebuilt whenever a tool is picked or reset. It sizes itself around its controls, paints
// its own background and hides itself for a tool without properties. Every change goes straight
// to the tool through the controller. It sits at the left edge; its handle slides it out of
// the way, and dragging the handle moves it up and down above the tool picker.
class CKS2ToolControls : public CKS2Pane {
public:
    static constexpr uint32_t kRoot = kWgtToolSettings;
    static constexpr uint32_t kHandle = kWgtToolSettingsHandle;
    static constexpr uint32_t kCapImage = kImgToolSettingsCap;
    static constexpr uint32_t kBaseImage = kImgToolSettingsBase;
    // Property kinds and the templates of their controls.
    enum : uint32_t { kKindValue = 0, kKindSwitch = 2, kKindAction = 3 };
    static constexpr uint32_t kDialTemplate = kWgtDial;
    static constexpr uint32_t kSwitchTemplate = kWgtSwitch;
    static constexpr uint32_t kButtonTemplate = kWgtFreeButton;
    // Right edges from the pane's right edge: dials and switches, and action buttons.
    static constexpr float kControlRight = 19.0f;
    static constexpr float kActionRight = 24.0f;
    static constexpr int32_t kTop = 4;
    static constexpr int32_t kGap = 5;
    // An action button is this much narrower than the others and starts this much lower.
    static constexpr int32_t kActionInset = 10;
    static constexpr int32_t kMinWidth = 82;
    static constexpr int32_t kMinHeight = 92;
    static constexpr int32_t kBottomMargin = 8;
    static constexpr int32_t kSideMargin = 25;
    // The part of the pane that stays on screen when it is tucked away.
    static constexpr int32_t kTuckedShow = 12;
    static constexpr int32_t kDragSlack = 4;

    CKS2ToolControls();
    ~CKS2ToolControls() override;
    CKS2ToolControls(const CKS2ToolControls&) = delete;
    CKS2ToolControls& operator=(const CKS2ToolControls&) = delete;

    // 24 when a background image is missing.
    tResult Build() override;
    tResult HandleMessage(uint32_t message, tMsgArg sender, tMsgArg b, tMsgArg c, uint32_t apply) override;
    // Non-zero exactly while the pane holds a control.
    uint32_t CanRestore() override { return m_controls.IsEmpty() ? 0 : 1; }
    // Between the window's top and the tool picker.
    int32_t ReachableTop(int32_t top) const override;

    // Replaces the controls by those of the current tool's properties.
    tResult RebuildControls();
    tResult FitPaneToControls();
    // 22 without the root or an image.
    tResult RenderBackground();
    // After the backdrop was resized from `previous` (width, height).
    tResult KeepRelativeHeight(int32_t previousWidth, int32_t previousHeight);
    tResult ShowPropertyValue(const ToolPropertyValue& value);

    static tResult OnHandlePressed(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);

    const tCArray<CKS2Control*>& GetControls() const { return m_controls; }
    const tCFPoint& GetTuckedPosition() const { return m_side1Pos; }

private:
    // The widget of the new control, or null when none could be made.
    CWidget* CreatePropertyControl(uint32_t kind, uint32_t textId);
    tResult ClearControls();
    // The control of this pane that sent a message, or null for any other sender.
    const CKS2Control* FindControl(tMsgArg sender) const;
    tResult TrackHandle(CWidget* handle);
    void ReportFailure(tResult code);

    CImage* m_capImage = nullptr;
    CImage* m_baseImage = nullptr;
    tCArray<CKS2Control*> m_controls{tCArray<CKS2Control*>::kAutoGrowth};
};

// The height of the tool picker's root, which the tool settings and other left-hand panes keep
// clear of; 0 while there is none.
int32_t ToolPickerHeight();
