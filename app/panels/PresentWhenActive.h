#pragma once

#include "toolkit/core/ResultCodes.h"

class CWidget;

// Presents the widget's dirty rectangles, unless the program is still starting (its application
// not yet active while the splash is up): a present then would paint the whole main window over
// the splash before the painting is there. The start draws everything once the splash has gone.
tResult PresentWhenActive(CWidget* widget);
