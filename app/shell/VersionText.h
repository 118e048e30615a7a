#pragma once

#include <cstdint>

#include "toolkit/core/tCString.h"

// 1 when the version text `offered` names a later version than `own`, else 0. Versions are
// dot-separated numbers compared part by part from the left as numbers ("2.10" is later than
// "2.9"); a missing part counts as 0, and a part is the digits it starts with.
uint32_t IsNewerVersion(const tCString& offered, const tCString& own);
