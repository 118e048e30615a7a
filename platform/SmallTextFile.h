#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace w32 {

// The whole text of a small regular file, opened without blocking, so that a pipe or a device
// of that name is refused rather than waited on. None when the file cannot be read whole, holds
// more than `largest` bytes or there is no room for that many.
std::optional<std::string> ReadSmallTextFile(const std::string& path, size_t largest);

}  // namespace w32
