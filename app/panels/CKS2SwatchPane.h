#pragma once

#include <cstdint>

#include "app/panels/PanelResources.h"
#include "app/shell/panes/CKS2Pane.h"
#include "toolkit/core/tCArray.h"

class CImage;
class CImWidget;
class CKS2Button;

// The pane that shows the painting's colour list as a grid of swatch places: at least five, and
// in general one empty place beyond the stored colours, but no more places than the window has
// room for: a longer list shows its first colours, and follows the window's size. It reads the
// list from the controller and rebuilds whenever a project opens, a list loads or an entry goes;
// it never changes the list. It hangs at the window's right edge, clear of the colour picker, and
// its handle drags it up and down or slides it aside.
class CKS2SwatchPane : public CKS2Pane {
public:
    static constexpr uint32_t kRoot = kWgtSwatches;
    static constexpr uint32_t kHandle = kWgtSwatchesHandle;
    static constexpr uint32_t kTopButton = kWgtSwatchesTop;
    static constexpr uint32_t kPlace = kWgtSwatchPlace;
    static constexpr uint32_t kEmptyColour = 0x00FFFFFF;
    static constexpr int32_t kMinimumPlaces = 5;
    // User-data words of a place.
    static constexpr int32_t kSlotKind = 0;
    static constexpr int32_t kSlotColour = 1;
    static constexpr int32_t kSlotIndex = 7;
    // The grid: its first place, the margin right of its last column, the gap between places,
    // the least rows of a column.
    static constexpr int32_t kGridLeft = 22;
    static constexpr int32_t kGridTop = 7;
    static constexpr int32_t kGridRight = 11;
    static constexpr int32_t kGap = 5;
    static constexpr int32_t kMinimumRows = 5;
    // A colour is drawn over a place's face this far inside its edge.
    static constexpr int32_t kColourInset = 3;

    CKS2SwatchPane();
    ~CKS2SwatchPane() override;
    CKS2SwatchPane(const CKS2SwatchPane&) = delete;
    CKS2SwatchPane& operator=(const CKS2SwatchPane&) = delete;

    tResult Build() override;
    tResult HandleMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override;
    // Between the window's top and the colour picker.
    int32_t ReachableTop(int32_t top) const override;

    // Replaces the places by the controller's list (see the class comment), asking only for the
    // entries it shows; a failed query of the list is the answer and leaves the pane empty.
    tResult RebuildSwatches(uint32_t present);
    tResult ClearSwatches(uint32_t present, uint32_t addDefaults);
    // 6 without the face image, 22 when the place's layout cannot be made, 24 without memory.
    tResult AddSwatch(uint32_t colour, uint32_t relayout);
    tResult LayoutSwatches();
    // The root's picture: the cap at the top-left, the base at the bottom-left, the rest
    // repeated from their last row and column.
    tResult RenderBackground();
    // Keeps the pane's centre at the same share of the backdrop's height after a resize from
    // `previous` (width, height).
    void KeepRelativeHeight(tCPoint previous);

    static tResult OnHandlePressed(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);

    int32_t GetSwatchCount() const { return m_swatches.GetCount(); }
    CKS2Button* GetSwatch(int32_t index) const { return m_swatches.GetAt(index); }

private:
    // The lowest the pane may reach: the backdrop's height less the colour picker's.
    int32_t AvailableHeight() const;
    // The rows of a column of places of that height.
    int32_t Rows(int32_t placeHeight) const;
    // The places of the first place's size that fit between the window's left edge and the
    // pane's right edge on side 0, the first place of the grid left free; five at least.
    int32_t MostPlaces() const;
    void AddDefaultSwatches();

    CImage* m_capImage = nullptr;
    CImage* m_baseImage = nullptr;
    CImage* m_faceImage = nullptr;
    tCArray<CKS2Button*> m_swatches{tCArray<CKS2Button*>::kAutoGrowth};
    CKS2Button* m_topButton = nullptr;
    // The last rebuild left out entries for want of room.
    bool m_cut = false;
};
