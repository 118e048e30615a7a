#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCString.h"

class tCStream;

// Payload readers of the chunks the text widgets share. A failure shows the chunk's box,
// "TxWidget <tag>." under code 23 (or the text `message` where one is given), and answers its
// code.
tResult ReportTextChunk(tResult result, uint32_t tag, const char* message = nullptr);
tResult ReadTextChunkInt(tCStream* block, uint32_t tag, int32_t* value, const char* message = nullptr);
tResult ReadTextChunkLine(tCStream* block, uint32_t tag, tCString* text);
// A point or pixel size from 1 to 1000; anything else (not a number, infinite, out of range)
// is refused with the chunk's box and 17.
tResult ReadTextChunkSize(tCStream* block, uint32_t tag, float* value);

// "left" 0, "right" 1, "centre" and "center" 2, exactly; any other text 0.
int32_t JustificationFromText(const tCString& text);
