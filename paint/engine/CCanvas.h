#pragma once

#include <cstdint>
#include <memory>

#include "paint/engine/CLayer.h"
#include "toolkit/core/CMemBlockT.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/core/tCFPoint.h"
#include "toolkit/core/tCPoint.h"
#include "toolkit/core/tCRect.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"

class CCanvasInfo;
class CProjectInfo;
class CRegion;
class CStandardRenderer;
class CWidget;
class ICanvasHost;
class ICanvasTool;
class IShellServices;
class IViewBackground;
class tCFPath;
class tCStream;
struct ViewCompositeSettings;
struct CellMapResize;
struct CPenSample;
struct LayerIndexPair;
struct StrokeContext;

// Messages the canvas sends to the controller, which hands the first two back to the canvas:
// a new zoom (a = the canvas, b = float*), a new top-left of the painting (b = tCPoint*).
inline constexpr uint32_t kMsgCanvasZoom = 0xFF001036u;
inline constexpr uint32_t kMsgCanvasPosition = 0xFF003024u;

// Layer operations that record undo run under a progress of this total and context.
inline constexpr int32_t kLayerProgressTotal = 100;
inline constexpr uint32_t kLayerProgressContext = 1;

// The largest side of a painting in cells.
inline constexpr int32_t kMaxCanvasSide = 32000;
// The resource id of the painting view under the main window's root.
inline constexpr uint32_t kPaintingViewId = 5;
// One layer rendered alone into an image of the canvas's size; with `opaquePaper` its paper is
// shown fully opaque. The layer's visibility, opacity and paper stay as they were.
struct LayerRenderRecord {
    int32_t index = 0;
    CImage* image = nullptr;
    uint32_t opaquePaper = 0;
};

// The sentinels of a clean composite row and of an empty dirty range.
inline constexpr int32_t kCleanRowMin = 0x7FFFFFFF;
inline constexpr int32_t kCleanRowMax = -1;

// The painting: a stack of layers (index 0 at the bottom) of `width` x `height` cells, the
// composite image the renderer lights them into, the painting's place in the on-screen view
// (zoom, rotation in turns, mirror flips, position, drop shadow), the tracing image settings,
// the current and eraser tools, and which composite rows are out of date.
//
// The painting's rect (GetViewRect) lies in the coordinates of the view's parent. Layer indexes
// are clamped into the layer array wherever they come from. Main thread only.
class CCanvas : public tCCmdTarget {
public:
    CCanvas();
    ~CCanvas() override;
    CCanvas(const CCanvas&) = delete;
    CCanvas& operator=(const CCanvas&) = delete;

    // The controller, asked for the renderer, the current tool and the undo hooks; not owned.
    void SetHost(ICanvasHost* host) { m_host = host; }
    ICanvasHost* GetHost() const { return m_host; }
    // The shell's cursor manager and pen pressure, for the input; not owned, may be null.
    void SetShellServices(IShellServices* services) { m_services = services; }
    IShellServices* GetShellServices() const { return m_services; }

    // The messages of CanvasMessages.h; unknown codes answer 0 and change nothing.
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override;

    // Sizes the canvas's own grain to 4 x 4, and lets layers build grains from canvas settings.
    virtual tResult Initialise();
    virtual void SetEraserTool(ICanvasTool* tool) { m_eraserTool = tool; }
    // Binds the painting view: `widget`, or the widget with id 5 under the main window's root
    // when null (6 when there is none); the view is made visible and the painting rendered
    // into the composite. With a view already bound, refits the painting to it instead.
    virtual tResult AttachView(CWidget* widget);
    // The controller's renderer, or null.
    virtual CStandardRenderer* GetRenderer();
    // After cells changed: renders the dirty spans into the composite, invalidates the cells
    // under `inclusiveCells` in the view (presenting with `present`) and adds them to the
    // current layer's dirty rect. The rect's right and bottom are the last changed column and
    // row, as the tools' segment rects hold them; widened by one cell it is exclusive.
    virtual tResult UpdateRect(const tCRect& inclusiveCells, uint32_t present);
    // Undo hooks of the strokes: the tiles of the context's cells under `cells` (exclusive) are
    // saved before they change; steps are opened with type 0 and the current layer's index. A
    // tile that cannot be saved does not stop the stroke: EndUndoStep answers the failure.
    virtual tResult SaveUndoTiles(const StrokeContext& context, const tCRect& cells);
    virtual tResult BeginUndoStep();
    virtual tResult EndUndoStep();
    virtual uint32_t GetId() const { return m_id; }
    virtual uint32_t SetId(uint32_t id) { return m_id = id; }
    // A new painting of the project's size: one layer on the project's paper (the default paper
    // without canvas settings), placed at zoom 1 on the painting view's centre, and rendered.
    // The main canvas (id 0) asks the controller for the project's tracing image, or for none,
    // before the old painting goes, and shows it once the new one is placed. 6 for a side
    // outside 1..32000; a failure before the new painting is whole, its tracing image included,
    // leaves the old one as it was.
    virtual tResult SetUpProject(const CProjectInfo* project);

