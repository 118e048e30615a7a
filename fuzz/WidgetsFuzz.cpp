#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzFile.h"
#include "tests/toolkit/core/ErrorBoxRecorder.h"
#include "tests/toolkit/widgets/LoadEveryWidget.h"

// Reads the input as a resource file and loads every widget it names, by name, into its class.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static ErrorBoxRecorder boxes;
    tCFile file;
    if (!OpenAsFile(data, size, &file))
        return 0;
    LoadEveryWidget(&file, [](tResult) {});
    return 0;
}
