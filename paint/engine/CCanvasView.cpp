#include <algorithm>
#include <cmath>
#include <iterator>

#include "paint/engine/CCanvas.h"
#include "paint/engine/SafeConvert.h"
#include "toolkit/core/CPenSample.h"
#include "toolkit/widgets/CRegion.h"
#include "toolkit/widgets/CUpdateFreezeGuard.h"
#include "toolkit/widgets/CWidget.h"

namespace {

// 2 pi in single precision, as the rotation in turns becomes an angle.
constexpr double kTurnRadians = 6.2831854820251465;
constexpr float kZoomSteps[] = {0.05f, 0.1f, 0.25f, 0.5f, 0.75f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f, 8.0f};
constexpr int32_t kRegionBands = 10;
// The drop shadow grows by the radius times this, its falloff reaches the radius times 3.5.
constexpr double kShadowGrowth = 2.4;
constexpr float kShadowReach = 3.5f;

struct PointD {
    double x;
    double y;
};

// Where the segment a-b crosses the height y; false when it does not reach it or is level.
bool CrossingAt(PointD a, PointD b, double y, double* x)
{
    if (a.y == b.y || y < std::min(a.y, b.y) || y > std::max(a.y, b.y))
        return false;
    *x = a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y);
    return true;
}

// The smallest and largest x at which the quadrilateral's edges cross the height y.
bool CrossingsAt(const PointD (&corners)[4], double y, double* low, double* high)
{
    bool any = false;
    for (int i = 0; i < 4; ++i) {
        double x = 0.0;
        if (!CrossingAt(corners[i], corners[(i + 1) % 4], y, &x))
            continue;
        *low = any ? std::min(*low, x) : x;
        *high = any ? std::max(*high, x) : x;
        any = true;
    }
    return any;
}

int32_t FloorToInt(double v) { return RoundToInt32(std::floor(v)); }
int32_t CeilToInt(double v) { return RoundToInt32(std::ceil(v)); }

tCRect Grown(const tCRect& rect, int32_t by)
{
    return {rect.left - by, rect.top - by, rect.right + by, rect.bottom + by};
}

// How far the drop shadow reaches past the painting it is cast by, in whole pixels.
int32_t ShadowGrowth(float radius)
{
    const double growth = double(radius) * kShadowGrowth;
    return growth > 0.0 ? RoundToInt32(std::trunc(growth)) : 0;
}

// Entries n - 1 - i and count - n + i hold round(exp(-(i k)^2 / 2) x scale) for i < n, from the
// inner edge outwards; the entries between hold `middle`.
void FillFalloff(uint32_t* table, int32_t count, float radius, float k, double scale, uint32_t middle)
{
    std::fill(table, table + count, middle);
    const int32_t n = std::min(RoundToInt32(double(radius) * kShadowReach), (count + 1) / 2);
    for (int32_t i = 0; i < n; ++i) {
        const double t = double(i) * double(k);
        const uint32_t value = uint32_t(RoundToInt32(std::exp(-(t * t) / 2.0) * scale));
        table[n - 1 - i] = value;
        table[count - n + i] = value;
    }
}

}  // namespace

CWidget* CCanvas::ViewParent() const { return m_view ? m_view->GetParent() : nullptr; }

tCPoint CCanvas::ParentCentre() const
{
    const CWidget* parent = ViewParent();
    if (!parent)
        return {};
    const tCRect& rect = parent->GetRect();
    return rect.GetCentre().Minus(rect.GetTopLeft());
}

float CCanvas::FittingZoom() const
{
    if (!m_view || m_width < 1 || m_height < 1 || m_view->GetWidth() < 1 || m_view->GetHeight() < 1)
        return 1.0f;
    return std::min({float(m_view->GetWidth()) / float(m_width), float(m_view->GetHeight()) / float(m_height), 1.0f});
}

void CCanvas::ViewTurn(double* cosine, double* sine) const
{
    const double turns = double(m_rotation) - std::floor(double(m_rotation));
    if (turns == 0.0 || turns == 0.25 || turns == 0.5 || turns == 0.75) {
        const int quarter = int(turns * 4.0);
        static constexpr double kCos[] = {1.0, 0.0, -1.0, 0.0};
        static constexpr double kSin[] = {0.0, 1.0, 0.0, -1.0};
        *cosine = kCos[quarter];
        *sine = kSin[quarter];
        return;
    }
    const double angle = double(m_rotation) * kTurnRadians;
    *cosine = std::cos(angle);
    *sine = std::sin(angle);
}

