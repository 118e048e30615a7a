#include "toolkit/imaging/Blur.h"

#include "toolkit/imaging/LineBlur.h"

namespace {

using tColumnBlur = void (*)(uint32_t*, uint32_t, uint32_t, int32_t, int32_t);

struct tColumnBlurs {
    tColumnBlur sixteen, four, one;
};

constexpr tColumnBlurs kLowColumns{BlurColumns16Low, BlurColumns4Low, BlurColumnLow};
constexpr tColumnBlurs kHighColumns{BlurColumns16High, BlurColumns4High, BlurColumnHigh};
constexpr tColumnBlurs kPairColumns{BlurColumns16Pair, BlurColumns4Pair, BlurColumnPair};

// The columns of a view: sixteen adjacent ones per sweep while sixteen remain, then four, then
// one by one.
void BlurColumns(CImNav& nav, const tBlurPlan& plan, const tColumnBlurs& blurs)
{
    if (nav.IsEmpty())
        return;
    CPixel* top = nav.Pixels(0);
    const int32_t width = nav.GetWidth();
    int32_t x = 0;
    for (; x + 16 <= width; x += 16)
        blurs.sixteen(top + x, plan.stride, plan.fraction, nav.GetHeight(), nav.GetStride());
    for (; x + 4 <= width; x += 4)
        blurs.four(top + x, plan.stride, plan.fraction, nav.GetHeight(), nav.GetStride());
    for (; x < width; ++x)
        blurs.one(top + x, plan.stride, plan.fraction, nav.GetHeight(), nav.GetStride());
}

// Visits every pixel of two views of equal size.
template <typename Visit>
void ForEachPixelPair(CImNav& a, CImNav& b, Visit visit)
{
    for (int32_t y = 0; y < a.GetHeight(); ++y) {
        CPixel* pa = a.Pixels(y);
        CPixel* pb = b.Pixels(y);
        for (int32_t x = 0; x < a.GetWidth(); ++x)
            visit(pa[x], pb[x]);
    }
}

}  // namespace

uint32_t BlurNavigator(CImNav& nav, float radius, uint32_t half)
{
    if (radius < kMinBlurRadius)
        return 1;
    if (!nav.HoldsArgb())
        return 0;
    const tBlurPlan plan = PlanBlur(radius);
    if (!nav.IsEmpty())
        for (int32_t y = 0; y < nav.GetHeight(); ++y)
            (half ? BlurRowHigh : BlurRowLow)(nav.Pixels(y), plan.stride, plan.fraction, nav.GetWidth());
    BlurColumns(nav, plan, half ? kHighColumns : kLowColumns);
    return 1;
}

uint32_t BlurImage(CImage& image, float radius, uint32_t half)
{
    CImNav nav(&image);
    if (!nav.HoldsArgb())
        return 0;
    return BlurNavigator(nav, radius, half);
}

uint32_t BlurNavigatorColumns(CImNav& nav, float radius, uint32_t half)
{
    if (!nav.HoldsArgb())
        return 0;
    BlurColumns(nav, PlanBlur(radius), half ? kHighColumns : kLowColumns);
    return 1;
}

uint32_t BlurImageColumns(CImage& image, float radius, uint32_t half)
{
    CImNav nav(&image);
    return BlurNavigatorColumns(nav, radius, half);
}

uint32_t BlurNavigatorColumnsPair(CImNav& nav, float radius)
{
    if (radius < kMinBlurRadius)
        return 1;
    if (!nav.HoldsArgb())
        return 0;
    BlurColumns(nav, PlanBlur(radius), kPairColumns);
    return 1;
}

uint32_t BlurImageColumnsPair(CImage& image, float radius)
{
    CImNav nav(&image);
    if (!nav.HoldsArgb())
        return 0;
    return BlurNavigatorColumnsPair(nav, radius);
}

uint32_t BlurNavigatorColourColumns(CImNav& nav, float radius)
{
    if (!nav.HoldsArgb())
        return 0;
    CImage scratch(nav.GetWidth(), nav.GetHeight());
    if (!scratch.IsValid() || nav.IsEmpty())
        return 0;
    CImNav work(&scratch);
    if (!work.HoldsArgb())
        return 0;
    // Red in the high half, blue in the low half, each widened to 16 bits.
    ForEachPixelPair(nav, work, [](CPixel& p, CPixel& s) { s = (p & 0x00FF00FF) * 257; });
    if (!BlurNavigatorColumnsPair(work, radius))
        return 0;
    // Red and blue come back; alpha and green go out for their own pass, green in the low half.
    ForEachPixelPair(nav, work, [](CPixel& p, CPixel& s) {
        p = (p & 0xFF00FF00) | ((s >> 8) & 0x00FF00FF);
        s = ((p >> 24) * 257) << 16 | ((p >> 8) & 0xFF) * 257;
    });
    if (!BlurNavigatorColumns(work, radius, 0))
        return 0;
    ForEachPixelPair(nav, work, [](CPixel& p, CPixel& s) { p = (p & 0xFFFF00FF) | (s & 0xFF00); });
    return 1;
}

uint32_t BlurImageRect(CImage& image, float radius, const tCRect* area)
{
    if (!area) {
        CImNav nav(&image);
        return BlurNavigatorColourColumns(nav, radius);
    }
    CImNav nav(&image, *area);
    return BlurNavigatorColourColumns(nav, radius);
}
