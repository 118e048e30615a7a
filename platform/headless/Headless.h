#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Backend.h"

// Controls of the headless platform for tests: the virtual clock, the screen, input as a user
// would give it, and what the program showed (message boxes, window pixels, the pointer).
// Input is delivered on the calling thread, which must be the platform's interface thread.
namespace w32::headless {

// Moves the virtual clock forward; threads started with CreateThread run up to their next wait
// at every moment they asked to wake.
void AdvanceClock(uint32_t milliseconds);

// The available memory GlobalMemoryStatusEx reports from now on; 0 reports the machine's own
// figure again, as StopPlatform does. Works whether or not the platform runs.
void SetAvailableMemory(uint64_t bytes);

// One display of 1280 x 800 with a 40-pixel panel at the bottom until set otherwise.
void SetDisplays(std::vector<tDisplay> displays);
void SetButtonsSwapped(bool swapped);

// Keys go to the focus window, mouse input to the window under the pointer (or the window that
// took the mouse when a button went down there). Points are screen coordinates.
void PressKey(int virtualKey);
void ReleaseKey(int virtualKey);
void TypeText(std::u16string_view text);
void MoveMouse(int32_t x, int32_t y);
void PressButton(int buttonKey);
void ReleaseButton(int buttonKey);
// `delta` in units of 120 per notch, positive away from the user.
void TurnWheel(int32_t delta);
void DropFiles(HWND window, std::vector<std::u16string> paths);
// Changes only the live state, as input that arrives while nobody takes messages.
void SetKeyState(int virtualKey, bool down);

// What a window manager does to a window, told as the display tells it: minimises, maximises or
// restores it (SIZE_MINIMIZED, SIZE_MAXIMIZED, SIZE_RESTORED), maximises it over `client` or
// makes it full screen there (screen coordinates), takes it off the screen, or takes the
// keyboard focus from it or gives it.
void ReportShowState(HWND window, WPARAM state);
void ReportZoomed(HWND window, const RECT& client);
void ReportHidden(HWND window);
void ReportFocus(HWND window, bool focused);

struct tMessageBoxRecord {
    HWND owner = nullptr;
    std::u16string text;
    std::u16string caption;
    UINT type = 0;
};
// The boxes shown since the last call; each was answered OK.
std::vector<tMessageBoxRecord> TakeMessageBoxes();

// The pixels last presented in the window's client area (0xAARRGGBB, top-down rows).
std::vector<uint32_t> ReadWindowPixels(HWND window, int32_t* width, int32_t* height);
bool IsPointerVisible();
// What the screen shows from (0, 0), width x height pixels, for reads of the screen; without it
// (or with pixels that do not fill the size) the screen cannot be read.
void SetScreenPixels(int32_t width, int32_t height, std::vector<uint32_t> pixels);

}  // namespace w32::headless
