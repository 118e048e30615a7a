#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"

class CWidget;

// The panel in which the backdrop's widget inspector shows what it finds out about a widget. It
// is itself a widget, which whoever adds it owns; the text toolkit installs its creator.
class IWidgetInspector {
public:
    virtual CWidget* AsWidget() = 0;
    virtual void SetFillColour(uint32_t colour) = 0;
    // Fills the panel with the widget's details; 0 on success.
    virtual tResult BuildPanel(CWidget* widget) = 0;

protected:
    ~IWidgetInspector() = default;
};

// Makes a new panel; null when it cannot.
using tWidgetInspectorCreator = IWidgetInspector* (*)();
void SetWidgetInspectorCreator(tWidgetInspectorCreator creator);
// The installed creator's panel; null without one.
IWidgetInspector* CreateWidgetInspector();
