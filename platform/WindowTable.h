#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Backend.h"
#include "platform/Window.h"

// The platform's record of each window. Only the owning thread changes a record or reads more
// than its owner and existence; other threads ask through OwnerThread.
namespace w32::windows {

struct tWindowRecord {
    HWND handle = nullptr;
    DWORD thread = 0;
    WNDPROC procedure = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect;  // the window rectangle, screen coordinates
    bool visible = false;
    bool acceptsFiles = false;
    bool destroying = false;
    bool invalid = false;
    RECT invalidRect;  // client coordinates
    intptr_t userData = 0;
    uintptr_t icon = 0;
    uintptr_t smallIcon = 0;
    std::u16string title;
    // The client area's pixels, top-down rows, 0xAARRGGBB; null while the client area is empty.
    std::unique_ptr<uint32_t[]> surface;
    int32_t surfaceWidth = 0;
    int32_t surfaceHeight = 0;
    // Client rectangles BitBlt wrote into the surface that GdiFlush has yet to show.
    std::vector<RECT> unshown;
};

HWND Add(tWindowRecord record);
void Remove(HWND window);
// The record, for the owning thread; null when the window does not exist.
tWindowRecord* Find(HWND window);
// The record of a window of the calling thread; null (with ERROR_INVALID_WINDOW_HANDLE) for a
// window that does not exist or belongs to another thread.
tWindowRecord* OwnRecord(HWND window);
// The owning thread of a window, 0 when it does not exist; any thread may ask.
DWORD OwnerThread(HWND window);
// Every window, the lowest first.
std::vector<HWND> List();
// The first invalid, visible window of `thread` that passes `filter` (null passes all).
HWND FindInvalid(DWORD thread, HWND filter);
void RemoveAll();

// The client rectangle in screen coordinates, from the window rectangle and the style.
RECT ClientScreenRect(const tWindowRecord& record);
tNativeWindowState NativeState(const tWindowRecord& record);
enum class tSurfaceFit { kSameSize, kResized, kNoMemory };
// Resizes the surface to the client size, keeping what fits. A surface that cannot be allocated
// stays as it was, and so does the client size: the window rectangle shrinks or grows back to it.
tSurfaceFit FitSurface(tWindowRecord& record);

// The display that MonitorFromWindow takes for a window at `rect` (screen coordinates): the one
// it overlaps most, else the nearest; false when there is none.
bool DisplayOf(const RECT& rect, tDisplay* display);

// A list of dropped paths for WM_DROPFILES; DragFinish frees it.
HDROP MakeDropList(std::vector<std::u16string> paths);

// Changes that come from the display (the user or the window manager), on the owning thread.
// Each brings the record in line and tells the procedure as Win32 would. A window minimised,
// hidden or losing the focus while a button is held there can no longer get the release: the
// press ends there as the release would end it (input::EndPressesOf).
void NativeMoved(HWND window, POINT clientTopLeft);
void NativeResized(HWND window, int32_t width, int32_t height);
// SIZE_MINIMIZED, SIZE_MAXIMIZED or SIZE_RESTORED. A minimised window keeps its maximise, and
// SIZE_RESTORED brings it back from the minimise, or takes the maximise away from one not
// minimised.
void NativeShowState(HWND window, WPARAM state);
// The window manager maximised the window, or made it full screen, over `client` (screen
// coordinates): the client area takes it, and the procedure hears SIZE_MAXIMIZED.
void NativeZoomed(HWND window, const RECT& client);
void NativeExposed(HWND window);
// The display took the window off the screen (a window manager minimising it or showing the
// desktop); the record keeps its visibility.
void NativeHidden(HWND window);
void NativeActivated(HWND window, bool active);
void NativeCloseRequested(HWND window);
void NativeDisplaysChanged();

}  // namespace w32::windows
