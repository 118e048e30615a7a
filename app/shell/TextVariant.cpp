#include "app/shell/TextVariant.h"

#include "app/shell/CHMRApp.h"
#include "app/shell/ShellResources.h"
#include "toolkit/core/CAppBase.h"

uint32_t GetTextVariant()
{
    // The painting application chose its variant at set-up.
    if (const auto* painting = dynamic_cast<const CHMRApp*>(GetApplication()))
        return painting->GetTextVariant();
    CAppBase* app = GetApplication();
    if (!app)
        return 0;
    tCString current;
    app->GetString(current, kStrVariantCurrent, 0);
    if (current.GetLength() > 0 && current.GetAt(0) == u'%')
        return 0;
    for (uint32_t i = 0; i < kStrVariantCount; ++i) {
        tCString text;
        if (app->GetString(text, kStrVariantFirst + i, 0) == current)
            return kStrVariantFirst + i;
    }
    return 0;
}
