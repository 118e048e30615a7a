#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Process.h"
#include "platform/Win32Types.h"

// What the Win32-shaped layer asks of a backend. The layer keeps the windows, queues and input
// state itself; a backend mirrors windows on a display, delivers native input into the queues
// and answers questions about the screen, the clipboard and message boxes.
namespace w32 {

struct tDisplay {
    RECT bounds;
    RECT work;
};

// The part of a window that a backend shows.
struct tNativeWindowState {
    RECT client;  // screen coordinates
    DWORD style = 0;
    bool visible = false;
    bool acceptsFiles = false;
    // Kept above the windows that are not.
    bool topmost = false;
    std::u16string title;
};

// What a backend does while a dialog of another program holds the program (CBackend::HoldForDialog).
class IDialogHold : public process::IWaitService {
public:
    // The display's own id of the real window the dialog stands over (an X window), which the
    // dialog program can be told; 0 where there is none.
    virtual uintptr_t GetOwnerId() const = 0;
};

class CBackend {
public:
    virtual ~CBackend() = default;

    // Native events reach the queues only through PumpEvents, on the interface thread. A thread
    // waiting for messages looks at them at least this often (INFINITE: there are none).
    virtual DWORD GetPumpInterval() const = 0;
    virtual void PumpEvents() = 0;
    // Brings the live key and button state up to date without touching the queues.
    virtual void RefreshInput() = 0;
    // The platform ended a press of the button (VK_LBUTTON, VK_RBUTTON or VK_MBUTTON) held in the
    // window itself, as the display can no longer give the window its release: the backend's own
    // idea of the button follows, so that the next press is seen as one.
    virtual void EndNativePress(HWND window, int buttonKey) = 0;

    // False when the window, or the room to show its pixels, cannot be had.
    virtual bool CreateNativeWindow(HWND window, const tNativeWindowState& state) = 0;
    virtual void UpdateNativeWindow(HWND window, const tNativeWindowState& state) = 0;
    virtual void DestroyNativeWindow(HWND window) = 0;
    virtual void FocusNativeWindow(HWND window) = 0;
    // Shows `rect` (client coordinates) of the window's pixels, rows of `width` pixels.
    virtual void Present(HWND window, const uint32_t* pixels, int32_t width, int32_t height, const RECT& rect) = 0;

    virtual std::vector<tDisplay> GetDisplays() = 0;
    // The screen's pixels in `area` (screen coordinates, 0xAARRGGBB, top-down rows; black where
    // no display is) into the caller's room for the area's width × height pixels; false when the
    // screen cannot be read.
    virtual bool CaptureScreen(const RECT& area, uint32_t* pixels) = 0;
    // Sizes of captions, menus, frames and borders drawn around client areas.
    virtual int32_t GetDecorationMetric(int32_t index) = 0;
    virtual bool AreButtonsSwapped() = 0;

    virtual void SetPointerVisible(bool visible) = 0;
    virtual bool WarpPointer(int32_t x, int32_t y) = 0;

    virtual bool SetClipboardText(const std::u16string& text) = 0;
    // False when the clipboard holds no text.
    virtual bool GetClipboardText(std::u16string* text) = 0;

    virtual int32_t ShowMessageBox(HWND owner, const std::u16string& text, const std::u16string& caption,
                                   UINT type) = 0;

    // A dialog of another program holds the program from now until its windows have left the
    // screen (until the answer is destroyed where none showed), as a window under a modal dialog
    // is disabled: the windows take no input of the hand meanwhile, and are drawn again from what
    // they hold where the dialog uncovers them. Then what came meanwhile is dropped, the presses
    // and keys the windows held end where the hand let them go, and the window that had the
    // keyboard takes it back; what the hand does after reaches the windows as the program goes
    // on. The windows of the process the answer is told of (Started), and those that name
    // `owner`'s as theirs, stand over `owner` as its own and have the keyboard, whether or not a
    // window manager runs; the answer is served while the program's wait lasts. Null where the
    // backend has nothing to do.
    virtual std::unique_ptr<IDialogHold> HoldForDialog(HWND owner) = 0;
};

// The running backend; null while the platform is stopped.
CBackend* GetBackend();
// The thread that started the platform.
DWORD GetInterfaceThreadId();

}  // namespace w32