tCFPoint CCanvas::TurnAboutPainting(double x, double y, double cosine, double sine) const
{
    const double cx = m_paintingRect.left + m_paintingRect.Width() * 0.5;
    const double cy = m_paintingRect.top + m_paintingRect.Height() * 0.5;
    return {float((x - cx) * cosine - (y - cy) * sine + cx), float((x - cx) * sine + (y - cy) * cosine + cy)};
}

void CCanvas::InvalidateInView(const tCRect& parentRect)
{
    if (!m_view || parentRect.IsEmpty())
        return;
    // The painting view is a plain widget, whose own invalidation reaches only its children: the
    // area is invalidated in its parent, within the view.
    const tCRect inView = parentRect.Intersect(m_view->GetRect());
    if (inView.IsEmpty())
        return;
    // Invalidation only collects dirty areas; the present reports the failures that matter.
    (void)m_view->InvalidateRectInParent(&inView, 0);
}

void CCanvas::PresentView()
{
    if (m_view)
        (void)m_view->PresentDirtyRects();
}

// Zoom.

tResult CCanvas::StepZoom(uint32_t larger)
{
    float zoom = m_zoom;
    if (larger) {
        const float* step = std::find_if(std::begin(kZoomSteps), std::end(kZoomSteps), [&](float s) { return s > m_zoom; });
        if (step == std::end(kZoomSteps))
            return kResOk;
        zoom = *step;
    } else {
        const auto below = std::find_if(std::rbegin(kZoomSteps), std::rend(kZoomSteps), [&](float s) { return s < m_zoom; });
        if (below == std::rend(kZoomSteps))
            return kResOk;
        zoom = *below;
    }
    return SendToBackbone(kMsgCanvasZoom, ToMsgArg(this), ToMsgArg(&zoom), 0);
}

tResult CCanvas::SetZoom(float zoom, uint32_t present)
{
    if (!std::isfinite(zoom) || zoom <= 0.0f)
        return kResBadParam;
    m_zoom = zoom;
    if (!m_view)
        return kResOk;
    const int32_t width = RoundToInt32(double(m_width) * zoom);
    const int32_t height = RoundToInt32(double(m_height) * zoom);
    UpdateViewGeometry(0);
    const tCPoint c = ParentCentre();
    // Rounding each step's place anew would let a drag's many small zooms walk the painting away.
    const tCRect old = m_zoomDragging && m_paintingRect == m_zoomDragLeft ? m_zoomDragFrom : m_paintingRect;
    tCPoint topLeft;
    if (!old.IsEmpty() && c.x >= old.left && c.x <= old.right && c.y >= old.top && c.y <= old.bottom) {
        // The point of the painting under the centre stays there.
        const double fx = double(c.x - old.left) / old.Width();
        const double fy = double(c.y - old.top) / old.Height();
        topLeft = {c.x - RoundToInt32(fx * width), c.y - RoundToInt32(fy * height)};
    } else {
        const tCPoint centre = old.GetCentre();
        topLeft = {centre.x - width / 2, centre.y - height / 2};
    }
    m_paintingRect = {topLeft.x, topLeft.y, topLeft.x + width, topLeft.y + height};
    m_shadowTablesStale = 1;
    KeepInView(0);
    m_zoomDragFrom = old;
    m_zoomDragLeft = m_paintingRect;
    if (present)
        PresentView();
    return kResOk;
}

void CCanvas::BeginZoomDrag()
{
    m_zoomDragging = 1;
    m_zoomDragFrom = m_paintingRect;
    m_zoomDragLeft = m_paintingRect;
}

// Placement.

void CCanvas::KeepRectInView(tCRect* rect) const
{
    const CWidget* parent = ViewParent();
    if (!parent)
        return;
    const auto shift = [](int32_t start, int32_t size, int32_t area) {
        const int32_t latest = std::max(area - size, area / 2);
        const int32_t earliest = std::min(size, area / 2) - size;
        return std::clamp(start, earliest, latest) - start;
    };
    *rect = rect->Offset({shift(rect->left, rect->Width(), parent->GetWidth()),
                          shift(rect->top, rect->Height(), parent->GetHeight())});
}

void CCanvas::KeepInView(uint32_t present)
{
    KeepRectInView(&m_paintingRect);
    UpdateViewGeometry(0);
    if (present)
        PresentView();
}

void CCanvas::SetPaintingTopLeft(tCPoint topLeft)
{
    UpdateViewGeometry(0);
    m_paintingRect = m_paintingRect.Offset(topLeft.Minus(m_paintingRect.GetTopLeft()));
    KeepInView(0);
}

