#include "toolkit/widgets/Transitions.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/NoiseLibrary.h"
#include "toolkit/imaging/LendingSampler.h"
#include "toolkit/imaging/RotatedBlit.h"
#include "toolkit/imaging/ValueNoise.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

float Clamp01(float p)
{
    return p > 0.0f ? std::min(p, 1.0f) : 0.0f;
}

uint32_t Steps255(double fraction)
{
    return uint32_t(std::clamp<long>(std::lround(fraction * 255.0), 0, 255));
}

// The colour with its alpha scaled by a (0 .. 255): bits 24-31 of (c >> 8) x (a + 1).
CPixel ScaleAlpha(CPixel c, uint32_t a)
{
    return (c & 0x00FFFFFF) | ((((c >> 8) * (a + 1)) >> 24) << 24);
}

struct tCapture {
    CImage* image = nullptr;
    tCPoint offset;
    tCRect Placed() const
    {
        return tCRect{0, 0, image->GetWidth(), image->GetHeight()}.Offset(offset);
    }
};

// The single capture and the progress it is shown at: the start fades out, the end comes in.
tCapture OnlyCapture(const CTransitionWidget& widget, float p, float* shown)
{
    const bool start = widget.GetStartImage() != nullptr;
    *shown = start ? 1.0f - p : p;
    return start ? tCapture{widget.GetStartImage(), widget.GetStartOffset()}
                 : tCapture{widget.GetEndImage(), widget.GetEndOffset()};
}

CImage* FrameOf(CTransitionWidget* widget)
{
    CImage* frame = widget ? widget->GetImage() : nullptr;
    return frame && frame->IsValid() && !frame->IsCompressed() ? frame : nullptr;
}

CPixel PixelAt(const CImNav& view, const tCRect& placed, int32_t x, int32_t y)
{
    return view.Pixels(y - placed.top)[x - placed.left];
}

// The alpha-correct mix of s and e at weight u (0 gives s, 255 e), as CrossFadePixel computes
// it, with the plain lerp of two opaque pixels taken directly and the division by the mixed
// alpha taken from a table.
CPixel MixPixels(CPixel s, CPixel e, uint32_t u)
{
    static const struct tReciprocals {
        int32_t of[256];
        tReciprocals()
        {
            for (int32_t a = 0; a < 256; ++a)
                of[a] = (1 << 24) / (a + 1);
        }
    } kReciprocals;
    const uint32_t sa = s >> 24, ea = e >> 24;
    if (sa != 255 || ea != 255)
        return sa == 0 || ea == 0 ? CrossFadePixel(s, e, u) : [&] {
            const int32_t w = int32_t(u) * 257 + 1;
            const int32_t a = int32_t(sa) + ((int32_t(ea - sa) * w) >> 16);
            CPixel out = CPixel(a) << 24;
            for (int shift = 0; shift <= 16; shift += 8) {
                const int32_t ps = int32_t(((s >> shift) & 0xFF) * (sa + 1)) >> 8;
                const int32_t pe = int32_t(((e >> shift) & 0xFF) * (ea + 1)) >> 8;
                const int64_t mixed = ps + ((int64_t(pe - ps) * w) >> 16);
                out |= CPixel(((mixed * kReciprocals.of[a]) >> 16) & 0xFF) << shift;
            }
            return out;
        }();
    // Both opaque: premultiplying and dividing again change nothing.
    const int32_t w = int32_t(u) * 257 + 1;
    CPixel out = 0xFF000000;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int32_t cs = int32_t((s >> shift) & 0xFF), ce = int32_t((e >> shift) & 0xFF);
        out |= CPixel(cs + (((ce - cs) * w) >> 16)) << shift;
    }
    return out;
}

double Smoothstep(double t)
{
    return t * t * (3 - 2 * t);
}

// One picture's sample for a dissolve: warped along the noise gradient by `strength`.
CPixel DisplacedSample(const CImNav& source, tCPoint offset, int32_t x, int32_t y, int64_t gx, int64_t gy,
                       int64_t strength)
{
    const int64_t u = (int64_t(x - offset.x) << 16) + gx * strength;
    const int64_t v = (int64_t(y - offset.y) << 16) + gy * strength;
    return SampleBilinearLending(source, u, v);
}

// The noise image at the frame's size, made and filled when missing or of another size.
tResult PrepareNoise(CTransitionWidget* widget, const CImage& frame, CImage16** out)
{
    CImage16* noise = widget->GetNoiseImage();
    if (!noise || noise->GetWidth() != frame.GetWidth() || noise->GetHeight() != frame.GetHeight()) {
        noise = new (std::nothrow) CImage16(frame.GetWidth(), frame.GetHeight());
        if (!noise || !noise->IsValid()) {
            delete noise;
            return kResNoMemory;
        }
        widget->SetNoiseImage(noise);
        TK_TRY(FillDissolveNoise(noise));
    }
    *out = noise;
    return kResOk;
}

}  // namespace

