#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCRect.h"

class CLayer;
class CPaintCellMap;
class tCProgress;
struct CellMapResize;

// Two layer indexes as the canvas's layer operations take them: {from, to} of a move,
// {from, into} of a merge, {source, at} of a duplicate.
struct LayerIndexPair {
    uint32_t first = 0;
    uint32_t second = 0;
};

// What the canvas asks of the controller before it changes the painting, so that the change
// can be undone. The controller implements it over its undo store (CHMRUndoManager); each
// operation answers a result code.
class IUndoHooks {
public:
    // The canvas opens its paint steps with type 0 and the current layer's index.
    virtual tResult BeginUndoStep(uint32_t type, uint32_t value) = 0;
    virtual tResult EndUndoStep() = 0;
    // Saves the tiles of `cells` under `area` (in cells) before they change. A failure drops
    // the open step, and EndUndoStep answers it again.
    virtual tResult SaveUndoTiles(const tCRect& area, CPaintCellMap& cells) = 0;
    // The change just made is kept although its step could not be stored (`cause`, what
    // EndUndoStep answered): no step before it may be undone over it.
    virtual void UndoStepLost(tResult cause) = 0;
    // A marker step: a layer was added at `layerIndex`.
    virtual tResult PushUndoStep(uint32_t layerIndex) = 0;

    // Each stores a record of a layer operation, with the layers it needs to be undone; the
    // progress is shown while large layers are written.
    virtual tResult RecordLayerDeleted(uint32_t index, CLayer* layer, tCProgress* progress) = 0;
    virtual tResult RecordLayerMoved(const LayerIndexPair* pair) = 0;
    // `second` is the layer merged into, `first` the layer merged away.
    virtual tResult RecordLayersMerged(const LayerIndexPair* pair, CLayer* second, CLayer* first,
                                       tCProgress* progress) = 0;
    virtual tResult RecordLayerDuplicated(const LayerIndexPair* pair) = 0;
    virtual tResult RecordLayersFlattened(CLayer* const* layers, int32_t count, tCProgress* progress) = 0;
    virtual tResult RecordCanvasResize(CLayer* const* layers, int32_t count, const CellMapResize* size,
                                       tCProgress* progress) = 0;

protected:
    ~IUndoHooks() = default;
};
