#include "platform/SmallTextFile.h"

#include <fcntl.h>
#include <unistd.h>

#include "platform/RegularFiles.h"

namespace w32 {

std::optional<std::string> ReadSmallTextFile(const std::string& path, size_t largest)
{
    const int descriptor = OpenRegularFile(path, O_RDONLY);
    if (descriptor < 0)
        return std::nullopt;
    std::optional<std::string> text;
    std::string read(largest + 1, '\0');
    size_t length = 0;
    ssize_t got = 0;
    while (length < read.size() && (got = ::read(descriptor, read.data() + length, read.size() - length)) > 0)
        length += size_t(got);
    if (got >= 0 && length <= largest) {
        read.resize(length);
        text = std::move(read);
    }
    close(descriptor);
    return text;
}

}  // namespace w32
