#pragma once

#include <cstdint>

class CImage;
class CWidget;
struct CPenSample;
struct tCRect;

// What the painting tools ask of the application shell, which implements it: the controller's
// current paint colour and the value kept beside it, the pen pressure, and the cursor manager's redraw of the tool
// cursor over the painting view. Tests and the stroke replay supply their own.
class IShellServices {
public:
    // The current paint colour, 0xAARRGGBB.
    virtual uint32_t GetPaintColour() = 0;
    // The value 0..1 the controller keeps beside the paint colour.
    virtual float GetPaintValue() = 0;
    // The pen pressure strokes use without tablet pressure, kept within 0..1.
    virtual void SetPenPressure(float pressure) = 0;
    // Redraws the tool cursor over `view` at `sample` (canvas cells); `wholeCursor` is 1 when the
    // whole cursor area must be redrawn, 0 right after painting.
    virtual void RedrawToolCursor(CWidget* view, const CPenSample& sample, uint32_t wholeCursor) = 0;
    // The canvas input's needs; each does nothing unless the shell takes it up.
    // Shows the cursor the current tool wants over `view`.
    virtual void UpdateCursor(CWidget* /*view*/) {}
    // Draws the current tool's brush outline into `target` (the view's pixels) within `clip`.
    virtual void DrawToolOverlay(CWidget* /*view*/, CImage* /*target*/, const tCRect& /*clip*/) {}

protected:
    ~IShellServices() = default;
};
