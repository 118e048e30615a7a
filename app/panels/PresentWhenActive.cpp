#include "app/panels/PresentWhenActive.h"

#include "toolkit/core/CAppBase.h"
#include "toolkit/widgets/CWidget.h"

tResult PresentWhenActive(CWidget* widget)
{
    CAppBase* app = GetApplication();
    if (!widget || (app && !app->IsActive()))
        return kResOk;
    return widget->PresentDirtyRects();
}