    // Layers.
    int32_t GetLayerCount() const { return m_layers.GetCount(); }
    // Null outside 0..count - 1.
    CLayer* GetLayer(int32_t index) const { return m_layers.GetAt(index); }
    int32_t GetCurrentLayerIndex() const { return m_currentLayer; }
    int32_t GetSecondLayerIndex() const { return m_secondLayer; }
    void SetCurrentLayerIndex(int32_t index) { m_currentLayer = ClampLayerIndex(index); }
    void SetSecondLayerIndex(int32_t index) { m_secondLayer = ClampLayerIndex(index); }
    // `index` clamped into [0, count - 1]; 0 without layers.
    int32_t ClampLayerIndex(int64_t index) const;
    // The grain image strokes and the renderer use for the layer at `index`: the nearest layer's
    // at or below it that has one, else the canvas's own.
    CImage8* GetGrainImageFor(int32_t index);
    CImage8& GetGrain() { return m_grain; }

    // A new empty layer of the canvas's size at `index` (0..count). 5 without memory.
    tResult InsertNewLayer(int32_t index);
    // Deletes the layer at the clamped index; nothing without layers. Records no undo.
    void DeleteLayer(int32_t index);
    // Each clamps the record's indexes and writes them back, records undo when asked, and tells
    // the controller 0xFF001001. Move: `second` names the layer before which the moved one is
    // placed, counted before the move. Merge: `first` goes into `second`, then is deleted.
    // Duplicate: a copy of layer `first` is inserted at `second` (0..count).
    tResult MoveLayer(LayerIndexPair* record, uint32_t recordUndo);
    tResult MergeLayers(LayerIndexPair* record, uint32_t recordUndo);
    tResult DuplicateLayer(LayerIndexPair* record, uint32_t recordUndo);
    // Merges every layer into layer 0; only with two or more layers of one size (6 otherwise).
    tResult FlattenLayers(uint32_t recordUndo);
    // A new layer above the current one with its paper settings (the paper hidden, opacity 0,
    // when there are other layers).
    tResult InsertLayerCopy(uint32_t makeCurrent, uint32_t recordUndo);
    // Replaces every layer by `layers`, which the canvas takes over (the array is left empty);
    // a layer whose view image is not of the shared view-image size is sized and drawn, the
    // layer indexes are clamped to them and the whole painting is marked dirty. 6 for an empty
    // array or a layer that is not of the canvas's size, 5 when the images to size would not fit
    // in the memory the system has, or the sizing's error; the canvas then keeps its own.
    tResult TakeLayers(tCArray<CLayer*>& layers);
    // Inserts `layers` in order at `index` (0..count); the canvas takes them over and the array
    // is left empty. 6 for an index outside or a layer that is not of the canvas's size, 5
    // without memory; the canvas then keeps its layers as they were and the caller the array.
    tResult InsertLayers(int32_t index, tCArray<CLayer*>& layers);
    // Puts `layer`, of the canvas's size, in place of the layer at `index` and hands back the
    // one it replaced, which the caller then owns; null, and nothing changes, for an index
    // outside or a layer of another size.
    CLayer* ExchangeLayer(int32_t index, CLayer* layer);
    // The view-image size every layer draws itself at: each layer is sized and redrawn, then
    // the layers-changed flag is cleared.
    tResult SetLayerImageSize(int32_t width, int32_t height);

