#pragma once

#include <cstdint>

#include "app/shell/panes/CKS2Pane.h"
#include "toolkit/core/tCArray.h"

class CImage;
class CKS2Button;
class CTextList;
class CTxEdWidget;
class CTxWidget;

// The bar along the top edge of the main window: the menu titles on its left half, each opening
// its popup menu, a centre picture, and on its right half the zoom display with its steps and
// entry field, undo and redo, and the window's own buttons. A press on the handle drags the bar
// sideways; a plain click on it slides the bar up out of the way and back down.
class CKS2MenuBar : public CKS2Pane {
public:
    // Run an entry of a menu: a = the menu id, b = the entry id.
    static constexpr uint32_t kMsgRunEntry = 0xFF001020;

    static constexpr int32_t kTitleMinWidth = 56;
    static constexpr int32_t kTitlePadding = 10;
    static constexpr int32_t kTitleGap = 2;
    static constexpr int32_t kEdge = 12;
    static constexpr int32_t kDragThreshold = 4;
    static constexpr int32_t kPopupDrop = 5;
    static constexpr float kStepHighlight = 64.0f;
    static constexpr uint32_t kDisabledOpacity = 48;
    // The zoom shown when it is unknown and must be asked for; the range of a typed zoom.
    static constexpr float kZoomUnknown = 99999.0f;
    static constexpr float kZoomLowest = 0.05f;
    static constexpr float kZoomHighest = 8.0f;

    CKS2MenuBar();
    ~CKS2MenuBar() override;
    CKS2MenuBar(const CKS2MenuBar&) = delete;
    CKS2MenuBar& operator=(const CKS2MenuBar&) = delete;

    tResult Build() override;
    tResult HandleMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override;
    // A side taken at once changes only the bar's height: its horizontal place stays.
    tResult OnSetSide(uint32_t side, uint32_t animate) override;

    // The control id of the title whose rect (root coordinates, edges included) holds the
    // point; -1 when none does.
    int32_t FindTitleAt(tCPoint point) const;
    // Keeps the bar's centre at the same share of the backdrop's width after a resize from
    // `previousWidth`; a previous width that is not positive keeps the bar where it is.
    tResult KeepRelativePosition(int32_t previousWidth, int32_t previousHeight, uint32_t present);

    // 2 when a popup was opened, else 0.
    tResult OnButtonPressed(CKS2Button* button);
    tResult OnButtonClicked(CKS2Button* button);
    tResult ExecuteCommand(uint32_t menuId, uint32_t entryId);
    tResult UpdateUndoRedoButtons(uint32_t present);

    // The zoom display: kZoomUnknown asks the controller.
    tResult ShowZoom(uint32_t present, float zoom);
    tResult OpenZoomEntry();
    tResult CloseZoomEntry(uint32_t apply);

    static tResult HandlePressProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);
    static tResult ZoomEntryKeyDownProc(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key);
    static tResult ZoomEntryMessageProc(tMsgArg context, CWidget* widget, uint32_t message, tMsgArg a, tMsgArg b);

    int32_t GetTitleCount() const { return m_titleButtons.GetCount(); }
    CKS2Button* GetTitleButton(int32_t index) const { return m_titleButtons.GetAt(index); }
    int32_t GetOtherButtonCount() const { return m_otherButtons.GetCount(); }
    CKS2Button* GetOtherButton(int32_t index) const { return m_otherButtons.GetAt(index); }
    CTxWidget* GetZoomText() const { return m_zoomText; }
    CTxEdWidget* GetZoomEntry() const { return m_zoomEntry; }

private:
    tResult BuildTitles();
    tResult SizeToTitles();
    tResult AddSeparator(int32_t x);
    tResult BuildRightControls();
    tResult BuildWindowButtons();
    tResult BuildZoomGroup();
    tResult BuildUndoGroup();
    tResult PrepareZoomEntry();
    tResult BuildBackground();
    // A button on `widget` (control id -1) appended to the other buttons; 24 when it cannot be
    // made or attached.
    tResult AddOtherButton(CWidget* widget, CKS2Button** made);
    tResult OpenTitlePopup(CKS2Button* button);
    tResult CentrePainting();
    tResult RunSettingsEntry(uint32_t entryId);
    tResult RunViewEntry(uint32_t entryId);
    tResult RunLayerEntry(uint32_t entryId);
    void ClearTitleHighlights();
    tResult OnHandlePress(CWidget* handle);

    CImage* m_leftEnd = nullptr;
    CImage* m_rightEnd = nullptr;
    CImage* m_centre = nullptr;
    tCArray<CKS2Button*> m_titleButtons{tCArray<CKS2Button*>::kAutoGrowth};
    tCArray<CKS2Button*> m_otherButtons{tCArray<CKS2Button*>::kAutoGrowth};
    CTxWidget* m_zoomText = nullptr;
    CTxEdWidget* m_zoomEntry = nullptr;
    CTextList* m_titleList = nullptr;
};
