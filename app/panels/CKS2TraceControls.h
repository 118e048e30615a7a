#pragma once

#include <cstdint>

#include "app/panels/PanelResources.h"
#include "app/shell/panes/CKS2Pane.h"
#include "toolkit/core/tCArray.h"

class CKS2Control;

// The tracing controls: a modal pane showing a miniature of the painting with the tracing image
// placed in it, a placement menu, a load button, an opacity dial and the choice of what a drag
// on the painting does while the pane is open (move the image or scale it, in the two scaled
// placements). Every setting stays with the painting engine; the pane reads it back whenever
// it draws. While the pane is shown the other panes are hidden.
class CKS2TraceControls : public CKS2Pane {
public:
    static constexpr uint32_t kRoot = kWgtTracing;
    enum : uint32_t { kDragNone = 0, kDragMove = 1, kDragScale = 2 };
    // The close button's glow: opacity aimed at while the pointer is over it.
    static constexpr float kCloseGlowLit = 80.0f;
    static constexpr int32_t kCloseGlow = 1;
    // A scale drag adds this much for each pixel to the right, within the limits.
    static constexpr float kScalePerPixel = 0.001f;
    static constexpr float kSmallestScale = 0.001f;
    static constexpr float kResetScale = 0.5f;
    // Cursors over the painting while a drag is chosen.
    static constexpr int32_t kCursorMove = 36;
    static constexpr int32_t kCursorScale = 38;

    CKS2TraceControls();
    ~CKS2TraceControls() override;
    CKS2TraceControls(const CKS2TraceControls&) = delete;
    CKS2TraceControls& operator=(const CKS2TraceControls&) = delete;

    // 22 without the preview or the close button, 24 when the dial or the close button's
    // animator cannot be made.
    tResult Build() override;
    tResult HandleMessage(uint32_t message, tMsgArg sender, tMsgArg arg, tMsgArg extra, uint32_t apply) override;
    // Sizes the pane to the navigation thumbnail, draws its frame and preview and hides the
    // other panes; a failure shows them again.
    tResult OnShow(uint32_t reserved, uint32_t redraw, tMsgArg param1, tMsgArg param2) override;
    tResult OnHide(uint32_t transition, uint32_t redraw, tMsgArg result, tMsgArg flag) override;

    tResult RefreshPreview(uint32_t present);
    // `mode` -1 asks the controller for the placement.
    void UpdateDragButtons(int32_t mode);
    tResult OnControlClicked(CKS2Control* control);
    tResult OnMenuChoice(tCCmdTarget* popup, int32_t itemId);
    // The drags of the tracing image that a press on the painting starts.
    tResult DragOffset();
    tResult DragScale();
    // Asks for an image file and loads it as the tracing image, keeping scale and offset.
    tResult LoadTracingImage();

    static tResult KeyDownProc(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key);
    static tResult RootMessageProc(tMsgArg context, CWidget* widget, uint32_t message, tMsgArg a, tMsgArg b);
    static tResult PreviewPressProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);
    static tResult CloseHoverHeartbeatProc(tMsgArg context, CWidget* widget);

    uint32_t GetDragMode() const { return m_dragMode; }
    int32_t GetContentWidth() const { return m_contentWidth; }
    int32_t GetControlCount() const { return m_controls.GetCount(); }
    CKS2Control* GetControl(int32_t index) const { return m_controls.GetAt(index); }
    CKS2Control* FindControl(uint32_t id) const;

private:
    tResult AddControl(CKS2Control* control, uint32_t id, tMsgArg initArg);
    // The miniature's size and the opacity dial, as the painting has them.
    tResult ReadPainting();
    // A painting opened while the pane stays up: the pane shows it as it shows a new showing.
    tResult FollowOpenedPainting();
    tResult LayOut(tCPoint thumbnail);
    tResult PlaceImage(CWidget* image, uint32_t mode, tCPoint preview);
    tResult ShowPlacementMenu(CKS2Control* button);
    void ResetLooks();
    uint32_t QueryMode();
    // The cursor a drag shows over the painting, or 0 where none is asked for.
    int32_t CursorOver(CWidget* widget);

    tCArray<CKS2Control*> m_controls{tCArray<CKS2Control*>::kAutoGrowth};
    int32_t m_contentWidth = 0;
    uint32_t m_dragMode = kDragNone;
};
