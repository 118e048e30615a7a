#include "app/panels/CPaperPanel.h"

#include <cmath>
#include <memory>
#include <new>

#include "app/panels/PanelFrame.h"
#include "app/shell/CHMRBackdrop.h"
#include "app/shell/IPanelMaker.h"
#include "app/shell/controls/CKS2Button.h"
#include "app/shell/controls/CKS2RadialControl.h"
#include "app/shell/panes/CKS2Pane.h"
#include "app/shell/panes/IPaneHost.h"
#include "paint/engine/CCanvasInfo.h"
#include "paint/engine/CLayer.h"
#include "paint/engine/CProxyCanvas.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/widgets/CCoWidget.h"
#include "toolkit/widgets/CImWidget.h"

namespace {

constexpr uint32_t kWhite = 0x00FFFFFF;

CImWidget* FirstImageChild(CWidget* widget)
{
    return widget && widget->GetChildCount() > 0 ? dynamic_cast<CImWidget*>(widget->GetChild(0)) : nullptr;
}

// The label's x so that it stands centred on the button.
void CentreUnder(CWidget* label, CWidget* button)
{
    if (!label)
        return;
    const tCRect& rect = button->GetRect();
    label->SetXPosition((rect.left + rect.right) / 2 - label->GetWidth() / 2, 0);
}

// The swatch's colour channels become grey(x, y) of a texture of width x height tiled from its
// top-left corner; the swatch's alpha, its shape, stays. Only the swatch's own pixels are read
// from the texture: a grain of any size is drawn without a copy of it.
template <typename Grey>
void TileGreyIntoSwatch(CImNav& swatch, int32_t width, int32_t height, Grey grey)
{
    for (int32_t y = 0; y < swatch.GetHeight(); ++y) {
        CPixel* row = swatch.Pixels(y);
        for (int32_t x = 0; x < swatch.GetWidth(); ++x)
            row[x] = (row[x] & 0xFF000000) | uint32_t(grey(x % width, y % height)) * 0x010101;
    }
}

}  // namespace

CPaperPanel::~CPaperPanel()
{
    for (int32_t i = 0; i < m_controlCount; ++i)
        delete m_controls[i];
    delete m_previewCanvas;
}

tResult CPaperPanel::Build(CWidget* root, CImage* frame, tCCmdTarget* pane)
{
    m_root = root;
    m_panel = root ? root->FindWidgetById(kPanel) : nullptr;
    if (!m_panel)
        return kResResourceNotFound;
    TK_TRY(FramePanel(m_panel, frame));
    TK_TRY(AttachButton(kColourButton, kColourLabel, pane));
    TK_TRY(AttachButton(kTextureButton, kTextureLabel, pane));
    for (uint32_t id : {kGrainDepthDial, kGrainScaleDial, kOpacityDial, kExtraDial})
        TK_TRY(AttachDial(id, pane));
    return kResOk;
}

tResult CPaperPanel::AttachButton(uint32_t id, uint32_t labelId, tCCmdTarget* pane)
{
    CWidget* widget = m_panel->FindWidgetById(id);
    if (!widget)
        return kResResourceNotFound;
    if (m_controlCount == kMaxControls)
        return kResOutOfRange;
    auto* button = new (std::nothrow) CKS2Button;
    if (button && button->Attach(widget, pane, 0, int32_t(id)) == kResOk)
        m_controls[m_controlCount++] = button;
    else
        delete button;
    CentreUnder(m_panel->FindWidgetById(labelId), widget);
    return kResOk;
}

tResult CPaperPanel::AttachDial(uint32_t id, tCCmdTarget* pane)
{
    CWidget* widget = m_panel->FindWidgetById(id);
    if (!widget)
        return kResResourceNotFound;
    if (m_controlCount == kMaxControls)
        return kResOutOfRange;
    // The dial's label is the string-table text of its id.
    auto* dial = new (std::nothrow) CKS2RadialControl;
    if (!dial || dial->Attach(widget, pane, ToMsgArg(&id), int32_t(id)) != kResOk) {
        delete dial;
        return kResCreateFailed;
    }
    m_controls[m_controlCount++] = dial;
    return kResOk;
}