tResult FillDissolveNoise(CImage16* noise)
{
    CImNav16 view(noise);
    if (!view.IsLocked() || view.IsEmpty())
        return kResNoMemory;
    tSharedNoise& shared = SharedNoise();
    const uint32_t r1 = NextRandom16(shared.seed), r2 = NextRandom16(shared.seed);
    const uint32_t* seed = &shared.seed[0];
    const int32_t w = view.GetWidth(), h = view.GetHeight();
    for (int32_t y = 0; y < h; y += 2) {
        uint16_t* row = view.Pixels(y);
        const int32_t ly = int32_t(3096u * (uint32_t(y) + r2));
        for (int32_t x = 0; x < w; x += 2) {
            const int32_t lx = int32_t(3096u * (uint32_t(x) + r1));
            const uint32_t n1 = ValueNoise2D(seed, lx >> 2, ly >> 2);
            const uint32_t n2 = ValueNoise2D(seed, lx >> 1, ly >> 1);
            const uint32_t n3 = ValueNoise2D(seed, lx, ly);
            row[x] = uint16_t(((4 * n1 + 2 * n2 + n3) * 17) >> 7);
        }
        for (int32_t x = 1; x < w; x += 2)
            row[x] = uint16_t((row[x - 1] + row[x + 1 < w ? x + 1 : x - 1]) >> 1);
    }
    for (int32_t y = 1; y < h; y += 2) {
        const uint16_t* above = view.Pixels(y - 1);
        const uint16_t* below = view.Pixels(y + 1 < h ? y + 1 : y - 1);
        uint16_t* row = view.Pixels(y);
        for (int32_t x = 0; x < w; ++x)
            row[x] = uint16_t((above[x] + below[x]) >> 1);
    }
    return kResOk;
}

tResult TransitionCrossFade(tMsgArg, CTransitionWidget* widget, float progress)
{
    CImage* frame = FrameOf(widget);
    if (!frame)
        return kResNoMemory;
    const float p = Clamp01(progress);
    CImage* startImage = widget->GetStartImage();
    CImage* endImage = widget->GetEndImage();
    if (!startImage && !endImage)
        return kResOk;
    if (!startImage || !endImage) {
        float shown = 0;
        const tCapture only = OnlyCapture(*widget, p, &shown);
        const uint32_t a = Steps255(shown);
        const tCRect placed = only.Placed();
        const tCRect rect = placed.Intersect(frame->GetBounds());
        if (!rect.IsEmpty()) {
            CImNav out(frame, rect), in(only.image);
            if (!out.IsLocked() || !in.IsLocked())
                return kResNoMemory;
            for (int32_t y = 0; y < out.GetHeight(); ++y) {
                CPixel* row = out.Pixels(y);
                for (int32_t x = 0; x < out.GetWidth(); ++x)
                    row[x] = ScaleAlpha(PixelAt(in, placed, rect.left + x, rect.top + y), a);
            }
        }
        return widget->FinishFrame(rect);
    }
    const tCapture start{startImage, widget->GetStartOffset()}, end{endImage, widget->GetEndOffset()};
    const uint32_t a = Steps255(1.0 - p);
    const tCRect inStart = start.Placed(), inEnd = end.Placed();
    const tCRect rect = inStart.Union(inEnd).Intersect(frame->GetBounds());
    if (!rect.IsEmpty()) {
        CImNav out(frame, rect), from(startImage), to(endImage);
        if (!out.IsLocked() || !from.IsLocked() || !to.IsLocked())
            return kResNoMemory;
        for (int32_t y = 0; y < out.GetHeight(); ++y) {
            CPixel* row = out.Pixels(y);
            for (int32_t x = 0; x < out.GetWidth(); ++x) {
                const tCPoint at{rect.left + x, rect.top + y};
                const bool s = inStart.Contains(at), e = inEnd.Contains(at);
                if (s && e)
                    row[x] = MixPixels(PixelAt(from, inStart, at.x, at.y), PixelAt(to, inEnd, at.x, at.y), 255 - a);
                else if (s)
                    row[x] = ScaleAlpha(PixelAt(from, inStart, at.x, at.y), a);
                else if (e) {
                    const CPixel pixel = PixelAt(to, inEnd, at.x, at.y);
                    row[x] = (pixel & 0x00FFFFFF) | ((((pixel >> 8) * (256 - a)) >> 24) << 24);
                } else
                    row[x] = 0;
            }
        }
    }
    return widget->FinishFrame(rect);
}

