#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"

class CImage;
class CProxyCanvas;
class CWidget;

// What the full-window paper panes share about their panels and previews.

// Draws the panel frame into the panel's own image in nine slices with repeated edges, packs
// the image again and refreshes its effects; 22 for a panel that is no image widget.
tResult FramePanel(CWidget* panel, CImage* frame);

// A new preview canvas of `width` x `height` cells with the identifier of a paper preview,
// sharing the controller's renderer and the backdrop's shell services; 24 when it cannot be
// made, else the set-up's failure (nothing is kept then).
tResult MakePreviewCanvas(int32_t width, int32_t height, CProxyCanvas** canvas);
