#include "paint/engine/CProxyCanvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/CProjectInfo.h"
#include "paint/engine/CStandardRenderer.h"
#include "paint/engine/CanvasMessages.h"
#include "paint/engine/ICanvasHost.h"
#include "paint/engine/ICanvasTool.h"
#include "paint/engine/IShellServices.h"
#include "paint/engine/PaintCell.h"
#include "paint/engine/StrokeContext.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CPenSample.h"
#include "toolkit/core/PenSettings.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/PixelCopy.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CUpdateFreezeGuard.h"
#include "toolkit/widgets/CWidget.h"
#include "toolkit/widgets/IWidgetRoot.h"

namespace {

constexpr uint32_t kProxyOilBrushId = 4900;
constexpr uint32_t kProxyPencilId = 4901;
constexpr uint32_t kCrayonId = 4902;
constexpr uint32_t kPaletteKnifeId = 4905;
constexpr uint32_t kEraserId = 4906;
constexpr uint32_t kSmudgeId = 4907;
constexpr uint32_t kMsgRenderPreview = 0xFF001001u;

// A translucent dark coat for the eraser to clear.
constexpr uint32_t kEraserCoat = 0x6E242A3Cu;
constexpr uint32_t kSampleColour = 0xFF6070A0u;
constexpr uint32_t kPencilColour = 0xFF000000u;
constexpr int32_t kRidgeRows = 30;

// Where the stroke stands (k / 100 of the way) and the share of the base pressure at each point.
struct StrokePoint {
    int32_t k;
    float share;
};
constexpr StrokePoint kContinuePoints[] = {{3, 1.0f},   {7, 1.0f},   {15, 1.0f},  {20, 1.0f},  {50, 0.8f},
                                           {77, 0.6f},  {94, 0.4f},  {98, 0.25f}, {100, 0.1f}};
// The first continue points that keep the palette knife's x.
constexpr int32_t kStraightPoints = 4;
constexpr int32_t kEndK = 102;

// Puts the controller's colour back (through the same message that changed it) when it ends.
class CColourRestore {
public:
    CColourRestore(CCanvas& canvas, IShellServices* services, uint32_t colour, ICanvasTool& tool)
        : m_canvas(canvas), m_tool(tool)
    {
        if (services)
            m_saved = services->GetPaintColour();
        (void)tCCmdTarget::SendToBackbone(kMsgCanvasColourPicked, ToMsgArg(&m_canvas), tMsgArg(colour), 0);
        m_tool.ColourChanged();
    }
    ~CColourRestore()
    {
        (void)tCCmdTarget::SendToBackbone(kMsgCanvasColourPicked, ToMsgArg(&m_canvas), tMsgArg(m_saved), 0);
        m_tool.ColourChanged();
    }
    CColourRestore(const CColourRestore&) = delete;
    CColourRestore& operator=(const CColourRestore&) = delete;

private:
    CCanvas& m_canvas;
    ICanvasTool& m_tool;
    uint32_t m_saved = kPencilColour;
};

// The sample stroke's pressure before its share at each point, from the tool's common property.
float SampleBase(float commonProperty) { return std::min(1.5f * commonProperty, 1.0f) + 0.2f; }

// Holds the presents of the root the widget lies in.
IWidgetRoot* RootOf(CWidget* widget)
{
    CWidget* root = widget ? widget->GetRoot() : nullptr;
    return root ? root->AsWidgetRoot() : nullptr;
}

}  // namespace

void FillSampleStart(PaintCell* cells, int32_t width, int32_t height, int64_t rowCells, uint32_t toolId)
{
    for (int32_t y = 0; y < height; ++y)
        std::fill(cells + y * rowCells, cells + y * rowCells + width, PaintCell{});
    if (toolId == kEraserId) {
        for (int32_t y = 0; y < height; ++y)
            std::fill(cells + y * rowCells, cells + y * rowCells + width, PaintCell{kEraserCoat, 0, 0, 0, 0});
        return;
    }
    if (toolId != kPaletteKnifeId && toolId != kSmudgeId)
        return;
    // A wet ridge, thickest at row 15, over the rows the canvas has.
    for (int32_t y = 0; y < std::min(height, kRidgeRows); ++y) {
        const auto thickness = uint16_t(std::lround(16.0 * std::sin(std::numbers::pi * y / kRidgeRows)));
        std::fill(cells + y * rowCells, cells + y * rowCells + width, PaintCell{kSampleColour, thickness, 0xFFFF, 0xFF, 0});
    }
}

CProxyCanvas::CProxyCanvas() { SetId(1); }

tResult CProxyCanvas::SaveUndoTiles(const StrokeContext&, const tCRect&) { return kResOk; }
tResult CProxyCanvas::BeginUndoStep() { return kResOk; }
tResult CProxyCanvas::EndUndoStep() { return kResOk; }

tResult CProxyCanvas::RenderWhole()
{
    CStandardRenderer* renderer = GetRenderer();
    if (!GetComposite() || !renderer)
        return kResOk;
    TK_TRY(renderer->RenderLayers(GetComposite(), this, 1, -1));
    return GetView() ? GetView()->Invalidate(0) : kResOk;
}

