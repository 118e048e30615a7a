#pragma once

#include <cstdint>

// The headless platform's sound output for tests: the playing buffers advance only when rendered.
namespace w32::headless {

// Mixes the next `frames` 16-bit stereo frames at `rate` into `out` (2 × frames values).
void RenderSound(int16_t* out, uint32_t frames, uint32_t rate);

}  // namespace w32::headless
