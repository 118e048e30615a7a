#pragma once

#include <cstdint>

#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/imaging/CImage16.h"
#include "toolkit/widgets/CTransitionWidget.h"

// The transition widget's steps, installed with CTransitionWidget::SetTransition. Each writes
// the frame for a progress (taken into 0 .. 1; not a number counts as 0) into the widget's
// picture and invalidates what changed. With one capture the start picture fades away as the
// progress rises and the end picture comes in. `data` is not used by them.

// The pictures' alphas scaled by the progress, the two mixed by their alphas where they overlap.
tResult TransitionCrossFade(tMsgArg data, CTransitionWidget* widget, float progress);
// One picture turns twice about the frame's centre as it shrinks to nothing; two circle each
// other while they swap sizes, the larger on top.
tResult TransitionSpin(tMsgArg data, CTransitionWidget* widget, float progress);
// The pictures are warped along the gradient of a noise field and eaten away where the noise is
// high; the end picture breaks through first there. The frame's outer rows and columns are
// never written.
tResult TransitionNoiseDissolve(tMsgArg data, CTransitionWidget* widget, float progress);

// Fills a noise field from the shared generator: value noise of three octaves on the even
// pixels, the others the means of their neighbours (the last existing one where a neighbour
// would lie past the field). 5 when the field cannot be viewed.
tResult FillDissolveNoise(CImage16* noise);
