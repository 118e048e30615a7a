#include "app/panels/CInterfacePanels.h"

#include <new>

#include "app/panels/CNumericEntry.h"
#include "app/panels/CSavePrompt.h"
#include "app/panels/CStringPrompt.h"

namespace {

template <typename Pane>
tResult Make(CKS2Pane** pane)
{
    *pane = new (std::nothrow) Pane;
    return *pane ? kResOk : kResCreateFailed;
}

}  // namespace

tResult CInterfacePanels::MakePane(uint32_t rootId, CKS2Pane** pane)
{
    *pane = nullptr;
    switch (rootId) {
    case CSavePrompt::kRoot:
        return Make<CSavePrompt>(pane);
    case CStringPrompt::kRoot:
        return Make<CStringPrompt>(pane);
    case CNumericEntry::kRoot:
        return Make<CNumericEntry>(pane);
    default:
        return kResNotImplemented;
    }
}

CStringPrompt* CInterfacePanels::AsTextPrompt(CKS2Pane* pane) { return dynamic_cast<CStringPrompt*>(pane); }
