#pragma once

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCString.h"

class tCStream;

// A text in widget data: its UTF-16 units, one more unit that readers drop (the writer puts a
// LF there), then a NUL. A stored text of the NUL alone reads as empty.
tResult ReadWidgetText(tCStream* stream, tCString* text);
// 6 for a text holding a NUL, which would end it early.
tResult WriteWidgetText(tCStream* stream, const tCString& text);
