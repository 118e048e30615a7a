#include "toolkit/text/TextLibrary.h"

#include "toolkit/core/TextLibraryHooks.h"
#include "toolkit/text/FreeTypeLibrary.h"
#include "toolkit/text/TextGamma.h"

namespace {

void StartTextLibrary()
{
    // Without FreeType the program still runs; fonts then fail to load one by one.
    InitFreeType();
    BuildTextGammaTables(1.1f);
}

}  // namespace

void InstallTextLibraryHooks()
{
    SetTextLibraryHooks({StartTextLibrary, DoneFreeType});
}
