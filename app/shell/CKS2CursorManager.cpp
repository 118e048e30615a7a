#include "app/shell/CKS2CursorManager.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/shell/BackboneMessages.h"
#include "app/shell/CAppCursorHost.h"
#include "app/shell/PressureResponse.h"
#include "paint/engine/CCanvas.h"
#include "paint/engine/CStandardRenderer.h"
#include "paint/engine/PressureCurves.h"
#include "paint/tools/CToolBase.h"
#include "toolkit/core/CPenSample.h"
#include "toolkit/widgets/CWidget.h"

namespace {

enum : int32_t {
    kOilBrush = 4900,
    kPencil = 4901,
    kCrayon = 4902,
    kChalk = 4903,
    kPen = 4904,
    kPaletteKnife = 4905,
    kEraser = 4906,
    kTube = 4908,
    kSampler = 4909,
    kMoveTool = 4910,
    kRotateTool = 4911,
    kZoomTool = 4912,
    kGlitter = 4913,
    kAirbrush = 4914,
    kRoller = 4915,
};

// The glitter gun's and the airbrush's property that shortens the tilt's reach.
constexpr uint32_t kTiltReachProperty = 0xB2D05EA9u;
// Outlines smaller than this (view pixels) give way to the plain cursor.
constexpr float kSmallestRadius = 8.0f;
// The oil brush's load while the outline asks for its width: a load this large never narrows it.
constexpr float kFullLoad = 10000.0f;
constexpr double kTwoPi = 6.283185307179586;

OutlineShape ShapeOf(const OutlineRecord& record)
{
    return {record.x, record.y, record.tiltAltitude, record.angle, record.radius, record.secondaryRadius};
}

bool SameRecord(const OutlineRecord& a, const OutlineRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The pressure the outline sizes the nib with: the tool's common property through the response
// curve and the tool's line (the oil brush's, or every other tool's), within 0..1.
float OutlinePressure(const CToolBase& tool)
{
    SetPenPressure(tool.GetCommonProperty());
    const uint32_t id = tool.GetToolId() == uint32_t(kOilBrush) ? uint32_t(kOilBrush) : uint32_t(kCrayon);
    return std::clamp(ToolPressureCurve(id, GetMappedPressure(), 1), 0.0f, 1.0f);
}

}  // namespace

CKS2CursorManager::CKS2CursorManager() : m_ownHost(std::make_unique<CAppCursorHost>()), m_host(m_ownHost.get()) {}

CKS2CursorManager::CKS2CursorManager(ICursorHost* host) : m_host(host) {}

CKS2CursorManager::~CKS2CursorManager() = default;

tResult CKS2CursorManager::OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg, uint32_t apply)
{
    switch (message) {
    case kMsgCanvasReplaced:
        m_canvas = FromMsgArg<CCanvas>(b);
        break;
    case kMsgSimpleCursor:
        if (uint32_t* flag = FromMsgArg<uint32_t>(b)) {
            if (apply)
                m_simpleCursor = *flag;
            else
                *flag = m_simpleCursor;
        }
        break;
    case kMsgCursorQuery:
        if (int32_t* answer = FromMsgArg<int32_t>(b); answer && m_canvas && m_canvas->GetView() &&
                                                      FromMsgArg<CWidget>(a) == m_canvas->GetView())
            *answer = ViewCursor();
        break;
    default:
        break;
    }
    return kResOk;
}

