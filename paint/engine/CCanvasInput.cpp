#include <algorithm>
#include <cmath>

#include "paint/engine/CCanvas.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/CanvasInputGuards.h"
#include "paint/engine/CanvasMessages.h"
#include "paint/engine/ICanvasTool.h"
#include "paint/engine/IShellServices.h"
#include "paint/engine/PressureCurves.h"
#include "paint/engine/StrokeContext.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CPenSample.h"
#include "toolkit/core/CPointerDrag.h"
#include "toolkit/core/CTabletInput.h"
#include "toolkit/core/CTimer.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/widgets/IBackdropServices.h"
#include "toolkit/widgets/CWidget.h"

// The canvas's input over the painting view: strokes, the hover, dragging and turning the
// painting by hand, and the navigation tools' loops.

namespace {

constexpr uint32_t kPenCursorId = 34;
constexpr uint32_t kPencilId = 4901;
constexpr uint32_t kSampleToolId = 4909;
constexpr uint32_t kMoveToolId = 4910;
// A frame: the screen is brought up to date at most this often while a stroke's or a drag's
// input keeps coming, and at least this often while it comes faster than it is painted.
constexpr uint32_t kScreenFrameMs = 16;
constexpr uint32_t kRotateToolId = 4911;
constexpr uint32_t kZoomToolId = 4912;
// A drag counts as moved once the pointer leaves the start by more than this.
constexpr int32_t kDragSlop = 3;
constexpr float kTurnsPerPixel = 0.002f;
// The zoom drag multiplies the zoom it started from by exp(k x the distance from the press): a
// drag of 100 pixels to the right zooms by 1.4, back to the press gives the zoom it started from.
constexpr double kZoomPerPixel = 0.0033647224;
constexpr float kMinZoom = 0.05f;
constexpr float kMaxZoom = 8.0f;

// Puts inputIdle back to 1 however the input ends.
class CInputIdleGuard {
public:
    explicit CInputIdleGuard(CCanvas& canvas) : m_canvas(canvas) { m_canvas.SetInputIdle(0); }
    ~CInputIdleGuard() { m_canvas.SetInputIdle(1); }
    CInputIdleGuard(const CInputIdleGuard&) = delete;
    CInputIdleGuard& operator=(const CInputIdleGuard&) = delete;

private:
    CCanvas& m_canvas;
};

// Clears strokeActive however the stroke ends.
class CStrokeActiveGuard {
public:
    explicit CStrokeActiveGuard(CCanvas& canvas) : m_canvas(canvas) { m_canvas.SetStrokeActive(1); }
    ~CStrokeActiveGuard() { m_canvas.SetStrokeActive(0); }
    CStrokeActiveGuard(const CStrokeActiveGuard&) = delete;
    CStrokeActiveGuard& operator=(const CStrokeActiveGuard&) = delete;

private:
    CCanvas& m_canvas;
};

// Keeps a widget modal for the life of a loop.
class CModalGuard {
public:
    CModalGuard(IBackdropServices* backdrop, CWidget* view) : m_backdrop(backdrop)
    {
        m_pushed = m_backdrop && view && m_backdrop->PushModal(view) == kResOk;
    }
    ~CModalGuard()
    {
        if (m_pushed)
            m_backdrop->PopModal();
    }
    CModalGuard(const CModalGuard&) = delete;
    CModalGuard& operator=(const CModalGuard&) = delete;

private:
    IBackdropServices* m_backdrop;
    bool m_pushed = false;
};

// The space bar and Alt as the press being handled came with them.
bool SpaceDown()
{
    CAppBase* application = GetApplication();
    return application && application->IsSpaceDown();
}

bool AltDown()
{
    CAppBase* application = GetApplication();
    return application && application->IsAltDown();
}

void Heartbeat()
{
    if (CAppBase* application = GetApplication())
        // A failed heartbeat does not stop the user's gesture; the loop ends with the button.
        (void)application->RunHeartbeat();
}

// A screen point in the coordinates of the view's root.
tCPoint ScreenToRoot(CWidget* view, tCPoint point)
{
    if (CWidget* root = view ? view->GetRoot() : nullptr)
        root->ScreenToLocalPoint(&point);
    return point;
}

// Brings a sample of the pen input into the view's root with its direction taken relative to
// the painting's turn. A mouse sample (`screen` 1) comes in screen coordinates; a pen sample is
// in root coordinates already.
void PlaceSample(CWidget* view, float rotation, int32_t screen, CPenSample* sample)
{
    sample->tiltB -= rotation;
    if (screen == 1) {
        tCPoint origin;
        origin = ScreenToRoot(view, origin);
        sample->x += float(origin.x);
        sample->y += float(origin.y);
    }
}

// Reads the pen as it is now into `sample`, placed in the view's root; answers 1 for the mouse.
int32_t ReadSample(CTabletInput* tablet, CWidget* view, float rotation, CPenSample* sample)
{
    *sample = CPenSample{};
    if (!tablet)
        return 0;
    const int32_t screen = tablet->PumpPackets(sample);
    PlaceSample(view, rotation, screen, sample);
    return screen;
}

// The stroke's next input; without pen input the stroke ends at once.
int32_t NextStrokeInput(CTabletInput* tablet, CPenSample* sample, int32_t* screen)
{
    return tablet ? tablet->NextStrokeInput(sample, screen) : int32_t(CTabletInput::kStrokeRelease);
}

}  // namespace

