#include <algorithm>
#include <memory>
#include <new>

#include "app/shell/BackboneMessages.h"
#include "app/shell/CHMRBackbone.h"
#include "app/shell/ShellResources.h"
#include "paint/engine/CCanvas.h"
#include "paint/engine/CLayer.h"
#include "paint/engine/CellMemory.h"
#include "paint/engine/LayerRecordTags.h"
#include "toolkit/core/tCProgress.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/widgets/CRegion.h"
#include "toolkit/widgets/CWidget.h"

// The controller's undo steps: the records of layer operations written before the canvas
// changes, and ApplyUndoStep, which carries a step out backward or forward. A record is read
// whole, every stored layer into a layer of its own, before the canvas changes, so that a step
// that is damaged, or does not fit the painting as it now is, changes nothing.

namespace {

constexpr int64_t kLayerRecordHeaderBytes = 12;
constexpr int64_t kSizeRecordBytes = 24;

// The payload of one record, read no further than its length.
class UndoPayload {
public:
    UndoPayload(tCStream* stream, int64_t length)
        : m_stream(stream), m_end(stream ? stream->GetPosition() + length : 0)
    {
    }

    int64_t Remaining() const { return m_stream ? m_end - m_stream->GetPosition() : 0; }

    bool ReadU32(uint32_t* value) { return Remaining() >= 4 && m_stream->ReadU32(value) == kResOk; }
    bool ReadI32(int32_t* value) { return Remaining() >= 4 && m_stream->ReadI32(value) == kResOk; }

    bool ReadPair(LayerIndexPair* pair) { return ReadU32(&pair->first) && ReadU32(&pair->second); }

    bool ReadSize(CellMapResize* size)
    {
        return Remaining() >= kSizeRecordBytes && ReadI32(&size->width) && ReadI32(&size->height) &&
               ReadI32(&size->resample) && ReadI32(&size->offsetX) && ReadI32(&size->offsetY) &&
               ReadI32(&size->linear);
    }

    // The next layer record into a new layer of the given size, or null.
    std::unique_ptr<CLayer> ReadLayer(int32_t width, int32_t height, tCProgress* progress)
    {
        uint32_t tag = 0;
        int64_t length = 0;
        if (Remaining() < kLayerRecordHeaderBytes || m_stream->ReadU32(&tag) != kResOk ||
            m_stream->ReadI64(&length) != kResOk)
            return nullptr;
        if (tag != kTagLayerRecord || length < 1 || length > Remaining())
            return nullptr;
        if (CheckCellMemory(width, height) != kResOk)
            return nullptr;
        std::unique_ptr<CLayer> layer(new (std::nothrow) CLayer);
        if (!layer || layer->SetSize(width, height) != kResOk)
            return nullptr;
        const int64_t end = m_stream->GetPosition() + length;
        if (layer->ReadRecord(m_stream, length, progress) != kResOk || m_stream->GetPosition() != end)
            return nullptr;
        return layer;
    }

    // Passes over `count` layer records, checking only that each is whole.
    bool SkipLayers(int64_t count)
    {
        for (int64_t i = 0; i < count; ++i) {
            uint32_t tag = 0;
            int64_t length = 0;
            if (Remaining() < kLayerRecordHeaderBytes || m_stream->ReadU32(&tag) != kResOk ||
                m_stream->ReadI64(&length) != kResOk || tag != kTagLayerRecord || length < 1 || length > Remaining() ||
                m_stream->SetPosition(m_stream->GetPosition() + length) != kResOk)
                return false;
        }
        return true;
    }

    // `count` layer records, each into a layer of its own.
    bool ReadLayers(int64_t count, int32_t width, int32_t height, tCProgress* progress, tCArray<CLayer*>* layers)
    {
        if (count < 0 || count > Remaining() / kLayerRecordHeaderBytes || layers->SetCount(int32_t(count)) != kResOk)
            return false;
        std::fill(layers->begin(), layers->end(), nullptr);
        for (CLayer*& layer : *layers) {
            layer = ReadLayer(width, height, progress).release();
            if (!layer)
                return false;
        }
        return true;
    }

private:
    tCStream* m_stream;
    int64_t m_end;
};

// Layers read for a step and not yet handed to the canvas.
struct StagedLayers {
    ~StagedLayers()
    {
        for (CLayer* layer : layers)
            delete layer;
    }
    tCArray<CLayer*> layers;
};

bool IsSide(int32_t side) { return side >= 1 && side <= kMaxCanvasSide; }

tResult WriteSize(tCStream* stream, const CellMapResize& size)
{
    for (int32_t word : {size.width, size.height, size.resample, size.offsetX, size.offsetY, size.linear})
        TK_TRY(stream->WriteI32(word));
    return kResOk;
}

tResult WritePair(tCStream* stream, const LayerIndexPair* pair)
{
    if (!pair)
        return kResBadParam;
    TK_TRY(stream->WriteU32(pair->first));
    return stream->WriteU32(pair->second);
}

tResult WriteLayer(tCStream* stream, CLayer* layer, tCProgress* progress)
{
    return layer ? layer->WriteRecord(stream, progress) : kResBadParam;
}

// The layer records of layers 0..count-1, one after another whatever each answers; the first
// failure.
tResult WriteLayers(tCStream* stream, CLayer* const* layers, int32_t count, tCProgress* progress)
{
    tResult first = kResOk;
    for (int32_t i = 0; i < count; ++i)
        if (const tResult written = WriteLayer(stream, layers[i], progress); first == kResOk)
            first = written;
    return first;
}

}  // namespace

