// Preloaded (LD_PRELOAD), it has a program meet a file system with neither a no-replace rename nor
// hard links, as many FUSE file systems and a virtual machine's shared folders answer: a rename
// with flags fails with EINVAL, a hard link with EPERM.
#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <unistd.h>

extern "C" {

int renameat2(int fromFolder, const char* from, int toFolder, const char* to, unsigned flags) noexcept
{
    if (flags != 0) {
        errno = EINVAL;
        return -1;
    }
    using Renameat2 = int (*)(int, const char*, int, const char*, unsigned);
    static const auto library = reinterpret_cast<Renameat2>(dlsym(RTLD_NEXT, "renameat2"));
    return library(fromFolder, from, toFolder, to, flags);
}

int link(const char*, const char*) noexcept
{
    errno = EPERM;
    return -1;
}

int linkat(int, const char*, int, const char*, int) noexcept
{
    errno = EPERM;
    return -1;
}

}  // extern "C"
