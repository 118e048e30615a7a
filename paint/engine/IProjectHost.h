#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCCmdTarget.h"

class CCanvas;
class CColourList;
class CProjectInfo;
class ICanvasTool;

// What saving and opening a project need of the controller, which implements it: the painting's
// record (size, name, file), the canvas, the tools, the current colour and the value kept beside
// it, the colour list, and the messages through which an opened painting takes its place.
class IProjectHost {
public:
    // The canvas, or null when there is none yet.
    virtual CCanvas* GetCanvas() = 0;
    // The record of the current painting: width, height, name and file.
    virtual CProjectInfo& GetProject() = 0;

    virtual uint32_t GetPaintColour() = 0;
    virtual void SetPaintColour(uint32_t colour) = 0;
    // The value 0..1 kept beside the paint colour.
    virtual float GetPaintValue() = 0;

    // The tool list: entries 0..count - 1, any of which may be null.
    virtual int32_t GetToolCount() = 0;
    virtual ICanvasTool* GetTool(int32_t index) = 0;
    // The current tool, or null.
    virtual ICanvasTool* GetCurrentTool() = 0;

    virtual CColourList& GetColourList() = 0;

    // Raised (1) while an opened project's new painting (0xFF000002) is made, cleared (0) after.
    virtual void SetOpeningBusy(uint32_t busy) = 0;
    // The version word of the project last opened.
    virtual void SetProjectVersion(uint32_t version) = 0;

    // The controller sends itself the message, applied, as from itself, and answers what it
    // answers: the new painting (b = CProjectInfo*), the pick of a tool by id, the canvas's
    // tracing messages (handed on to the canvas), and the notifications after an open.
    virtual tResult SendMessage(uint32_t message, tMsgArg b) = 0;

protected:
    ~IProjectHost() = default;
};
