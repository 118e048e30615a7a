#pragma once

#include <span>
#include <string>
#include <vector>

#include "toolkit/core/ResourceUse.h"

class CResourceDirectory;
class tCStream;
class tCStringTable;

// What a table of resource uses asks for that the compiled files lack: one line for each id or
// name that is missing, or present with another type.
std::vector<std::string> FindMissingResources(std::span<const tResourceUse> uses, tCStream& resources,
                                              const CResourceDirectory& directory, const tCStringTable& strings);

// Builds every widget layout of the application's resource file through the widget factory, by
// its name and class: one line for each layout that is not built, is built as another class, or
// shows an error box (a data-block message) while it loads. Needs a started application.
std::vector<std::string> FindWidgetLayoutFaults(tCStream& resources, const CResourceDirectory& directory);

// For the entries of a table that name a widget class: one line for each layout that the widget
// factory does not build as that class. Needs a started application.
std::vector<std::string> FindWrongWidgetKinds(std::span<const tResourceUse> uses, tCStream& resources,
                                              const CResourceDirectory& directory);

// The tables of every folder that loads resources.
std::vector<std::span<const tResourceUse>> AllResourceTables();
