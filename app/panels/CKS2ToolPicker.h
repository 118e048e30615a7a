#pragma once

#include <cstdint>

#include "app/panels/PanelResources.h"
#include "app/shell/panes/CKS2Pane.h"
#include "toolkit/core/tCArray.h"

class CKS2Button;
class CProxyCanvas;
class CTxWidget;

// The pane in which the user picks the painting tool and its size: a row of tool buttons, a
// preview of the current tool painting a sample stroke, the size in percent and two size
// buttons. It keeps no tool state: the highlight, the preview and the size follow what the
// controller confirms. The size changes by dragging across the preview, by holding a size
// button, or by typing a percentage into the text prompt that a click on the preview opens.
class CKS2ToolPicker : public CKS2Pane {
public:
    static constexpr uint32_t kRoot = kWgtToolPicker;
    static constexpr uint32_t kHandle = kWgtToolPickerHandle;
    static constexpr uint32_t kFirstToolButton = kWgtToolButtonFirst;
    static constexpr int32_t kToolButtonCount = 12;
    static constexpr uint32_t kPreview = kWgtToolPreview;
    static constexpr uint32_t kSizeUp = kWgtToolSizeUp;
    static constexpr uint32_t kSizeDown = kWgtToolSizeDown;
    static constexpr uint32_t kSizeLabel = kWgtToolSizeLabel;
    // A preview press moving further than this is a drag; every 2 pixels of it are 0.04.
    static constexpr int32_t kDragSlack = 2;
    static constexpr int32_t kDragPixelsPerStep = 2;
    static constexpr float kDragStep = 0.04f;
    static constexpr float kButtonStep = 0.01f;
    // A held size button: the second step after kFirstDelay ms, the next ones kDelayDrop ms
    // sooner each time, from kSecondInterval down to 0 (a step on every pass).
    static constexpr float kFirstDelay = 340.0f;
    static constexpr float kSecondInterval = 260.0f;
    static constexpr float kDelayDrop = 20.0f;
    // A typed size is a whole percentage up to this.
    static constexpr int32_t kMaxTypedPercent = 500;

    CKS2ToolPicker();
    ~CKS2ToolPicker() override;
    CKS2ToolPicker(const CKS2ToolPicker&) = delete;
    CKS2ToolPicker& operator=(const CKS2ToolPicker&) = delete;

    // 22 when a widget of the layout is missing, 24 when memory fails, or the preview canvas's
    // failure.
    tResult Build() override;
    tResult HandleMessage(uint32_t message, tMsgArg sender, tMsgArg b, tMsgArg c, uint32_t apply) override;

    // The tool of a button place, -1 for a place without one; and the place of a tool, -1 for a
    // tool without a button.
    static int32_t ToolIdForButton(int32_t index);
    static int32_t ButtonForToolId(int32_t toolId);

    tResult ShowCurrentTool(int32_t toolId, uint32_t present);
    // 22 without the preview canvas or its widget.
    tResult RedrawPreview(uint32_t present);
    // A size of exactly -1 asks the controller for it.
    tResult ShowSize(float size, uint32_t redraw);
    tResult UpdateSizeControls();

    // The tool buttons in place order, then size up and size down.
    const tCArray<CKS2Button*>& GetButtons() const { return m_buttons; }
    CKS2Button* GetPreviewButton() const { return m_previewButtons.IsEmpty() ? nullptr : m_previewButtons[0]; }
    CProxyCanvas* GetPreviewCanvas() const { return m_previewCanvas; }
    CWidget* GetPreviewWidget() const { return m_previewWidget; }
    CTxWidget* GetSizeLabel() const { return m_sizeLabel; }

private:
    tResult AttachButton(uint32_t id, tCArray<CKS2Button*>* list, bool keepFailure);
    tResult MakePreviewCanvas();
    tResult OnToolPicked(uint32_t message, tMsgArg sender, tMsgArg b, tMsgArg c, uint32_t apply);
    tResult OnToolButtonClicked(const CKS2Button* sender);
    tResult OnButtonPressed(const CKS2Button* sender);
    tResult TrackPreviewPress();
    tResult OpenSizePrompt(float size);
    tResult StepSizeWhileHeld(float step, CWidget* widget);
    tResult TakeTypedSize(const tCString& text);
    tResult QuerySize(float* size);
    tResult SendSize(float size);
    bool IsSizeButton(const CKS2Button* button) const;
    bool IsToolButton(const CKS2Button* button) const;

    tCArray<CKS2Button*> m_buttons{tCArray<CKS2Button*>::kAutoGrowth};
    tCArray<CKS2Button*> m_previewButtons{tCArray<CKS2Button*>::kAutoGrowth};
    CProxyCanvas* m_previewCanvas = nullptr;
    CWidget* m_previewWidget = nullptr;
    CTxWidget* m_sizeLabel = nullptr;
};