    // Size. Each side must lie in 1..32000 (6 otherwise). SetCanvasSize remakes the composite,
    // the half images and the row tables (24 or 5 when they cannot be made, the canvas then
    // unchanged) and fits the zoom; the layers keep their size.
    tResult SetCanvasSize(int32_t width, int32_t height);
    // Resizes the canvas and every layer by the record. The canvas takes the new size only when
    // every layer resized; a layer that failed stops the resize with its code, the layers
    // already resized staying so (the undo recorded first takes them back).
    tResult ResizeCanvas(const CellMapResize* record, uint32_t recordUndo);
    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    // The bytes the canvas itself makes for a new painting of a size in 1..32000: the composite,
    // the half images, the row tables and the drop shadow's tables at zoom 1 (less the shadow's
    // few cells of margin).
    static uint64_t NewPaintingBytes(int32_t width, int32_t height);
    CImage* GetComposite() const { return m_composite; }
    CImage* GetHalfImageA() const { return m_halfImageA; }
    CImage* GetHalfImageB() const { return m_halfImageB; }

    // Zoom and placement in the view.
    // Asks the controller for the next zoom step (0xFF001036); nothing at either end.
    tResult StepZoom(uint32_t larger);
    // 6 for a zoom that is not finite or not above 0, which is not taken.
    tResult SetZoom(float zoom, uint32_t present);
    // Between these, each zoom places the painting as one zoom from where it stood at the
    // start would, unless something else has moved it since: a zoom drag's place then depends
    // on its distance, not on how finely its moves came.
    void BeginZoomDrag();
    void EndZoomDrag() { m_zoomDragging = 0; }
    float GetZoom() const { return m_zoom; }
    float GetRotation() const { return m_rotation; }
    void SetRotation(float rotation) { m_rotation = rotation; }
    // Turns the painting in the view to `rotation` (in turns), redrawing its shadow at both
    // places.
    void TurnView(float rotation, uint32_t present);
    // One step of a drag of the view from screen point `from` to `to`: turning the painting by
    // the horizontal distance, presented at once, else moving it.
    void FollowViewDrag(tCPoint from, tCPoint to, bool turn);
    uint32_t GetFlipHorizontal() const { return m_flipHorizontal; }
    uint32_t GetFlipVertical() const { return m_flipVertical; }
    void SetFlipHorizontal(uint32_t flip) { m_flipHorizontal = flip; }
    void SetFlipVertical(uint32_t flip) { m_flipVertical = flip; }
    const tCRect& GetViewRect() const { return m_paintingRect; }
    // Moves the painting's rect so that its top-left is `topLeft` (size kept), then KeepInView.
    void SetPaintingTopLeft(tCPoint topLeft);
    // Shifts the painting so that a small one stays inside the view's parent and a large one
    // keeps at least half of it covered.
    void KeepInView(uint32_t present);
    // The body of message 0xFF00103C: zoom at most 1 to fit, no rotation, centred; the zoom and
    // the place go to the controller, and the view presents once at the end.
    tResult FitToView();
    // Drags the painting to `topLeft`, scrolling the pixels already drawn.
    tResult MovePainting(tCPoint topLeft);
    // The drop shadow's rect and falloff tables for the painting's place; the shadow and the
    // painting are invalidated.
    void UpdateViewGeometry(uint32_t present);
    const tCRect& GetShadowRect() const { return m_shadowRect; }
    const tCRect& GetFrameRect() const { return m_frameRect; }
    const CMemBlockT<uint32_t>& GetShadowColumns() const { return m_shadowColumns; }
    const CMemBlockT<uint32_t>& GetShadowRows() const { return m_shadowRows; }
    uint32_t GetShadowColour() const { return m_shadowColour; }
    float GetShadowRadius() const { return m_shadowRadius; }

    // Coordinates. ViewToCanvas turns a point in the main window's root coordinates into canvas
    // cells in place (x and y only); CanvasToView is its inverse.
    void ViewToCanvas(CPenSample* sample) const;
    void CanvasToView(tCFPoint* point) const;
    // Invalidates the view pixels over the cells of `cells` (exclusive) with a pixel of margin.
    void InvalidateCellRect(const tCRect& cells, uint32_t present);
    // The pixels of `rect` (the view parent's coordinates, unturned) turned with the painting:
    // with `cover` every pixel the shape touches and one more at each end of a row, without it
    // only pixels wholly inside. 5 without memory.
    tResult BuildPaintingRegion(const tCRect& rect, CRegion* region, uint32_t cover) const;
    // Invalidates the view pixels the turned cells of `cells` cover; nothing without a view.
    tResult InvalidateCanvasRect(const tCRect& cells, uint32_t present);
    void InvalidatePainting(uint32_t present);

