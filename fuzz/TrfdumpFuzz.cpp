#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "fuzz/FuzzFile.h"
#include "resources/compiler/ResourceSource.h"
#include "toolkit/core/tCMemFile.h"

// Prints the input as resource source; what the dumper prints must compile back to the input.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const CFuzzFolder dump;
    const std::filesystem::path folder = dump.Path() / "files";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const CFuzzFile input(data, size);
    tCFile file;
    if (!input.Open(&file))
        return 0;
    std::string source, error;
    if (DumpResourceFile(file, folder, "files", &source, &error) != kResOk)
        return 0;
    tCMemFile again;
    if (CompileResourceSource(source, {folder.parent_path()}, again, &error) != kResOk ||
        again.GetSize() != int64_t(size) || std::memcmp(again.GetData(), data, size) != 0)
        std::abort();
    return 0;
}
