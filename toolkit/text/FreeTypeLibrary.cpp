#include "toolkit/text/FreeTypeLibrary.h"

namespace {

FT_Library gLibrary = nullptr;

}  // namespace

tResult InitFreeType()
{
    if (gLibrary)
        return kResOk;
    const FT_Error error = FT_Init_FreeType(&gLibrary);
    if (error == FT_Err_Ok)
        return kResOk;
    gLibrary = nullptr;
    return error == FT_Err_Out_Of_Memory ? kResNoMemory : kResCreateFailed;
}

void DoneFreeType()
{
    if (gLibrary)
        FT_Done_FreeType(gLibrary);
    gLibrary = nullptr;
}

FT_Library GetFreeTypeLibrary()
{
    return gLibrary;
}
