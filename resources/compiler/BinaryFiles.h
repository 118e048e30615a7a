#pragma once

#include <filesystem>
#include <string>

#include "toolkit/core/ResultCodes.h"

// Whole files for the resource tools. Writing goes through a temporary file, so an output
// that cannot be written whole leaves the old file in place.
tResult ReadBinaryFile(const std::filesystem::path& path, std::string* bytes);
tResult WriteBinaryFile(const std::filesystem::path& path, const std::string& bytes);
