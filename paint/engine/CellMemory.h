#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"

// The memory the system reports available; false when it cannot tell.
bool AvailableMemory(uint64_t* bytes);

// Sizes read from a file decide how many cells are made, so a few bytes could ask for more memory
// than there is. Answers 5 when width x height cells would not fit in the memory the system
// reports available, 6 for a negative size, else 0. Call it before the cells are made.
tResult CheckCellMemory(int64_t width, int64_t height);
// As CheckCellMemory, for `count` images of width x height pixels of 4 bytes.
tResult CheckImageMemory(int64_t count, int64_t width, int64_t height);
