#include "toolkit/core/IAppResources.h"

namespace {

IAppResources* gAppResources = nullptr;

}  // namespace

IAppResources* GetAppResources()
{
    return gAppResources;
}

void SetAppResources(IAppResources* resources)
{
    gAppResources = resources;
}
