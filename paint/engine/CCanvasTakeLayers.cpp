#include <utility>

#include "paint/engine/CCanvas.h"

// Whole layer stacks and the tracing image changing hands, as opening a project needs them.

tResult CCanvas::TakeLayers(tCArray<CLayer*>& layers)
{
    if (layers.IsEmpty())
        return kResBadParam;
    for (const CLayer* layer : layers)
        if (!layer || layer->GetWidth() != m_width || layer->GetHeight() != m_height)
            return kResBadParam;
    for (CLayer* old : m_layers)
        delete old;
    m_layers = std::move(layers);
    m_currentLayer = ClampLayerIndex(m_currentLayer);
    m_secondLayer = ClampLayerIndex(m_secondLayer);
    MarkAllDirty();
    return kResOk;
}

CImage* CCanvas::ReleaseTracingImage() { return std::exchange(m_tracingImage, nullptr); }
