#pragma once

#include <cstddef>

// The toolkit's three allocation hooks. Every toolkit structure is allocated, grown and released
// through them. A request for 0 bytes is served as 1 byte, so success never gives null.
void* ToolkitAlloc(size_t bytes);
void* ToolkitRealloc(void* block, size_t bytes);
void ToolkitFree(void* block);

// count x size in size_t; false when it does not fit.
bool CheckedArrayBytes(size_t count, size_t elementSize, size_t* bytes);
