#include <algorithm>

#include "toolkit/core/Memory.h"
#include "toolkit/core/ScopedGuards.h"
#include "toolkit/imaging/PackedSource.h"
#include "toolkit/imaging/PixelScale.h"
#include "toolkit/imaging/ScaleKernels.h"

// Scaling straight from run-length packed images: each source row is read sequentially with
// the run cursor, never unpacked as a whole.

namespace {

bool UsableDest(const CImNavBase* view)
{
    return view && view->IsLocked() && (view->GetBytesPerPixel() == 4 || view->GetBytesPerPixel() == 1);
}

template <typename D, typename T>
void SampledRows(CImNavBase* dest, CRunLengthT<T>* packed, const tScaleSteps& xs, const tScaleSteps& ys)
{
    tRunSampler<T> sampler;
    int64_t py = ys.start;
    for (int32_t y = 0; y < dest->GetHeight(); ++y, py += ys.step) {
        const int32_t sy = int32_t(SampleIndex(py));
        const uint32_t fy = SampleFraction(py);
        packed->SetSampleRows(&sampler, -1, sy, sy + 1);
        D* out = reinterpret_cast<D*>(dest->Row(y));
        int64_t px = xs.start;
        for (int32_t x = 0; x < dest->GetWidth(); ++x, px += xs.step)
            Store(out + x, packed->SampleBilinear(&sampler, int32_t(SampleIndex(px)), SampleFraction(px), fy));
    }
}

template <typename D, typename T>
tResult BoxScalePackedRows(CImNavBase* dest, CRunLengthT<T>* packed, const tScaleSteps& xs, const tScaleSteps& ys)
{
    using tSum = tSumOf<T>;
    const int32_t dw = dest->GetWidth();
    tSum* sums = static_cast<tSum*>(ToolkitAlloc(size_t(dw) * sizeof(tSum)));
    if (!sums)
        return kResNoMemory;
    ScopedBufferGuard<tSum> guard(&sums);
    tBoxDivider divider;
    for (int32_t y = 0; y < dest->GetHeight(); ++y) {
        int32_t y0, y1;
        BoxSpan(y, ys.step, packed->GetHeight(), &y0, &y1);
        std::fill_n(sums, dw, tSum{});
        for (int32_t sy = y0; sy < y1; ++sy) {
            tRunCursor<T> cursor = packed->CursorAt(0, sy);
            int32_t next = 0;
            T value{};
            for (int32_t x = 0; x < dw; ++x) {
                int32_t x0, x1;
                BoxSpan(x, xs.step, packed->GetWidth(), &x0, &x1);
                for (int32_t sx = x0; sx < x1; ++sx) {
                    // Spans only move right; an enlarging span repeats the last value read.
                    for (; next <= sx; ++next)
                        value = packed->ReadFrom(cursor);
                    sums[x].Add(value);
                }
            }
        }
        D* out = reinterpret_cast<D*>(dest->Row(y));
        for (int32_t x = 0; x < dw; ++x) {
            int32_t x0, x1;
            BoxSpan(x, xs.step, packed->GetWidth(), &x0, &x1);
            divider.SetCount(uint64_t(x1 - x0) * uint64_t(y1 - y0));
            StoreMean(out + x, sums[x], divider);
        }
    }
    return kResOk;
}

// Checks the arguments and runs `rows` for the destination's pixel size and the source's kind:
// 6 for an unusable view or a source that is not a packed image, 0 when either is empty.
template <template <typename, typename> class Rows>
tResult FromPacked(CImNavBase* dest, CImageBase* source, bool box)
{
    if (!UsableDest(dest) || !source || !source->IsValid())
        return kResBadParam;
    CRLE* argb = PackedCopyOf(source);
    CRLE8* grey = PackedCopy8Of(source);
    if (!argb && !grey)
        return kResBadParam;
    const int32_t sw = source->GetWidth(), sh = source->GetHeight();
    if (dest->IsEmpty() || sw <= 0 || sh <= 0)
        return kResOk;
    const tScaleSteps xs(sw, dest->GetWidth()), ys(sh, dest->GetHeight());
    const bool useBox = box && xs.Halves() && ys.Halves();
    const bool dest32 = dest->GetBytesPerPixel() == 4;
    if (argb)
        return dest32 ? Rows<CPixel, CPixel>::Run(dest, argb, xs, ys, useBox) : Rows<uint8_t, CPixel>::Run(dest, argb, xs, ys, useBox);
    return dest32 ? Rows<CPixel, uint8_t>::Run(dest, grey, xs, ys, useBox) : Rows<uint8_t, uint8_t>::Run(dest, grey, xs, ys, useBox);
}

template <typename D, typename T>
struct tScaled {
    static tResult Run(CImNavBase* d, CRunLengthT<T>* s, const tScaleSteps& xs, const tScaleSteps& ys, bool box)
    {
        if (box)
            return BoxScalePackedRows<D, T>(d, s, xs, ys);
        SampledRows<D, T>(d, s, xs, ys);
        return kResOk;
    }
};

template <typename D, typename T>
struct tBoxed {
    static tResult Run(CImNavBase* d, CRunLengthT<T>* s, const tScaleSteps& xs, const tScaleSteps& ys, bool)
    {
        return BoxScalePackedRows<D, T>(d, s, xs, ys);
    }
};

}  // namespace

tResult BoxScaleRleBlit(CImNavBase* dest, CImageBase* source)
{
    return FromPacked<tBoxed>(dest, source, true);
}

tResult ScaleRleBlit(CImNavBase* dest, CImageBase* source, uint32_t box)
{
    return FromPacked<tScaled>(dest, source, box != 0);
}
