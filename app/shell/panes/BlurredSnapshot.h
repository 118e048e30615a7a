#pragma once

#include "toolkit/core/ResultCodes.h"

class CImage;

// The background of the full-window panes: a soft picture of what the window shows. The back
// buffer is box-reduced to half its width and a third of its height in a scratch image, blurred
// there with radius 40 and scaled up over the whole target. The back buffer is only read.
// 6 for a missing or unviewable image, 5 when the scratch image cannot be made, 24 when the
// blur fails; the target is then left as it was.
tResult TakeBlurredSnapshot(CImage* backBuffer, CImage* target);
