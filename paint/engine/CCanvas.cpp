#include "paint/engine/CCanvas.h"

#include <algorithm>
#include <cassert>
#include <memory>
#include <new>
#include <utility>

#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/CellMemory.h"
#include "paint/engine/CPaperGrainBuilder.h"
#include "paint/engine/CStandardRenderer.h"
#include "paint/engine/ICanvasHost.h"
#include "paint/engine/StrokeContext.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/IRootWidget.h"
#include "toolkit/core/tCProgress.h"
#include "toolkit/widgets/CWidget.h"

namespace {

void ReleaseUnlessPooled(CImage* image)
{
    if (image && !image->IsPoolOwned())
        delete image;
}

}  // namespace

CCanvas::CCanvas() = default;

// The root is the application's backdrop, a widget that also serves the window as its
// IRootWidget.
CWidget* CCanvas::FindMainView()
{
    CWindowBase* window = GetMainWindow();
    CWidget* root = window ? dynamic_cast<CWidget*>(window->GetRootWidget()) : nullptr;
    return root ? root->FindWidgetById(kPaintingViewId) : nullptr;
}

CCanvas::~CCanvas()
{
    delete m_composite;
    delete m_halfImageA;
    delete m_halfImageB;
    ReleaseUnlessPooled(m_tracingImage);
    for (CLayer* layer : m_layers)
        delete layer;
}

tResult CCanvas::Initialise()
{
    static CPaperGrainBuilder grainBuilder;
    CLayer::SetPaperGrainBuilder(&grainBuilder);
    return m_grain.SetSize(4, 4);
}

CStandardRenderer* CCanvas::GetRenderer() { return m_host ? m_host->GetRenderer() : nullptr; }

tResult CCanvas::AttachView(CWidget* widget)
{
    if (m_view) {
        if (!m_view->GetParent())
            return kResOk;
        float zoom = FittingZoom();
        UpdateViewGeometry(0);
        m_rotation = 0.0f;
        UpdateViewGeometry(0);
        tCPoint topLeft = ParentCentre().Minus({m_width / 2, m_height / 2});
        m_flipHorizontal = 0;
        m_flipVertical = 0;
        TK_TRY(SendToBackbone(kMsgCanvasPosition, ToMsgArg(this), ToMsgArg(&topLeft), 0));
        return SendToBackbone(kMsgCanvasZoom, ToMsgArg(this), ToMsgArg(&zoom), 0);
    }
    CWidget* view = widget ? widget : FindMainView();
    if (!view)
        return kResBadParam;
    m_view = view;
    // No ink collector exists here: strokes always start from the left-button callback.
    m_view->SetLButtonDownProc(OnPenInput, ToMsgArg(this));
    m_view->SetMouseMoveProc(OnPenHover, ToMsgArg(this));
    m_view->SetRButtonDownProc(OnDragView, ToMsgArg(this));
    m_view->SetRenderProc(RedrawView, ToMsgArg(this));
    TK_TRY(m_view->SetVisible(1, 0));
    CStandardRenderer* renderer = GetRenderer();
    if (m_composite && renderer)
        TK_TRY(renderer->RenderLayers(m_composite, this, 1, -1));
    return m_view->Invalidate(0);
}

tResult CCanvas::UpdateRect(const tCRect& inclusiveCells, uint32_t present)
{
    CStandardRenderer* renderer = GetRenderer();
    if (m_composite && renderer)
        TK_TRY(renderer->RenderLayers(m_composite, this, 0, -1));
    const tCRect cells{inclusiveCells.left, inclusiveCells.top, inclusiveCells.right + 1, inclusiveCells.bottom + 1};
    InvalidateCellRect(cells, present);
    if (CLayer* layer = GetLayer(m_currentLayer))
        layer->AddDirtyRect(cells);
    return kResOk;
}

