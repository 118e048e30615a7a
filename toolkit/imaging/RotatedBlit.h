#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCRect.h"
#include "toolkit/imaging/CImage.h"

// Draws `source` into `target` rotated by `angle` (radians) and scaled by `scale` about the
// point (centreX x target width, centreY x target height), where the source's centre lands.
// Samples are bilinear in 16.16 fixed point; transparent neighbours lend their colour so that
// soft edges do not darken. Mode 0 replaces the target's pixels in the touched box (pixels off
// the source become transparent black), mode 1 composites over them with the layered over
// blend. `touched`, when given, receives the box of target pixels visited. Answers 0 (also when
// nothing is drawn: an empty box, a scale of 0, a scale too small to reach a pixel, or an
// argument that is not a finite number), 5 when an image cannot be viewed.
tResult BlitRotatedScaled(CImage& target, const CImage& source, float angle, float scale, float centreX,
                          float centreY, tCRect* touched, uint32_t mode);
tResult BlitRotatedScaledOver(CImage& target, const CImage& source, float angle, float scale, float centreX,
                              float centreY, tCRect* touched);
