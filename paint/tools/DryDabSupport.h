#pragma once

#include <cstdint>

#include "paint/engine/PaintCell.h"
#include "paint/tools/CNibRow.h"
#include "paint/tools/DabArithmetic.h"
#include "toolkit/imaging/CPixel.h"

// What the dab painters of the pencil, the pen, the chalk and the crayon share: the lead's
// shaping of the nib at a stroke's ends, the paper grain's range along a segment, the pressure
// along it, and laying a dab of colour over a cell.

// The nib profile `profile` at a cell (along the segment, across the nib) shaped by the segment
// being swept: a following segment keeps it; the first and the closing segment and the two
// halves of a corner fade it towards the segment's end and the nib's sides; a tap makes a round
// blob of it. Where the fade is weak the profile is 0, where it is strong it is kept.
float ShapeLeadProfile(int32_t phase, float profile, float along, float across);

// The paper grain's range (0..255) at `along`: the bounds of the segment's two ends
// interpolated in 256ths.
struct GrainRange {
    int32_t low = 0;
    int32_t high = 0;
};
GrainRange LinearGrainRange(const CNibRow& working, const CNibRow& loaded, float along);

// The pen pressure at `along`, from the working nib's to the loaded nib's.
inline float PressureAlong(const CNibRow& working, const CNibRow& loaded, float along)
{
    return working.position.pressure + along * (loaded.position.pressure - working.position.pressure);
}

// Lays `colour` (0xAARRGGBB, its alpha the dab's strength) over the cell in linear light; the
// cell's shine and extra byte move towards `shine` and `extra` by the same weights.
void LayDab(PaintCell* cell, uint32_t colour, uint32_t shine, uint32_t extra);

// The colour's alpha scaled by (k + 1) / 256 through its top three bytes, as the nib loaders
// weaken a colour before it goes over another.
inline uint32_t ScaleAlpha(uint32_t colour, uint32_t k)
{
    return WithAlpha(colour, ((k + 1) * (colour >> 8)) >> 24);
}
