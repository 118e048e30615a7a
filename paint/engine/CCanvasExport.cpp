#include "paint/engine/CCanvas.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/CStandardRenderer.h"
#include "paint/engine/CanvasInputGuards.h"
#include "paint/engine/EngineResources.h"
#include "paint/engine/ICanvasHost.h"
#include "toolkit/core/tCProgress.h"
#include "toolkit/imaging/ImageCodecs.h"

// Rendering layers alone, clearing a layer, and writing the painting as an image.

namespace {

// What the image operations change on a layer for a render and put back afterwards.
class CLayerLookGuard {
public:
    explicit CLayerLookGuard(CLayer* layer)
        : m_layer(layer),
          m_visible(layer->GetVisible()),
          m_opacity(layer->GetOpacity()),
          m_paperOpacity(layer->GetPaperOpacity()),
          m_paperVisible(layer->GetPaperVisible())
    {
    }
    ~CLayerLookGuard()
    {
        m_layer->SetVisible(m_visible);
        m_layer->SetOpacity(m_opacity);
        m_layer->SetPaperOpacity(m_paperOpacity);
        m_layer->SetPaperVisible(m_paperVisible);
    }
    CLayerLookGuard(const CLayerLookGuard&) = delete;
    CLayerLookGuard& operator=(const CLayerLookGuard&) = delete;

    // Shown at full opacity, with its paper, when asked, fully opaque as well.
    void ShowWhole(bool opaquePaper)
    {
        if (opaquePaper) {
            m_layer->SetPaperOpacity(1.0f);
            m_layer->SetPaperVisible(1);
        }
        m_layer->SetOpacity(1.0f);
        m_layer->SetVisible(1);
    }

private:
    CLayer* m_layer;
    uint32_t m_visible;
    float m_opacity;
    float m_paperOpacity;
    uint32_t m_paperVisible;
};

// A layer that hides everything below it: shown whole on a visible, opaque paper.
bool CoversThePainting(const CLayer& layer)
{
    uint32_t paperColour = 0;
    layer.GetPaperColour(&paperColour);
    return layer.GetVisible() && layer.GetOpacity() == 1.0f && layer.GetPaperOpacity() == 1.0f &&
           layer.GetPaperVisible() && (paperColour >> 24) == 255;
}

bool KeepsTransparency(uint32_t format) { return format == kImageFormatPng || format == kImageFormatPsd; }

}  // namespace

tResult CCanvas::ClearLayer(int32_t index)
{
    const int32_t at = ClampLayerIndex(index);
    CLayer* layer = GetLayer(at);
    if (!layer)
        return kResOk;
    CPaintCellMap& cells = layer->GetCellMap();
    if (!CPaintCellNav(cells).IsValid())
        return kResNoMemory;
    // The step names the cleared layer, which need not be the current one, so that undo puts the
    // cells back where they were. The layer is cleared whether or not the step can be stored.
    CUndoStepGuard undo(*this, at);
    TK_TRY(undo.GetOpenResult());
    // A tile that cannot be saved drops the step, whose end answers it.
    if (m_host)
        (void)m_host->SaveUndoTiles(cells.GetBounds(), cells);
    const tResult cleared = layer->Clear();
    undo.Keep();
    TK_TRY(cleared);
    return TellLayersChanged();
}

tResult CCanvas::RenderLayerAlone(int32_t index)
{
    CStandardRenderer* renderer = GetRenderer();
    if (!renderer || !m_composite)
        return kResOk;
    if (index < 0)
        return renderer->RenderLayers(m_composite, this, 1, index);
    const int32_t at = ClampLayerIndex(index);
    CLayer* layer = GetLayer(at);
    if (!layer)
        return kResOk;
    CLayerLookGuard look(layer);
    look.ShowWhole(false);
    return renderer->RenderLayers(m_composite, this, 1, at);
}

tResult CCanvas::RenderLayerToImage(LayerRenderRecord* record)
{
    if (!record || !record->image)
        return kResBadParam;
    const int32_t at = ClampLayerIndex(record->index);
    CLayer* layer = GetLayer(at);
    CStandardRenderer* renderer = GetRenderer();
    if (!layer || !renderer)
        return kResOk;
    CLayerLookGuard look(layer);
    look.ShowWhole(record->opaquePaper != 0);
    return renderer->RenderLayers(record->image, this, 1, at);
}

tResult CCanvas::ExportImage(tCStream* stream, uint32_t format)
{
    if (!stream || !m_composite || format < kImageFormatBmp || format > kImageFormatPsd)
        return kResBadParam;
    for (CLayer* layer : m_layers)
        if (CoversThePainting(*layer))
            return EncodeImageStream(stream, m_composite, format);

    CLayer* first = nullptr;
    for (CLayer* layer : m_layers) {
        if (layer->GetVisible() && layer->GetOpacity() > 0.0f) {
            first = layer;
            break;
        }
    }
    if (!first && !KeepsTransparency(format))
        return kResBadParam;
    tCString title;
    GetEngineText(kStrSavingProgress, title);
    tCProgress progress(kExportProgressSteps, title, 0);
    tResult rendered = kResOk;
    if (KeepsTransparency(format)) {
        rendered = RenderLayerAlone(-2);
    } else {
        // Formats without transparency show the bottom visible layer on its paper, fully opaque,
        // so that neither transparency nor the checkerboard reaches the file.
        CLayerLookGuard look(first);
        look.ShowWhole(true);
        rendered = RenderLayerAlone(-1);
    }
    if (rendered != kResOk) {
        // The view's composite is put back as far as it can be; the render's failure is the answer.
        (void)RenderLayerAlone(-1);
        return rendered;
    }
    (void)progress.AddDone(1);
    const tResult encoded = EncodeImageStream(stream, m_composite, format);
    (void)progress.AddDone(1);
    TK_TRY(RenderLayerAlone(-1));
    (void)progress.AddDone(1);
    return encoded;
}
