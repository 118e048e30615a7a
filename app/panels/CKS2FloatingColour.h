#pragma once

#include <cstdint>

#include "app/panels/PanelResources.h"
#include "app/shell/panes/CKS2Pane.h"

class CKS2Button;
class CWidget;

// The modal pane that lets the user take a colour by pointing. Another pane asks the backdrop to
// show it (IPaneHost::ShowFloatingColour) with a start colour and itself as the owner; while the
// opening press drags over the colour areas, the colour under the pointer goes to the owner as
// 0xFF001032 (a = this pane, b = the packed colour), and leaving them sends the start colour
// back. A press released without a drag leaves the pane open: the areas are then pressed to take
// colours, and the keys or the comparison bar's halves accept or cancel; a cancel gives the
// owner its start colour again.
class CKS2FloatingColour : public CKS2Pane {
public:
    static constexpr uint32_t kRoot = kWgtFloatingColour;
    static constexpr uint32_t kAreaFirst = kWgtFloatingAreaFirst;
    static constexpr uint32_t kAreaCount = kWgtFloatingAreaCount;
    static constexpr uint32_t kComparison = kWgtFloatingComparison;
    static constexpr uint32_t kDropTarget = kWgtFloatingDropTarget;
    static constexpr uint32_t kHandOff = kWgtFloatingHandOff;
    static constexpr uint32_t kMsgColourChosen = 0xFF001032;
    // A press that moves further than this on either axis is a drag.
    static constexpr int32_t kDragThreshold = 10;
    static constexpr float kComparisonLit = 80.0f;
    static constexpr float kComparisonStepTime = 2.0f;
    enum : uint32_t { kAccept = 1, kCancel = 2 };

    CKS2FloatingColour();
    ~CKS2FloatingColour() override;
    CKS2FloatingColour(const CKS2FloatingColour&) = delete;
    CKS2FloatingColour& operator=(const CKS2FloatingColour&) = delete;

    tResult Build() override;
    tResult HandleMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override;
    // param1 is the start colour.
    tResult OnShow(uint32_t reserved, uint32_t redraw, tMsgArg param1, tMsgArg param2) override;
    tResult OnShown() override;
    tResult OnDismissed(tMsgArg result, tMsgArg flag) override;

    // Follows the press that opened the pane until the button is released; then closes the pane
    // after a drag, hands the colour off on a drop on the drop target, or stays open.
    tResult TrackColourDrag();

    static tResult OnKey(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key);
    static tResult OnColourAreaPressed(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);
    static tResult OnComparisonPressed(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);
    // Lights the half of the comparison bar under the pointer towards 80 and dims the other.
    static tResult OnComparisonHeartbeat(tMsgArg context, CWidget* widget);

    uint32_t GetStartColour() const { return m_startColour; }
    uint32_t GetCurrentColour() const { return m_currentColour; }
    uint32_t IsOpenedByClick() const { return m_openedByClick; }

private:
    tResult BuildComparison(CWidget* comparison);
    void ResetComparison();
    // The colour under a point of the backdrop: its back buffer's pixel, opaque, over a colour
    // area, else the start colour.
    uint32_t ColourAt(tCPoint point) const;
    // Sends `colour` to the owner, when there is one, and keeps it as the current colour.
    tResult Report(uint32_t colour);
    // Follows the held button, reporting each new position (after the threshold when
    // `threshold`) up to where the button came up, which goes to `release` (screen coordinates)
    // when asked; answers whether a drag took place.
    bool FollowPointer(bool threshold, tCPoint* release = nullptr);

    uint32_t m_openedByClick = 0;
    uint32_t m_startColour = 0;
    uint32_t m_currentColour = 0;
    CKS2Button* m_handOffButton = nullptr;
};