int32_t CKS2CursorManager::ViewCursor()
{
    const bool pen = m_host->IsPenButtonDown();
    const bool right = m_host->IsSecondaryButtonDown();
    const bool pressed = pen || right;
    int32_t id = m_simpleCursor ? int32_t(kCursorPlain) : kCursorOutline;
    ICanvasTool* tool = m_canvas->GetCurrentTool();
    if (m_host->IsPenEraser() && m_canvas->GetEraserTool())
        tool = m_canvas->GetEraserTool();
    switch (tool ? int32_t(tool->GetToolId()) : 0) {
    case kPencil:
    case kSampler:
        id = kCursorPlain;
        break;
    case kMoveTool:
        id = pressed ? kCursorHidden : int32_t(kCursorMove);
        break;
    case kRotateTool:
        id = pressed ? kCursorHidden : int32_t(kCursorRotate);
        break;
    case kZoomTool:
        id = pressed ? kCursorHidden : int32_t(kCursorZoom);
        break;
    case kGlitter:
    case kAirbrush:
        if (pen)
            id = kCursorPlain;
        break;
    default:
        break;
    }
    if (m_host->IsAltDown())
        id = kCursorPlain;
    return right ? kCursorHidden : id;
}

void CKS2CursorManager::RemoveOutline(uint32_t present)
{
    m_record.eraseRequest = 1;
    (void)DrawToolCursor(nullptr, present);
    // Also when there was no outline to work out, the request does not outlive the call.
    m_record.eraseRequest = 0;
}

void CKS2CursorManager::UpdateCursor(CWidget* widget, const CPenSample* sample, uint32_t present)
{
    if (!m_host->HasMainRoot())
        return;
    if (!widget) {
        if (m_currentCursor == kCursorOutline)
            RemoveOutline(1);
        m_currentCursor = kCursorNone;
        if (m_host->IsBackdropCursorShown())
            m_host->HideBackdropCursor();
        if (!m_host->IsSystemCursorShown())
            m_host->ShowSystemCursor();
        return;
    }
    m_host->TrackBackdropCursor();
    int32_t id = m_host->QueryCursor(widget);
    if (m_currentCursor == kCursorOutline && id != kCursorOutline)
        RemoveOutline(present);
    if (id == kCursorNone) {
        if (m_currentCursor != kCursorNone)
            m_host->DropCursorWidget();
        m_penDownMark = 0;
        m_currentCursor = kCursorNone;
        return;
    }
    if (id == kCursorOutline) {
        if (DrawToolCursor(sample, present) != kResOk) {
            if (m_currentCursor == kCursorOutline)
                RemoveOutline(present);
            m_penDownMark = 0;
            id = kCursorPlain;
        } else {
            if (m_currentCursor != kCursorOutline) {
                m_host->HideBackdropCursor();
                m_host->HideSystemCursor();
            }
            if (m_host->IsSystemCursorShown() || m_host->IsBackdropCursorShown())
                m_host->HideCursor();
            m_currentCursor = kCursorOutline;
            return;
        }
    }
    if (id == kCursorHidden) {
        m_host->HideCursor();
        m_currentCursor = kCursorHidden;
        return;
    }
    if (m_overlayDrawn)
        RemoveOutline(present);
    if (id != m_currentCursor) {
        m_currentCursor = id;
        m_host->SelectCursorById(id);
        m_host->ShowCursor();
    }
}

CToolBase* CKS2CursorManager::OutlineTool() const
{
    ICanvasTool* tool = m_canvas->GetCurrentTool();
    if (tool && m_host->IsPenEraser() && m_canvas->GetEraserTool())
        tool = m_canvas->GetEraserTool();
    return dynamic_cast<CToolBase*>(tool);
}

