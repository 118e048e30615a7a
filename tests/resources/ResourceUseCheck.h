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

// The tables of every folder that loads resources.
std::vector<std::span<const tResourceUse>> AllResourceTables();