tResult TransitionSpin(tMsgArg, CTransitionWidget* widget, float progress)
{
    CImage* frame = FrameOf(widget);
    if (!frame)
        return kResNoMemory;
    const float p = Clamp01(progress);
    CImage* startImage = widget->GetStartImage();
    CImage* endImage = widget->GetEndImage();
    if (!startImage && !endImage)
        return kResOk;
    const tCRect last = widget->GetLastFrameRect().Intersect(frame->GetBounds());
    if (!last.IsEmpty()) {
        CImNav cleared(frame, last);
        if (!cleared.IsLocked())
            return kResNoMemory;
        cleared.Fill(0);
    }
    tCRect touched;
    if (!startImage || !endImage) {
        float shown = 0;
        const tCapture only = OnlyCapture(*widget, p, &shown);
        TK_TRY(BlitRotatedScaled(*frame, *only.image, float(shown * 4 * kPi), 1.0f - shown, 0.5f, 0.5f, &touched, 0));
        return widget->FinishFrame(touched);
    }
    const double e = p < 0.5f ? Smoothstep(2.0 * p) : 1.0 - Smoothstep(2.0 * p - 1.0);
    const double c = std::cos(3 * kPi * p), s = std::sin(3 * kPi * p);
    const auto draw = [&](CImage* image, double angle, float scale, double sign, tCRect* box) {
        return BlitRotatedScaledOver(*frame, *image, float(angle), scale, float(0.5 + sign * e / 4 * c),
                                     float(0.5 + sign * e / 4 * s), box);
    };
    tCRect startBox, endBox;
    if (p < 0.5f) {
        TK_TRY(draw(endImage, (1.0 - p) * 4 * kPi, p, 1, &endBox));
        TK_TRY(draw(startImage, p * 4 * kPi, 1.0f - p, -1, &startBox));
    } else {
        TK_TRY(draw(startImage, p * 4 * kPi, 1.0f - p, -1, &startBox));
        TK_TRY(draw(endImage, (1.0 - p) * 4 * kPi, p, 1, &endBox));
    }
    touched = startBox.IsEmpty() ? endBox : endBox.IsEmpty() ? startBox : startBox.Union(endBox);
    return widget->FinishFrame(touched);
}

tResult TransitionNoiseDissolve(tMsgArg, CTransitionWidget* widget, float progress)
{
    CImage* frame = FrameOf(widget);
    if (!frame)
        return kResNoMemory;
    const float p = Clamp01(progress);
    CImage* startImage = widget->GetStartImage();
    CImage* endImage = widget->GetEndImage();
    if (!startImage && !endImage)
        return kResOk;
    CImage16* noise = nullptr;
    TK_TRY(PrepareNoise(widget, *frame, &noise));
    const int32_t w = frame->GetWidth(), h = frame->GetHeight();
    if (w < 3 || h < 3)
        return widget->FinishFrame(frame->GetBounds());
    CImNav out(frame);
    CImNav16 field(noise);
    if (!out.IsLocked() || !field.IsLocked())
        return kResNoMemory;

    if (!startImage || !endImage) {
        float shown = 0;
        const tCapture only = OnlyCapture(*widget, p, &shown);
        CImNav source(only.image);
        if (!source.IsLocked())
            return kResNoMemory;
        const int64_t strength = std::lround((1.0 - shown) * 45536) >> 2;
        const int64_t k = std::lround((1.0 - shown / 0.8) * 256);
        const uint32_t j = uint32_t(std::clamp<long>(std::lround(shown * 255.0 * 5), 0, 255));
        for (int32_t y = 1; y < h - 1; ++y) {
            CPixel* row = out.Pixels(y);
            const uint16_t *above = field.Pixels(y - 1), *noise = field.Pixels(y), *below = field.Pixels(y + 1);
            for (int32_t x = 1; x < w - 1; ++x) {
                CPixel sample = DisplacedSample(source, only.offset, x, y, int64_t(noise[x - 1]) - noise[x + 1],
                                                int64_t(above[x]) - below[x], strength);
                if ((sample >> 24) && shown < 0.8f)
                    sample = ScaleAlpha(sample, uint32_t(std::max<int64_t>(0, 255 - ((noise[x] * k) >> 14))));
                if ((sample >> 24) && shown < 0.2f)
                    sample = ScaleAlpha(sample, j);
                row[x] = sample;
            }
        }
        return widget->FinishFrame(frame->GetBounds());
    }

    CImNav from(startImage), to(endImage);
    if (!from.IsLocked() || !to.IsLocked())
        return kResNoMemory;
    const int64_t startStrength = std::lround(double(p) * 45536) >> 3;
    const int64_t endStrength = std::lround((1.0 - p) * 45536) >> 3;
    const double q = 1.0 - p;
    const int64_t k = std::lround((1.0 - q / 0.8) * 256);
    const int64_t j = std::lround(q * 255.0 * 5);
    for (int32_t y = 1; y < h - 1; ++y) {
        CPixel* row = out.Pixels(y);
        const uint16_t *above = field.Pixels(y - 1), *noise = field.Pixels(y), *below = field.Pixels(y + 1);
        for (int32_t x = 1; x < w - 1; ++x) {
            const int64_t gx = int64_t(noise[x - 1]) - noise[x + 1], gy = int64_t(above[x]) - below[x];
            const CPixel s = DisplacedSample(from, widget->GetStartOffset(), x, y, gx, gy, startStrength);
            if (p < 0.2f) {
                row[x] = s;
                continue;
            }
            const CPixel e = DisplacedSample(to, widget->GetEndOffset(), x, y, gx, gy, endStrength);
            int64_t t = std::max<int64_t>(0, 255 - ((noise[x] * k) >> 14));
            if (p > 0.8f)
                t = (j * t) >> 8;
            row[x] = MixPixels(s, e, uint32_t(255 - t));
        }
    }
    return widget->FinishFrame(frame->GetBounds());
}