tResult CCanvas::SaveUndoTiles(const StrokeContext& context, const tCRect& cells)
{
    if (!m_host)
        return kResOk;
    if (!context.cells || !context.cells->IsValid())
        return kResBadParam;
    // A failure has dropped the open step, whose end answers it.
    (void)m_host->SaveUndoTiles(cells, *static_cast<CPaintCellMap*>(context.cells->GetImage()));
    return kResOk;
}

tResult CCanvas::BeginUndoStep()
{
    return m_host ? m_host->BeginUndoStep(0, uint32_t(m_currentLayer)) : kResOk;
}

tResult CCanvas::EndUndoStep() { return m_host ? m_host->EndUndoStep() : kResOk; }

// Layers.

int32_t CCanvas::ClampLayerIndex(int64_t index) const
{
    return int32_t(std::clamp<int64_t>(index, 0, std::max(GetLayerCount() - 1, 0)));
}

CImage8* CCanvas::GetGrainImageFor(int32_t index)
{
    for (int32_t i = std::min(index, GetLayerCount() - 1); i >= 0; --i)
        if (CImage8* grain = m_layers[i]->GetGrainImage())
            return grain;
    return &m_grain;
}

tResult CCanvas::InsertLayer(int32_t index, CLayer* layer)
{
    const tResult result = m_layers.InsertAt(std::clamp(index, 0, GetLayerCount()), layer);
    if (result != kResOk)
        delete layer;
    return result == kResOk ? kResOk : kResNoMemory;
}

void CCanvas::RemoveLayer(int32_t index)
{
    delete m_layers[index];
    // Shrinking never reallocates, so taking an existing entry out cannot fail.
    [[maybe_unused]] const tResult removed = m_layers.RemoveAt(index);
    assert(removed == kResOk);
}

tResult CCanvas::TellLayersChanged() { return SendToBackbone(kMsgLayersChanged, ToMsgArg(this), 0, 0); }

tResult CCanvas::InsertNewLayer(int32_t index)
{
    CLayer* layer = new (std::nothrow) CLayer;
    if (!layer)
        return kResNoMemory;
    if (const tResult sized = layer->SetSize(m_width, m_height); sized != kResOk) {
        delete layer;
        return sized;
    }
    const int32_t count = GetLayerCount();
    const int32_t at = std::clamp(index, 0, count);
    TK_TRY(InsertLayer(at, layer));
    if (at <= m_secondLayer || m_secondLayer == count - 1)
        ++m_secondLayer;
    m_secondLayer = ClampLayerIndex(m_secondLayer);
    return kResOk;
}

void CCanvas::DeleteLayer(int32_t index)
{
    if (m_layers.IsEmpty())
        return;
    const int32_t at = ClampLayerIndex(index);
    RemoveLayer(at);
    if (at <= m_currentLayer)
        m_currentLayer = std::max(m_currentLayer - 1, 0);
    m_currentLayer = ClampLayerIndex(m_currentLayer);
    if (at <= m_secondLayer)
        m_secondLayer = std::max(m_secondLayer - 1, 0);
    m_secondLayer = ClampLayerIndex(m_secondLayer);
}

tResult CCanvas::MoveLayer(LayerIndexPair* record, uint32_t recordUndo)
{
    if (!record)
        return kResBadParam;
    if (m_layers.IsEmpty())
        return kResOk;
    tCProgress progress(kLayerProgressTotal, tCString(), kLayerProgressContext);
    const int32_t from = ClampLayerIndex(int32_t(record->first));
    record->first = uint32_t(from);
    const int32_t to = int32_t(record->second);
    if (to == from)
        return kResOk;
    if (recordUndo && m_host)
        TK_TRY(m_host->RecordLayerMoved(record));
    CLayer* layer = m_layers[from];
    [[maybe_unused]] const tResult removed = m_layers.RemoveAt(from);
    // The slot just freed takes the layer back: no allocation, no failure.
    [[maybe_unused]] const tResult inserted =
        m_layers.InsertAt(std::clamp(from < to ? to - 1 : to, 0, GetLayerCount()), layer);
    assert(removed == kResOk && inserted == kResOk);
    return TellLayersChanged();
}

