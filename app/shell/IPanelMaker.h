#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCPoint.h"
#include "toolkit/core/tCString.h"

class CKS2Pane;
class CStringPrompt;
class tCCmdTarget;

// What the main backdrop's build asks of the painting panels, which sit above the shell and
// implement it: a new pane for a row of the interface, named by its root widget's resource id.
class IPanelMaker {
public:
    // A new pane, not yet created, through `pane`: 0; 10 when the program has no pane of that
    // row (the build leaves the row out); 24 when memory runs out.
    virtual tResult MakePane(uint32_t rootId, CKS2Pane** pane) = 0;
    // The pane as the text prompt, or null when it is none.
    virtual CStringPrompt* AsTextPrompt(CKS2Pane* pane) = 0;
    // Shows the text prompt asking for a number at `point` (backdrop coordinates), holding
    // `initialText` under `title`, answering `owner`; the prompt's own answer, 22 from a maker
    // that knows no text prompt.
    virtual tResult ShowNumberPrompt(CStringPrompt* prompt, tCCmdTarget* owner, tCPoint point,
                                     const tCString& initialText, const tCString& title)
    {
        (void)prompt, (void)owner, (void)point, (void)initialText, (void)title;
        return kResResourceNotFound;
    }

    // Follows the opening press of the floating colour `pane` (made for kPaneFloatingColour)
    // until the button is released; 22 from a maker that knows no floating colour.
    virtual tResult TrackColourDrag(CKS2Pane* pane)
    {
        (void)pane;
        return kResResourceNotFound;
    }

protected:
    ~IPanelMaker() = default;
};

// The rows of the interface build in their order, each named by its root widget's resource id,
// and whether the pane is one of the main panes.
struct tPaneRow {
    uint32_t rootId;
    bool mainPane;
};
inline constexpr uint32_t kPaneCleanBrush = 900;
inline constexpr uint32_t kPaneNewPainting = 2000;
inline constexpr uint32_t kPaneBusy = 106000;
inline constexpr uint32_t kPaneProgress = 106500;
inline constexpr uint32_t kPaneSavePrompt = 1000;
inline constexpr uint32_t kPaneUpdate = 107000;
inline constexpr uint32_t kPaneColourPicker = 5000;
inline constexpr uint32_t kPaneToolPicker = 100700;
inline constexpr uint32_t kPaneToolSettings = 100800;
inline constexpr uint32_t kPaneSwatches = 100850;
inline constexpr uint32_t kPaneNavigation = 7000;
inline constexpr uint32_t kPaneTracing = 10000;
inline constexpr uint32_t kPanePaper = 100500;
inline constexpr uint32_t kPaneMenuBar = 8000;
inline constexpr uint32_t kPaneTextPrompt = 101000;
inline constexpr uint32_t kPaneNumericEntry = 105000;
inline constexpr uint32_t kPaneGrainPicker = 100950;
inline constexpr uint32_t kPanePopups = 6000;
// Made on first use, outside the rows.
inline constexpr uint32_t kPaneFloatingColour = 100600;

inline constexpr tPaneRow kPaneRows[] = {
    {kPaneCleanBrush, true},    {kPaneNewPainting, false}, {kPaneBusy, false},          {kPaneProgress, false},
    {kPaneSavePrompt, false},   {kPaneUpdate, false},      {kPaneColourPicker, true},   {kPaneToolPicker, true},
    {kPaneToolSettings, true},  {kPaneSwatches, true},     {kPaneNavigation, true},     {kPaneTracing, false},
    {kPanePaper, false},        {kPaneMenuBar, true},      {kPaneTextPrompt, false},    {kPaneNumericEntry, false},
    {kPaneGrainPicker, false},  {kPanePopups, false},
};
// The restore widget and the interface sounds come between the second and the third row.
inline constexpr int32_t kRowsBeforeSounds = 2;

// The panes that hear every message the backdrop passes on, in this order.
inline constexpr uint32_t kPassOnOrder[] = {
    kPaneCleanBrush, kPaneNavigation, kPaneColourPicker, kPanePopups,       kPaneMenuBar, kPaneTracing,
    kPaneToolPicker, kPaneToolSettings, kPaneSwatches,  kPaneNewPainting, kPaneUpdate,
};
// The order in which the backdrop deletes its panes.
inline constexpr uint32_t kDeleteOrder[] = {
    kPaneCleanBrush, kPaneSavePrompt,   kPaneNewPainting, kPaneColourPicker, kPanePopups,
    kPaneNavigation, kPaneMenuBar,      kPaneTracing,     kPanePaper,        kPaneTextPrompt,
    kPaneGrainPicker, kPaneToolPicker,  kPaneToolSettings, kPaneSwatches,    kPaneNumericEntry,
    kPaneBusy,       kPaneProgress,     kPaneUpdate,
};
