#pragma once

#include <cstdint>

#include "toolkit/core/IRootWidget.h"
#include "toolkit/widgets/BackdropFill.h"
#include "toolkit/widgets/CRegion.h"
#include "toolkit/widgets/CWidget.h"
#include "toolkit/widgets/IBackdropServices.h"
#include "toolkit/widgets/IWidgetRoot.h"

class CGradient;
class CImage;
class CWindowBase;

// The root widget of a window. It composes the whole tree into its back buffer, paints the
// background (an opaque colour or a tiled image, with a gradient over it), keeps the dirty
// region and copies what changed to the window, and is where input enters the tree: through a
// modal stack when widgets are open on top, with a cursor widget drawn as the pointer, the
// widget under the pointer tracked, and focus changes told to the application.
//
// Nothing reaches the window before SetReady, nor while presents are frozen; the dirty region
// keeps growing meanwhile.
class CBackdrop : public CWidget, public IRootWidget, public IWidgetRoot, public IBackdropServices {
public:
    static constexpr uint32_t kType = MakeFourCC("bkdp");
    // Told to the application: the previously focused widget (a), then the new one (a).
    static constexpr uint32_t kMsgFocusPrevious = 0xF0000001;
    static constexpr uint32_t kMsgFocusNew = 0xF0000000;
    // Broadcast to the top modal widget when a press outside it is taken by nothing inside it:
    // a is the backdrop (a CWidget), b a pointer to the point in the modal widget's parent's
    // coordinates.
    static constexpr uint32_t kMsgLeftPressOutside = 0xF0000005;
    static constexpr uint32_t kMsgMiddlePressOutside = 0xF0000006;
    static constexpr uint32_t kMsgRightPressOutside = 0xF0000007;
    // The inspector panel's id and name.
    static constexpr uint32_t kInspectorId = MakeFourCC("_Db_");

    // The backdrop's load-time fields.
    class CBWidgetDataHolder : public CWidgetDataHolder {
    public:
        tCStringArray cursorNames;
        tCArray<tCPoint> hotspots;
        tCString defaultCursorName;
        tCString imageName;
        uint32_t fullScreen = 0;
        tCString gradientName;
    };

    CBackdrop();
    ~CBackdrop() override;

    // A backdrop loaded by name; null (deleted again) on failure.
    static CBackdrop* CreateFromResource(const tCString& name, tCStream* file, CResourceDirectory* directory);
    // Makes plain backdrops the roots of windows that are created without one.
    static void RegisterRootWidgetFactory();

    uint32_t GetWidgetType() const override { return kType; }
    IWidgetRoot* AsWidgetRoot() override { return this; }

    // With a modal widget open, messages go to it alone.
    tResult BroadcastMessage(uint32_t message, tMsgArg a, tMsgArg b) override;
    // The first size makes the back buffer and shows the backdrop; later ones resize it. The
    // dirty region starts over with the new size.
    tResult SetSize(int32_t width, int32_t height, uint32_t update) override;
    tResult SetSize(int32_t width, int32_t height, int32_t redraw) override;
    using CWidget::GetWidth;
    using CWidget::GetHeight;
    int32_t GetWidth() override { return CWidget::GetWidth(); }
    int32_t GetHeight() override { return CWidget::GetHeight(); }
    // Screen points and rects to and from the window's client area.
    void ScreenToLocalPoint(tCPoint* point) override;
    void ScreenToLocalRect(tCRect* rect) override;
    void LocalToScreenPoint(tCPoint* point) override;
    void LocalToScreenRect(tCRect* rect) override;

    // The background: colour or tiled image, with the gradient over it.
    tResult Draw(const tCRect* clip, CImage* target, uint32_t opacity) override;
    // Adds the part within the backdrop to the dirty region.
    tResult InvalidateRect(const tCRect* rect, uint32_t update) override;
    tResult PresentDirtyRects() override;
    uint32_t HitTest(const tCPoint*) override { return 1; }
    tResult RenderAlphaMask(CImage8* mask) override;
    // Records the focused widget and tells the application when it changes.
    CWidget* SetFocusChild(CWidget* child, CWidget* focused, uint32_t notify) override;
    tResult ReadDataBlock(tCStream* stream) override;
    // The backdrop's chunks; anything else goes to CWidget's parser.
    tResult ParseDataChunk(uint32_t tag, tCStream* block, CWidgetDataHolder* holder);