    // Tracing image: owned unless the application's resource pool holds it.
    tResult SetTracingImage(CImage* image);
    void ClearTracingImage(uint32_t present);
    CImage* GetTracingImage() const { return m_tracingImage; }
    uint32_t GetTracingVisible() const { return m_tracingVisible; }
    void SetTracingVisible(uint32_t visible) { m_tracingVisible = visible; }
    uint32_t GetTraceColourPick() const { return m_traceColourPick; }
    void SetTraceColourPick(uint32_t pick) { m_traceColourPick = pick; }
    uint32_t GetTracingMode() const { return m_tracingMode; }
    void SetTracingMode(uint32_t mode) { m_tracingMode = mode; }
    float GetTracingOpacity() const { return m_tracingOpacity; }
    void SetTracingOpacity(float opacity) { m_tracingOpacity = opacity; }
    float GetTracingValueB() const { return m_tracingValueB; }
    void SetTracingValueB(float value) { m_tracingValueB = value; }
    float GetTracingScale() const { return m_tracingScale; }
    void SetTracingScale(float scale) { m_tracingScale = scale; }
    tCPoint GetTracingOffset() const { return m_tracingOffset; }
    void SetTracingOffset(tCPoint offset) { m_tracingOffset = offset; }

    // Dirty composite rows: per row the first and last dirty column, and the dirty row and
    // column ranges (all inclusive; clean is kCleanRowMin, kCleanRowMax).
    // Widens the spans by the cells of `cells` (exclusive), clamped to the canvas.
    void MarkCellsDirty(const tCRect& cells);
    void MarkAllDirty();
    void ResetDirtySpans();
    int32_t GetDirtyRowFirst() const { return m_dirtyRowFirst; }
    int32_t GetDirtyRowLast() const { return m_dirtyRowLast; }
    int32_t GetDirtyColFirst() const { return m_dirtyColFirst; }
    int32_t GetDirtyColLast() const { return m_dirtyColLast; }
    // The row tables, GetDirtyRowCount() entries each.
    const int32_t* GetRowMinX() const { return m_rowMinX.GetData(); }
    const int32_t* GetRowMaxX() const { return m_rowMaxX.GetData(); }
    int32_t GetDirtyRowCount() const { return m_rowMinX.GetCount(); }

    // Tools and input state.
    ICanvasTool* GetCurrentTool() const { return m_currentTool; }
    void SetCurrentTool(ICanvasTool* tool) { m_currentTool = tool; }
    ICanvasTool* GetEraserTool() const { return m_eraserTool; }
    CWidget* GetView() const { return m_view; }
    float GetLastPressure() const { return m_lastPressure; }
    void SetLastPressure(float pressure) { m_lastPressure = pressure; }
    uint32_t GetStrokeActive() const { return m_strokeActive; }
    void SetStrokeActive(uint32_t active) { m_strokeActive = active; }
    uint32_t GetInputIdle() const { return m_inputIdle; }
    void SetInputIdle(uint32_t idle) { m_inputIdle = idle; }
    uint32_t GetDragging() const { return m_dragging; }
    void SetDragging(uint32_t dragging) { m_dragging = dragging; }

    // The view's input callbacks, installed by AttachView. Points are in the view's coordinates.
    // OnPenInput: a press paints a stroke with the current tool (the eraser tool while the pen's
    // eraser end touches), drags with Space, picks a colour with Alt, or runs a navigation tool.
    static tResult OnPenInput(tMsgArg canvas, CWidget* view, CWidget** takenBy, tCPoint* point);
    // The pointer moved without a stroke: the tool's nib direction follows the pen.
    static tResult OnPenHover(tMsgArg canvas, CWidget* view, CWidget** takenBy, tCPoint* point);
    // The secondary button (or Space with the primary) drags the painting, with Alt turns it;
    // a click that never leaves the start +- 3 pixels is passed to the backdrop (0xFF000018).
    static tResult OnDragView(tMsgArg canvas, CWidget* view, CWidget** takenBy, tCPoint* point);
    // Draws the painting into the view, then the tool's brush outline.
    static tResult RedrawView(tMsgArg canvas, CWidget* view, const tCRect* clip, CImage* target, uint32_t opacity);
    // The navigation tools' loops, while the button is down: colour picking, moving, turning
    // and zooming. Moving, turning and zooming clear the press's taker slot (may be null) at
    // the end.
    // Each starts at the press (screen coordinates), or where the pointer is without one.
    tResult SampleColour(const tCPoint* press);
    // Sends the colour the painting shows at a point of the view's root (0xF1000002).
    tResult PickViewColour(tCPoint rootPoint);
    tResult RunMoveTool(CWidget** takenBy, const tCPoint* press);
    tResult RunRotateTool(CWidget** takenBy, const tCPoint* press);
    tResult RunZoomTool(CWidget** takenBy, const tCPoint* press);
    // The body of OnPenInput; `point` in the view's coordinates.
    tResult PenInput(CWidget** takenBy, tCPoint point);
    // The view's drag by the secondary button (`secondary` 1) or by the primary with Space.
    tResult DragView(CWidget** takenBy, const tCPoint* press, int32_t secondary);

