#pragma once

#include <cstdint>

// The platform's side of the sound output: the headless platform keeps it in memory, where
// nothing plays until a test renders it.
namespace w32::sound {

void UseMemoryOutput(bool memory);

}  // namespace w32::sound
