#pragma once

#include <cstdint>

// Sent to the controller after a tool's property changed (no sender, no arguments); the
// controller hands it on to every pane, so that the tool picker repaints its preview.
inline constexpr uint32_t kMsgToolPropertyChanged = 0xFF001027u;
