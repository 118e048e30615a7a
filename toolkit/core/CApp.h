#pragma once

#include "toolkit/core/CAppWin.h"

// The class the application's own class derives from: the frame with the toolkit's sound mixer
// and pen input.
class CApp : public CAppWin {
public:
    CApp();
};
