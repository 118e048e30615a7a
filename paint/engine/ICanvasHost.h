#pragma once

#include "paint/engine/IUndoHooks.h"

class CStandardRenderer;
class ICanvasTool;

// What the canvas asks of the controller, which implements it: the renderer, the current tool
// and the undo hooks. A canvas without a host renders nothing and records no undo.
class ICanvasHost : public IUndoHooks {
public:
    // The current renderer, or null.
    virtual CStandardRenderer* GetRenderer() = 0;
    // The tool strokes use, or null.
    virtual ICanvasTool* GetCurrentTool() = 0;

protected:
    ~ICanvasHost() = default;
};
