#pragma once

// The helper lives in the platform layer, whose settings store reads hexadecimal too.
#include "platform/HexDigits.h"

using w32::HexDigitValue;
