#include "toolkit/imaging/PixelScale.h"

#include <algorithm>

#include "toolkit/imaging/PixelMath.h"
#include "toolkit/imaging/ScaleKernels.h"

namespace {

bool IsScalableView(const CImNavBase* view)
{
    return view && view->IsLocked() && (view->GetBytesPerPixel() == 4 || view->GetBytesPerPixel() == 1);
}

inline CPixel Lerp(CPixel a, CPixel b, uint32_t f) { return LerpArgb(a, b, f); }
inline uint8_t Lerp(uint8_t a, uint8_t b, uint32_t f) { return uint8_t(LerpByte(a, b, f)); }

// The vertical mix of the last column; the 8-bit form adds one to the difference.
inline CPixel EdgeMix(CPixel a, CPixel b, uint32_t f) { return LerpArgb(a, b, f); }
inline uint8_t EdgeMix(uint8_t a, uint8_t b, uint32_t f)
{
    return uint8_t(a + (((int32_t(b) - int32_t(a) + 1) * int32_t(f)) >> 8));
}

template <typename D, typename S>
void BilinearRows(const CImNavBase* dest, const CImNavBase* source, const tScaleSteps& xs, const tScaleSteps& ys)
{
    const int32_t sw = source->GetWidth(), sh = source->GetHeight();
    int64_t py = ys.start;
    for (int32_t y = 0; y < dest->GetHeight(); ++y, py += ys.step) {
        const int64_t sy = SampleIndex(py);
        const uint32_t fy = SampleFraction(py);
        const int32_t row0 = sy < 0 ? 0 : int32_t(std::min<int64_t>(sy, sh - 1));
        const int32_t row1 = sy >= 0 && sy < sh - 1 ? row0 + 1 : row0;
        const S* r0 = reinterpret_cast<const S*>(source->Row(row0));
        const S* r1 = reinterpret_cast<const S*>(source->Row(row1));
        D* out = reinterpret_cast<D*>(dest->Row(y));
        int64_t px = xs.start;
        for (int32_t x = 0; x < dest->GetWidth(); ++x, px += xs.step) {
            const int64_t sx = SampleIndex(px);
            if (sx >= 0 && sx < sw - 1) {
                const uint32_t fx = SampleFraction(px);
                const S top = Lerp(r0[sx], r0[sx + 1], fx);
                const S bottom = Lerp(r1[sx], r1[sx + 1], fx);
                Store(out + x, Lerp(top, bottom, fy));
            } else {
                const int64_t c = sx < 0 ? 0 : std::min<int64_t>(sx, sw - 1);
                Store(out + x, EdgeMix(r0[c], r1[c], fy));
            }
        }
    }
}

template <typename D, typename S>
void BoxScaleRows(const CImNavBase* dest, const CImNavBase* source, const tScaleSteps& xs, const tScaleSteps& ys)
{
    tBoxDivider divider;
    for (int32_t y = 0; y < dest->GetHeight(); ++y) {
        int32_t y0, y1;
        BoxSpan(y, ys.step, source->GetHeight(), &y0, &y1);
        D* out = reinterpret_cast<D*>(dest->Row(y));
        for (int32_t x = 0; x < dest->GetWidth(); ++x) {
            int32_t x0, x1;
            BoxSpan(x, xs.step, source->GetWidth(), &x0, &x1);
            tSumOf<S> sum;
            for (int32_t sy = y0; sy < y1; ++sy) {
                const S* row = reinterpret_cast<const S*>(source->Row(sy));
                for (int32_t sx = x0; sx < x1; ++sx)
                    sum.Add(row[sx]);
            }
            divider.SetCount(uint64_t(x1 - x0) * uint64_t(y1 - y0));
            StoreMean(out + x, sum, divider);
        }
    }
}

// Calls Rows<D, S> for the views' two pixel sizes.
template <template <typename, typename> class Rows>
void ByPixelSizes(const CImNavBase* dest, const CImNavBase* source, const tScaleSteps& xs, const tScaleSteps& ys)
{
    const bool dest32 = dest->GetBytesPerPixel() == 4, source32 = source->GetBytesPerPixel() == 4;
    if (dest32 && source32)
        Rows<CPixel, CPixel>::Run(dest, source, xs, ys);
    else if (dest32)
        Rows<CPixel, uint8_t>::Run(dest, source, xs, ys);
    else if (source32)
        Rows<uint8_t, CPixel>::Run(dest, source, xs, ys);
    else
        Rows<uint8_t, uint8_t>::Run(dest, source, xs, ys);
}

template <typename D, typename S>
struct tBilinear {
    static void Run(const CImNavBase* d, const CImNavBase* s, const tScaleSteps& xs, const tScaleSteps& ys)
    {
        BilinearRows<D, S>(d, s, xs, ys);
    }
};

template <typename D, typename S>
struct tBox {
    static void Run(const CImNavBase* d, const CImNavBase* s, const tScaleSteps& xs, const tScaleSteps& ys)
    {
        BoxScaleRows<D, S>(d, s, xs, ys);
    }
};

}  // namespace

tResult BoxScaleBlit(CImNavBase* dest, const CImNavBase* source)
{
    if (!IsScalableView(dest) || !IsScalableView(source))
        return kResBadParam;
    if (dest->IsEmpty() || source->IsEmpty())
        return kResOk;
    ByPixelSizes<tBox>(dest, source, tScaleSteps(source->GetWidth(), dest->GetWidth()),
                       tScaleSteps(source->GetHeight(), dest->GetHeight()));
    return kResOk;
}

tResult ScaleBlit(CImNavBase* dest, const CImNavBase* source, uint32_t box)
{
    if (!IsScalableView(dest) || !IsScalableView(source))
        return kResBadParam;
    if (dest->IsEmpty() || source->IsEmpty())
        return kResOk;
    const tScaleSteps xs(source->GetWidth(), dest->GetWidth());
    const tScaleSteps ys(source->GetHeight(), dest->GetHeight());
    if (box && xs.Halves() && ys.Halves())
        ByPixelSizes<tBox>(dest, source, xs, ys);
    else
        ByPixelSizes<tBilinear>(dest, source, xs, ys);
    return kResOk;
}

tResult ScaleImageToImage(CImageBase* dest, CImageBase* source, uint32_t box)
{
    if (!dest || !source)
        return kResBadParam;
    return WithPixelsUnpacked(dest, [&]() -> tResult {
        CImNavBase to(dest);
        if (!to.IsLocked())
            return kResNoMemory;
        if (source->IsCompressed())
            return ScaleRleBlit(&to, source, box);
        CImNavBase from(source);
        if (!from.IsLocked())
            return kResNoMemory;
        return ScaleBlit(&to, &from, box);
    });
}
