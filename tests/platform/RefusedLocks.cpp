#include "RefusedLocks.h"

#include <dlfcn.h>
#include <sys/file.h>

#include <atomic>

namespace {

std::atomic<int> gRefusal{0};
std::atomic<int> gRefused{0};

}  // namespace

extern "C" int flock(int descriptor, int operation) noexcept
{
    if (const int error = gRefusal.load()) {
        ++gRefused;
        errno = error;
        return -1;
    }
    using Flock = int (*)(int, int);
    static const Flock library = reinterpret_cast<Flock>(dlsym(RTLD_NEXT, "flock"));
    return library(descriptor, operation);
}

RefusedLocks::RefusedLocks(int error)
{
    gRefused = 0;
    gRefusal = error;
}

RefusedLocks::~RefusedLocks()
{
    gRefusal = 0;
}

int RefusedLocks::Count()
{
    return gRefused.load();
}