tResult CCanvas::MergeLayers(LayerIndexPair* record, uint32_t recordUndo)
{
    if (!record)
        return kResBadParam;
    if (m_layers.IsEmpty())
        return kResOk;
    const int32_t from = ClampLayerIndex(int32_t(record->first));
    const int32_t into = ClampLayerIndex(int32_t(record->second));
    record->first = uint32_t(from);
    record->second = uint32_t(into);
    if (from == into)
        return kResOk;
    // Refused before anything is recorded: a merge needs layers of one size.
    if (m_layers[from]->GetWidth() != m_layers[into]->GetWidth() ||
        m_layers[from]->GetHeight() != m_layers[into]->GetHeight())
        return kResBadParam;
    tCProgress progress(kLayerProgressTotal, tCString(), kLayerProgressContext);
    if (recordUndo && m_host)
        TK_TRY(m_host->RecordLayersMerged(record, m_layers[into], m_layers[from], &progress));
    TK_TRY(m_layers[into]->MergeFrom(m_layers[from]));
    RemoveLayer(from);
    m_currentLayer = into > from ? into - 1 : into;
    m_secondLayer = ClampLayerIndex(m_secondLayer);
    return TellLayersChanged();
}

tResult CCanvas::DuplicateLayer(LayerIndexPair* record, uint32_t recordUndo)
{
    if (!record)
        return kResBadParam;
    if (m_layers.IsEmpty())
        return kResOk;
    const int32_t source = ClampLayerIndex(int32_t(record->first));
    const int32_t at = std::clamp(int32_t(record->second), 0, GetLayerCount());
    record->first = uint32_t(source);
    record->second = uint32_t(at);
    tCProgress progress(kLayerProgressTotal, tCString(), kLayerProgressContext);
    // The copy is made first, so that nothing is recorded for a copy that cannot be made.
    CLayer* copy = new (std::nothrow) CLayer;
    if (!copy)
        return kResNoMemory;
    tResult result = copy->CopyFrom(m_layers[source]);
    if (result == kResOk && recordUndo && m_host)
        result = m_host->RecordLayerDuplicated(record);
    if (result != kResOk) {
        delete copy;
        return result;
    }
    TK_TRY(InsertLayer(at, copy));
    m_currentLayer = at;
    m_secondLayer = std::max(GetLayerCount() - 1, 0);
    return TellLayersChanged();
}

tResult CCanvas::FlattenLayers(uint32_t recordUndo)
{
    const int32_t count = GetLayerCount();
    if (count < 2)
        return kResOk;
    CLayer* bottom = m_layers[0];
    for (int32_t i = 1; i < count; ++i)
        if (m_layers[i]->GetWidth() != bottom->GetWidth() || m_layers[i]->GetHeight() != bottom->GetHeight())
            return kResBadParam;
    tCProgress progress(kLayerProgressTotal, tCString(), kLayerProgressContext);
    if (recordUndo && m_host)
        TK_TRY(m_host->RecordLayersFlattened(m_layers.GetData(), count, &progress));
    tResult result = kResOk;
    // The layers merged so far leave the stack even when a later merge fails.
    while (GetLayerCount() > 1 && result == kResOk) {
        result = bottom->MergeFrom(m_layers[1]);
        if (result == kResOk)
            RemoveLayer(1);
    }
    m_currentLayer = 0;
    m_secondLayer = ClampLayerIndex(m_secondLayer);
    TK_TRY(result);
    return TellLayersChanged();
}

