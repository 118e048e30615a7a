#pragma once

#include <cstdint>

// Makes one operator new allocation of this thread fail while the object lives: the one that
// follows `survivors` successful ones. A throwing new then throws std::bad_alloc, a nothrow new
// answers null. For that this test program's operator new and delete are malloc and free.
class FailingAllocations {
public:
    explicit FailingAllocations(int64_t survivors);
    ~FailingAllocations();
    FailingAllocations(const FailingAllocations&) = delete;
    FailingAllocations& operator=(const FailingAllocations&) = delete;

    // Whether the allocation was refused: false when fewer than survivors + 1 were asked for.
    bool Refused() const;
};
