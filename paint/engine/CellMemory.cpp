#include "paint/engine/CellMemory.h"

#include <algorithm>

#include "paint/engine/CCanvas.h"
#include "paint/engine/CHMRUndoManager.h"
#include "paint/engine/CLayer.h"
#include "paint/engine/CStandardRenderer.h"
#include "paint/engine/PaintCell.h"
#include "platform/Kernel.h"

namespace {

// The memory the system reports available; false when it cannot tell.
bool AvailableMemory(uint64_t* bytes)
{
    w32::MEMORYSTATUSEX status;
    if (!w32::GlobalMemoryStatusEx(&status))
        return false;
    *bytes = status.ullAvailPhys;
    return true;
}

// 5 when `count` items of width x height units of `unitBytes` would not fit in the memory the
// system reports available.
tResult CheckAvailableMemory(int64_t count, int64_t width, int64_t height, uint64_t unitBytes)
{
    if (count < 0 || width < 0 || height < 0)
        return kResBadParam;
    uint64_t available;
    // When the system cannot tell, the allocation itself decides.
    if (!AvailableMemory(&available))
        return kResOk;
    uint64_t units;
    uint64_t bytes;
    if (__builtin_mul_overflow(uint64_t(width), uint64_t(height), &units) ||
        __builtin_mul_overflow(units, uint64_t(count), &units) || __builtin_mul_overflow(units, unitBytes, &bytes))
        return kResNoMemory;
    return bytes > available ? kResNoMemory : kResOk;
}

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

tResult CheckCellMemory(int64_t width, int64_t height)
{
    return CheckAvailableMemory(1, width, height, uint64_t(kPaintCellBytes));
}

tResult CheckImageMemory(int64_t count, int64_t width, int64_t height)
{
    return CheckAvailableMemory(count, width, height, 4);
}

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
    return SaturatedSum(bytes, SaturatedProduct(viewImage, uint64_t(std::max(painting.viewImages, 0))));
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
