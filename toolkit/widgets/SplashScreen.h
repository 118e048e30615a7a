#pragma once

#include <cstdint>

#include "platform/Win32Types.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCRect.h"

class CImage;
class CSplashScreen;
class CWidget;
struct CWidgetLayout;

// Shows `widget` in a borderless splash window placed by `layout` (null: the widget's own)
// on the work area, optionally over a copy of the screen behind it (where the display gives
// none, over the backdrop colour instead) and shown topmost at once. The splash owns the widget
// from the call on: on every failure it is deleted and the answer is null. A null title names
// the window "Splash Screen"; `title` is ANSI text.
CSplashScreen* ShowSplashScreen(CWidget* widget, const char* title, const CWidgetLayout* layout,
                                uint32_t captureBehind, uint32_t show);
// The screen rect of a widget laid out against the work area of the main window's monitor (the
// primary work area without one), without the work area's left and top added.
void ComputeSplashRect(tCRect* rect, CWidget* widget, const CWidgetLayout* layout);
// Copies the screen pixels of `rect` into the image's top-left and makes them opaque: 0, 5 when
// the image cannot be viewed, 14 when the display gives no pixels.
tResult CaptureScreenRect(CImage* image, const tCRect& rect);
// The splash class's procedure: the splash window's WM_DESTROY is answered at once (no quit is
// posted); its other messages go to the live splash window, or to DefWindowProcW without one.
// Another window of the class (one titled as the splash) is served by its own window object.
w32::LRESULT SplashWindowProc(w32::HWND window, w32::UINT message, w32::WPARAM wParam, w32::LPARAM lParam);