// Recording.

tResult CHMRBackbone::BeginUndoStep(uint32_t type, uint32_t value) { return m_undo->BeginStep(type, value); }

tResult CHMRBackbone::EndUndoStep() { return m_undo->EndStep(); }

tResult CHMRBackbone::SaveUndoTiles(const tCRect& area, CPaintCellMap& cells)
{
    return m_undo->SaveTilesInRect(area, cells);
}

// Older steps would put their tiles over the kept change. The user is told once a painting:
// without room every stroke, or every other one, would bring the same box.
void CHMRBackbone::UndoStepLost(tResult cause)
{
    const bool told = m_undo->HasForgottenSteps();
    m_undo->ForgetSteps();
    if (!told)
        ReportFailureText(cause, kStrErrUndoStopped);
}

tResult CHMRBackbone::PushUndoStep(uint32_t layerIndex) { return m_undo->PushStep(layerIndex); }

// Each record is closed whatever its payload did; a payload that failed is answered, and a
// record cut short changes nothing when it is applied. Every record ends with the index of the
// layer that was current before the change, which its undo makes current again.
tResult CHMRBackbone::RecordLayerDeleted(uint32_t index, CLayer* layer, tCProgress* progress)
{
    tCStream* stream = m_undo->OpenRecord(kStepLayerDeleted, index);
    tResult written = stream ? WriteLayer(stream, layer, progress) : kResOk;
    written = WriteCurrentLayer(stream, written);
    const tResult closed = m_undo->CloseRecord();
    return closed != kResOk ? closed : written;
}

tResult CHMRBackbone::RecordLayerMoved(const LayerIndexPair* pair)
{
    tCStream* stream = m_undo->OpenRecord(kStepLayerMoved, pair ? pair->first : 0);
    const tResult written = WriteCurrentLayer(stream, stream ? WritePair(stream, pair) : kResOk);
    const tResult closed = m_undo->CloseRecord();
    return closed != kResOk ? closed : written;
}

tResult CHMRBackbone::RecordLayersMerged(const LayerIndexPair* pair, CLayer* second, CLayer* first,
                                         tCProgress* progress)
{
    tCStream* stream = m_undo->OpenRecord(kStepLayersMerged, pair ? pair->first : 0);
    tResult written = stream ? WritePair(stream, pair) : kResOk;
    if (stream && written == kResOk)
        written = WriteLayer(stream, second, progress);
    if (stream && written == kResOk)
        written = WriteLayer(stream, first, progress);
    written = WriteCurrentLayer(stream, written);
    const tResult closed = m_undo->CloseRecord();
    return closed != kResOk ? closed : written;
}

tResult CHMRBackbone::RecordLayerDuplicated(const LayerIndexPair* pair)
{
    tCStream* stream = m_undo->OpenRecord(kStepLayerDuplicated, pair ? pair->first : 0);
    const tResult written = WriteCurrentLayer(stream, stream ? WritePair(stream, pair) : kResOk);
    const tResult closed = m_undo->CloseRecord();
    return closed != kResOk ? closed : written;
}

tResult CHMRBackbone::RecordLayersFlattened(CLayer* const* layers, int32_t count, tCProgress* progress)
{
    tCStream* stream = m_undo->OpenRecord(kStepLayersFlattened, 0);
    tResult written = kResOk;
    if (stream) {
        written = layers || count < 1 ? stream->WriteU32(uint32_t(std::max(count, 0))) : kResBadParam;
        if (written == kResOk)
            written = WriteLayers(stream, layers, count, progress);
    }
    written = WriteCurrentLayer(stream, written);
    const tResult closed = m_undo->CloseRecord();
    return closed != kResOk ? closed : written;
}

