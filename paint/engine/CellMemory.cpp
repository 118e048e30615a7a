#include "paint/engine/CellMemory.h"

#include "paint/engine/PaintCell.h"
#include "platform/Kernel.h"
#include "toolkit/imaging/ImageCodecs.h"

namespace {

// 5 when `bytes` would not fit in the memory the system reports available. When the system
// cannot tell, the allocation itself decides.
tResult CheckAvailableBytes(uint64_t bytes)
{
    uint64_t available;
    if (!AvailableMemory(&available))
        return kResOk;
    return bytes > available ? kResNoMemory : kResOk;
}

// 5 when `count` items of width x height units of `unitBytes` would not fit in the memory the
// system reports available.
tResult CheckAvailableMemory(int64_t count, int64_t width, int64_t height, uint64_t unitBytes)
{
    if (count < 0 || width < 0 || height < 0)
        return kResBadParam;
    uint64_t units;
    uint64_t bytes;
    if (__builtin_mul_overflow(uint64_t(width), uint64_t(height), &units) ||
        __builtin_mul_overflow(units, uint64_t(count), &units) || __builtin_mul_overflow(units, unitBytes, &bytes))
        bytes = UINT64_MAX;
    return CheckAvailableBytes(bytes);
}

}  // namespace

bool AvailableMemory(uint64_t* bytes)
{
    w32::MEMORYSTATUSEX status;
    if (!w32::GlobalMemoryStatusEx(&status))
        return false;
    *bytes = status.ullAvailPhys;
    return true;
}

tResult CheckCellMemory(int64_t width, int64_t height)
{
    return CheckAvailableMemory(1, width, height, uint64_t(kPaintCellBytes));
}

tResult CheckImageMemory(int64_t count, int64_t width, int64_t height)
{
    return CheckAvailableMemory(count, width, height, 4);
}

uint64_t ImageMeasure::DecodeBytes(int32_t pixelBytes) const
{
    uint64_t pixels;
    uint64_t bytes;
    if (__builtin_mul_overflow(uint64_t(width), uint64_t(height), &pixels) ||
        __builtin_mul_overflow(pixels, uint64_t(pixelBytes), &bytes) ||
        __builtin_add_overflow(bytes, uint64_t(decoderBytes), &bytes))
        return UINT64_MAX;
    return bytes;
}

tResult MeasureImage(tCStream* stream, ImageMeasure* measure)
{
    ImageMeasure read;
    if (ReadImageStreamSize(stream, &read.width, &read.height, &read.decoderBytes) != kResOk)
        return kResFileIO;
    *measure = read;
    return kResOk;
}

tResult CheckImageMemory(const ImageMeasure& image, int32_t pixelBytes)
{
    return CheckAvailableBytes(image.DecodeBytes(pixelBytes));
}
