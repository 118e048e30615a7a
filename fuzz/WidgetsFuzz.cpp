#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzFile.h"
#include "tests/toolkit/core/ErrorBoxRecorder.h"
#include "tests/toolkit/widgets/LoadEveryWidget.h"

// Reads the input as a resource file and loads its first widgets by name into their classes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static ErrorBoxRecorder boxes;
    const CFuzzFile input(data, size);
    tCFile file;
    if (!input.Open(&file))
        return 0;
    LoadEveryWidget(&file, 8, [](tResult) {});
    return 0;
}
