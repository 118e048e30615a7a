#include "app/shell/panes/PaneFocus.h"

#include "app/shell/panes/IPaneHost.h"
#include "toolkit/widgets/CWidget.h"

void TakePaneFocus(CWidget* root)
{
    if (root)
        root->SetFocus(1);
}

void ReturnPaneFocus(CWidget* root)
{
    if (!root || !root->HasFocus())
        return;
    if (CWidget* backdrop = GetMainBackdropWidget())
        backdrop->SetFocus(1);
}
