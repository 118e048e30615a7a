#include "toolkit/core/HostLookupHook.h"

namespace {

tHostLookupCompletion gCompletion = nullptr;

}  // namespace

void SetHostLookupCompletion(tHostLookupCompletion completion)
{
    gCompletion = completion;
}

tHostLookupCompletion GetHostLookupCompletion()
{
    return gCompletion;
}