tResult CCanvas::OnPenInput(tMsgArg context, CWidget*, CWidget** takenBy, tCPoint* point)
{
    CCanvas* canvas = FromMsgArg<CCanvas>(context);
    if (!canvas || !point)
        return kResBadParam;
    return canvas->PenInput(takenBy, *point);
}

tResult CCanvas::PenInput(CWidget** takenBy, tCPoint point)
{
    m_lastPressure = 0.0f;
    IBackdropServices* backdrop = FindBackdropServices(m_view);
    if (backdrop)
        // A backdrop without the pen cursor keeps the one it shows.
        (void)backdrop->SelectCursorById(kPenCursorId);
    if (takenBy)
        *takenBy = m_view;
    tCPoint press = point;
    if (m_view)
        m_view->LocalToScreenPoint(&press);
    CInputIdleGuard idle(*this);
    if (SpaceDown()) {
        m_inputIdle = 1;
        return DragView(takenBy, &press, 0);
    }
    if (AltDown()) {
        const tResult result = SampleColour(&press);
        m_inputIdle = 1;
        return result;
    }
    ICanvasTool* tool = m_currentTool;
    if (tool) {
        switch (tool->GetToolId()) {
        case kSampleToolId:
            return SampleColour(&press);
        case kMoveToolId:
            return RunMoveTool(takenBy, &press);
        case kRotateToolId:
            return RunRotateTool(takenBy, &press);
        case kZoomToolId:
            return RunZoomTool(takenBy, &press);
        default:
            break;
        }
        if (IsPenEraser() && m_eraserTool)
            tool = m_eraserTool;
        if (m_services)
            m_services->SetPenPressure(tool->GetCommonProperty());
    }
    if (m_layers.GetCount() == 0)
        return kResNoMemory;
    if (m_currentLayer >= m_layers.GetCount())
        m_currentLayer = 0;
    CLayer* layer = m_layers.GetAt(m_currentLayer);
    if (!layer)
        return kResOk;
    CPaintCellMap& map = layer->GetCellMap();
    if (!m_composite || map.GetWidth() != m_width || map.GetHeight() != m_height ||
        m_composite->GetWidth() != m_width || m_composite->GetHeight() != m_height || m_width < 1 || m_height < 1)
        return kResOk;
    CPaintCellNav cells(map);
    CImNav8 grain(GetGrainImageFor(m_currentLayer));
    if (!cells.IsValid() || !grain.IsLocked() || grain.IsEmpty())
        return kResNoMemory;
    const StrokeContext context = MakeStrokeContext(&cells, &grain, *layer);

    tCPoint rootPoint = point;
    if (m_view)
        m_view->LocalToRootPoint(&rootPoint);
    TK_TRY(SampleTracingImage({float(rootPoint.x), float(rootPoint.y)}));

    CTabletInput* tablet = ApplicationTabletInput();
    CPenSample input;
    int32_t screen = tablet ? tablet->BeginStroke(press, &input) : 0;
    CPenSample sample = input;
    PlaceSample(m_view, m_rotation, screen, &sample);
    if (screen == 1 && tool)
        sample.pressure = ToolPressureCurve(tool->GetToolId(), sample.pressure, 1);
    ViewToCanvas(&sample);
    if (!tool)
        return kResOk;
    const uint32_t id = tool->GetToolId();
    CStrokeActiveGuard active(*this);
    if (id == kPencilId)
        tool->SetToolFlag(0);
    TK_TRY(SendToBackdrop(kMsgStrokeStarting, ToMsgArg(this), 0, 0));

    CUndoStepGuard undo(*this);
    TK_TRY(undo.GetOpenResult());
    TK_TRY(tool->BeginStroke(*this, context, sample));
    // A release with no input between it and the press ends where the press was, with its
    // pressure: a tap paints a dot.
    m_lastPressure = sample.pressure;
    bool continued = false;
    CPenServiceGuard penService;
    const auto paintInput = [&](CPenSample next) {
        PlaceSample(m_view, m_rotation, screen, &next);
        if (screen == 1)
            next.pressure = ToolPressureCurve(id, next.pressure, 0);
        TK_TRY(SendToBackdrop(kMsgStrokeSample, ToMsgArg(this), ToMsgArg(&next), 0));
        ViewToCanvas(&next);
        m_lastPressure = next.pressure;
        continued = true;
        return tool->PaintLiveSample(*this, context, next);
    };
    // Every input the window was given while the button was held is painted, in order; a round
    // without any goes on where the pointer rests, as a held brush does. A round ends when the
    // waiting input is painted or a frame has passed; the screen then shows what the rounds
    // painted, at most once a frame, and the heartbeat runs.
    const auto followInput = [&]() -> tResult {
        CTimer round;
        CTimer shown;
        // Whether the rounds painted what the screen does not show yet: a brush at rest where
        // the tool does nothing is shown already.
        bool unshown = false;
        int32_t taken = NextStrokeInput(tablet, &input, &screen);
        while (taken != CTabletInput::kStrokeRelease) {
            round.Restart();
            if (taken == CTabletInput::kStrokeNothing) {
                unshown = unshown || tool->GetRestingPenWait() != ICanvasTool::kNothingWhileResting;
                TK_TRY(paintInput(input));
            }
            while (taken == CTabletInput::kStrokeMove) {
                TK_TRY(paintInput(input));
                unshown = true;
                if (round.GetElapsedMilliseconds() >= kScreenFrameMs)
                    break;
                taken = NextStrokeInput(tablet, &input, &screen);
            }
            if (taken == CTabletInput::kStrokeRelease)
                break;
            if (unshown && shown.GetElapsedMilliseconds() >= kScreenFrameMs) {
                TK_TRY(tool->ShowStroke(*this));
                shown.Restart();
                unshown = false;
            }
            Heartbeat();
            taken = NextStrokeInput(tablet, &input, &screen);
            // A pen at rest waits for input, at most a frame or until the tool has something to
            // paint where it rests.
            if (taken == CTabletInput::kStrokeNothing && tablet) {
                tablet->WaitForStrokeInput(std::min(kScreenFrameMs, tool->GetRestingPenWait()));
                taken = NextStrokeInput(tablet, &input, &screen);
            }
        }
        return kResOk;
    };
    const auto finishStroke = [&]() -> tResult {
        // What was painted is shown however the input ends.
        const tResult followed = followInput();
        const tResult showing = tool->ShowStroke(*this);
        TK_TRY(followed);
        TK_TRY(showing);
        sample = input;
        PlaceSample(m_view, m_rotation, screen, &sample);
        if (screen == 1 || id == kPencilId || !continued)
            sample.pressure = m_lastPressure;
        ViewToCanvas(&sample);
        m_lastPressure = sample.pressure;
        TK_TRY(tool->EndStroke(*this, context, sample));
        if (tablet)
            tablet->ResetPen();
        return kResOk;
    };
    const tResult stroked = finishStroke();
    // Begun, the stroke is a change however it ends, a failure of its tool included: what it
    // painted stays whether or not its undo step could be stored (the guard has told the
    // controller of a lost one), and its end marks the painting changed. The controller's
    // answer to the end changes nothing of the stroke.
    (void)undo.Release();
    (void)SendToBackbone(kMsgStrokeEnded, ToMsgArg(this), tMsgArg(-1), 0);
    penService.Release();
    return stroked;
}

