#pragma once

#include <cstdint>

// The application's text variant: the painting application's own choice; in any other
// application the id among kStrVariantFirst .. + kStrVariantCount - 1 whose string-table text
// equals that of kStrVariantCurrent, 0 when none does (or there is no table).
uint32_t GetTextVariant();
