#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/widgets/WidgetChunkSchema.h"

class CWidget;
class IWidgetEffect;
class tCStream;

// The effect factory that widget data blocks use (WidgetEffectFactory.h installs it): builds the
// effect a chunk tag names ('shad' shadow, 'glow' glow, 'grdf' gradient, 'brde' border, 'ctot'
// cut-out, 'txtr' texture) from the parameters at the stream's position (none with a null stream
// and for 'txtr'), applying each as it is read, then installs it on the widget at the index and
// in the layer the parameters choose. Null after a report in the error box on any failure; the
// half-built effect is deleted.
IWidgetEffect* BuildWidgetEffect(uint32_t type, CWidget* widget, tCStream* stream);

// The parameters of the effect chunks as named fields, in the order they are stored, for the
// chunk schema of every composite widget.
std::vector<tWidgetChunk> WidgetEffectChunks();
