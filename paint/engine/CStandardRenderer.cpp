#include "paint/engine/CStandardRenderer.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <optional>

#include "paint/engine/CCanvas.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/EngineResources.h"
#include "paint/engine/GammaTables.h"
#include "paint/engine/RenderRows.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/ResourceImages.h"

namespace {

constexpr CPixel kCheckerLight = 0xFFF0F0F0u;
constexpr CPixel kCheckerDark = 0xFFE0E0E0u;

// A layer taking part in a render, with its cells and grain locked for the render's length.
struct LayerPass {
    std::optional<CPaintCellNav> cells;
    std::optional<CImNav8> grain;
    LayerRenderValues values;
};

// The rows and columns a render covers (inclusive), and where each row's span comes from.
struct RenderArea {
    int32_t rowFirst = 0;
    int32_t rowLast = -1;
    int32_t colFirst = 0;
    int32_t colLast = -1;
    const int32_t* rowMinX = nullptr;
    const int32_t* rowMaxX = nullptr;
    int32_t rowCount = 0;

    // The columns of row y to render; false when the row has none.
    bool SpanOf(int32_t y, int32_t* x0, int32_t* x1) const
    {
        *x0 = colFirst;
        *x1 = colLast;
        if (rowMinX) {
            if (y < rowFirst || y > rowLast || y >= rowCount)
                return false;
            *x0 = std::max(*x0, rowMinX[y]);
            *x1 = std::min(*x1, rowMaxX[y]);
        }
        return *x0 <= *x1;
    }

    // The columns whose heights in row y the lit rows around it read: their spans, and one
    // column beyond row y's own for its slopes, within 0 .. width - 1. False when none do.
    bool HeightSpanOf(int32_t y, int32_t width, int32_t* x0, int32_t* x1) const
    {
        int32_t first = 0, last = -1;
        *x0 = width;
        *x1 = -1;
        for (int32_t row = y - 1; row <= y + 1; ++row) {
            if (!SpanOf(row, &first, &last))
                continue;
            const int32_t reach = row == y ? 1 : 0;
            *x0 = std::min(*x0, std::max(first - reach, 0));
            *x1 = std::max(*x1, std::min(last + reach, width - 1));
        }
        return *x0 <= *x1;
    }
};

// False when nothing is to be rendered.
bool FindArea(const CCanvas& canvas, int32_t whole, RenderArea* area)
{
    const int32_t width = canvas.GetWidth(), height = canvas.GetHeight();
    if (whole) {
        *area = RenderArea{0, height - 1, 0, width - 1};
        return true;
    }
    area->rowFirst = std::max(canvas.GetDirtyRowFirst(), 0);
    area->rowLast = std::min(canvas.GetDirtyRowLast(), height - 1);
    area->colFirst = std::max(canvas.GetDirtyColFirst(), 0);
    area->colLast = std::min(canvas.GetDirtyColLast(), width - 1);
    area->rowMinX = canvas.GetRowMinX();
    area->rowMaxX = canvas.GetRowMaxX();
    area->rowCount = canvas.GetDirtyRowCount();
    return area->rowFirst <= area->rowLast && area->colFirst <= area->colLast && area->rowMinX;
}

inline CPixel CheckerAt(int32_t x, int32_t y, int32_t width, int32_t height)
{
    return (((x + width / 2) ^ (y + height / 2)) & 8) ? kCheckerLight : kCheckerDark;
}

// The layers taking part: every visible one of opacity above 0, or the one at `layerIndex`;
// none of another size than the canvas. Their count goes to `count`; null without memory.
std::unique_ptr<LayerPass[]> MakeLayerPasses(CCanvas& canvas, int32_t layerIndex, int32_t* count)
{
    const auto takesPart = [&](int32_t i) {
        const CLayer* layer = canvas.GetLayer(i);
        if (!layer || layer->GetWidth() != canvas.GetWidth() || layer->GetHeight() != canvas.GetHeight())
            return false;
        return layerIndex >= 0 ? i == layerIndex : layer->GetVisible() != 0 && layer->GetOpacity() > 0.0f;
    };
    *count = 0;
    for (int32_t i = 0; i < canvas.GetLayerCount(); ++i)
        *count += takesPart(i) ? 1 : 0;
    std::unique_ptr<LayerPass[]> passes(new (std::nothrow) LayerPass[size_t(std::max(*count, 1))]);
    if (!passes)
        return passes;
    int32_t n = 0;
    for (int32_t i = 0; i < canvas.GetLayerCount(); ++i) {
        if (!takesPart(i))
            continue;
        CLayer* layer = canvas.GetLayer(i);
        LayerPass& pass = passes[size_t(n++)];
        SetLayerRenderValues(&pass.values, *layer);
        pass.cells.emplace(layer->GetCellMap());
        if (pass.cells->IsValid()) {
            pass.values.cells = pass.cells->Row(0);
            pass.values.cellRowBytes = pass.cells->GetRowBytes();
        }
        pass.grain.emplace(canvas.GetGrainImageFor(i));
        if (pass.grain->IsLocked() && !pass.grain->IsEmpty()) {
            pass.values.grain = pass.grain->Bytes(0);
            pass.values.grainRowBytes = pass.grain->GetRowBytes();
            pass.values.grainWidth = pass.grain->GetWidth();
            pass.values.grainHeight = pass.grain->GetHeight();
        }
    }
    return passes;
}

int32_t* HeightRow(CImNav& ring, int32_t row)
{
    return reinterpret_cast<int32_t*>(ring.Pixels(row % 3));
}

}  // namespace