bool CKS2CursorManager::MakeRecord(CToolBase* tool, const CPenSample* given, bool pen, OutlineRecord* record)
{
    const CPenSample sample = given ? *given : tool->GetPenSample();
    const int32_t id = int32_t(tool->GetToolId());
    record->x = sample.x;
    record->y = sample.y;
    record->pressure = sample.pressure;
    record->tiltAltitude = sample.tiltA;
    record->tiltDirection = sample.tiltB;
    record->sampleFlags = sample.pen;

    const float q = OutlinePressure(*tool);
    float width = 0.0f;
    if (id == kOilBrush && !(pen && tool->GetStrokeLength() > 1.0f)) {
        const float load = tool->GetStrokeLength();
        tool->SetStrokeLength(kFullLoad);
        width = tool->GetNibWidth(q);
        tool->SetStrokeLength(load);
    } else {
        width = tool->GetNibWidth(q);
    }
    const float zoom = m_canvas->GetZoom();
    const float radius = width * zoom * 0.5f;
    tCFPoint at{sample.x, sample.y};
    m_canvas->CanvasToView(&at);
    tCPoint origin;
    m_canvas->GetView()->LocalToRootPoint(&origin);
    record->x = at.x - float(origin.x);
    record->y = at.y - float(origin.y);

    float altitude = sample.tiltA;
    double direction = sample.tiltB;
    if ((id == kRoller || id == kPaletteKnife || id == kOilBrush) && pen && tool->GetStrokeLength() > 0.0f)
        altitude = 1.0f;
    if (altitude > 0.95f) {
        const tCFPoint nib = tool->GetNibDirection();
        direction = std::atan2(double(nib.y), double(nib.x)) / kTwoPi + 0.75;
        if (direction > 1.0)
            direction -= 1.0;
    }
    if (id == kGlitter || id == kAirbrush) {
        const float reach = 1.0f - tool->GetProperty(kTiltReachProperty) / 1.6f;
        record->tiltAltitude = MinFloat(altitude, reach);
        if (altitude > 0.95f)
            direction += tool->GetToolFlag() ? 0.75 : 0.25;
    }
    double angle = std::fmod((1.5 - direction - double(m_canvas->GetRotation())) * kTwoPi, kTwoPi);
    if (angle < 0.0)
        angle += kTwoPi;

    record->toolId = id;
    record->penDown = pen ? 1 : 0;
    record->angle = float(angle);
    record->zoom = zoom;
    record->radius = radius;
    record->secondaryRadius = radius * tool->GetDotCapFactor();
    // A width, zoom, tilt or position that is not finite would make an outline of NaNs.
    return std::isfinite(record->radius) && std::isfinite(record->secondaryRadius) && std::isfinite(record->angle) &&
           std::isfinite(record->tiltAltitude) && std::isfinite(record->x) && std::isfinite(record->y) &&
           record->radius >= kSmallestRadius;
}

tResult CKS2CursorManager::DrawToolCursor(const CPenSample* sample, uint32_t present)
{
    if (!m_canvas || !m_canvas->GetView() || (m_simpleCursor && !m_record.eraseRequest))
        return kResHandled;
    const bool pen = m_host->IsPenButtonDown();
    const OutlineRecord old = m_record;
    OutlineRecord next = m_record;
    CToolBase* tool = OutlineTool();
    if (!tool) {
        m_record.toolId = -1;
        return kResHandled;
    }
    const bool erase = m_record.eraseRequest != 0;
    if (!MakeRecord(tool, sample, pen, &next)) {
        next.toolId = -1;
        if (!erase)
            return kResHandled;
    }
    // A removal leaves nothing drawn, so that the next outline, even in the same place, is
    // invalidated and drawn again.
    if (erase)
        next.toolId = -1;
    const bool changed = !SameRecord(next, old) || erase;
    // Pass 0 takes the previous outline away, pass 1 puts the new one.
    const bool now = next.penDown != 0;
    if (old.toolId != -1 && changed)
        InvalidateOutline(old, true, now);
    m_record = next;
    if (changed)
        InvalidateOutline(m_record, false, now);
    if (present)
        m_host->PresentView(m_canvas->GetView());
    m_penDownMark = pen ? 1 : 0;
    m_record.eraseRequest = 0;
    return kResOk;
}

void CKS2CursorManager::InvalidateRing(const OutlineShape& shape, float r)
{
    AddRingArea(m_rects, shape.x, shape.y, r);
}

void CKS2CursorManager::InvalidateLine(const OutlineShape& shape, float lengthFactor)
{
    SetLinePoints(shape, lengthFactor, m_points);
    AddSegmentArea(m_rects, m_points[0], m_points[1]);
}