tResult CHMRBackbone::RecordCanvasResize(CLayer* const* layers, int32_t count, const CellMapResize* size,
                                         tCProgress* progress)
{
    if (count < 1 || !layers || !layers[0] || !size)
        return kResOk;
    tCStream* stream = m_undo->OpenRecord(kStepCanvasResized, 0);
    tResult written = kResOk;
    if (stream) {
        written = stream->WriteI32(layers[0]->GetWidth());
        if (written == kResOk)
            written = stream->WriteI32(layers[0]->GetHeight());
        if (written == kResOk)
            written = WriteSize(stream, *size);
        if (written == kResOk)
            written = stream->WriteU32(uint32_t(count));
        if (written == kResOk)
            written = WriteLayers(stream, layers, count, progress);
    }
    written = WriteCurrentLayer(stream, written);
    const tResult closed = m_undo->CloseRecord();
    m_resizeRecorded = stream && closed == kResOk;
    return closed != kResOk ? closed : written;
}

tResult CHMRBackbone::WriteCurrentLayer(tCStream* stream, tResult written)
{
    if (!stream || written != kResOk)
        return written;
    return stream->WriteU32(uint32_t(m_canvas ? m_canvas->GetCurrentLayerIndex() : 0));
}

void CHMRBackbone::RestoreCurrentLayer(uint32_t index)
{
    if (int64_t(index) < m_canvas->GetLayerCount())
        m_canvas->SetCurrentLayerIndex(int32_t(index));
}

// Applying.

void CHMRBackbone::AnnounceLayersChanged() { (void)SendToBackbone(kMsgLayersChanged, ToMsgArg(this), 0, 0); }

bool CHMRBackbone::ApplyUndoStep(uint32_t undo)
{
    const bool back = undo != 0;
    if (!m_canvas || !(back ? m_undo->CanUndo() : m_undo->CanRedo()) || m_canvas->GetLayerCount() < 1)
        return false;
    if (m_canvas->GetCurrentLayerIndex() >= m_canvas->GetLayerCount())
        m_canvas->SetCurrentLayerIndex(0);
    UndoStepHeader header;
    tCStream* stream = nullptr;
    if (m_undo->ReadStep(&header, &stream, back) != kResOk)
        return false;
    bool applied = false;
    switch (header.type) {
    case kUndoStepTiles:
        if (!ApplyPaintStep(header.value, back))
            return false;
        applied = true;
        break;
    case kUndoStepMarker:
        applied = ApplyLayerAdded(header.value, back);
        break;
    case kStepLayerDeleted:
        applied = ApplyLayerDeleted(header.value, stream, header.count, back);
        break;
    case kStepLayerMoved:
        applied = ApplyLayerMoved(stream, header.count, back);
        break;
    case kStepLayersMerged:
        applied = ApplyLayersMerged(stream, header.count, back);
        break;
    case kStepLayerDuplicated:
        applied = ApplyLayerDuplicated(stream, header.count, back);
        break;
    case kStepLayersFlattened:
        applied = ApplyLayersFlattened(stream, header.count, back);
        break;
    case kStepCanvasResized:
        applied = ApplyCanvasResized(stream, header.count, back);
        break;
    default:
        break;
    }
    if (CWidget* view = m_canvas->GetView())
        (void)view->PresentDirtyRects();
    return applied;
}

// The saved tiles change places with the layer's cells; each changed rectangle is redrawn.
bool CHMRBackbone::ApplyPaintStep(uint32_t layerIndex, bool undo)
{
    const int32_t width = m_canvas->GetWidth(), height = m_canvas->GetHeight();
    CLayer* layer = int64_t(layerIndex) < m_canvas->GetLayerCount() ? m_canvas->GetLayer(int32_t(layerIndex)) : nullptr;
    if (!layer)
        return false;
    CPaintCellMap& cells = layer->GetCellMap();
    if (!cells.IsValid() || cells.GetWidth() != width || cells.GetHeight() != height)
        return false;
    CRegion region;
    if (m_undo->ApplyTileStep(&region, cells, undo) != kResOk)
        return false;
    const tCRect bounds{0, 0, width, height};
    for (const tCRect& rect : region) {
        const tCRect clipped = rect.Intersect(bounds);
        if (clipped.IsEmpty())
            continue;
        m_canvas->ResetDirtySpans();
        m_canvas->MarkCellsDirty(clipped);
        (void)m_canvas->UpdateRect({clipped.left, clipped.top, clipped.right - 1, clipped.bottom - 1}, 0);
    }
    (void)SendToBackbone(kMsgStrokeDone, ToMsgArg(m_canvas), layerIndex, 0);
    return true;
}

