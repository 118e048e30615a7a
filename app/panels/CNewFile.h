#pragma once

#include <cstdint>

#include "app/panels/CConfirmBar.h"
#include "app/panels/CPaperPanel.h"
#include "app/panels/CPresetGrid.h"
#include "app/shell/panes/CKS2Pane.h"
#include "toolkit/core/tCArray.h"

class CCanvasInfo;
class CKS2Control;
class CKS2TextEdit;
class CTxEdWidget;
class tCFRef;

// The modal pane in which the user makes a new painting. It covers the window with a blurred
// picture of the screen and stacks, in its middle, the size of the painting, an optional
// tracing image, the canvas presets with a live preview (only in windows at least 725 pixels
// high), the paper settings and a confirm bar whose left half cancels and right half creates
// the painting. Enter creates, Esc cancels.
class CNewFile : public CKS2Pane, public IConfirmBarOwner {
public:
    static constexpr uint32_t kRoot = 2000;
    static constexpr uint32_t kSizePanel = 2100;
    static constexpr uint32_t kWidthField = 2105;
    static constexpr uint32_t kHeightField = 2106;
    static constexpr uint32_t kWindowSizeButton = 2107;
    static constexpr uint32_t kImageSizeButton = 2108;
    static constexpr uint32_t kWidthLabel = 2110;
    static constexpr uint32_t kHeightLabel = 2111;
    static constexpr uint32_t kTracingPanel = 2200;
    static constexpr uint32_t kTracingButton = 2205;
    static constexpr uint32_t kTracingText = 2206;
    static constexpr int32_t kPresetPanelHeight = 367;
    static constexpr int32_t kPresetsFromHeight = 725;
    static constexpr int32_t kGap = 10;
    static constexpr int32_t kSmallestSide = 50;
    static constexpr int32_t kLargestSide = 32000;
    static constexpr uint32_t kTracingShown = 160;
    static constexpr uint32_t kTracingNoneShown = 80;
    static constexpr char16_t kStartTexture[] = u"PP_FinePaper";
    static constexpr tResult kColourOpened = 3;

    CNewFile();
    ~CNewFile() override;

    tResult Build() override;
    tResult HandleMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override;
    tResult OnShow(uint32_t transition, uint32_t redraw, tMsgArg param1, tMsgArg param2) override;
    tResult OnHide(uint32_t transition, uint32_t redraw, tMsgArg result, tMsgArg flag) override;
    tResult OnConfirmBar(bool apply) override;

    // Sends the new painting to the controller and hides the pane; nothing (6) while a size
    // field holds no whole number, the controller's refusal shown and the pane kept.
    tResult CreatePainting();
    // Puts the modified flag back as it was at the show and hides the pane.
    tResult Cancel();
    // The size field's text held to 50..32000, rewritten when it was outside.
    void CheckSizeField(CKS2TextEdit* field);

    static tResult OnRootKeyDown(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key);
    static tResult OnRootMessage(tMsgArg context, CWidget* widget, uint32_t message, tMsgArg a, tMsgArg b);
    static tResult OnSizeFieldKeyDown(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key);
    static tResult OnSizeFieldPress(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);

    CCanvasInfo* GetCanvasInfo() const { return m_info; }
    CPaperPanel& GetPaperPanel() { return m_paper; }
    CPresetGrid& GetPresetGrid() { return m_presets; }
    CConfirmBar& GetConfirmBar() { return m_bar; }
    CKS2TextEdit* GetWidthEdit() const { return m_widthEdit; }
    CKS2TextEdit* GetHeightEdit() const { return m_heightEdit; }
    const tCFRef* GetTracingImagePath() const { return m_tracingPath; }
    int32_t GetTracingImageWidth() const { return m_tracingWidth; }
    int32_t GetTracingImageHeight() const { return m_tracingHeight; }
    CKS2Control* FindControl(uint32_t id) const;
    // Whether a message's sender is one of the pane's controls.
    bool OwnsControl(tMsgArg a) const;

    // A size as a field holds it, within 50..32000.
    static int32_t ClampSide(int32_t side);

private:
    tResult BuildSizeControls();
    tResult BuildTraceControls();
    tResult AttachFreeButton(CWidget* widget);
    tResult AttachSizeField(uint32_t id, uint32_t labelId, CKS2TextEdit** edit);
    // Writes a width and a height into the size fields.
    void ShowSize(int32_t width, int32_t height);
    void TakeSnapshot();
    void StackPanels();
    tResult OnClicked(CKS2Control* control);
    // A press on the paper colour button opens the floating colour: 3.
    tResult OnColourPressed(const CKS2Control* control);
    tResult ShowTracingImage(uint32_t redraw);
    tResult ChooseTracingImage();
    void RemoveTracingImage();
    CKS2TextEdit* OtherField(const CWidget* editPart) const;

    CWidget* m_sizePanel = nullptr;
    CWidget* m_tracingPanel = nullptr;
    tCFRef* m_tracingPath = nullptr;
    int32_t m_tracingWidth = -1;
    int32_t m_tracingHeight = -1;
    CCanvasInfo* m_info = nullptr;
    tCArray<CKS2Control*> m_controls{tCArray<CKS2Control*>::kAutoGrowth};
    CKS2TextEdit* m_widthEdit = nullptr;
    CKS2TextEdit* m_heightEdit = nullptr;
    CPaperPanel m_paper;
    CPresetGrid m_presets;
    CConfirmBar m_bar;
};
