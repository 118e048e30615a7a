#include "toolkit/widgets/IWidgetInspector.h"

namespace {

tWidgetInspectorCreator gCreator = nullptr;

}  // namespace

void SetWidgetInspectorCreator(tWidgetInspectorCreator creator)
{
    gCreator = creator;
}

IWidgetInspector* CreateWidgetInspector()
{
    return gCreator ? gCreator() : nullptr;
}