    // Each coordinate times the factor, rounded to nearest.
    static void ScaleRect(tCRect* rect, float factor);

    // The view's background: the backdrop's texture and tint; not owned, null for a grey one.
    void SetViewBackground(IViewBackground* background) { m_viewBackground = background; }
    IViewBackground* GetViewBackground() const { return m_viewBackground; }
    // Draws the painting into the view: the pixels of `clip` (the view's own coordinates) of
    // `target`, whose origin is the view's top-left. CompositeView leaves the rotation out and
    // fills what lies away from the painting and its shadow with the background alone;
    // CompositeRotatedView turns the painting by the rotation. 5 when the target cannot be
    // locked; nothing without a composite.
    tResult CompositeView(const tCRect& clip, CImage* target);
    tResult CompositeRotatedView(const tCRect& clip, CImage* target);
    // What a redraw works with: the painting, its step and flips, the background, the shadow's
    // tables and the tracing veil.
    void GetCompositeSettings(ViewCompositeSettings* settings);

    // Image operations. ClearLayer empties the layer at the clamped index as one undo step of
    // the whole painting; it and PaintImageIntoLayer tell the controller that the painting
    // changed once the cells changed, and keep the change when its step cannot be stored.
    // RenderLayerAlone renders all layers (-1 over the checkerboard, -2 over transparency) or
    // the one layer at `index` shown at full opacity, into the composite.
    virtual tResult ClearLayer(int32_t index);
    virtual tResult RenderLayerAlone(int32_t index);
    virtual tResult RenderLayerToImage(LayerRenderRecord* record);
    // Encodes the painting into the stream as format 3 (BMP), 4 (JPEG), 5 (PNG, with its
    // transparency) or 6 (PSD, likewise); BMP and JPEG show the first visible layer's paper fully
    // opaque. The view's composite is rendered again afterwards. 6 for another format, and for
    // BMP or JPEG when no layer is visible (nothing is written then).
    virtual tResult ExportImage(tCStream* stream, uint32_t format);
    // Lays the image over the current layer's paint as a wet wash, placed as the tracing image
    // would be with this mode, scale and offset; one undo step of the whole painting.
    virtual tResult PaintImageIntoLayer(CImage* image, uint32_t mode, float scale, tCPoint offset);
    // Replaces the current layer's cells by the image as wet paint: copied when it has the
    // layer's size, else placed by `placement` (0 stretched, 1 fitted, 2 filling, 3 centred,
    // 4 tiled from the centre; any other leaves the cells empty). 6 for an image without area.
    virtual tResult ImportImageIntoLayer(CImage* image, uint32_t placement);
    // With a tracing image and colour picking from it on: the tracing image's colour under
    // `point` (the main window's root coordinates, as ViewToCanvas takes them) goes to the
    // controller as the current colour, unless it is transparent there.
    tResult SampleTracingImage(tCFPoint point);
    // Decodes the image file and offers it to the controller as the tracing image (0xFF00002C); answers
    // the controller's answer. 16 when the file cannot be read or decoded, 5 when its header
    // asks for more memory than is left beside the painting; an image the controller refuses is
    // deleted.
    tResult LoadImageFile(const tCFPath& path);

protected:
    // Remembers the view without binding its callbacks.
    void BindView(CWidget* view) { m_view = view; }

private:
    // What a new size needs, made before the canvas takes the size so that a failure leaves it
    // as it was.
    struct SizedImages {
        std::unique_ptr<CImage> composite;
        std::unique_ptr<CImage> halfA;
        std::unique_ptr<CImage> halfB;
        tCArray<int32_t> rowMinX;
        tCArray<int32_t> rowMaxX;
    };

    // The painting view under the main window's root, or null.
    static CWidget* FindMainView();

