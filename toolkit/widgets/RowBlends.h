#pragma once

#include <cstdint>

#include "toolkit/imaging/CPixel.h"

// One colour composited over a row of pixels at a separate alpha (0 .. 255) per pixel, through
// the toolkit's pixel-blend hooks (PixelBlend.h). While a hook is the plain blend it stands for,
// whole rows are blended four pixels at a time where the processor allows it; the one-by-one
// forms are the reference they match.

// ColourBlendHook(pixel, alpha, colour) for each pixel.
void BlendColourRow(CPixel* row, const uint8_t* alphas, int32_t count, CPixel colour);
void BlendColourRowOneByOne(CPixel* row, const uint8_t* alphas, int32_t count, CPixel colour);

// PixelBlendHook(pixel, rgb | alpha << 24) for each pixel: the colour's red, green and blue at
// the pixel's alpha.
void BlendRgbRow(CPixel* row, const uint8_t* alphas, int32_t count, CPixel rgb);
void BlendRgbRowOneByOne(CPixel* row, const uint8_t* alphas, int32_t count, CPixel rgb);
