#pragma once

#include <cstdint>
#include <memory>

#include "paint/tools/CToolBase.h"

// Makes the tool of an id from 4900 to 4915 with its default settings; null for any other id.
std::unique_ptr<CToolBase> MakeToolById(uint32_t id);
