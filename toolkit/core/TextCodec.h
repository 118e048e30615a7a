#pragma once

// The conversions live in the platform layer, which needs them below the toolkit.
#include "platform/TextCodec.h"

using w32::AnsiToWide;
using w32::WideToAnsi;
using w32::FileNameToWide;
using w32::WideToFileName;
