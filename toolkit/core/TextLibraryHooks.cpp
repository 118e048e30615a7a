#include "toolkit/core/TextLibraryHooks.h"

namespace {

tTextLibraryHooks gHooks;

}  // namespace

void SetTextLibraryHooks(tTextLibraryHooks hooks)
{
    gHooks = hooks;
}

tTextLibraryHooks GetTextLibraryHooks()
{
    return gHooks;
}
