#include "toolkit/core/Memory.h"

#include <cstdlib>

void* ToolkitAlloc(size_t bytes)
{
    return std::malloc(bytes == 0 ? 1 : bytes);
}

void* ToolkitRealloc(void* block, size_t bytes)
{
    return std::realloc(block, bytes == 0 ? 1 : bytes);
}

void ToolkitFree(void* block)
{
    std::free(block);
}

bool CheckedArrayBytes(size_t count, size_t elementSize, size_t* bytes)
{
    return !__builtin_mul_overflow(count, elementSize, bytes);
}