tResult CCanvas::FitToView()
{
    if (!m_view || !ViewParent())
        return kResOk;
    {
        CUpdateFreezeGuard freeze(m_view->GetRoot()->AsWidgetRoot());
        UpdateViewGeometry(0);
        float zoom = FittingZoom();
        m_rotation = 0.0f;
        UpdateViewGeometry(0);
        tCPoint topLeft = ParentCentre().Minus({RoundToInt32(double(m_width) * zoom * 0.5),
                                                RoundToInt32(double(m_height) * zoom * 0.5)});
        // The flips go before the controller is told, so that a refusal leaves none behind.
        m_flipHorizontal = 0;
        m_flipVertical = 0;
        TK_TRY(SendToBackbone(kMsgCanvasZoom, ToMsgArg(this), ToMsgArg(&zoom), 0));
        TK_TRY(SendToBackbone(kMsgCanvasPosition, ToMsgArg(this), ToMsgArg(&topLeft), 0));
    }
    return m_view->PresentDirtyRects();
}

tResult CCanvas::MovePainting(tCPoint topLeft)
{
    if (!m_view)
        return kResOk;
    m_shadowRect = ShadowRectFor(m_paintingRect);
    m_frameRect = m_paintingRect.Union(m_shadowRect);
    // Only pixels of the painting itself are scrolled; the rest of the frame is drawn again.
    const tCRect inner = Grown(m_paintingRect, -TurnedDrawingMargin());
    CRegion frame;
    CRegion painting;
    tResult result = BuildPaintingRegion(DrawnFrame(), &frame, 1);
    if (result == kResOk && !inner.IsEmpty())
        result = BuildPaintingRegion(inner, &painting, 0);
    if (result == kResOk) {
        const tCPoint old = m_paintingRect.GetTopLeft();
        m_paintingRect = m_paintingRect.Offset(topLeft.Minus(old));
        KeepRectInView(&m_paintingRect);
        const tCPoint delta = m_paintingRect.GetTopLeft().Minus(old);
        m_frameRect = m_frameRect.Offset(delta);
        m_shadowRect = m_shadowRect.Offset(delta);
        result = m_view->ScrollRegion(&painting, &delta);
        // The shadow ring is drawn again where it was and where it goes.
        if (result == kResOk)
            result = frame.SubtractRegion(painting);
        if (result == kResOk) {
            for (const tCRect& rect : frame) {
                InvalidateInView(rect);
                InvalidateInView(rect.Offset(delta));
            }
        }
    }
    const tResult presented = m_view->PresentDirtyRects();
    return result != kResOk ? result : presented;
}

// Drop shadow.

tCRect CCanvas::ShadowRectFor(const tCRect& paintingRect) const
{
    double cosine = 1.0, sine = 0.0;
    ViewTurn(&cosine, &sine);
    const double ox = m_shadowOffset.x, oy = m_shadowOffset.y;
    const tCPoint offset{RoundToInt32(ox * cosine - oy * sine), RoundToInt32(ox * sine + oy * cosine)};
    return Grown(paintingRect.Offset(offset), ShadowGrowth(m_shadowRadius));
}

void CCanvas::UpdateViewGeometry(uint32_t present)
{
    if (m_paintingRect.IsEmpty())
        return;
    m_shadowRect = ShadowRectFor(m_paintingRect);
    const int32_t columns = m_shadowRect.Width(), rows = m_shadowRect.Height();
    if (m_shadowTablesStale && columns >= 1 && rows >= 1) {
        if (m_shadowColumns.Resize(columns) != kResOk || m_shadowRows.Resize(rows) != kResOk) {
            m_shadowRect = m_paintingRect;
            return;
        }
        const float k = kShadowReach / std::max(m_shadowRadius * kShadowReach, 0.5f);
        const uint32_t alpha = (m_shadowColour >> 24) * 257;
        FillFalloff(m_shadowColumns.GetData(), columns, m_shadowRadius, k, 65536.0, 65536);
        FillFalloff(m_shadowRows.GetData(), rows, m_shadowRadius, k, double(alpha), alpha);
        m_shadowTablesStale = 0;
    }
    m_frameRect = m_paintingRect.Union(m_shadowRect);
    InvalidateInView(TurnedBounds(DrawnFrame()));
    if (present)
        PresentView();
}

int32_t CCanvas::TurnedDrawingMargin() const
{
    // The turned drawing turns about the middle cell's centre, half a cell from the rect's
    // centre, which moves what it draws by up to a cell; and it rounds its positions.
    return m_rotation == 0.0f ? 0 : CeilToInt(double(m_zoom)) + 2;
}

