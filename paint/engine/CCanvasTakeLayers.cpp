#include <utility>

#include "paint/engine/CCanvas.h"
#include "paint/engine/CellMemory.h"

// Whole layer stacks and the tracing image changing hands, as opening a project needs them.

tResult CCanvas::TakeLayers(tCArray<CLayer*>& layers)
{
    if (layers.IsEmpty())
        return kResBadParam;
    for (const CLayer* layer : layers)
        if (!layer || layer->GetWidth() != m_width || layer->GetHeight() != m_height)
            return kResBadParam;
    // Layers read before this painting was made carry the view-image size of the painting before
    // it (none at all before the first): they take the present one and draw it.
    const tCPoint size = CLayer::GetViewImageSize();
    if (size.x >= 1 && size.y >= 1) {
        const auto differs = [size](CLayer* layer) {
            return layer->GetImage().GetWidth() != size.x || layer->GetImage().GetHeight() != size.y;
        };
        int32_t resized = 0;
        for (CLayer* layer : layers)
            resized += differs(layer) ? 1 : 0;
        TK_TRY(CheckImageMemory(resized, size.x, size.y));
        for (CLayer* layer : layers)
            if (differs(layer)) {
                TK_TRY(layer->SetImageSize(size.x, size.y));
                TK_TRY(layer->RedrawImage());
            }
    }
    for (CLayer* old : m_layers)
        delete old;
    m_layers = std::move(layers);
    m_currentLayer = ClampLayerIndex(m_currentLayer);
    m_secondLayer = ClampLayerIndex(m_secondLayer);
    MarkAllDirty();
    return kResOk;
}

tResult CCanvas::InsertLayers(int32_t index, tCArray<CLayer*>& layers)
{
    const int32_t count = GetLayerCount();
    if (index < 0 || index > count)
        return kResBadParam;
    for (const CLayer* layer : layers)
        if (!layer || layer->GetWidth() != m_width || layer->GetHeight() != m_height)
            return kResBadParam;
    // The new stack is made whole before it replaces the old, so that no allocation fails
    // half way.
    tCArray<CLayer*> stack;
    if (stack.SetCount(count + layers.GetCount()) != kResOk)
        return kResNoMemory;
    int32_t at = 0;
    for (int32_t i = 0; i < index; ++i)
        stack[at++] = m_layers[i];
    for (CLayer* layer : layers)
        stack[at++] = layer;
    for (int32_t i = index; i < count; ++i)
        stack[at++] = m_layers[i];
    if (index <= m_secondLayer)
        m_secondLayer += layers.GetCount();
    m_layers = std::move(stack);
    (void)layers.SetCount(0);
    m_secondLayer = ClampLayerIndex(m_secondLayer);
    MarkAllDirty();
    return kResOk;
}

CLayer* CCanvas::ExchangeLayer(int32_t index, CLayer* layer)
{
    if (!m_layers.IsValidIndex(index) || !layer || layer->GetWidth() != m_width || layer->GetHeight() != m_height)
        return nullptr;
    MarkAllDirty();
    return std::exchange(m_layers[index], layer);
}
