#pragma once

#include "toolkit/core/ResultCodes.h"
#include "toolkit/imaging/CImNav.h"

// Scaling between views of 32-bit or 8-bit pixels, in any combination (chosen by the views'
// pixel sizes): 16.16 fixed-point positions and 8-bit fractions. Each answers 6 for a null or
// unlocked view or an unsupported pixel size, and 0 when either view is empty.

// Box-average reduction: each destination pixel averages the source pixels under it.
tResult BoxScaleBlit(CImNavBase* dest, const CImNavBase* source);
// Bilinear scaling; with `box` set, a reduction by 2 or more both ways uses BoxScaleBlit.
tResult ScaleBlit(CImNavBase* dest, const CImNavBase* source, uint32_t box);

// The same two straight from a run-length packed CImage or CImage8 (6 for any other source).
// The bilinear sampler of the packed form pairs the first and last columns with themselves.
tResult BoxScaleRleBlit(CImNavBase* dest, CImageBase* source);
tResult ScaleRleBlit(CImNavBase* dest, CImageBase* source, uint32_t box);

// Scales the whole source onto the whole destination, either of them packed or not; a packed
// destination is unpacked for the work and packed again. 5 when an image cannot be viewed.
tResult ScaleImageToImage(CImageBase* dest, CImageBase* source, uint32_t box);
