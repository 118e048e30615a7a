#include "platform/RegularFiles.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

namespace w32 {
namespace {

// Sets errno and answers false for anything but a regular file.
bool IsRegular(const struct stat& status)
{
    if (S_ISREG(status.st_mode))
        return true;
    errno = S_ISDIR(status.st_mode) ? EISDIR : EPERM;
    return false;
}

}  // namespace

int OpenRegularFile(const std::string& name, int flags, struct stat* status)
{
    struct stat found;
    // Some devices act when they are opened (a watchdog starts, a tape rewinds): what the name
    // already shows not to be a regular file is not opened at all.
    if (stat(name.c_str(), &found) == 0 ? !IsRegular(found) : !(errno == ENOENT && (flags & O_CREAT)))
        return -1;
    const int descriptor = open(name.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (descriptor < 0)
        return -1;
    const int fileFlags = fcntl(descriptor, F_GETFL);
    if (fstat(descriptor, &found) != 0 || !IsRegular(found) || fileFlags < 0 ||
        fcntl(descriptor, F_SETFL, fileFlags & ~O_NONBLOCK) != 0) {
        const int error = errno;
        close(descriptor);
        errno = error;
        return -1;
    }
    if (status)
        *status = found;
    return descriptor;
}

}  // namespace w32
