#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CPixel.h"

// Blending of single pixels, and the multiply composite of whole views.

// Over an opaque destination: each colour channel d' = d + floor(a (s - d + 1) / 256); the
// destination keeps its alpha. Alpha 0 leaves it, alpha 255 replaces it by s (s's alpha too).
void BlendPixelOver(CPixel* pixel, CPixel colour);
void BlendColourOver(CPixel* pixel, uint32_t alpha, CPixel colour);
// Over a destination with its own alpha, which grows as coverage adds up.
void BlendPixelOverLayered(CPixel* pixel, CPixel colour);
void BlendColourOverLayered(CPixel* pixel, uint32_t alpha, CPixel colour);

// The widget toolkit blends single pixels through these, swapping in the layered pair while it
// draws a window with per-pixel alpha. They start as BlendPixelOver and BlendColourOver.
using tPixelBlendFn = void (*)(CPixel* pixel, CPixel colour);
using tColourBlendFn = void (*)(CPixel* pixel, uint32_t alpha, CPixel colour);
extern tPixelBlendFn PixelBlendHook;
extern tColourBlendFn ColourBlendHook;

// dest = bottom multiplied by top, over the smallest common area; a transparent top pixel
// leaves the bottom pixel as it is. dest may be the bottom view itself.
tResult BlendNavsMultiply(CImNav* dest, const CImNav* top, const CImNav* bottom);
// The same on whole images: 6 for a null or empty image, 5 when one cannot be viewed.
tResult BlendImagesMultiply(CImage* dest, CImage* top, CImage* bottom);
