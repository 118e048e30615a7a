#pragma once

// The tablet service's source on X11: the window system's pen devices, read through XInput2
// raw events on the root window, which leave every window's own input alone. It starts only
// when SDL shows its windows on X11, and is not there when the system starts no thread for it.
namespace w32::xinput {

void StartSource();
void StopSource();
// True while the source's thread reads the display.
bool IsSourceRunning();

}  // namespace w32::xinput
