#include "app/shell/panes/PaneFocus.h"

#include "app/shell/panes/IPaneHost.h"
#include "toolkit/widgets/CWidget.h"

namespace {

tCArray<CWidget*>* KeyPaneRoots()
{
    IPaneHost* host = GetPaneHost();
    return host ? host->GetKeyPaneRoots() : nullptr;
}

}  // namespace

void TakePaneFocus(CWidget* root)
{
    if (!root)
        return;
    if (tCArray<CWidget*>* roots = KeyPaneRoots()) {
        (void)roots->Remove(root);
        // Without room in the list the pane still takes the keys; they cannot come back to it.
        (void)roots->Add(root);
    }
    root->SetFocus(1);
}

void ReturnPaneFocus(CWidget* root)
{
    if (!root)
        return;
    tCArray<CWidget*>* roots = KeyPaneRoots();
    if (roots)
        (void)roots->Remove(root);
    CWidget* backdrop = GetMainBackdropWidget();
    if (!backdrop || !root->HasFocus())
        return;
    // The latest pane opened that is still shown takes the keys back. A root that is no longer
    // the backdrop's child went with its pane and is only compared.
    for (int32_t i = roots ? roots->GetCount() - 1 : -1; i >= 0; --i) {
        CWidget* open = (*roots)[i];
        if (backdrop->IndexOfChild(open) >= 0 && open->IsVisible()) {
            open->SetFocus(1);
            return;
        }
    }
    backdrop->SetFocus(1);
}