    tResult MakeSizedImages(int32_t width, int32_t height, SizedImages* images) const;
    // Takes the size and the images made for it.
    void TakeSizedImages(int32_t width, int32_t height, SizedImages* images);
    // Takes them, then fits the zoom without rotation.
    void CommitSize(int32_t width, int32_t height, SizedImages* images);
    // A new painting's place: at zoom 1 without rotation, centred on the painting view.
    void PlaceNewPainting(int32_t width, int32_t height);
    tResult AskForTracingImage(const CProjectInfo& project);
    tResult InsertLayer(int32_t index, CLayer* layer);
    void RemoveLayer(int32_t index);
    tResult TellLayersChanged();
    float FittingZoom() const;

    // The view's parent, the space of the painting's rect, and the centre of its area.
    CWidget* ViewParent() const;
    tCPoint ParentCentre() const;
    // The painting's turn as the view shows it, exact at quarter turns.
    void ViewTurn(double* cosine, double* sine) const;
    // Turns a point of the view parent's space about the painting's centre.
    tCFPoint TurnAboutPainting(double x, double y, double cosine, double sine) const;
    void InvalidateInView(const tCRect& parentRect);
    void PresentView();
    tCRect ShadowRectFor(const tCRect& paintingRect) const;
    // How far the turned view's drawing may stray from the rect turned about the painting's
    // centre, in pixels: 0 unturned.
    int32_t TurnedDrawingMargin() const;
    // The painting with its shadow in the painting's own frame, before the turn, widened by that
    // margin: the turned view draws nothing of the painting outside it once turned.
    tCRect DrawnFrame() const;
    // The box of `rect` turned about the painting's centre, widened outwards to whole pixels.
    tCRect TurnedBounds(const tCRect& rect) const;
    // The bounds of the box of view pixels turned about the painting's centre.
    tCRect TurnedBox(double left, double top, double right, double bottom) const;
    void BuildShadowTables();
    void KeepRectInView(tCRect* rect) const;

    uint32_t m_id = 0;
    CWidget* m_view = nullptr;
    ICanvasTool* m_currentTool = nullptr;
    ICanvasTool* m_eraserTool = nullptr;
    float m_lastPressure = 0.0f;
    int32_t m_width = 0;
    int32_t m_height = 0;
    float m_zoom = 1.0f;
    float m_rotation = 0.0f;
    tCArray<CLayer*> m_layers;
    int32_t m_currentLayer = 0;
    int32_t m_secondLayer = 0;
    CImage* m_composite = nullptr;
    CImage* m_halfImageA = nullptr;
    CImage* m_halfImageB = nullptr;
    uint32_t m_strokeActive = 0;
    tCArray<int32_t> m_rowMinX;
    tCArray<int32_t> m_rowMaxX;
    int32_t m_dirtyRowFirst = kCleanRowMin;
    int32_t m_dirtyRowLast = kCleanRowMax;
    int32_t m_dirtyColFirst = kCleanRowMin;
    int32_t m_dirtyColLast = kCleanRowMax;
    CImage* m_tracingImage = nullptr;
    uint32_t m_tracingVisible = 0;
    uint32_t m_traceColourPick = 1;
    uint32_t m_tracingMode = 1;
    float m_tracingOpacity = 0.4f;
    float m_tracingValueB = 0.0f;
    float m_tracingScale = 0.5f;
    tCPoint m_tracingOffset;
    uint32_t m_inputIdle = 1;
    tCRect m_paintingRect;
    tCRect m_frameRect;
    uint32_t m_dragging = 0;
    uint32_t m_zoomDragging = 0;
    // The place a zoom drag reckons from, and the one its last zoom left.
    tCRect m_zoomDragFrom;
    tCRect m_zoomDragLeft;
    uint32_t m_flipHorizontal = 0;
    uint32_t m_flipVertical = 0;
    uint32_t m_shadowColour = 0x60000000u;
    float m_shadowRadius = 4.0f;
    tCPoint m_shadowOffset{2, 2};
    CMemBlockT<uint32_t> m_shadowColumns;
    CMemBlockT<uint32_t> m_shadowRows;
    uint32_t m_shadowTablesStale = 1;
    tCRect m_shadowRect;
    CImage8 m_grain;
    ICanvasHost* m_host = nullptr;
    IShellServices* m_services = nullptr;
    IViewBackground* m_viewBackground = nullptr;
};
