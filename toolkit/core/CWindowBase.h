#pragma once

#include <cstdint>

#include "platform/Win32Types.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCBaseObject.h"
#include "toolkit/core/tCFPoint.h"
#include "toolkit/core/tCPoint.h"
#include "toolkit/core/tCRect.h"
#include "toolkit/core/tCString.h"

class IRootWidget;

// Toolkit key codes of the special keys; printable keys are their characters.
enum : int32_t {
    kKeyLeft = -256,
    kKeyRight = -255,
    kKeyUp = -254,
    kKeyDown = -253,
    kKeyHome = -252,
    kKeyEnd = -251,
    kKeyPageUp = -250,
    kKeyPageDown = -249,
    kKeyF1 = -248,
    kKeyF7 = -242,
    kKeyF8 = -241,
    kKeyF11 = -238,
    kKeyF12 = -237,
    kKeyDelete = 127,
    kKeyEnter = 13,
    kKeyEscape = 27,
};

// Placement options of CreateRelative, Relayout and RectFromFractions.
enum : uint32_t {
    kPlaceFullScreen = 0x01,
    kPlaceCentreX = 0x02,
    kPlaceCentreY = 0x04,
    kPlacePositionFraction = 0x08,
    kPlaceSizeFraction = 0x10,
    kPlaceResizable = 0x20,
};

// A window owns one root widget (the backdrop) and turns the window's input, ticks and size
// changes into calls on it. This is the system-neutral half; CWinWindow is the system's.
// Every window is in the application's window list while it exists.
class CWindowBase : public tCBaseObject {
public:
    CWindowBase();
    ~CWindowBase() override;
    CWindowBase(const CWindowBase&) = delete;
    CWindowBase& operator=(const CWindowBase&) = delete;

    // Answers 1 when the window exists, 0 otherwise.
    virtual int32_t Create(int32_t width, int32_t height, tCString title, int32_t iconId) = 0;
    virtual tResult SetSize(int32_t width, int32_t height, int32_t redraw) = 0;
    virtual tResult SetRelativeSize(float width, float height, int32_t redraw) = 0;
    // The window owns its root widget from now on; a root it had before is deleted and the new
    // one takes its size.
    virtual void SetRootWidget(IRootWidget* widget);
    virtual tResult Show(int32_t show) = 0;
    virtual tResult SetIcon(int32_t iconId) = 0;
    virtual void DestroyWindow() = 0;
    virtual tResult SetTitle(tCString title);
    virtual tCString GetTitle();
    virtual tResult MoveRelative(float x, float y);
    virtual tResult SetRelativePosition(float x, float y, int32_t redraw) = 0;
    virtual tResult Move(int32_t x, int32_t y);
    virtual tResult SetPosition(int32_t x, int32_t y, int32_t redraw) = 0;
    virtual tResult Centre();
    virtual tResult CentreOnWorkArea(int32_t redraw) = 0;
    virtual tResult SetBounds(int32_t x, int32_t y, int32_t width, int32_t height, int32_t redraw) = 0;
    virtual tResult ResizeRelative(float width, float height, int32_t redraw);
    virtual tResult Resize(int32_t width, int32_t height, int32_t redraw);
    virtual tResult Relayout(uint32_t options, tCFPoint size, tCFPoint position, int32_t redraw) = 0;
    virtual tCRect RectFromFractions(uint32_t options, tCFPoint size, tCFPoint position, int32_t monitorFlag) = 0;
    virtual int32_t SetCoverMonitor(int32_t flag, int32_t argument);
    virtual int32_t OnCoverMonitorChanged(int32_t flag, int32_t argument) = 0;
    virtual tResult Heartbeat();

    virtual void OnKeyDown(int32_t key);
    virtual void OnKeyUp(int32_t key);
    virtual void OnTimer(uint32_t timerId);
    // A press first finds the widget under the pointer again: it can come before any heartbeat
    // saw the pointer arrive (a tap), and the widgets that act on a press ask for that widget.
    virtual void OnLeftButtonDown(tCPoint point);
    virtual void OnLeftButtonUp(tCPoint point);
    virtual void OnMiddleButtonDown(tCPoint point);
    virtual void OnMiddleButtonUp(tCPoint point);
    // `delta` is (0, wheel amount); a negative amount scrolls down.
    virtual void OnMouseWheel(tCPoint delta, tCPoint point);
    virtual void OnMouseMove(tCPoint point);
    virtual void OnRightButtonDown(tCPoint point);
    virtual void OnRightButtonUp(tCPoint point);
    virtual void OnSize(int32_t width, int32_t height);
    virtual void OnPaint() = 0;
    virtual bool IsUnderCursor() = 0;
    virtual void SetSysKeysAsKeys(int32_t flag);
    virtual int32_t GetSysKeysAsKeys();
    // The keypad's decimal key went down last and is not yet up: a character handled now is the
    // one it types, whatever the layout makes it (a comma on many), which a number field takes
    // for its decimal point.
    virtual bool IsDecimalKeyCharacter() const { return false; }
    virtual void OnDestroyed();

    // The system window, null before it is created and after it is destroyed.
    virtual w32::HWND GetHandle() const = 0;

    IRootWidget* GetRootWidget() const { return m_rootWidget; }
    bool IsCreated() const { return m_created; }
    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    bool IsFullScreen() const { return m_fullScreen; }
    int32_t GetMonitorFlag() const { return m_monitorFlag; }
    // Sets the flag alone, before the window is created; SetCoverMonitor also relays it out.
    void SetMonitorFlag(int32_t flag) { m_monitorFlag = flag; }

    // Written by WM_NCACTIVATE and a minimised WM_SIZE, read by Heartbeat: while set the root
    // tracks the widget under the pointer whether or not the pointer is over the window.
    static void SetRolloverActive(bool active);
    static bool IsRolloverActive();

protected:
    // A non-zero dispatch answer goes to the error box; the input still counts as handled.
    static void ReportDispatchResult(tResult result);
    // Hands the key to the root widget; true when a widget took it.
    bool WidgetsTakeKeyDown(int32_t key);

    bool m_created = false;
    int32_t m_width = 0;
    int32_t m_height = 0;
    IRootWidget* m_rootWidget = nullptr;
    int32_t m_monitorFlag = 0;
    bool m_fullScreen = true;
    bool m_resizable = false;
};
