#include "toolkit/imaging/PixelBlend.h"

#include <algorithm>

#include "toolkit/imaging/PixelMath.h"

tPixelBlendFn PixelBlendHook = BlendPixelOver;
tColourBlendFn ColourBlendHook = BlendColourOver;

namespace {

// d + floor(a (s - d + 1) / 256) = floor((d (256 - a) + s a + a) / 256): red and blue share one
// multiply, green gets its own, the destination's alpha byte is kept.
CPixel OverOpaque(CPixel d, uint32_t a, CPixel s)
{
    const uint32_t inv = 256 - a;
    const uint32_t rb = (((d & 0x00FF00FF) * inv + (s & 0x00FF00FF) * a + a * 0x00010001) >> 8) & 0x00FF00FF;
    const uint32_t g = (((d & 0x0000FF00) * inv + (s & 0x0000FF00) * a + (a << 8)) >> 8) & 0x0000FF00;
    return (d & 0xFF000000) | rb | g;
}

void BlendOver(CPixel* pixel, uint32_t a, CPixel s)
{
    if (a == 0)
        return;
    *pixel = a == 255 ? s : OverOpaque(*pixel, a, s);
}

// `whenEmpty` is what a fully transparent destination becomes.
void BlendLayered(CPixel* pixel, uint32_t a, CPixel s, CPixel whenEmpty)
{
    const uint32_t A = a * 257;
    if (A == 0)
        return;
    if (A == 65535) {
        *pixel = s;
        return;
    }
    const CPixel d = *pixel;
    const uint32_t D = (d >> 24) * 257;
    if (D == 0) {
        *pixel = whenEmpty;
        return;
    }
    if (D == 65535) {
        *pixel = OverOpaque(d, a, s);
        return;
    }
    const uint32_t O = (((65535 - D) * (A + 1)) >> 16) + D;
    const uint32_t W = ((65535 - A) * D) >> 16;
    const uint32_t k = 16843009 / O;
    CPixel out = (O >> 8) << 24;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t sum = ((s >> shift) & 0xFF) * A + ((d >> shift) & 0xFF) * W;
        out |= (((sum * k) >> 24) & 0xFF) << shift;
    }
    *pixel = out;
}

uint32_t MultiplyChannel(uint32_t t, uint32_t b)
{
    return ((t + 1) * b) >> 8;
}

}  // namespace

void BlendPixelOver(CPixel* pixel, CPixel colour)
{
    BlendOver(pixel, colour >> 24, colour);
}

void BlendColourOver(CPixel* pixel, uint32_t alpha, CPixel colour)
{
    BlendOver(pixel, alpha & 0xFF, colour);
}

void BlendPixelOverLayered(CPixel* pixel, CPixel colour)
{
    BlendLayered(pixel, colour >> 24, colour, colour);
}

void BlendColourOverLayered(CPixel* pixel, uint32_t alpha, CPixel colour)
{
    alpha &= 0xFF;
    BlendLayered(pixel, alpha, colour, (colour & 0x00FFFFFF) | alpha << 24);
}

tResult BlendNavsMultiply(CImNav* dest, const CImNav* top, const CImNav* bottom)
{
    for (const CImNav* view : {static_cast<const CImNav*>(dest), top, bottom})
        if (!view || !view->IsLocked() || view->GetBytesPerPixel() != 4)
            return kResBadParam;
    const int32_t width = std::min({dest->GetWidth(), top->GetWidth(), bottom->GetWidth()});
    const int32_t height = std::min({dest->GetHeight(), top->GetHeight(), bottom->GetHeight()});
    if (width <= 0 || height <= 0)
        return kResOk;
    for (int32_t y = 0; y < height; ++y) {
        CPixel* d = dest->Pixels(y);
        const CPixel* t = top->Pixels(y);
        const CPixel* b = bottom->Pixels(y);
        for (int32_t x = 0; x < width; ++x) {
            const CPixel tp = t[x], bp = b[x];
            const uint32_t ta = tp >> 24;
            if (ta == 0) {
                d[x] = bp;
                continue;
            }
            const CPixel m = MultiplyChannel(tp & 0xFF, bp & 0xFF) | MultiplyChannel((tp >> 8) & 0xFF, (bp >> 8) & 0xFF) << 8 |
                             MultiplyChannel((tp >> 16) & 0xFF, (bp >> 16) & 0xFF) << 16;
            // b + floor((m - b) ta / 256) is the lerp from b to m; the alpha lane lerps b's
            // alpha to itself.
            d[x] = ta == 255 ? (bp & 0xFF000000) | m : LerpArgb(bp, (bp & 0xFF000000) | m, ta);
        }
    }
    return kResOk;
}

tResult BlendImagesMultiply(CImage* dest, CImage* top, CImage* bottom)
{
    for (const CImage* image : {dest, top, bottom})
        if (!image || !image->IsValid())
            return kResBadParam;
    CImNav d(dest), t(top), b(bottom);
    if (!d.IsLocked() || !t.IsLocked() || !b.IsLocked())
        return kResNoMemory;
    return BlendNavsMultiply(&d, &t, &b);
}
