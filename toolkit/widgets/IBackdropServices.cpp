#include "toolkit/widgets/IBackdropServices.h"

#include "toolkit/widgets/CWidget.h"

IBackdropServices* FindBackdropServices(CWidget* widget)
{
    return widget ? dynamic_cast<IBackdropServices*>(widget->GetRoot()) : nullptr;
}