tResult CCanvas::InsertLayerCopy(uint32_t makeCurrent, uint32_t recordUndo)
{
    const int32_t i = m_layers.IsEmpty() ? -1 : ClampLayerIndex(m_currentLayer);
    TK_TRY(InsertNewLayer(i + 1));
    CLayer* layer = m_layers[i + 1];
    if (const CLayer* old = GetLayer(i)) {
        // Both layers hold the grain image, so the application's pool must own it; when the
        // pool refuses it, the new layer goes without.
        CImage8* grain = old->GetGrainImage();
        if (grain && !grain->IsPoolOwned()) {
            CAppBase* application = GetApplication();
            if (!application || application->AddResourceToPool(kImagePool, grain) != kResOk)
                grain = nullptr;
        }
        if (grain)
            layer->SetGrainImage(grain);
        uint32_t paperColour = 0;
        old->GetPaperColour(&paperColour);
        layer->SetPaperColour(paperColour);
        layer->SetPaperShine(old->GetPaperShine());
        layer->SetPaperExtra(old->GetPaperExtra());
        layer->SetGrainDepth(old->GetGrainDepth());
        layer->SetGrainScale(old->GetGrainScale());
        layer->SetPaperSpare(old->GetPaperSpare());
        layer->SetPaperVisible(old->GetPaperVisible());
        layer->SetPaperOpacity(old->GetPaperOpacity());
    }
    if (GetLayerCount() > 1)
        layer->SetPaperOpacity(0.0f);
    if (recordUndo && m_host) {
        if (const tResult recorded = m_host->PushUndoStep(uint32_t(i + 1)); recorded != kResOk) {
            DeleteLayer(i + 1);
            return recorded;
        }
    }
    TK_TRY(layer->RedrawImage());
    if (makeCurrent) {
        m_secondLayer = GetLayerCount() - 1;
        m_currentLayer = i + 1;
    }
    return TellLayersChanged();
}

tResult CCanvas::SetLayerImageSize(int32_t width, int32_t height)
{
    CLayer::SetViewImageSize({width, height});
    for (CLayer* layer : m_layers) {
        TK_TRY(layer->SetImageSize(width, height));
        TK_TRY(layer->RedrawImage());
    }
    CLayer::SetLayersChanged(0);
    return kResOk;
}

// Size.

tResult CCanvas::MakeSizedImages(int32_t width, int32_t height, SizedImages* images) const
{
    if (width < 1 || height < 1 || width > kMaxCanvasSide || height > kMaxCanvasSide)
        return kResBadParam;
    images->composite.reset(new (std::nothrow) CImage(width, height));
    images->halfA.reset(new (std::nothrow) CImage(width / 2 + 2, height / 2 + 2));
    images->halfB.reset(new (std::nothrow) CImage(width / 2 + 2, height / 2 + 2));
    for (const auto* image : {&images->composite, &images->halfA, &images->halfB})
        if (!*image || !(*image)->IsValid())
            return kResCreateFailed;
    TK_TRY(images->rowMinX.SetCount(height));
    TK_TRY(images->rowMaxX.SetCount(height));
    std::fill(images->rowMinX.begin(), images->rowMinX.end(), kCleanRowMin);
    std::fill(images->rowMaxX.begin(), images->rowMaxX.end(), kCleanRowMax);
    return kResOk;
}

uint64_t CCanvas::NewPaintingBytes(int32_t width, int32_t height)
{
    const uint64_t w = uint64_t(width), h = uint64_t(height);
    const uint64_t halves = 2 * (w / 2 + 2) * (h / 2 + 2) * 4;
    const uint64_t rows = 2 * h * sizeof(int32_t);
    const uint64_t shadow = (w + h) * sizeof(uint32_t);
    return w * h * 4 + halves + rows + shadow;
}

void CCanvas::CommitSize(int32_t width, int32_t height, SizedImages* images)
{
    // Where the turned painting stood is drawn again, whatever the view's own invalidation reaches.
    UpdateViewGeometry(0);
    TakeSizedImages(width, height, images);
    m_rotation = 0.0f;
    // A fitting zoom is finite and above 0, which SetZoom takes.
    [[maybe_unused]] const tResult zoomed = SetZoom(FittingZoom(), 0);
    assert(zoomed == kResOk);
}

