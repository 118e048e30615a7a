#include <cstddef>
#include <cstdint>

#include "FuzzApplication.h"
#include "fuzz/FuzzFile.h"
#include "tests/toolkit/core/ErrorBoxRecorder.h"
#include "tests/toolkit/widgets/LoadEveryWidget.h"
#include "toolkit/text/TextLibrary.h"
#include "toolkit/text/TextWidgets.h"

namespace {

// An application with the text library started, so that the text widgets find their fonts
// (the machine's, as the fuzz application's resource file holds none), and whose error boxes
// are only recorded.
struct tTextSetUp {
    tTextSetUp()
    {
        InstallTextLibraryHooks();
        RegisterTextWidgets();
    }
};

}  // namespace

// Reads the input as a resource file and builds its first widgets by name, the text, text-on-
// image and edit widgets among them.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static tTextSetUp setUp;
    static CFuzzApplication application("text-widgets-fuzz-", {});
    static ErrorBoxRecorder boxes;
    const CFuzzFile input(data, size);
    tCFile file;
    if (!input.Open(&file))
        return 0;
    LoadEveryWidget(&file, 8, [](tResult) {});
    return 0;
}
