#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/core/tCString.h"

class CCanvasInfo;
class CImage;
class CImage8;
class CImNav;
class CKS2Control;
class CProxyCanvas;
class CWidget;

// The texture a pane shows when the paper's own cannot be had (a layer's grain); not owned.
class IPaperGrainFallback {
public:
    virtual const CImage8* GetFallbackGrain() = 0;

protected:
    ~IPaperGrainFallback() = default;
};

// The paper settings of the full-window paper panes: the framed panel 100750 with its paper
// colour and paper texture buttons, their centred labels and four dials (grain depth, grain
// scale, paper opacity, paper extra), and the live preview of the paper with a crayon stroke.
// Every control edits the pane's working canvas info (not owned) and nothing else; the panel
// owns its controls and its preview canvas.
class CPaperPanel {
public:
    static constexpr uint32_t kPanel = 100750;
    static constexpr uint32_t kGrainDepthDial = 100751;
    static constexpr uint32_t kGrainScaleDial = 100752;
    static constexpr uint32_t kOpacityDial = 100753;
    static constexpr uint32_t kExtraDial = 100754;
    static constexpr uint32_t kColourButton = 100755;
    static constexpr uint32_t kColourLabel = 100756;
    static constexpr uint32_t kTextureButton = 100757;
    static constexpr uint32_t kTextureLabel = 100758;
    // The preview's crayon stroke starts this far right of the preview's middle, in this colour.
    static constexpr int32_t kCrayonOffset = 20;
    static constexpr uint32_t kCrayonColour = 0xFF6060FF;
    // The paper colour and texture answers of the floating colour and the grain picker (b = the
    // packed colour, or a pointer to the texture's name).
    static constexpr uint32_t kMsgPaperColour = 0xFF001032;
    static constexpr uint32_t kMsgPaperTexture = 0xFF001033;

    CPaperPanel() = default;
    ~CPaperPanel();
    CPaperPanel(const CPaperPanel&) = delete;
    CPaperPanel& operator=(const CPaperPanel&) = delete;

    // Frames the panel, attaches the buttons (one that cannot be attached is left out) and the
    // dials to `pane`, and centres the labels under their buttons; 22 without the panel, a
    // button or a dial widget, 24 when a dial cannot be made, 12 when the panel already holds
    // six controls (built before).
    tResult Build(CWidget* root, CImage* frame, tCCmdTarget* pane);
    void SetInfo(CCanvasInfo* info) { m_info = info; }
    CCanvasInfo* GetInfo() const { return m_info; }
    void SetGrainFallback(IPaperGrainFallback* fallback) { m_fallback = fallback; }

    // A new preview canvas as large as `preview` (null: no preview); 24 or the set-up's failure.
    tResult MakePreview(CWidget* preview);
    void DropPreview();
    CProxyCanvas* GetPreviewCanvas() const { return m_previewCanvas; }

    // The dials, the colour swatch, the texture swatch and the preview take the info's values;
    // 6 without an info, else the texture swatch's failure.
    tResult Sync(uint32_t redraw);
    // Takes the pane's control messages: a dial's new value (from the panel's own dials only),
    // the chosen colour and texture. True when the message was the panel's.
    bool HandleMessage(uint32_t message, tMsgArg a, tMsgArg b);

    tResult OnValueChanged(const CKS2Control* control, float value);
    void SetPaperColour(uint32_t colour, uint32_t redraw);
    // 6 without an info.
    tResult SetPaperTexture(const tCString& name);
    // The texture swatch shows the paper texture tiled from its corner as grey, keeping the
    // swatch's own shape; without a texture the fallback grain, else white.
    tResult RedrawTextureSwatch(uint32_t redraw);
    // The info's paper on the preview canvas with the crayon stroke, drawn into the preview.
    tResult RedrawPreview(uint32_t redraw);
    // Opens the grain picker beside the texture button, answering `owner`; 0 when the program
    // has no grain picker.
    tResult OpenGrainPicker(tCCmdTarget* owner);

    CWidget* GetPanel() const { return m_panel; }
    CKS2Control* FindControl(uint32_t id) const;
    bool Owns(const CKS2Control* control) const;
    // The opacity a dial's value stores: value x 255 to the nearest whole number.
    static int32_t OpacityFromDial(float value);

private:
    tResult AttachButton(uint32_t id, uint32_t labelId, tCCmdTarget* pane);
    tResult AttachDial(uint32_t id, tCCmdTarget* pane);
    // The texture's grey tiled into the swatch, else the grain's, else white.
    tResult PaintSwatch(CImNav& swatch, CImage* texture, const CImage8* grain);

    static constexpr int32_t kMaxControls = 6;

    CWidget* m_root = nullptr;
    CWidget* m_panel = nullptr;
    CCanvasInfo* m_info = nullptr;
    IPaperGrainFallback* m_fallback = nullptr;
    CKS2Control* m_controls[kMaxControls] = {};
    int32_t m_controlCount = 0;
    CWidget* m_preview = nullptr;
    CProxyCanvas* m_previewCanvas = nullptr;
};