bool CHMRBackbone::ApplyLayerAdded(uint32_t index, bool undo)
{
    const int32_t count = m_canvas->GetLayerCount();
    if (undo) {
        // A painting keeps at least one layer.
        if (count < 2 || int64_t(index) >= count)
            return false;
        m_canvas->DeleteLayer(int32_t(index));
        AnnounceLayersChanged();
        return true;
    }
    if (int64_t(index) > count)
        return false;
    const int32_t at = int32_t(index);
    // A new layer goes above the current one; one added at the bottom is moved down after.
    m_canvas->SetCurrentLayerIndex(std::max(at - 1, 0));
    if (m_canvas->InsertLayerCopy(1, 0) != kResOk)
        return false;
    if (at == 0) {
        LayerIndexPair down{1, 0};
        (void)m_canvas->MoveLayer(&down, 0);
        m_canvas->SetCurrentLayerIndex(0);
    }
    AnnounceLayersChanged();
    return true;
}

bool CHMRBackbone::ApplyLayerDeleted(uint32_t index, tCStream* stream, int64_t length, bool undo)
{
    const int32_t count = m_canvas->GetLayerCount();
    UndoPayload payload(stream, length);
    if (!undo) {
        // The record must be whole for the step to come back.
        if (count < 2 || int64_t(index) >= count || !payload.SkipLayers(1))
            return false;
        m_canvas->DeleteLayer(int32_t(index));
        AnnounceLayersChanged();
        return true;
    }
    if (int64_t(index) > count)
        return false;
    tCProgress progress(kLayerProgressTotal, tCString(), kLayerProgressContext);
    StagedLayers staged;
    uint32_t current = 0;
    if (!payload.ReadLayers(1, m_canvas->GetWidth(), m_canvas->GetHeight(), &progress, &staged.layers) ||
        !payload.ReadU32(&current))
        return false;
    if (m_canvas->InsertLayers(int32_t(index), staged.layers) != kResOk)
        return false;
    RestoreCurrentLayer(current);
    AnnounceLayersChanged();
    return true;
}

// A move puts the layer before the one at `second`, counted before the move; the way back puts
// it from where it went to where it was.
bool CHMRBackbone::ApplyLayerMoved(tCStream* stream, int64_t length, bool undo)
{
    UndoPayload payload(stream, length);
    LayerIndexPair pair;
    const int64_t count = m_canvas->GetLayerCount();
    if (!payload.ReadPair(&pair) || pair.first >= count || pair.second > count || pair.first == pair.second)
        return false;
    if (!undo)
        return m_canvas->MoveLayer(&pair, 0) == kResOk;
    uint32_t current = 0;
    if (!payload.ReadU32(&current))
        return false;
    const uint32_t now = pair.first < pair.second ? pair.second - 1 : pair.second;
    LayerIndexPair back{now, pair.first < pair.second ? pair.first : pair.first + 1};
    if (m_canvas->MoveLayer(&back, 0) != kResOk)
        return false;
    RestoreCurrentLayer(current);
    return true;
}

bool CHMRBackbone::ApplyLayersMerged(tCStream* stream, int64_t length, bool undo)
{
    UndoPayload payload(stream, length);
    LayerIndexPair pair;
    const int64_t count = m_canvas->GetLayerCount();
    if (!payload.ReadPair(&pair) || pair.first == pair.second)
        return false;
    if (!undo) {
        if (count < 2 || pair.first >= count || pair.second >= count || !payload.SkipLayers(2))
            return false;
        if (m_canvas->MergeLayers(&pair, 0) != kResOk)
            return false;
        AnnounceLayersChanged();
        return true;
    }
    // Before the merge there was one layer more.
    if (pair.first > count || pair.second > count)
        return false;
    tCProgress progress(kLayerProgressTotal, tCString(), kLayerProgressContext);
    StagedLayers into, away;
    const int32_t width = m_canvas->GetWidth(), height = m_canvas->GetHeight();
    uint32_t current = 0;
    if (!payload.ReadLayers(1, width, height, &progress, &into.layers) ||
        !payload.ReadLayers(1, width, height, &progress, &away.layers) || !payload.ReadU32(&current))
        return false;
    if (m_canvas->InsertLayers(int32_t(pair.first), away.layers) != kResOk)
        return false;
    delete m_canvas->ExchangeLayer(int32_t(pair.second), into.layers[0]);
    (void)into.layers.SetCount(0);
    RestoreCurrentLayer(current);
    AnnounceLayersChanged();
    return true;
}

