#include "paint/engine/PaintingMemory.h"

#include <algorithm>

#include "paint/engine/CCanvas.h"
#include "paint/engine/CHMRUndoManager.h"
#include "paint/engine/CLayer.h"
#include "paint/engine/CStandardRenderer.h"
#include "paint/engine/CellMemory.h"
#include "paint/engine/PaintCell.h"

namespace {

uint64_t SaturatedProduct(uint64_t a, uint64_t b)
{
    uint64_t product;
    return __builtin_mul_overflow(a, b, &product) ? UINT64_MAX : product;
}

uint64_t SaturatedSum(uint64_t a, uint64_t b)
{
    uint64_t sum;
    return __builtin_add_overflow(a, b, &sum) ? UINT64_MAX : sum;
}

bool IsPaintingSide(int32_t side) { return side >= 1 && side <= kMaxCanvasSide; }

}  // namespace

uint64_t PaintingBytes(const PaintingAllocation& painting)
{
    const int32_t width = painting.width, height = painting.height;
    if (!IsPaintingSide(width) || !IsPaintingSide(height))
        return 0;
    const uint64_t cells = uint64_t(width) * uint64_t(height) * kPaintCellBytes;
    const tCPoint view = CLayer::GetViewImageSize();
    const uint64_t viewImage = view.x >= 1 && view.y >= 1 ? uint64_t(view.x) * uint64_t(view.y) * 4 : 0;
    uint64_t bytes = CCanvas::NewPaintingBytes(width, height);
    bytes = SaturatedSum(bytes, CHMRUndoManager::HeldBytes(width, height));
    bytes = SaturatedSum(bytes, CStandardRenderer::WorkRowBytes(width));
    bytes = SaturatedSum(bytes, SaturatedProduct(cells, uint64_t(std::max(painting.cellLayers, 0))));
    bytes = SaturatedSum(bytes, SaturatedProduct(viewImage, uint64_t(std::max(painting.viewImages, 0))));
    return SaturatedSum(bytes, painting.imageBytes);
}

tResult CheckPaintingMemory(const PaintingAllocation& painting)
{
    if (!IsPaintingSide(painting.width) || !IsPaintingSide(painting.height) || painting.cellLayers < 0 ||
        painting.viewImages < 0)
        return kResBadParam;
    uint64_t available;
    if (!AvailableMemory(&available))
        return kResOk;
    return PaintingBytes(painting) > available ? kResNoMemory : kResOk;
}
