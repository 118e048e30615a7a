#include "paint/engine/CellMemory.h"

#include "paint/engine/PaintCell.h"
#include "platform/Kernel.h"

tResult CheckCellMemory(int64_t width, int64_t height)
{
    if (width < 0 || height < 0)
        return kResBadParam;
    w32::MEMORYSTATUSEX status;
    // When the system cannot tell, the allocation itself decides.
    if (!w32::GlobalMemoryStatusEx(&status))
        return kResOk;
    uint64_t cells;
    uint64_t bytes;
    if (__builtin_mul_overflow(uint64_t(width), uint64_t(height), &cells) ||
        __builtin_mul_overflow(cells, uint64_t(kPaintCellBytes), &bytes))
        return kResNoMemory;
    return bytes > status.ullAvailPhys ? kResNoMemory : kResOk;
}
