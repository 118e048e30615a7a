#pragma once

#include <cstdint>

// The two tables through which coloured text coverage is shaped: entry i of the first is
// round(255 (i/255)^g), of the second round(255 (i/255)^(1/g)).
void BuildTextGammaTables(float gamma);
const uint8_t* GetTextGammaTable();
const uint8_t* GetTextInverseGammaTable();
