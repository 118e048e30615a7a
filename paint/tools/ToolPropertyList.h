#pragma once

#include <cstdint>
#include <initializer_list>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCArray.h"

class CToolProperty;

// One entry of a tool's settings panel: the text id that names the property and its kind.
struct ToolPropertyEntry {
    uint32_t textId;
    uint32_t kind;
};

// Appends a new CToolProperty for each entry to `list`, whose owner deletes them. 6 without a
// list, 5 when one cannot be added (those added stay).
tResult AppendToolProperties(tCArray<CToolProperty*>* list, std::initializer_list<ToolPropertyEntry> entries);