CKS2Control* CPaperPanel::FindControl(uint32_t id) const
{
    for (int32_t i = 0; i < m_controlCount; ++i)
        if (m_controls[i]->GetControlId() == int32_t(id))
            return m_controls[i];
    return nullptr;
}

bool CPaperPanel::Owns(const CKS2Control* control) const
{
    for (int32_t i = 0; i < m_controlCount; ++i)
        if (m_controls[i] == control)
            return true;
    return false;
}

int32_t CPaperPanel::OpacityFromDial(float value)
{
    return int32_t(std::lround(value * 255.0f));
}

tResult CPaperPanel::MakePreview(CWidget* preview)
{
    DropPreview();
    m_preview = preview;
    if (!preview)
        return kResOk;
    return MakePreviewCanvas(preview->GetWidth(), preview->GetHeight(), &m_previewCanvas);
}

void CPaperPanel::DropPreview()
{
    delete m_previewCanvas;
    m_previewCanvas = nullptr;
}

tResult CPaperPanel::Sync(uint32_t redraw)
{
    if (!m_info)
        return kResBadParam;
    const float values[] = {m_info->grainDepth, m_info->grainScale, float(m_info->paperOpacity) / 255.0f,
                            m_info->paperExtra};
    const uint32_t dials[] = {kGrainDepthDial, kGrainScaleDial, kOpacityDial, kExtraDial};
    for (int32_t i = 0; i < 4; ++i)
        if (CKS2Control* dial = FindControl(dials[i])) {
            float value = values[i];
            (void)dial->OnMessage(kMsgControlValue, ToMsgArg(this), ToMsgArg(&value), 0, kMsgApply);
        }
    SetPaperColour(m_info->paperColour, 0);
    TK_TRY(RedrawTextureSwatch(0));
    (void)RedrawPreview(0);
    if (redraw)
        m_panel->PresentDirtyRects();
    return kResOk;
}

bool CPaperPanel::HandleMessage(uint32_t message, tMsgArg a, tMsgArg b)
{
    switch (message) {
    case kMsgControlValueChanged:
        if (const float* value = FromMsgArg<float>(b); value && Owns(FromMsgArg<CKS2Control>(a)))
            (void)OnValueChanged(FromMsgArg<CKS2Control>(a), *value);
        return true;
    case kMsgPaperColour:
        SetPaperColour(uint32_t(b), 0);
        (void)RedrawPreview(1);
        return true;
    case kMsgPaperTexture:
        if (const tCString* name = FromMsgArg<tCString>(b)) {
            (void)SetPaperTexture(*name);
            (void)RedrawPreview(1);
        }
        return true;
    default:
        return false;
    }
}

tResult CPaperPanel::OnValueChanged(const CKS2Control* control, float value)
{
    if (!m_info)
        return kResOk;
    switch (control ? uint32_t(control->GetControlId()) : 0) {
    case kGrainDepthDial: m_info->grainDepth = value; break;
    case kGrainScaleDial: m_info->grainScale = value; break;
    case kOpacityDial: m_info->paperOpacity = OpacityFromDial(value); break;
    case kExtraDial: m_info->paperExtra = value; break;
    default: break;
    }
    return RedrawPreview(1);
}

void CPaperPanel::SetPaperColour(uint32_t colour, uint32_t redraw)
{
    CWidget* button = m_panel ? m_panel->FindWidgetById(kColourButton) : nullptr;
    if (auto* swatch = button && button->GetChildCount() > 0 ? dynamic_cast<CCoWidget*>(button->GetChild(0)) : nullptr)
        (void)swatch->SetColour(colour, redraw);
    if (m_info)
        m_info->paperColour = colour;
}

tResult CPaperPanel::SetPaperTexture(const tCString& name)
{
    if (!m_info)
        return kResBadParam;
    TK_TRY(m_info->paperName.Assign(name));
    return RedrawTextureSwatch(0);
}

