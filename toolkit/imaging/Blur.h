#pragma once

#include <cstdint>

#include "toolkit/core/tCRect.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"

// Blurs of 32-bit images in place, by a radius in pixels. They treat each pixel as two 16-bit
// samples and blur the low half (half 0) or the high half (half 1); 8-bit channels are widened
// to c x 257 first and narrowed to the high byte afterwards. Each answers 1 on success and 0
// when the image (or a scratch image) cannot be viewed.

// Rows, then columns, of one half. Radii below kMinBlurRadius do nothing.
uint32_t BlurNavigator(CImNav& nav, float radius, uint32_t half);
uint32_t BlurImage(CImage& image, float radius, uint32_t half);

// Columns only, of one half, with no lower limit on the radius (radius 0 changes nothing).
uint32_t BlurNavigatorColumns(CImNav& nav, float radius, uint32_t half);
uint32_t BlurImageColumns(CImage& image, float radius, uint32_t half);

// Columns only, of both halves. Radii below kMinBlurRadius do nothing.
uint32_t BlurNavigatorColumnsPair(CImNav& nav, float radius);
uint32_t BlurImageColumnsPair(CImage& image, float radius);

// The red, green and blue channels of a view along its columns; alpha is never written.
uint32_t BlurNavigatorColourColumns(CImNav& nav, float radius);
// The same on `area` of the image (in the image's drawing coordinates, clipped to it); null
// means the whole image.
uint32_t BlurImageRect(CImage& image, float radius, const tCRect* area);