tResult CCanvas::OnPenHover(tMsgArg context, CWidget*, CWidget**, tCPoint*)
{
    CCanvas* canvas = FromMsgArg<CCanvas>(context);
    if (!canvas || canvas->m_strokeActive || !canvas->m_currentTool)
        return kResOk;
    CPenSample sample;
    if (ReadSample(ApplicationTabletInput(), canvas->m_view, canvas->m_rotation, &sample) == 1)
        sample.pressure = 0.0f;
    canvas->ViewToCanvas(&sample);
    return canvas->m_currentTool->UpdateNibDirection(*canvas, sample);
}

tResult CCanvas::OnDragView(tMsgArg context, CWidget* view, CWidget** takenBy, tCPoint* point)
{
    CCanvas* canvas = FromMsgArg<CCanvas>(context);
    if (!canvas)
        return kResBadParam;
    tCPoint press = point ? *point : tCPoint{};
    if (view)
        view->LocalToScreenPoint(&press);
    return canvas->DragView(takenBy, point ? &press : nullptr, 1);
}

tResult CCanvas::DragView(CWidget** takenBy, const tCPoint* press, int32_t secondary)
{
    if (!m_inputIdle)
        return kResOk;
    if (takenBy)
        *takenBy = m_view;
    m_dragging = 1;
    if (m_services)
        m_services->UpdateCursor(m_view);
    CPointerDrag drag(secondary, press);
    const tCPoint start = drag.GetStart();
    tCPoint last = start;
    IBackdropServices* backdrop = FindBackdropServices(m_view);
    bool moved = false;
    // Where the button came up, as its release tells: a click counts there, not where the pointer
    // went after.
    tCPoint released = start;
    {
        CModalGuard modal(backdrop, m_view);
        // The moves of a round that came with the same keys are followed as one.
        bool turning = false;
        tCPoint reached = last;
        const auto follow = [&]() {
            if (reached != last)
                FollowViewDrag(last, reached, turning);
            last = reached;
        };
        // The primary button's drag lasts while the space bar is held with it; Alt taken or let
        // go during the drag switches between turning and moving. Each move counts with the keys
        // it came with.
        int32_t taken = CPointerDrag::kDragNothing;
        while (taken != CPointerDrag::kDragRelease && (secondary || drag.IsSpaceHeld())) {
            taken = drag.ReadRound(kScreenFrameMs, [&](tCPoint p) {
                released = p;
                if (!secondary && !drag.IsSpaceHeld())
                    return false;
                if (std::abs(p.x - start.x) > kDragSlop || std::abs(p.y - start.y) > kDragSlop)
                    moved = true;
                if (moved) {
                    if (drag.IsAltHeld() != turning)
                        follow();
                    turning = drag.IsAltHeld();
                    reached = p;
                }
                return true;
            });
            follow();
            if (taken != CPointerDrag::kDragRelease)
                Heartbeat();
        }
        // The last picture is drawn at full quality: nothing else may redraw it for a while.
        m_dragging = 0;
        if (moved)
            UpdateViewGeometry(1);
    }
    if (!moved && backdrop && m_view && m_view->GetParent()) {
        m_view->GetParent()->ScreenToLocalPoint(&released);
        if (m_view->GetRect().Contains(released))
            return SendToBackdrop(kMsgViewClicked, ToMsgArg(this), 0, 0);
    }
    return kResOk;
}