SurfaceNormal ComputeSurfaceNormal(double dx, double dy)
{
    if (dx == 0.0 && dy == 0.0)
        return SurfaceNormal{};
    const double r = 1.0 / std::sqrt(dx * dx + dy * dy + kReliefScaleSquared);
    return SurfaceNormal{float(dx * r), float(dy * r), float(-kReliefScale * r)};
}

CStandardRenderer::CStandardRenderer() : m_paintHeights(0), m_grainHeights(0), m_shineRow(0) {}

CStandardRenderer::~CStandardRenderer() { ReleaseHeldImage(); }

void CStandardRenderer::ReleaseHeldImage()
{
    if (m_ownsHeldImage)
        delete m_heldImage;
    m_heldImage = nullptr;
}

tResult CStandardRenderer::ResetLights()
{
    m_lights.RemoveAll();
    CLight key;
    key.colour = 0xFFFFFFFFu;
    key.SetDirection(-50.0f, 50.0f, 65.0f);
    key.exponent = 208;
    key.level = 144;
    key.exponentF = 208.0f;
    key.scale = 36.0f;
    TK_TRY(m_lights.Add(key));
    CLight fill;
    fill.colour = 0xB0FFFFFFu;
    fill.SetDirection(40.0f, 0.0f, 20.0f);
    fill.exponent = 255;
    fill.level = 88;
    fill.exponentF = 255.0f;
    fill.scale = 22.0f;
    TK_TRY(m_lights.Add(fill));
    ReleaseHeldImage();
    m_heldImage = GetPooledImage8(kImgRendererTexture, nullptr, nullptr);
    m_ownsHeldImage = 0;
    return kResOk;
}

uint32_t CStandardRenderer::ShadeCell(const SurfaceNormal& n, uint32_t colour, int32_t shine) const
{
    if ((colour >> 24) == 0)
        return 0;
    const uint32_t r = (colour >> 16) & 255, g = (colour >> 8) & 255, b = colour & 255;
    uint32_t red = 0, green = 0, blue = 0;
    for (const CLight& light : m_lights) {
        if (shine != 0 && light.level != 0) {
            const float h = light.half[0] * n.x - light.half[1] * n.y - light.half[2] * n.z;
            float p = 0.0f;
            if (h > 0.0f) {
                const float k = light.exponentF;
                p = h / (k - k * h + h) * light.scale;
            }
            // nearbyint rounds to nearest, ties to even, in the default rounding mode.
            const float q = std::nearbyint(float(shine + 1) * p);
            if (q > 0.0f) {
                const uint32_t weight = uint32_t(q);
                red += (r + 768) * weight;
                green += (g + 768) * weight;
                blue += (b + 768) * weight;
            }
        }
        float d = (light.direction[0] * n.x - light.direction[1] * n.y - light.direction[2] * n.z) *
                  float(light.colour >> 24);
        if (d < 0.0f)
            d = 0.0f;
        const uint32_t w = uint32_t(std::nearbyint(double(d) * 256.0));
        red += w * r;
        green += w * g;
        blue += w * b;
    }
    return SpillChannels(colour, red, green, blue);
}

tResult CStandardRenderer::SizeWorkImages(int32_t width)
{
    TK_TRY(m_paintHeights.SetSize(width, 3));
    TK_TRY(m_grainHeights.SetSize(width, 3));
    return m_shineRow.SetSize(width, 1);
}

