#include "toolkit/widgets/WidgetEffectFactory.h"

#include "toolkit/widgets/WidgetEffectBuilder.h"

namespace {

tWidgetEffectFactory gFactory = &BuildWidgetEffect;

}  // namespace

void SetWidgetEffectFactory(tWidgetEffectFactory factory)
{
    gFactory = factory;
}

IWidgetEffect* CreateWidgetEffect(uint32_t type, CWidget* widget, tCStream* stream)
{
    return gFactory ? gFactory(type, widget, stream) : nullptr;
}
