#pragma once

#include <cstdint>
#include <vector>

#include "app/panels/CWidgetLayerView.h"
#include "app/panels/PanelResources.h"
#include "app/shell/panes/CKS2Pane.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCPoint.h"

class CKS2Button;
class CKS2Control;
class CProjectInfo;

// Queries the navigation pane answers (b = the out pointer): the frame's rect in the root, the
// root's size (also announced to the controller after each re-layout) and the thumbnail's size.
inline constexpr uint32_t kMsgNavigationFrameRect = 0xFF001025;
inline constexpr uint32_t kMsgNavigationSize = 0xFF001028;
inline constexpr uint32_t kMsgNavigationThumbnailSize = 0xFF001029;

// The canvas navigation pane: a thumbnail of the current layer with the move, zoom and rotate
// tools beside it, a tracing-image button and a menu of tracing and layer commands. It slides up
// and down by its handle, and a sideways drag of the handle moves it between the tool picker and
// the colour picker.
class CKS2CanvasPicker : public CKS2Pane {
public:
    static constexpr uint32_t kRoot = kWgtNavigation;
    static constexpr int32_t kThumbnailHeight = 60;
    static constexpr int32_t kThumbnailMinWidth = 60;
    static constexpr int32_t kThumbnailMaxWidth = 400;
    // The frame is the thumbnail plus this room, and the root the frame plus its own.
    static constexpr int32_t kFrameExtraWidth = 86;
    static constexpr int32_t kFrameHeight = 95;
    static constexpr int32_t kRootExtraWidth = 20;
    static constexpr int32_t kRootExtraHeight = 140;
    static constexpr int32_t kThumbnailTop = 25;
    static constexpr int32_t kBarShortfall = 78;
    static constexpr uint32_t kFrameOpaqueThreshold = 250;
    static constexpr float kTracingHighlight = 64.0f;
    // A handle drag may take the pane this far over the neighbouring pickers.
    static constexpr int32_t kDragOverlap = 15;

    CKS2CanvasPicker();
    ~CKS2CanvasPicker() override;
    CKS2CanvasPicker(const CKS2CanvasPicker&) = delete;
    CKS2CanvasPicker& operator=(const CKS2CanvasPicker&) = delete;

    // 22 when the frame or the thumbnail widget is missing; missing buttons are left out.
    tResult Build() override;
    tResult HandleMessage(uint32_t message, tMsgArg sender, tMsgArg arg, tMsgArg extra, uint32_t apply) override;
    // Between the tool picker and the colour picker, as far over them as a drag goes; the tool
    // picker's side wins where there is no room between them.
    int32_t ReachableLeft(int32_t left) const override;

    // Lays the pane out for a painting of the project's size and tells the controller the
    // thumbnail's size and the pane's; nothing for the size it already has. 6 for null, 22
    // without the frame, 24 without a frame image, else the controller's refusal.
    tResult ResizeForCanvas(const CProjectInfo* project);
    tResult RefreshThumbnail(uint32_t present);
    // Keeps the pane's relative place across a backdrop resize from `oldWidth`.
    tResult FollowBackdropResize(int32_t oldWidth, uint32_t present);
    tResult HighlightToolButton(uint32_t toolId, uint32_t present);
    tResult SetTracingLabel(uint32_t hasImage, uint32_t present);
    tResult OnControlClicked(CKS2Control* control);
    tResult OnMenuChoice(tCCmdTarget* popup, int32_t itemId);

    // The items of the menu that are disabled and checked, as the controller's state says.
    struct tMenuIds {
        std::vector<uint32_t> disabled;
        std::vector<uint32_t> checked;
    };
    tMenuIds MenuIds();

    static tResult HandleDragProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);

    // The thumbnail width for a painting: its proportion at 60 pixels high, 60 to 400 wide; a
    // painting without height gets the narrowest.
    static int32_t ThumbnailWidthFor(int32_t width, int32_t height);

    tCPoint GetThumbnailSize() const { return m_thumbnailSize; }
    tCPoint GetLastCanvasSize() const { return m_lastCanvasSize; }
    int32_t GetButtonCount() const { return m_buttons.GetCount(); }
    CKS2Button* GetButton(int32_t index) const { return m_buttons.GetAt(index); }
    CWidget* GetThumbnail() const { return m_thumbnail; }

private:
    // Redraws a frame widget from a pooled frame image; 24 without the image.
    static tResult DrawFrame(CWidget* widget, uint32_t imageId);
    tResult ShowMenu(CKS2Control* button);
    tResult ShowTracingControls();
    tResult ShowPaperControls();
    tResult ToggleTracePicking();
    int32_t QueryCurrentLayer();
    // The horizontal room of the root between the neighbouring pickers, widened by `overlap`.
    void HorizontalBounds(int32_t overlap, int32_t* minX, int32_t* maxX) const;

    tCPoint m_lastCanvasSize{-1, -1};
    tCPoint m_thumbnailSize{-1, -1};
    tCArray<CKS2Button*> m_buttons{tCArray<CKS2Button*>::kAutoGrowth};
    CWidget* m_thumbnail = nullptr;
    CWidgetLayerView m_thumbnailView;
};

// The width of a pane's root among the main backdrop's children, found by its root id; 0 when
// the program has no such pane.
int32_t PaneRootWidth(uint32_t rootId);
