#pragma once

#include <cstdint>

class CWidget;
class IWidgetEffect;
class tCStream;

// Builds the effect a data-block chunk names ('grdf', 'shad', 'glow', 'brde', 'ctot') from the
// parameters at the stream's position, reading exactly them, and installs it on the widget (when
// one is given); null when it could not, after showing why. The toolkit's own effects
// (BuildWidgetEffect) are installed from the start; tests put others in their place.
using tWidgetEffectFactory = IWidgetEffect* (*)(uint32_t type, CWidget* widget, tCStream* stream);
void SetWidgetEffectFactory(tWidgetEffectFactory factory);

// The installed factory's effect; null without a factory.
IWidgetEffect* CreateWidgetEffect(uint32_t type, CWidget* widget, tCStream* stream);