tResult CPaperPanel::RedrawTextureSwatch(uint32_t redraw)
{
    CImWidget* swatch = FirstImageChild(m_panel ? m_panel->FindWidgetById(kTextureButton) : nullptr);
    if (!m_info || !swatch || !swatch->GetImage())
        return kResOk;
    TK_TRY(swatch->DecompressImage());
    CImNav view(swatch->GetImage());
    if (!view.IsLocked())
        return kResNoMemory;
    // A paper without a name is the image the info holds, a grain that is drawn as it is.
    const CImage8* grain = m_info->paperName.IsEmpty() && m_info->paperImage && m_info->paperImage->IsValid()
                               ? m_info->paperImage
                               : nullptr;
    std::unique_ptr<CImage> texture(grain ? nullptr : m_info->LoadPaperTexture());
    if (!grain && !texture && m_fallback)
        grain = m_fallback->GetFallbackGrain();
    TK_TRY(PaintSwatch(view, texture.get(), grain));
    return swatch->Invalidate(redraw);
}

tResult CPaperPanel::PaintSwatch(CImNav& swatch, CImage* texture, const CImage8* grain)
{
    if (texture) {
        const CImNav pixels(texture);
        if (!pixels.IsLocked())
            return kResNoMemory;
        // The texture is grey: its red stands for all three channels.
        TileGreyIntoSwatch(swatch, pixels.GetWidth(), pixels.GetHeight(),
                           [&](int32_t x, int32_t y) { return (pixels.Pixels(y)[x] >> 16) & 0xFF; });
        return kResOk;
    }
    if (grain) {
        const CImNav8 bytes(const_cast<CImage8*>(grain));
        if (bytes.IsLocked() && !bytes.IsEmpty()) {
            TileGreyIntoSwatch(swatch, bytes.GetWidth(), bytes.GetHeight(),
                               [&](int32_t x, int32_t y) { return bytes.Bytes(y)[x]; });
            return kResOk;
        }
    }
    for (int32_t y = 0; y < swatch.GetHeight(); ++y) {
        CPixel* row = swatch.Pixels(y);
        for (int32_t x = 0; x < swatch.GetWidth(); ++x)
            row[x] |= kWhite;
    }
    return kResOk;
}

tResult CPaperPanel::RedrawPreview(uint32_t redraw)
{
    CLayer* layer = m_previewCanvas && m_previewCanvas->GetLayerCount() > 0 ? m_previewCanvas->GetLayer(0) : nullptr;
    auto* preview = dynamic_cast<CImWidget*>(m_preview);
    if (!m_info || !preview || !layer)
        return kResOk;
    // The preview draws on the grain the info holds, the layer's own, without a copy of it.
    if (m_info->paperName.IsEmpty() && m_info->paperImage)
        layer->ShareGrainImage(m_info->paperImage);
    TK_TRY(layer->ApplyCanvasInfo(m_info));
    TK_TRY(preview->DecompressImage());
    const tCFPoint start{float(preview->GetWidth() / 2 + kCrayonOffset), 0.0f};
    TK_TRY(m_previewCanvas->DrawCrayonSample(start, preview->GetImage(), kCrayonColour));
    TK_TRY(preview->Invalidate(0));
    if (redraw && m_root)
        m_root->PresentDirtyRects();
    return kResOk;
}

tResult CPaperPanel::OpenGrainPicker(tCCmdTarget* owner)
{
    auto* backdrop = dynamic_cast<CHMRBackdrop*>(GetMainBackdropWidget());
    CKS2Pane* picker = backdrop ? backdrop->FindPane(kPaneGrainPicker) : nullptr;
    CWidget* button = m_panel ? m_panel->FindWidgetById(kTextureButton) : nullptr;
    if (!picker || !button)
        return kResOk;
    tCPoint corner{button->GetRect().left, button->GetRect().top};
    if (CWidget* parent = button->GetParent())
        parent->LocalToRootPoint(&corner);
    return picker->Show(1, 1, ToMsgArg(&corner), 0, owner);
}