void CCanvas::FollowViewDrag(tCPoint from, tCPoint to, bool turn)
{
    if (!turn) {
        // A move the view cannot draw shows at the next present.
        (void)MovePainting(m_paintingRect.GetTopLeft().Plus(to.Minus(from)));
        return;
    }
    TurnView(m_rotation - float(to.x - from.x) * kTurnsPerPixel, 1);
}

tResult CCanvas::SampleColour(const tCPoint* press)
{
    CPointerDrag drag(0, press);
    const tCPoint cursor = ScreenToRoot(m_view, drag.GetStart());
    CPenSample at;
    at.x = float(cursor.x);
    at.y = float(cursor.y);
    ViewToCanvas(&at);
    IBackdropServices* backdrop = FindBackdropServices(m_view);
    if (at.x >= 0.0f && at.x <= float(m_width - 1) && at.y >= 0.0f && at.y <= float(m_height - 1)) {
        if (CTabletInput* tablet = ApplicationTabletInput())
            tablet->SetContact(1);
        CModalGuard modal(backdrop, m_view);
        // The press picks at once, however short it is; then, once a round, the last place the
        // pointer moved to, up to where the button went up.
        tCPoint last = cursor;
        TK_TRY(PickViewColour(cursor));
        int32_t taken = CPointerDrag::kDragNothing;
        while (taken != CPointerDrag::kDragRelease) {
            tCPoint reached = last;
            taken = drag.ReadRound(kScreenFrameMs, [&](tCPoint p) {
                reached = ScreenToRoot(m_view, p);
                return true;
            });
            if (reached != last) {
                TK_TRY(PickViewColour(reached));
                last = reached;
            }
            if (taken != CPointerDrag::kDragRelease)
                Heartbeat();
        }
        return kResOk;
    }
    if (!backdrop || !m_services)
        return kResOk;
    TK_TRY(backdrop->SetBackgroundColour(m_services->GetPaintColour(), 1));
    if (m_view)
        return m_view->Invalidate(1);
    return kResOk;
}