// The way back takes the copy out where it was inserted.
bool CHMRBackbone::ApplyLayerDuplicated(tCStream* stream, int64_t length, bool undo)
{
    UndoPayload payload(stream, length);
    LayerIndexPair pair;
    const int64_t count = m_canvas->GetLayerCount();
    if (!payload.ReadPair(&pair))
        return false;
    if (undo) {
        uint32_t current = 0;
        if (count < 2 || pair.second >= count || !payload.ReadU32(&current))
            return false;
        m_canvas->DeleteLayer(int32_t(pair.second));
        RestoreCurrentLayer(current);
        AnnounceLayersChanged();
        return true;
    }
    if (pair.first >= count || pair.second > count)
        return false;
    return m_canvas->DuplicateLayer(&pair, 0) == kResOk;
}

bool CHMRBackbone::ApplyLayersFlattened(tCStream* stream, int64_t length, bool undo)
{
    UndoPayload payload(stream, length);
    uint32_t count = 0;
    if (!payload.ReadU32(&count) || count < 1)
        return false;
    if (!undo) {
        const int32_t layers = m_canvas->GetLayerCount();
        if (layers < 2 || int64_t(count) != layers || !payload.SkipLayers(count) || m_canvas->FlattenLayers(0) != kResOk)
            return false;
        AnnounceLayersChanged();
        return true;
    }
    tCProgress progress(kLayerProgressTotal, tCString(), kLayerProgressContext);
    StagedLayers bottom, above;
    const int32_t width = m_canvas->GetWidth(), height = m_canvas->GetHeight();
    uint32_t current = 0;
    if (!payload.ReadLayers(1, width, height, &progress, &bottom.layers) ||
        !payload.ReadLayers(int64_t(count) - 1, width, height, &progress, &above.layers) ||
        !payload.ReadU32(&current))
        return false;
    if (m_canvas->InsertLayers(1, above.layers) != kResOk)
        return false;
    delete m_canvas->ExchangeLayer(0, bottom.layers[0]);
    (void)bottom.layers.SetCount(0);
    RestoreCurrentLayer(current);
    AnnounceLayersChanged();
    return true;
}

bool CHMRBackbone::ApplyCanvasResized(tCStream* stream, int64_t length, bool undo)
{
    UndoPayload payload(stream, length);
    int32_t oldWidth = 0, oldHeight = 0;
    CellMapResize size;
    if (!payload.ReadI32(&oldWidth) || !payload.ReadI32(&oldHeight) || !payload.ReadSize(&size) ||
        !IsSide(oldWidth) || !IsSide(oldHeight) || !IsSide(size.width) || !IsSide(size.height))
        return false;
    // The step starts from the old size and ends at the new one.
    if (m_canvas->GetWidth() != (undo ? size.width : oldWidth) ||
        m_canvas->GetHeight() != (undo ? size.height : oldHeight))
        return false;
    bool applied = false;
    if (undo) {
        uint32_t count = 0, current = 0;
        tCProgress progress(kLayerProgressTotal, tCString(), kLayerProgressContext);
        StagedLayers staged;
        // Every layer of the painting goes back to its stored cells, or none does.
        if (payload.ReadU32(&count) && int64_t(count) == m_canvas->GetLayerCount() &&
            payload.ReadLayers(count, oldWidth, oldHeight, &progress, &staged.layers) && payload.ReadU32(&current) &&
            m_canvas->SetCanvasSize(oldWidth, oldHeight) == kResOk) {
            for (int32_t i = 0; i < staged.layers.GetCount(); ++i) {
                staged.layers[i]->SetName(m_canvas->GetLayer(i)->GetName());
                delete m_canvas->ExchangeLayer(i, staged.layers[i]);
                staged.layers[i] = nullptr;
            }
            m_project.width = oldWidth;
            m_project.height = oldHeight;
            RestoreCurrentLayer(current);
            AnnounceLayersChanged();
            applied = true;
        }
    } else if (uint32_t count = 0; payload.ReadU32(&count) && int64_t(count) == m_canvas->GetLayerCount() &&
                                   payload.SkipLayers(count) && m_canvas->ResizeCanvas(&size, 0) == kResOk) {
        m_project.width = size.width;
        m_project.height = size.height;
        applied = true;
    }
    (void)m_undo->SetCanvasSize(m_project.width, m_project.height);
    (void)SendToBackdrop(kMsgNewProject, ToMsgArg(this), ToMsgArg(&m_project), 0);
    return applied;
}
