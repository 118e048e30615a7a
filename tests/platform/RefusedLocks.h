#pragma once

#include <errno.h>

// While the object lives, every flock of this test program fails with `error`, as on a file
// system whose lock manager does not answer (ENOLCK). The program defines flock itself
// (RefusedLocks.cpp), in front of the C library's, which it calls at all other times.
class RefusedLocks {
public:
    explicit RefusedLocks(int error = ENOLCK);
    ~RefusedLocks();
    RefusedLocks(const RefusedLocks&) = delete;
    RefusedLocks& operator=(const RefusedLocks&) = delete;

    // The locks refused so far.
    static int Count();
};
