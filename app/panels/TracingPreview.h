#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCPoint.h"
#include "toolkit/core/tCRect.h"

class CImage;

// How the tracing controls draw the tracing image into their miniature of the painting, as the
// painting places it: stretched (mode 0), fitted (1), filling (2), centred at the zoom of the
// scale (3) or tiled at it (4).

// The zoom of a tracing scale: 2 s^2 + 0.5 below s^2 = 0.25, else (s^2 - 0.25) / 0.75 x 3 + 1.
float TracingZoom(float scale);

// Where the image lies in the miniature in modes 0 to 2 (preview pixels; it may reach past the
// miniature in mode 2); an empty rect for another mode or when either size or the scaled image
// has no area.
tCRect FittedTracingRect(uint32_t mode, tCPoint preview, tCPoint image);

// Modes 3 and 4: the image drawn at k preview pixels per image pixel with its top-left corner
// at (left, top).
struct tScaledTracing {
    double k = 0.0;
    double left = 0.0;
    double top = 0.0;
};

// The scaled placement in a miniature of a painting `canvasWidth` cells wide: k = (preview width
// / canvas width) x zoom, centred, moved by the offset (painting cells) turned into preview
// pixels. False when a size, the canvas width or k leaves nothing to draw.
bool ScaledTracingPlacement(tCPoint preview, tCPoint image, int32_t canvasWidth, float scale, tCPoint offset,
                            tScaledTracing* placement);

// Mode 3: the part of the scaled image inside the target, scaled from the matching part of the
// source; the rest of the target is left as it is. 6 for a null or invalid image.
tResult DrawCentredTracing(CImage* target, CImage* source, const tScaledTracing& placement);
// Mode 4: every target pixel takes the source at ((x - left) / k, (y - top) / k), repeated in
// both directions, sampled bilinearly with transparent pixels borrowing their neighbours'
// colour. 6 for a null or invalid image.
tResult DrawTiledTracing(CImage* target, CImage* source, const tScaledTracing& placement);
