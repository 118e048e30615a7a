#pragma once

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/core/FourCC.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCString.h"

// Which chunks each widget class reads from its data block and what their payloads hold, for
// the tools that write and print resource files and for the loaders' tests. A class reads its
// own chunks and those of its base classes. Classes and chunks join by registration: the widget
// classes of other libraries, and the effect chunks with the effects.

enum class tWidgetPayload {
    kU32,           // a number
    kColour,        // a number written #AARRGGBB
    kF32,           // a finite number
    kText,          // a text
    kUserData,      // a text "index|int|value" or "index|real|value", index 0 to 7
    kCursor,        // a text "name|x,y" naming a widget resource, with the pointer's tip
    kDefaultCursor, // a text naming one of the class's cursors
    kImageName,     // a text naming an 'imag' resource
    kGradientName,  // a text naming a 'grad' resource
    kImageListName, // a text naming an 'imlt' resource
    kMaskListName,  // a text naming an 'iml8' resource
    kTextListName,  // a text naming a 'txlt' resource
    kHierarchy,     // the children: a u32 count, then a name text and a type tag for each
    kFields,        // parameters read one after another, as the chunk's fields list them
};

// One parameter of a kFields payload: an i32 from `least` to `most`, an f32, a colour (an i32
// written #AARRGGBB), a colour of which only red, green and blue count (written #RRGGBB when its
// alpha byte is 0, else #AARRGGBB), or colour stops (an i32 count, then a colour and an f32
// position 0 to 1 for each).
struct tWidgetField {
    enum Kind { kI32, kF32, kColour, kRgb, kStops };
    std::string name;
    Kind kind = kI32;
    int32_t least = INT32_MIN;
    int32_t most = INT32_MAX;
};

struct tWidgetChunk {
    uint32_t tag = 0;
    tWidgetPayload payload = tWidgetPayload::kU32;
    std::vector<tWidgetField> fields;
};

struct tWidgetClass {
    uint32_t tag = 0;
    // 0 for the plain widget, which has no base.
    uint32_t base = 0;
    std::vector<tWidgetChunk> chunks;
};

// The resource type a text payload names ('imag', 'grad', 'imlt', 'iml8', 'txlt'); 0 for the
// others.
uint32_t ResourceTypeNamedBy(tWidgetPayload payload);

// Registers a class whose base is registered already; 6 for a class known already or an
// unknown base.
tResult RegisterWidgetClass(uint32_t tag, uint32_t base);
// Adds chunks to a class; 6 for an unknown class or a tag its chain reads already.
tResult AddWidgetChunks(uint32_t classTag, const std::vector<tWidgetChunk>& chunks);

// Null for a class or a chunk the schema does not know; chunks are searched up the base chain.
const tWidgetClass* FindWidgetClass(uint32_t tag);
const tWidgetChunk* FindWidgetChunk(uint32_t classTag, uint32_t chunkTag);
// Every chunk a class reads, its own first.
std::vector<const tWidgetChunk*> WidgetChunksOf(uint32_t classTag);

// Texts as their loaders take them; false with the reason otherwise.
bool CheckUserDataText(const tCString& text, std::string* why);
// On success, the cursor's resource name.
bool CheckCursorText(const tCString& text, tCString* name, std::string* why);
