#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/core/tCPoint.h"
#include "toolkit/core/tCString.h"

class CWidget;
class CWindowBase;

// Pixels of the root's back buffer as the window presents them: 32-bit ARGB rows, top-down.
struct tBackBufferView {
    const uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;  // in pixels
};

// What the application frame, the window and the pen input ask of the root widget of a window
// (the backdrop). The widget toolkit implements it; the frame never sees a widget otherwise.
// `takenBy` is set to null by the caller; a widget that consumes an event stores itself there.
// Points are in the root's coordinates unless named screen points.
class IRootWidget {
public:
    virtual ~IRootWidget() = default;

    // Offers the message down the tree until a widget answers non-zero.
    virtual tResult BroadcastMessage(uint32_t message, tMsgArg a, tMsgArg b) = 0;

    // The size the root's layout asks for, used when the window is given none.
    virtual void GetLayoutSize(float* width, float* height) = 0;
    virtual int32_t GetWidth() = 0;
    virtual int32_t GetHeight() = 0;
    // Resizes the root and its back buffer; non-zero when the buffer cannot be made.
    virtual tResult SetSize(int32_t width, int32_t height, int32_t redraw) = 0;

    // Key codes: a character, 127 for Delete, 27 for Escape, negative codes for special keys.
    virtual tResult DispatchKeyDown(CWidget** takenBy, int32_t key) = 0;
    virtual tResult DispatchKeyUp(CWidget** takenBy, int32_t key) = 0;
    virtual tResult DispatchTimer(CWidget** takenBy, uint32_t timerId) = 0;
    virtual tResult DispatchMouseMove(CWidget** takenBy, tCPoint* point) = 0;
    virtual tResult DispatchLButtonDown(CWidget** takenBy, tCPoint* point) = 0;
    virtual tResult DispatchLButtonUp(CWidget** takenBy, tCPoint* point) = 0;
    virtual tResult DispatchMButtonDown(CWidget** takenBy, tCPoint* point) = 0;
    virtual tResult DispatchMButtonUp(CWidget** takenBy, tCPoint* point) = 0;
    virtual tResult DispatchRButtonDown(CWidget** takenBy, tCPoint* point) = 0;
    virtual tResult DispatchRButtonUp(CWidget** takenBy, tCPoint* point) = 0;
    // Where the last press of a mouse button came: the press's own point, however late a loop
    // that follows the press reads it.
    virtual tCPoint GetPressPoint() const = 0;
    // `wheel` is (horizontal, vertical); a negative vertical amount scrolls down.
    virtual tResult DispatchMouseWheel(CWidget** takenBy, tCPoint wheel, tCPoint* point) = 0;
    virtual tResult DispatchHeartbeat() = 0;

    virtual void LocalToScreenPoint(tCPoint* point) = 0;
    virtual void ScreenToLocalPoint(tCPoint* point) = 0;

    // Called once after the system window exists; the application builds its panes here.
    virtual tResult BuildInterface() = 0;
    // From now on the root presents itself to the window.
    virtual void SetReady() = 0;
    virtual void TrackCursorWidget() = 0;
    virtual void HideCursor() = 0;
    virtual void ShowCursor() = 0;
    virtual bool IsCursorShown() = 0;
    virtual void UpdateRolloverWidget() = 0;
    virtual void ClearRolloverWidget() = 0;
    // Called before the window deletes its root widget.
    virtual void OnWindowDestroyed() = 0;
    virtual CWidget* GetTopModal() = 0;

    virtual void SetWindow(CWindowBase* window) = 0;
    // Non-zero when the window has a caption and frame.
    virtual int32_t GetSystemBarSetting() = 0;
    // Non-zero when placement uses the whole monitor.
    virtual int32_t GetFullScreenSetting() = 0;
    virtual void SetFullScreenSetting(int32_t fullScreen) = 0;
    // While set the root presents itself and WM_PAINT copies nothing.
    virtual int32_t GetLayeredSetting() = 0;
    virtual tBackBufferView GetBackBuffer() = 0;
    // The root's resource name, the window's title when none is given.
    virtual tCString GetResourceName() = 0;
};

// Makes the root widget a window creates for itself when none was attached; the widget toolkit
// registers it. Without one, such a window cannot be created.
using tRootWidgetFactory = IRootWidget* (*)();
void SetRootWidgetFactory(tRootWidgetFactory factory);
tRootWidgetFactory GetRootWidgetFactory();
