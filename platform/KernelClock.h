#pragma once

#include <cstdint>

// The kernel's clock modes, for the platform's start-up and the headless backend's controls.
namespace w32::kernel {

// Switches between the real monotonic clock and a virtual one that starts at `startMs`.
void UseVirtualClock(bool useVirtual, uint64_t startMs);
bool IsVirtualClock();
// Moves the virtual clock forward, stopping at every moment a platform-started thread waits for,
// and lets those threads run until they wait again.
void AdvanceVirtualClock(uint64_t milliseconds);

}  // namespace w32::kernel
