#include "toolkit/widgets/MainWindowWatch.h"

namespace {

tMainWindowQuery gMainWindowQuery = nullptr;

}  // namespace

void SetMainWindowQuery(tMainWindowQuery query)
{
    gMainWindowQuery = query;
}

bool MainWindowExists()
{
    return gMainWindowQuery && gMainWindowQuery();
}
