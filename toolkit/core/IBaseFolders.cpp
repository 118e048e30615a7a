#include "toolkit/core/IBaseFolders.h"

namespace {

IBaseFolders* gBaseFolders = nullptr;

}  // namespace

IBaseFolders* GetBaseFolders()
{
    return gBaseFolders;
}

void SetBaseFolders(IBaseFolders* folders)
{
    gBaseFolders = folders;
}

tCString GetBaseFolder(uint32_t selector)
{
    if (!gBaseFolders)
        return tCString(u"");
    return selector == 0 ? gBaseFolders->GetProgramFolder() : gBaseFolders->GetSecondBaseFolder();
}
