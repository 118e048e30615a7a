#include "toolkit/text/FailingAllocations.h"

#include <cstdlib>
#include <new>

namespace {

// -1: no allocation is refused.
thread_local int64_t tSurvivorsLeft = -1;
thread_local bool tRefused = false;

void* AllocateUnlessRefused(std::size_t bytes) noexcept
{
    if (tSurvivorsLeft == 0) {
        tSurvivorsLeft = -1;
        tRefused = true;
        return nullptr;
    }
    if (tSurvivorsLeft > 0)
        --tSurvivorsLeft;
    return std::malloc(bytes == 0 ? 1 : bytes);
}

}  // namespace

FailingAllocations::FailingAllocations(int64_t survivors)
{
    tSurvivorsLeft = survivors;
    tRefused = false;
}

FailingAllocations::~FailingAllocations() { tSurvivorsLeft = -1; }

bool FailingAllocations::Refused() const { return tRefused; }

// The array forms stay the runtime's: they pair among themselves.
void* operator new(std::size_t bytes)
{
    if (void* block = AllocateUnlessRefused(bytes))
        return block;
    throw std::bad_alloc();
}

void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept { return AllocateUnlessRefused(bytes); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
