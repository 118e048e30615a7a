#include "toolkit/core/IRootWidget.h"

namespace {

tRootWidgetFactory gFactory = nullptr;

}  // namespace

void SetRootWidgetFactory(tRootWidgetFactory factory)
{
    gFactory = factory;
}

tRootWidgetFactory GetRootWidgetFactory()
{
    return gFactory;
}
