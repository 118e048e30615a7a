#include "paint/tools/ToolPropertyList.h"

#include <memory>

#include "paint/tools/CToolProperty.h"

tResult AppendToolProperties(tCArray<CToolProperty*>* list, std::initializer_list<ToolPropertyEntry> entries)
{
    if (!list)
        return kResBadParam;
    for (const ToolPropertyEntry& entry : entries) {
        auto property = std::make_unique<CToolProperty>(entry.textId, entry.kind);
        TK_TRY(list->Add(property.get()) == kResOk ? kResOk : kResNoMemory);
        property.release();
    }
    return kResOk;
}