    // Input goes to the top modal widget while one is open.
    tResult DispatchKeyDown(CWidget** takenBy, uint32_t key) override;
    tResult DispatchKeyUp(CWidget** takenBy, uint32_t key) override;
    tResult DispatchKeyDown(CWidget** takenBy, int32_t key) override;
    tResult DispatchKeyUp(CWidget** takenBy, int32_t key) override;
    tResult DispatchTimer(CWidget** takenBy, uint32_t value) override;
    // To the top modal widget alone unless it shares the heartbeat.
    tResult DispatchHeartbeat() override;
    tResult DispatchMouseMove(CWidget** takenBy, tCPoint* point) override;
    tResult DispatchLButtonDown(CWidget** takenBy, tCPoint* point) override;
    tResult DispatchLButtonUp(CWidget** takenBy, tCPoint* point) override;
    tResult DispatchMButtonDown(CWidget** takenBy, tCPoint* point) override;
    tResult DispatchMButtonUp(CWidget** takenBy, tCPoint* point) override;
    tResult DispatchMouseWheel(CWidget** takenBy, tCPoint wheel, tCPoint* point) override;
    tResult DispatchRButtonDown(CWidget** takenBy, tCPoint* point) override;
    tCPoint GetPressPoint() const override { return m_pressPoint; }
    tResult DispatchRButtonUp(CWidget** takenBy, tCPoint* point) override;

    // The modal stack; widgets on it stay owned by whoever owns them. 6 for no widget.
    tResult PushModal(CWidget* widget) override;
    tResult PushModalSharedHeartbeat(CWidget* widget);
    void PopModal() override;
    CWidget* GetTopModal() override;

    // Renders each dirty rect into the back buffer and counts a frame; the region stays.
    tResult RenderDirtyRegion();
    // Renders one rect of the tree into the back buffer, skipping what opaque widgets hide.
    tResult RenderRect(const tCRect* rect);
    // The application's backdrop builds its panes here.
    tResult BuildInterface() override { return kResOk; }
    void SetReady() override { m_ready = 1; }
    uint32_t IsReady() const { return m_ready; }
    uint32_t GetPresentFrozen() const override { return m_presentFrozen; }
    uint32_t SetPresentFrozen(uint32_t frozen) override { return m_presentFrozen = frozen; }
    uint32_t GetFrameCount() const { return m_frameCount; }
    void OnWindowDestroyed() override;
    // Moves the screen pixels of a rect by the offset at the next present; 5 when the list
    // cannot grow.
    tResult QueueScrollRect(const tCRect& rect, tCPoint offset) override;
    void OnWidgetDetached(CWidget* widget) override;

    // The cursor table: named widgets the backdrop owns, each with its hotspot.
    tResult AddCursor(CWidget* widget, const tCPoint* hotspot);
    tResult SelectCursorByName(const tCString& name);
    tResult SelectCursorById(uint32_t id) override;
    tResult SelectCursorByIndex(int32_t index);
    // The widget drawn as the pointer, its tip at `hotspot`; null shows the system cursor. The
    // old one is deleted unless the table holds it.
    void SetCursorWidget(CWidget* widget, tCPoint hotspot);
    CWidget* GetCursorWidget() const { return m_cursor; }
    void TrackCursorWidget() override;
    void HideCursor() override;
    void ShowCursor() override;
    bool IsCursorShown() override;
    tResult SendHeartbeat() { return DispatchHeartbeat(); }