void CCanvas::TakeSizedImages(int32_t width, int32_t height, SizedImages* images)
{
    m_width = width;
    m_height = height;
    delete m_composite;
    delete m_halfImageA;
    delete m_halfImageB;
    m_composite = images->composite.release();
    m_halfImageA = images->halfA.release();
    m_halfImageB = images->halfB.release();
    m_rowMinX = std::move(images->rowMinX);
    m_rowMaxX = std::move(images->rowMaxX);
    m_dirtyRowFirst = m_dirtyColFirst = kCleanRowMin;
    m_dirtyRowLast = m_dirtyColLast = kCleanRowMax;
}

tResult CCanvas::SetCanvasSize(int32_t width, int32_t height)
{
    if (m_view)
        TK_TRY(m_view->Invalidate(0));
    SizedImages images;
    TK_TRY(MakeSizedImages(width, height, &images));
    CommitSize(width, height, &images);
    return kResOk;
}

tResult CCanvas::ResizeCanvas(const CellMapResize* record, uint32_t recordUndo)
{
    if (!record)
        return kResBadParam;
    tCProgress progress(kLayerProgressTotal, tCString(), kLayerProgressContext);
    SizedImages images;
    TK_TRY(MakeSizedImages(record->width, record->height, &images));
    // Every layer's cells are made anew at the new size: a size whose cells do not fit in memory
    // is refused before anything is recorded or changed, not after some layers were resized.
    if (GetLayerCount() > 0)
        TK_TRY(CheckCellMemory(record->width, record->height));
    if (recordUndo && m_host)
        TK_TRY(m_host->RecordCanvasResize(m_layers.GetData(), GetLayerCount(), record, &progress));
    for (CLayer* layer : m_layers)
        TK_TRY(layer->ResizeCells(*record));
    if (m_view)
        TK_TRY(m_view->Invalidate(0));
    CommitSize(record->width, record->height, &images);
    return TellLayersChanged();
}

// Dirty composite rows.

void CCanvas::MarkCellsDirty(const tCRect& cells)
{
    const tCRect area = cells.Intersect({0, 0, m_width, std::min(m_height, m_rowMinX.GetCount())});
    if (area.IsEmpty())
        return;
    for (int32_t y = area.top; y < area.bottom; ++y) {
        m_rowMinX[y] = std::min(m_rowMinX[y], area.left);
        m_rowMaxX[y] = std::max(m_rowMaxX[y], area.right - 1);
    }
    m_dirtyRowFirst = std::min(m_dirtyRowFirst, area.top);
    m_dirtyRowLast = std::max(m_dirtyRowLast, area.bottom - 1);
    m_dirtyColFirst = std::min(m_dirtyColFirst, area.left);
    m_dirtyColLast = std::max(m_dirtyColLast, area.right - 1);
}

void CCanvas::MarkAllDirty() { MarkCellsDirty({0, 0, m_width, m_height}); }

void CCanvas::ResetDirtySpans()
{
    const int32_t last = std::min(m_dirtyRowLast, m_rowMinX.GetCount() - 1);
    for (int32_t y = std::max(m_dirtyRowFirst, 0); y <= last; ++y) {
        m_rowMinX[y] = kCleanRowMin;
        m_rowMaxX[y] = kCleanRowMax;
    }
    m_dirtyRowFirst = m_dirtyColFirst = kCleanRowMin;
    m_dirtyRowLast = m_dirtyColLast = kCleanRowMax;
}

// Tracing image.

tResult CCanvas::SetTracingImage(CImage* image)
{
    if (image != m_tracingImage)
        ReleaseUnlessPooled(m_tracingImage);
    m_tracingImage = image;
    if (m_view) {
        InvalidateInView(m_paintingRect);
        PresentView();
    }
    return kResOk;
}

void CCanvas::ClearTracingImage(uint32_t present)
{
    ReleaseUnlessPooled(m_tracingImage);
    m_tracingImage = nullptr;
    if (!m_view)
        return;
    InvalidateInView(m_paintingRect);
    if (present)
        PresentView();
}