tCRect CCanvas::DrawnFrame() const
{
    // The turned drawing lays the shadow along the painting: in the painting's own frame it is
    // moved by the unturned offset.
    const tCRect shadow = Grown(m_paintingRect.Offset(m_shadowOffset), ShadowGrowth(m_shadowRadius));
    return Grown(m_paintingRect.Union(shadow), TurnedDrawingMargin());
}

tCRect CCanvas::TurnedBounds(const tCRect& rect) const
{
    if (rect.IsEmpty())
        return rect;
    return TurnedBox(rect.left, rect.top, rect.right, rect.bottom);
}

tCRect CCanvas::TurnedBox(double left, double top, double right, double bottom) const
{
    double cosine = 1.0, sine = 0.0;
    ViewTurn(&cosine, &sine);
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    const double xs[] = {left, right, right, left};
    const double ys[] = {top, top, bottom, bottom};
    for (int i = 0; i < 4; ++i) {
        const tCFPoint p = TurnAboutPainting(xs[i], ys[i], cosine, sine);
        minX = i == 0 ? p.x : std::min(minX, double(p.x));
        maxX = i == 0 ? p.x : std::max(maxX, double(p.x));
        minY = i == 0 ? p.y : std::min(minY, double(p.y));
        maxY = i == 0 ? p.y : std::max(maxY, double(p.y));
    }
    return {FloorToInt(minX), FloorToInt(minY), CeilToInt(maxX), CeilToInt(maxY)};
}

// Coordinates.

void CCanvas::ViewToCanvas(CPenSample* sample) const
{
    double x = sample->x, y = sample->y;
    if (const CWidget* parent = ViewParent()) {
        tCPoint origin;
        parent->LocalToRootPoint(&origin);
        x -= origin.x;
        y -= origin.y;
    }
    x -= m_paintingRect.left;
    y -= m_paintingRect.top;
    const double cx = m_paintingRect.Width() * 0.5, cy = m_paintingRect.Height() * 0.5;
    double cosine = 1.0, sine = 0.0;
    ViewTurn(&cosine, &sine);
    // The view shows the painting turned by the angle; the way back turns by minus it.
    double cellX = ((x - cx) * cosine + (y - cy) * sine + cx) / m_zoom;
    double cellY = (-(x - cx) * sine + (y - cy) * cosine + cy) / m_zoom;
    if (m_flipHorizontal)
        cellX = m_width - cellX;
    if (m_flipVertical)
        cellY = m_height - cellY;
    sample->x = float(cellX);
    sample->y = float(cellY);
}

void CCanvas::CanvasToView(tCFPoint* point) const
{
    double x = point->x, y = point->y;
    if (m_flipHorizontal)
        x = m_width - x;
    if (m_flipVertical)
        y = m_height - y;
    double cosine = 1.0, sine = 0.0;
    ViewTurn(&cosine, &sine);
    tCFPoint turned = TurnAboutPainting(x * m_zoom + m_paintingRect.left, y * m_zoom + m_paintingRect.top, cosine, sine);
    if (const CWidget* parent = ViewParent()) {
        tCPoint origin;
        parent->LocalToRootPoint(&origin);
        turned.x += float(origin.x);
        turned.y += float(origin.y);
    }
    *point = turned;
}

void CCanvas::InvalidateCellRect(const tCRect& cells, uint32_t present)
{
    if (!m_view)
        return;
    tCRect r = cells;
    if (m_flipHorizontal)
        r = {m_width - cells.right, r.top, m_width - cells.left, r.bottom};
    if (m_flipVertical)
        r = {r.left, m_height - cells.bottom, r.right, m_height - cells.top};
    const double zoom = m_zoom;
    const tCRect box = TurnedBox(r.left * zoom + m_paintingRect.left, r.top * zoom + m_paintingRect.top,
                                 r.right * zoom + m_paintingRect.left, r.bottom * zoom + m_paintingRect.top);
    InvalidateInView(Grown(box, 1));
    if (present)
        PresentView();
}