void CKS2CursorManager::InvalidateRoller(const OutlineShape& shape)
{
    SetRollerPoints(shape, m_points);
    for (int i = 0; i < 4; ++i)
        AddSegmentArea(m_rects, m_points[i], m_points[(i + 1) % 4]);
}

void CKS2CursorManager::InvalidateOutline(const OutlineRecord& record, bool oldPass, bool now)
{
    const OutlineShape shape = ShapeOf(record);
    const bool before = m_penDownMark != 0;
    m_rects.clear();
    switch (record.toolId) {
    case kCrayon:
    case kChalk:
    case kPen:
    case kEraser:
    case kTube:
        InvalidateRing(shape, 0.9f * shape.radius);
        break;
    case kOilBrush:
        AddOilOvalArea(m_rects, shape, m_points);
        break;
    case kGlitter:
    case kAirbrush:
        AddTiltedEllipseArea(m_rects, shape, m_points);
        break;
    case kPaletteKnife:
        if (now && before) {
            InvalidateLine(shape, 1.0f);
        } else if (!now && before) {
            InvalidateRing(shape, shape.radius);
            InvalidateLine(shape, 1.0f);
            InvalidateLine(shape, 0.6f);
        } else if (now) {
            if (oldPass)
                InvalidateRing(shape, shape.radius);
            InvalidateLine(shape, 1.0f);
        } else {
            InvalidateRing(shape, shape.radius);
            InvalidateLine(shape, 0.6f);
        }
        break;
    case kRoller:
        if (now && before) {
            InvalidateRoller(shape);
        } else if (!now && before) {
            if (oldPass)
                InvalidateRoller(shape);
            InvalidateRing(shape, shape.radius);
            InvalidateLine(shape, 0.6f);
        } else if (now) {
            if (oldPass) {
                InvalidateRing(shape, shape.radius);
                InvalidateLine(shape, 0.6f);
            }
            InvalidateRoller(shape);
        } else {
            InvalidateRing(shape, shape.radius);
            InvalidateLine(shape, 0.6f);
        }
        break;
    default:
        break;
    }
    FlushRects();
}

void CKS2CursorManager::FlushRects()
{
    CWidget* view = m_canvas->GetView();
    for (const tCRect& rect : m_rects)
        m_host->InvalidateView(view, rect);
}

void CKS2CursorManager::DrawToolOverlay(const tCRect& clip, CImage* target)
{
    m_overlayDrawn = 0;
    if (!m_canvas || !target || m_canvas->GetDragging() || m_simpleCursor || m_record.toolId <= 0 ||
        m_record.eraseRequest)
        return;
    CStandardRenderer* renderer = m_canvas->GetRenderer();
    if (!renderer)
        return;
    COutlinePainter painter(*renderer, target, clip);
    const OutlineShape shape = ShapeOf(m_record);
    const bool down = m_record.penDown != 0;
    switch (m_record.toolId) {
    case kOilBrush:
        painter.PaintOilOval(shape);
        break;
    case kCrayon:
    case kChalk:
    case kPen:
    case kEraser:
    case kTube:
        painter.PaintRoundRing(shape.x, shape.y, 0.9f * shape.radius);
        break;
    case kPaletteKnife:
        if (!down)
            painter.PaintRoundRing(shape.x, shape.y, shape.radius);
        painter.PaintLine(m_points[0], m_points[1]);
        break;
    case kGlitter:
    case kAirbrush:
        painter.PaintTiltedEllipse(shape, m_points);
        break;
    case kRoller:
        if (down) {
            painter.PaintRectangle(m_points);
        } else {
            painter.PaintRoundRing(shape.x, shape.y, shape.radius);
            painter.PaintLine(m_points[0], m_points[1]);
        }
        break;
    default:
        return;
    }
    m_overlayDrawn = 1;
}
