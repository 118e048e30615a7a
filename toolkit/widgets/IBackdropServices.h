#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCPoint.h"

class CWidget;

// What widgets that take over input (the painting view) ask of the backdrop they lie in: its
// cursor table, its modal stack, the widget under the pointer, the composed pixels and the
// background colour.
class IBackdropServices {
public:
    // 6 when no cursor of the table has that resource id.
    virtual tResult SelectCursorById(uint32_t id) = 0;
    // While a widget is on top of the stack, input goes to it alone; 5 when the stack cannot grow.
    virtual tResult PushModal(CWidget* widget) = 0;
    virtual void PopModal() = 0;
    // The widget last found under the pointer, null when none or when tracking is off.
    virtual CWidget* GetRolloverWidget() const = 0;
    // The back buffer's pixel at a backdrop point; 0 outside it.
    virtual uint32_t GetPixelAt(tCPoint point) const = 0;
    virtual uint32_t GetBackgroundColour() const = 0;
    // A new colour is drawn at the next present, or at once with `update`.
    virtual tResult SetBackgroundColour(uint32_t colour, uint32_t update) = 0;

protected:
    ~IBackdropServices() = default;
};

// The services of the backdrop at the root of the widget's tree, or null when the root is none.
IBackdropServices* FindBackdropServices(CWidget* widget);
