#include "platform/SmallTextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace w32 {

std::optional<std::string> ReadSmallTextFile(const std::string& path, size_t largest)
{
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (descriptor < 0)
        return std::nullopt;
    struct stat status;
    std::optional<std::string> text;
    if (fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode)) {
        std::string read(largest + 1, '\0');
        size_t length = 0;
        ssize_t got = 0;
        while (length < read.size() && (got = ::read(descriptor, read.data() + length, read.size() - length)) > 0)
            length += size_t(got);
        if (got >= 0 && length <= largest) {
            read.resize(length);
            text = std::move(read);
        }
    }
    close(descriptor);
    return text;
}

}  // namespace w32
