#pragma once

#include <cstdint>

#include "app/panels/PanelResources.h"
#include "app/shell/panes/CKS2Pane.h"
#include "toolkit/core/tCArray.h"

class CKS2Control;

// The message to the owner of the grain picker when a grain is chosen: a = the picker, b = a
// const tCString* holding the grain's texture name, valid only during the call.
inline constexpr uint32_t kMsgGrainChosen = 0xFF001033;

// The small modal pane that offers the paper grains as three image cells. A click on a cell
// closes it and tells the owner that grain's texture name (the resource name of its image); the
// close area, Enter and Escape close it without a choice.
class CKS2GrainPicker : public CKS2Pane {
public:
    static constexpr uint32_t kRoot = kWgtGrainPicker;
    static constexpr float kCloseLit = 80.0f;
    static constexpr float kCloseRiseStepTime = 2.6f;
    static constexpr float kCloseFallStepTime = 3.6f;
    // The root's front effect that lights the close area's band.
    static constexpr int32_t kCloseLight = 2;

    CKS2GrainPicker();
    ~CKS2GrainPicker() override;

    tResult Build() override;
    tResult HandleMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override;
    // param1: null, or a const tCPoint* where the root goes (its parent's coordinates).
    tResult OnShow(uint32_t reserved, uint32_t redraw, tMsgArg param1, tMsgArg param2) override;
    tResult OnDismissed(tMsgArg result, tMsgArg flag) override;

    static tResult OnRootKeyDown(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key);
    static tResult CloseHoverProc(tMsgArg context, CWidget* widget);
    static tResult OnCloseAreaPressed(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);

    const tCArray<CKS2Control*>& GetControls() const { return m_controls; }

private:
    tResult BuildCloseArea();
    tResult DrawFrame();
    tResult BuildCell(CWidget* cell, uint32_t index);
    void ResetHighlights();
    tResult OnGrainClicked(CKS2Control* control);

    tCArray<CKS2Control*> m_controls{tCArray<CKS2Control*>::kAutoGrowth};
};
