#pragma once

#include "toolkit/core/CAppWin.h"

// The class the application's own class derives from.
class CApp : public CAppWin {};
