#pragma once

#include <cstdint>

#include "app/panels/CConfirmBar.h"
#include "app/panels/CPaperPanel.h"
#include "app/panels/CPresetGrid.h"
#include "app/shell/IPanelMaker.h"
#include "app/shell/panes/CKS2Pane.h"

class CCanvasInfo;
class CKS2Control;

// The message to the owner of the paper controls after a confirm: a = the pane, b = the layer
// index sign-extended to 64 bits, c = its high word.
inline constexpr uint32_t kMsgPaperApplied = 0xFF001034;

// The modal full-window pane in which the user edits the paper of one layer: its colour, grain
// texture, grain depth and scale, paper opacity and further-channel base, over a live preview,
// and picks, saves or deletes canvas presets. Nothing reaches the painting until the confirm
// bar's right half (or Enter) sends the whole set of values to the layer in one message.
class CKS2PaperControls : public CKS2Pane, public IConfirmBarOwner, public IPaperGrainFallback {
public:
    static constexpr uint32_t kRoot = kPanePaper;
    static constexpr int32_t kGap = 10;
    // The preset panel is rows x 108 + 153 high, its rows what the window leaves after the other
    // panels and 283 pixels more; at least one.
    static constexpr int32_t kPresetPanelExtra = 153;
    static constexpr int32_t kWindowReserve = 283;

    CKS2PaperControls();
    ~CKS2PaperControls() override;

    tResult Build() override;
    tResult HandleMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override;
    // param1: the layer index's low word (negative: the current layer); param2: its high word.
    tResult OnShow(uint32_t reserved, uint32_t redraw, tMsgArg param1, tMsgArg param2) override;
    tResult OnHide(uint32_t transition, uint32_t redraw, tMsgArg result, tMsgArg flag) override;
    // The right half applies and hides, the left half hides; a refused apply is shown in the
    // error box once the pane is hidden.
    tResult OnConfirmBar(bool apply) override;
    // The layer's own grain, shown when the paper's texture cannot be had.
    const CImage8* GetFallbackGrain() override;

    // Sends the working settings to the layer, then marks the painting modified and tells the
    // owner; the controller's refusal is the answer, with nothing else done. Settings that give
    // the layer the paper it has are neither sent nor marked; the owner is told all the same.
    tResult ApplySettings(uint32_t present);
    // The number of preset rows a root of that height holds beside panels of those heights.
    static int32_t PresetRows(int32_t rootHeight, int32_t settingsHeight, int32_t barHeight);

    static tResult OnRootKeyDown(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key);

    CCanvasInfo* GetCanvasInfo() const { return m_info; }
    int32_t GetLayerIndex() const { return m_layerIndex; }
    CPaperPanel& GetPaperPanel() { return m_paper; }
    CPresetGrid& GetPresetGrid() { return m_presets; }
    CConfirmBar& GetConfirmBar() { return m_bar; }
    CKS2Control* FindControl(uint32_t id) const;

private:
    void ResetHighlights();
    void TakeSnapshot();
    tResult StackPanels(CImage* frame);
    tResult OnClicked(CKS2Control* control);
    bool OwnsControl(tMsgArg a) const;
    // Whether the layer has the paper of the working settings already.
    bool LayerHasSettings();
    // The layer index as the second and third argument of a layer message.
    tMsgArg LayerArg() const { return tMsgArg(intptr_t(m_layerIndex)); }
    tMsgArg LayerHighWord() const { return m_layerIndex < 0 ? ~tMsgArg(0) : 0; }

    CCanvasInfo* m_info = nullptr;
    int32_t m_layerIndex = -1;
    CPaperPanel m_paper;
    CPresetGrid m_presets;
    CConfirmBar m_bar;
};
