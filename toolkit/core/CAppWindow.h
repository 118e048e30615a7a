#pragma once

#include "toolkit/core/CWinWindow.h"

// The window class the application frame makes for its main window.
class CAppWindow : public CWinWindow {};