tResult CCanvas::BuildPaintingRegion(const tCRect& rect, CRegion* region, uint32_t cover) const
{
    region->Clear();
    if (rect.IsEmpty())
        return kResOk;
    double cosine = 1.0, sine = 0.0;
    ViewTurn(&cosine, &sine);
    PointD corners[4];
    const int32_t xs[] = {rect.left, rect.right, rect.right, rect.left};
    const int32_t ys[] = {rect.top, rect.top, rect.bottom, rect.bottom};
    double top = 0, bottom = 0, left = 0, right = 0;
    for (int i = 0; i < 4; ++i) {
        const double cx = m_paintingRect.left + m_paintingRect.Width() * 0.5;
        const double cy = m_paintingRect.top + m_paintingRect.Height() * 0.5;
        corners[i] = {(xs[i] - cx) * cosine - (ys[i] - cy) * sine + cx, (xs[i] - cx) * sine + (ys[i] - cy) * cosine + cy};
        top = i == 0 ? corners[i].y : std::min(top, corners[i].y);
        bottom = i == 0 ? corners[i].y : std::max(bottom, corners[i].y);
        left = i == 0 ? corners[i].x : std::min(left, corners[i].x);
        right = i == 0 ? corners[i].x : std::max(right, corners[i].x);
    }
    if (sine == 0.0 || cosine == 0.0) {
        // Unturned or a quarter turn: the rect itself, at half pixels when its centre lies there.
        const tCRect whole = cover ? tCRect{FloorToInt(left), FloorToInt(top), CeilToInt(right), CeilToInt(bottom)}
                                   : tCRect{CeilToInt(left), CeilToInt(top), FloorToInt(right), FloorToInt(bottom)};
        return whole.IsEmpty() ? kResOk : region->AddRect(whole);
    }
    for (int32_t band = 0; band < kRegionBands; ++band) {
        const double y0 = top + (bottom - top) * band / kRegionBands;
        const double y1 = band + 1 == kRegionBands ? bottom : top + (bottom - top) * (band + 1) / kRegionBands;
        double low0 = 0, high0 = 0, low1 = 0, high1 = 0;
        const bool at0 = CrossingsAt(corners, y0, &low0, &high0);
        const bool at1 = CrossingsAt(corners, y1, &low1, &high1);
        tCRect span;
        if (cover) {
            // The shape's extent in the band: its corners inside it and the crossings at its edges.
            double low = at0 ? low0 : right, high = at0 ? high0 : left;
            if (at1) {
                low = std::min(low, low1);
                high = std::max(high, high1);
            }
            for (const PointD& corner : corners) {
                if (corner.y >= y0 && corner.y <= y1) {
                    low = std::min(low, corner.x);
                    high = std::max(high, corner.x);
                }
            }
            span = {FloorToInt(low) - 1, FloorToInt(y0), CeilToInt(high) + 1, CeilToInt(y1)};
        } else {
            // A convex shape holds, all across the band, the span between the inner crossings.
            if (!at0 || !at1)
                continue;
            span = {CeilToInt(std::max(low0, low1)), CeilToInt(y0), FloorToInt(std::min(high0, high1)), FloorToInt(y1)};
        }
        if (!span.IsEmpty())
            TK_TRY(region->AddRect(span));
    }
    return kResOk;
}

tResult CCanvas::InvalidateCanvasRect(const tCRect& cells, uint32_t present)
{
    if (!m_view)
        return kResOk;
    tCRect r = cells;
    if (m_flipHorizontal)
        r = {m_width - cells.right, r.top, m_width - cells.left, r.bottom};
    if (m_flipVertical)
        r = {r.left, m_height - cells.bottom, r.right, m_height - cells.top};
    const double zoom = m_zoom;
    const tCRect pixels{FloorToInt(r.left * zoom) + m_paintingRect.left, FloorToInt(r.top * zoom) + m_paintingRect.top,
                        CeilToInt(r.right * zoom) + m_paintingRect.left, CeilToInt(r.bottom * zoom) + m_paintingRect.top};
    CRegion region;
    TK_TRY(BuildPaintingRegion(pixels, &region, 1));
    for (const tCRect& rect : region)
        InvalidateInView(rect);
    if (present)
        PresentView();
    return kResOk;
}

void CCanvas::InvalidatePainting(uint32_t present)
{
    // Without memory for the region, the whole frame is redrawn instead.
    if (m_view && !m_paintingRect.IsEmpty() && InvalidateCanvasRect({0, 0, m_width, m_height}, 0) != kResOk)
        InvalidateInView(TurnedBounds(DrawnFrame()));
    if (present)
        PresentView();
}

void CCanvas::ScaleRect(tCRect* rect, float factor)
{
    rect->left = RoundToInt32(double(rect->left) * factor);
    rect->top = RoundToInt32(double(rect->top) * factor);
    rect->right = RoundToInt32(double(rect->right) * factor);
    rect->bottom = RoundToInt32(double(rect->bottom) * factor);
}

void CCanvas::TurnView(float rotation, uint32_t present)
{
    UpdateViewGeometry(0);
    m_rotation = rotation;
    if (m_view)
        UpdateViewGeometry(0);
    if (present)
        PresentView();
}