// The view's pixel is drawn again, alone, as the painting and its background make it: the
// screen there also holds the cursor and the tool's outline, which are no colour of the painting.
tResult CCanvas::PickViewColour(tCPoint rootPoint)
{
    if (!m_composite)
        return kResOk;
    tCPoint viewOrigin;
    if (m_view)
        m_view->LocalToRootPoint(&viewOrigin);
    const tCPoint local = rootPoint.Minus(viewOrigin);
    CImage pixel(1, 1);
    if (!pixel.IsValid())
        return kResNoMemory;
    pixel.SetOrigin({-local.x, -local.y});
    const tCRect clip{local.x, local.y, local.x + 1, local.y + 1};
    TK_TRY(m_rotation == 0.0f ? CompositeView(clip, &pixel) : CompositeRotatedView(clip, &pixel));
    CImNav nav(&pixel);
    if (!nav.IsLocked() || nav.IsEmpty())
        return kResNoMemory;
    return SendToBackbone(kMsgCanvasColourPicked, ToMsgArg(this), tMsgArg(nav.Pixels(0)[0]), 0);
}

namespace {

enum class tNavigation { kMove, kRotate, kZoom };

}  // namespace

// The move, rotate and zoom tools share one loop; when it ends the view gives up the press
// it took.
static tResult RunNavigationTool(CCanvas& canvas, tNavigation kind, CWidget** takenBy, const tCPoint* press);

tResult CCanvas::RunMoveTool(CWidget** takenBy, const tCPoint* press)
{
    return RunNavigationTool(*this, tNavigation::kMove, takenBy, press);
}
tResult CCanvas::RunRotateTool(CWidget** takenBy, const tCPoint* press)
{
    return RunNavigationTool(*this, tNavigation::kRotate, takenBy, press);
}
tResult CCanvas::RunZoomTool(CWidget** takenBy, const tCPoint* press)
{
    return RunNavigationTool(*this, tNavigation::kZoom, takenBy, press);
}

// The view follows each round's moves at once: the painting moves and turns by the whole way
// the pointer went, and the zoom is that of the pointer's distance from the press.
static tResult FollowNavigationRound(CCanvas& canvas, tNavigation kind, tCPoint from, tCPoint to, float zoom)
{
    if (kind == tNavigation::kZoom)
        return zoom == canvas.GetZoom() ? kResOk
                                        : tCCmdTarget::SendToBackbone(kMsgCanvasZoom, ToMsgArg(&canvas), ToMsgArg(&zoom), 0);
    canvas.FollowViewDrag(from, to, kind == tNavigation::kRotate);
    return kResOk;
}

static tResult RunNavigationTool(CCanvas& canvas, tNavigation kind, CWidget** takenBy, const tCPoint* press)
{
    CWidget* view = canvas.GetView();
    if (IShellServices* services = canvas.GetShellServices())
        services->UpdateCursor(view);
    CPointerDrag drag(0, press);
    const tCPoint start = drag.GetStart();
    tCPoint last = start;
    const double startZoom = canvas.GetZoom();
    if (CTabletInput* tablet = ApplicationTabletInput())
        tablet->SetContact(1);
    if (kind == tNavigation::kMove)
        canvas.SetDragging(1);
    if (kind == tNavigation::kZoom)
        canvas.BeginZoomDrag();
    tResult result = kResOk;
    {
        CModalGuard modal(FindBackdropServices(view), view);
        int32_t taken = CPointerDrag::kDragNothing;
        while (taken != CPointerDrag::kDragRelease && result == kResOk) {
            tCPoint reached = last;
            taken = drag.ReadRound(kScreenFrameMs, [&](tCPoint p) {
                reached = p;
                return true;
            });
            if (reached != last) {
                const double zoom = startZoom * std::exp(kZoomPerPixel * double(reached.x - start.x));
                const float limited = std::clamp(float(zoom), kMinZoom, kMaxZoom);
                result = FollowNavigationRound(canvas, kind, last, reached, limited);
                last = reached;
            }
            if (taken != CPointerDrag::kDragRelease && result == kResOk)
                Heartbeat();
        }
        canvas.SetDragging(0);
        canvas.EndZoomDrag();
        canvas.UpdateViewGeometry(1);
    }
    if (takenBy)
        *takenBy = nullptr;
    return result;
}

tResult CCanvas::RedrawView(tMsgArg context, CWidget*, const tCRect* clip, CImage* target, uint32_t)
{
    CCanvas* canvas = FromMsgArg<CCanvas>(context);
    if (!canvas || !clip || !target || !canvas->m_composite)
        return kResOk;
    if (canvas->m_rotation == 0.0f)
        TK_TRY(canvas->CompositeView(*clip, target));
    else
        TK_TRY(canvas->CompositeRotatedView(*clip, target));
    if (canvas->m_services)
        canvas->m_services->DrawToolOverlay(canvas->m_view, target, *clip);
    return kResOk;
}
