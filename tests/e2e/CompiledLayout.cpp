#include "tests/e2e/CompiledLayout.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "resources/compiler/ResourceSource.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCMemFile.h"

const char* const kPaintingViewLayout = R"(vers 2
bkdp 1 "main"
  colr #FF303050
  xsiz 360
  ysiz 260
  + wdgt 5 "view"
    xpos 30
    ypos 30
    xsiz 300
    ysiz 200
    vsbl 1
)";

tResult OpenCompiledLayout(const char* source, tCFile& layouts)
{
    std::string error;
    tCMemFile compiled;
    if (CompileResourceSource(source, {}, compiled, &error) != kResOk) {
        std::fprintf(stderr, "layout: %s\n", error.c_str());
        return kResFailure;
    }
    char path[] = "/tmp/kostrel-test-layout-XXXXXX";
    const int descriptor = mkstemp(path);
    if (descriptor < 0)
        return kResFileIO;
    const bool written =
        write(descriptor, compiled.GetData(), size_t(compiled.GetSize())) == ssize_t(compiled.GetSize());
    close(descriptor);
    const tResult opened =
        written ? layouts.Open(tCFRef(tCString::FromAnsi(path)), tCFile::kAccessRead) : kResFileIO;
    unlink(path);
    return opened == kResOk ? kResOk : kResFileIO;
}
