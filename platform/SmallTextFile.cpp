#include "platform/SmallTextFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>

#include "platform/RegularFiles.h"

namespace w32 {

std::optional<std::string> ReadSmallTextFile(const std::string& path, size_t largest)
{
    // The memory figures are read when memory is short: a buffer the system refuses reads as none.
    const size_t room = std::min(largest, SIZE_MAX - 1) + 1;
    const std::unique_ptr<char[]> read(new (std::nothrow) char[room]);
    const int descriptor = read ? OpenRegularFile(path, O_RDONLY) : -1;
    if (descriptor < 0)
        return std::nullopt;
    size_t length = 0;
    ssize_t got = 0;
    while (length < room && (got = ::read(descriptor, read.get() + length, room - length)) > 0)
        length += size_t(got);
    close(descriptor);
    if (got < 0 || length > largest)
        return std::nullopt;
    return std::string(read.get(), length);
}

}  // namespace w32