tResult CProxyCanvas::AttachView(CWidget* widget)
{
    if (!widget)
        return kResBadParam;
    CProjectInfo project(widget->GetWidth(), widget->GetHeight(), tCString(), tCString(), nullptr);
    TK_TRY(SetUpProject(&project));
    BindView(widget);
    widget->SetRenderProc(RenderPreview, ToMsgArg(this));
    return RenderWhole();
}

tResult CProxyCanvas::OnMessage(uint32_t message, tMsgArg, tMsgArg b, tMsgArg, uint32_t apply)
{
    switch (message) {
    case kMsgNewProject:
        if (const tResult result = SetUpProject(FromMsgArg<CProjectInfo>(b)); result != kResOk) {
            // The failure is the answer, whatever the report itself answers.
            if (CAppBase* application = GetApplication())
                (void)application->ReportError(result, tCString(u"CProxyCanvas Failed to set up a new project."));
            return result;
        }
        return kResOk;
    case kMsgTakeCurrentTool:
        if (GetId() == 1)
            SetCurrentTool(GetHost() ? GetHost()->GetCurrentTool() : nullptr);
        return kResOk;
    case kMsgDropCurrentTool:
        if (GetId() == 1)
            SetCurrentTool(nullptr);
        return kResOk;
    case kMsgRenderPreview:
        return GetComposite() && GetView() ? RenderWhole() : kResOk;
    case kMsgRenderPainting:
        if (!apply)
            return kResOk;
        return OnMessage(kMsgRenderPreview, ToMsgArg(this), 0, 0, kMsgApply);
    case kMsgPaperColour: {
        // As the canvas reads it: the colour itself to apply, a pointer to report into.
        CLayer* layer = GetLayer(0);
        if (!layer)
            return kResOk;
        if (apply) {
            layer->SetPaperColour(uint32_t(b));
            return kResOk;
        }
        uint32_t* colour = FromMsgArg<uint32_t>(b);
        if (!colour)
            return kResBadParam;
        layer->GetPaperColour(colour);
        return kResOk;
    }
    default:
        return kResOk;
    }
}

tResult CProxyCanvas::PrepareSample()
{
    CLayer* layer = GetLayer(0);
    if (!layer)
        return kResOk;
    CPaintCellNav cells(layer->GetCellMap());
    if (!cells.IsValid())
        return kResNoMemory;
    if (!cells.IsEmpty())
        FillSampleStart(cells.Cells(0), cells.GetWidth(), cells.GetHeight(), cells.GetRowBytes() / int32_t(sizeof(PaintCell)),
                        GetCurrentTool() ? GetCurrentTool()->GetToolId() : 0);
    cells.Detach();
    MarkAllDirty();
    return GetComposite() && GetView() ? RenderWhole() : kResOk;
}

float CProxyCanvas::SampleResponse(float x)
{
    const tPenSettings settings = GetPenSettings();
    const float t = MappedPressure(settings.pressure, settings.response);
    if (t < 0.5f)
        return (1.5f * t + 0.25f) * x;
    return std::min(2.0f * t * x, 1.0f);
}

tResult CProxyCanvas::PaintSampleStroke(ICanvasTool& tool, tCFPoint start, tCFPoint end, float base, bool straightStart)
{
    CLayer* layer = GetLayer(0);
    if (!layer)
        return kResOk;
    CPaintCellNav cells(layer->GetCellMap());
    CImNav8 grain(GetGrainImageFor(0));
    if (!cells.IsValid() || !grain.IsLocked())
        return kResNoMemory;
    const StrokeContext context = MakeStrokeContext(&cells, &grain, *layer);
    auto at = [&](int32_t k, float share, bool straight) {
        CPenSample sample;
        const float t = float(k) / 100.0f;
        sample.x = straight ? start.x : start.x + (end.x - start.x) * t;
        sample.y = start.y + (end.y - start.y) * t;
        sample.pressure = SampleResponse(base * share);
        return sample;
    };
    TK_TRY(tool.BeginStroke(*this, context, at(0, 1.0f, false)));
    int32_t index = 0;
    float lastShare = 1.0f;
    for (const StrokePoint& point : kContinuePoints) {
        TK_TRY(tool.ContinueStroke(*this, context, at(point.k, point.share, straightStart && index < kStraightPoints), 0));
        lastShare = point.share;
        ++index;
    }
    return tool.EndStroke(*this, context, at(kEndK, lastShare, false));
}

