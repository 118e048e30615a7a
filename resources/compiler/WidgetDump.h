#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "resources/compiler/WidgetFacts.h"
#include "toolkit/core/ResultCodes.h"

class tCStream;

// A widget resource read back as source: its line and its chunk lines, and the 'hier' chunk that
// ends its data block (if one does), which is printed as "+" children where the resources after
// the widget are those children in order.
struct tWidgetDump {
    uint32_t classTag = 0;
    uint32_t id = 0;
    tCString name;
    std::vector<std::string> chunkLines;
    std::vector<tWidgetFacts::tReference> lastChildren;
    std::string lastHierarchyLine;
    bool endsWithHierarchy = false;
};

// Reads a widget's data block, which must fill the resource up to `end`, refusing what the
// compiler would not write in the same bytes; `facts` learn what the widget names, the widget
// itself already added as `fact`. `error` says why on failure (17).
tResult DumpWidgetData(tCStream& in, int64_t end, tWidgetDump* dump, tWidgetFacts* facts, size_t fact,
                       std::string* error);

// The source of widgets read in file order; `widgets[i]` is null for the resources that are no
// widgets, whose lines are `lines[i]`.
std::string PrintResources(const std::vector<const tWidgetDump*>& widgets, const std::vector<std::string>& lines);
