#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"

class CCanvas;

// Opens an undo step on the canvas when made and closes it when released (at most once). Every
// change that saves tiles for undo (a stroke, a cleared layer, an image washed in) goes this
// way: the change stays however its step ends, and a step opened but not stored is told to the
// canvas's host as lost.
class CUndoStepGuard {
public:
    // A step of the current layer, opened by the canvas's BeginUndoStep.
    explicit CUndoStepGuard(CCanvas& canvas);
    // A step of the layer at `layer`.
    CUndoStepGuard(CCanvas& canvas, int32_t layer);
    ~CUndoStepGuard() { Release(); }
    CUndoStepGuard(const CUndoStepGuard&) = delete;
    CUndoStepGuard& operator=(const CUndoStepGuard&) = delete;

    // The answer of BeginUndoStep.
    tResult GetOpenResult() const { return m_opened; }
    // Closes the step now; the answer of EndUndoStep, 0 when it was closed already.
    tResult Release();
    // The change is made: closes the step as Release does and tells the controller that the
    // painting changed.
    void Keep();

private:
    CCanvas* m_canvas;
    tResult m_opened;
    bool m_open;
};

// Held while a pen stroke runs. One process-wide count of holders: the first switches the main
// window's pen-service gestures off, the last to release switches them on again. This system
// has no pen-service gestures, so only the count is kept.
class CPenServiceGuard {
public:
    CPenServiceGuard();
    ~CPenServiceGuard() { Release(); }
    CPenServiceGuard(const CPenServiceGuard&) = delete;
    CPenServiceGuard& operator=(const CPenServiceGuard&) = delete;

    void Release();
    bool IsActive() const { return m_active; }
    // The number of guards holding now.
    static int32_t GetHolderCount();

private:
    bool m_active = false;
};