uint64_t CStandardRenderer::WorkRowBytes(int32_t width)
{
    return width > 0 ? uint64_t(width) * (3 + 3 + 1) * 4 : 0;
}

tResult CStandardRenderer::RenderLayers(CImage* target, CCanvas* canvas, int32_t whole, int32_t layerIndex)
{
    if (m_suspended)
        return kResOk;
    if (!target || !canvas)
        return kResBadParam;
    const int32_t width = canvas->GetWidth(), height = canvas->GetHeight();
    if (target->GetWidth() != width || target->GetHeight() != height)
        return kResBadParam;
    if (width < 1 || height < 1)
        return kResOk;
    if (m_paintHeights.GetWidth() != width || m_grainHeights.GetWidth() != width || m_shineRow.GetWidth() != width)
        TK_TRY(SizeWorkImages(width));
    RenderArea area;
    if (!FindArea(*canvas, whole, &area))
        return kResOk;
    int32_t passCount = 0;
    const std::unique_ptr<LayerPass[]> passes = MakeLayerPasses(*canvas, layerIndex, &passCount);
    if (!passes)
        return kResNoMemory;
    for (int32_t i = 0; i < passCount; ++i)
        if (!passes[size_t(i)].values.cells)
            return kResNoMemory;

    CImNav pixels(target);
    CImNav paintRing(&m_paintHeights);
    CImNav grainRing(&m_grainHeights);
    CImNav shineRow(&m_shineRow);
    if (!pixels.IsLocked() || !paintRing.IsLocked() || !grainRing.IsLocked() || !shineRow.IsLocked())
        return kResNoMemory;
    if (CImage* half = canvas->GetHalfImageA()) {
        const tCRect under{area.colFirst / 2 - 3, area.rowFirst / 2 - 3, area.colLast / 2 + 5, area.rowLast / 2 + 5};
        CImNav halfNav(half, under);
        if (!halfNav.IsLocked())
            return kResNoMemory;
        halfNav.Fill(0xFF000000u);
    }

    const bool reference = m_kernel == RenderKernel::kReference;
    const auto heights = reference ? RenderRows::LayerHeightsReference : RenderRows::LayerHeightsFast;
    const auto colour = reference ? RenderRows::LayerColourReference : RenderRows::LayerColourFast;
    const auto light = reference ? RenderRows::LightRowReference : RenderRows::LightRowFast;
    const GammaTables& gamma = GetGammaTables();
    const bool transparent = layerIndex != -1;
    uint32_t* shine = shineRow.Pixels(0);

    // A row is lit once the heights of the row below it exist: the loop starts two rows above
    // the first dirty row, so that the rows around it have their heights.
    for (int32_t y = std::max(area.rowFirst - 2, -1); y <= area.rowLast; ++y) {
        int32_t x0 = 0, x1 = -1;
        const bool lit = y >= area.rowFirst && area.SpanOf(y, &x0, &x1);
        CPixel* row = lit ? pixels.Pixels(y) : nullptr;
        if (lit) {
            for (int32_t x = x0; x <= x1; ++x) {
                row[x] = transparent ? 0 : CheckerAt(x, y, width, height);
                shine[x] = 0;
            }
        }
        const int32_t next = y + 1;
        int32_t h0 = 0, h1 = -1;
        if (next < height && area.HeightSpanOf(next, width, &h0, &h1)) {
            int32_t* paint = HeightRow(paintRing, next);
            int32_t* grain = HeightRow(grainRing, next);
            std::fill(paint + h0, paint + h1 + 1, 0);
            std::fill(grain + h0, grain + h1 + 1, 0);
            for (int32_t i = 0; i < passCount; ++i)
                heights(passes[size_t(i)].values, next, h0, h1, paint, grain);
        }
        if (!lit)
            continue;
        for (int32_t i = 0; i < passCount; ++i)
            colour(passes[size_t(i)].values, gamma, y, x0, x1, row, shine);
        LitRows rows;
        rows.width = width;
        rows.paint = HeightRow(paintRing, y);
        rows.grain = HeightRow(grainRing, y);
        if (y > 0) {
            rows.paintAbove = HeightRow(paintRing, y - 1);
            rows.grainAbove = HeightRow(grainRing, y - 1);
        }
        if (next < height) {
            rows.paintBelow = HeightRow(paintRing, next);
            rows.grainBelow = HeightRow(grainRing, next);
        }
        light(*this, rows, x0, x1, row, shine);
    }
    return kResOk;
}