    // Rollover: the deepest widget under the pointer, kept while the switch is on.
    void SetWidgetRollover(uint32_t on);
    uint32_t IsWidgetRollover() const { return m_widgetRollover; }
    CWidget* GetRolloverWidget() const override { return m_rollover; }
    // The rollover widget while a main window exists and rollover tracking is active.
    CWidget* GetActiveRolloverWidget() const;
    void UpdateRolloverWidget() override;
    void ClearRolloverWidget() override { m_rollover = nullptr; }
    // The widget the rollover finds at `screen` (screen coordinates) now: the deepest widget
    // there, within the top modal while one is pushed; null while the switch is off.
    CWidget* FindRolloverAt(tCPoint screen);
    // A developer aid: with Shift and Ctrl held, flashes the widget under the pointer while the
    // primary button is held, and with Alt opens the inspector panel over it.
    tResult ShowWidgetInspector();

    // The backdrop owns the image from now on (unless a resource pool does).
    tResult SetBackgroundImage(CImage* image, uint32_t present);
    CImage* GetBackgroundImage() const { return m_background.image; }
    uint32_t GetPixelAt(tCPoint point) const override;
    uint32_t GetBackgroundColour() const override { return m_background.colour; }
    tResult SetBackgroundColour(uint32_t colour, uint32_t update) override;
    CImage* GetBackBufferImage() const { return m_backBuffer; }

    // What the window asks of its root.
    void GetLayoutSize(float* width, float* height) override;
    void SetWindow(CWindowBase* window) override { m_window = window; }
    CWindowBase* GetWindow() const { return m_window; }
    int32_t GetSystemBarSetting() override { return int32_t(m_systemBar); }
    int32_t GetFullScreenSetting() override { return m_fullScreenSetting; }
    void SetFullScreenSetting(int32_t fullScreen) override { m_fullScreenSetting = fullScreen; }
    int32_t GetLayeredSetting() override { return 0; }
    tBackBufferView GetBackBuffer() override;
    tCString GetResourceName() override { return GetName(); }

protected:
    // For roots that present their dirty region in a way of their own.
    CRegion& GetDirtyRegion() { return m_dirty; }
    void CountFrame() { ++m_frameCount; }

private:
    struct tCursorEntry {
        CWidget* widget = nullptr;
        tCPoint hotspot;
    };
    struct tScrollEntry {
        tCRect rect;
        tCPoint offset;
    };
    static const tDataBlockTexts kBackdropBlockTexts;

    // The point in the top modal widget's parent's coordinates.
    tCPoint ToModalParent(CWidget* modal, tCPoint point) const;
    tResult DispatchToModal(CWidget* modal, uint32_t outside, CWidget** takenBy, tCPoint* point,
                               tResult (CWidget::*dispatch)(CWidget**, tCPoint*));
    bool IsCursorInTable(const CWidget* widget) const;
    // Renders every dirty rect into the back buffer; for a present with the cursor drawn over.
    tResult RenderRegion(bool forPresent);
    // Moves the queued screen areas and copies the dirty rects to the window.
    void CopyToWindow();
    tResult ApplyHolder(CBWidgetDataHolder& holder, tCStream* stream);
    void ReplaceGradient(CGradient* gradient);
    tResult RunFlash(CWidget* rollover);
    tResult OpenInspector(CWidget* rollover);

    CImage* m_backBuffer = nullptr;
    CRegion m_dirty;
    CWidget* m_focused = nullptr;
    uint32_t m_ready = 0;
    uint32_t m_presentFrozen = 0;
    CWindowBase* m_window = nullptr;
    uint32_t m_systemBar = 1;
    CWidget* m_cursor = nullptr;
    tCPoint m_hotspot;
    tCArray<tCursorEntry> m_cursors;
    // The background colour, image and gradient, which the backdrop owns (unless a resource pool
    // does), with the gradient's opacity, angle and radial centre.
    tBackdropFill m_background;
    tCArray<CWidget*> m_modals;
    uint32_t m_widgetRollover = 0;
    CWidget* m_rollover = nullptr;
    uint32_t m_frameCount = 0;
    tCArray<tScrollEntry> m_scrolls;
    int32_t m_fullScreenSetting = 0;
    tCPoint m_pressPoint;
};