tResult CProxyCanvas::DrawSampleStroke()
{
    CLayer* layer = GetLayer(0);
    if (!layer)
        return kResOk;
    TK_TRY(PrepareSample());
    SetStrokeActive(0);
    ICanvasTool* tool = GetCurrentTool();
    if (!tool)
        return kResOk;
    const uint32_t id = tool->GetToolId();
    const float v = tool->GetCommonProperty();
    const float base = SampleBase(v);
    tResult result = kResOk;
    {
        CUpdateFreezeGuard freeze(RootOf(GetView()));
        if (IShellServices* services = GetShellServices())
            services->SetPenPressure(ClampUnit(v));
        const uint32_t savedFlag = tool->GetToolFlag();
        const int32_t savedPosition = tool->GetStrokePosition();
        const uint32_t savedClean = tool->GetCleanBrush();
        const uint32_t savedCount = tool->GetStrokeCount();
        tool->SetToolFlag(id == kProxyPencilId ? 1 : 0);
        if (id == kProxyOilBrushId)
            tool->SetStrokePosition(0);
        tool->SetCleanBrush(1);
        tool->SetStrokeCount(0);
        {
            CColourRestore colour(*this, GetShellServices(), id == kProxyPencilId ? kPencilColour : kSampleColour, *tool);
            const bool knife = id == kPaletteKnifeId;
            result = PaintSampleStroke(*tool, knife ? tCFPoint{40, 0} : tCFPoint{68, 25},
                                       knife ? tCFPoint{30, 120} : tCFPoint{10, 120}, base, knife);
            tool->SetToolFlag(savedFlag);
            tool->SetStrokePosition(savedPosition);
            tool->SetCleanBrush(savedClean);
            tool->SetStrokeCount(savedCount);
        }
    }
    TK_TRY(result);
    MarkAllDirty();
    return RenderWhole();
}

tResult CProxyCanvas::DrawCrayonSample(tCFPoint start, CImage* target, uint32_t colour)
{
    if (!target)
        return kResBadParam;
    const CanvasToolFactory& factory = GetCanvasToolFactory();
    ICanvasTool* crayon = factory.make ? factory.make(kCrayonId, GetShellServices()) : nullptr;
    if (!crayon)
        return kResCreateFailed;
    crayon->Invalidate();
    tResult result = kResOk;
    {
        CColourRestore restore(*this, GetShellServices(), colour, *crayon);
        result = PaintSampleStroke(*crayon, start, {start.x - 58.0f, float(GetHeight() + 50)},
                                   SampleBase(crayon->GetCommonProperty()), false);
    }
    if (result == kResOk) {
        MarkAllDirty();
        CStandardRenderer* renderer = GetRenderer();
        if (GetComposite() && renderer)
            result = renderer->RenderLayers(GetComposite(), this, 1, -1);
    }
    if (result == kResOk)
        result = GetComposite() ? CopyImageToImage(target, GetComposite()) : kResBadParam;
    factory.destroy(crayon);
    return result;
}

tResult CProxyCanvas::UpdatePreviewRect(const tCRect& cells)
{
    CStandardRenderer* renderer = GetRenderer();
    if (GetComposite() && renderer)
        TK_TRY(renderer->RenderLayers(GetComposite(), this, 0, -1));
    if (!GetView())
        return kResOk;
    const tCRect widened{cells.left, cells.top, cells.right + 1, cells.bottom + 1};
    return GetView()->InvalidateRectInBounds(&widened, 1);
}

tResult CProxyCanvas::RenderPreview(tMsgArg context, CWidget* widget, const tCRect* clip, CImage* target,
                                    uint32_t opacity)
{
    CProxyCanvas* canvas = FromMsgArg<CProxyCanvas>(context);
    if (!canvas || !widget || !clip || !target)
        return kResBadParam;
    CImage* composite = canvas->GetComposite();
    if (!composite)
        return widget->Draw(clip, target, opacity);
    // Only where the composite, the widget's picture and the target all have pixels.
    tCRect area = clip->Intersect({0, 0, composite->GetWidth(), composite->GetHeight()});
    const auto* picture = dynamic_cast<CImWidget*>(widget);
    CImage* mask = picture ? picture->GetImage() : nullptr;
    if (mask)
        area = area.Intersect({0, 0, mask->GetWidth(), mask->GetHeight()});
    if (area.IsEmpty())
        return kResOk;
    CImNav out(target, area);
    CImNav source(composite, area);
    if (!out.IsLocked() || !source.IsLocked() || out.GetBytesPerPixel() != 4)
        return kResNoMemory;
    CImNav alpha(mask, area);
    if (mask && !alpha.IsLocked())
        return kResNoMemory;
    const tCRect locked = out.GetClip().Offset({-target->GetOrigin().x, -target->GetOrigin().y});
    const int32_t width = std::min(locked.Width(), source.GetWidth());
    const int32_t height = std::min(locked.Height(), source.GetHeight());
    for (int32_t y = 0; y < height; ++y) {
        CPixel* t = out.Pixels(y);
        const CPixel* p = source.Pixels(y);
        const CPixel* m = mask ? alpha.Pixels(y) : nullptr;
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t a = m ? m[x] >> 24 : 255;
            if (a == 0)
                continue;
            if (a == 255) {
                t[x] = p[x];
                continue;
            }
            uint32_t mixed = t[x] & 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8) {
                const int32_t tc = int32_t(t[x] >> shift & 0xFF), pc = int32_t(p[x] >> shift & 0xFF);
                mixed |= uint32_t((tc + ((pc - tc + 1) * int32_t(a) >> 8)) & 0xFF) << shift;
            }
            t[x] = mixed;
        }
    }
    return kResOk;
}
